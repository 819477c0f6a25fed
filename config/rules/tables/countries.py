"""Country names as records carry them, per two-letter code.

The look-up is exact and case-sensitive, so every spelling that occurs is listed in
the letter cases that occur: upper, title and lower case, with and without dots.
"""


def _cases(*names):
    out = []
    for name in names:
        for form in (name, name.upper(), name.lower(), name.title()):
            if form not in out:
                out.append(form)
    return out


NAMES = {
    "US": _cases("US", "USA", "U.S.", "U.S.A.", "U S", "U S A", "United States",
                 "United States of America", "America", "Estados Unidos", "États-Unis",
                 "Etats-Unis", "Vereinigte Staaten"),
    "CA": _cases("CA", "CAN", "Canada"),
    "GB": _cases("GB", "GBR", "UK", "U.K.", "United Kingdom", "Great Britain", "Britain",
                 "England", "Scotland", "Wales", "Northern Ireland",
                 "United Kingdom of Great Britain and Northern Ireland"),
    "AU": _cases("AU", "AUS", "Australia", "Commonwealth of Australia"),
    "FR": _cases("FR", "FRA", "France", "République française", "Republique Francaise",
                 "Frankreich", "Francia"),
    "DE": _cases("DE", "DEU", "Germany", "Deutschland", "Federal Republic of Germany",
                 "Bundesrepublik Deutschland", "Allemagne", "Alemania", "Germania"),
    "ES": _cases("ES", "ESP", "Spain", "España", "Espana", "Reino de España", "Espagne",
                 "Spanien", "Spagna"),
    "IT": _cases("IT", "ITA", "Italy", "Italia", "Repubblica Italiana", "Italie", "Italien"),
    "NL": _cases("NL", "NLD", "Netherlands", "The Netherlands", "Nederland", "Holland",
                 "Pays-Bas", "Niederlande", "Países Bajos", "Paesi Bassi"),
}
