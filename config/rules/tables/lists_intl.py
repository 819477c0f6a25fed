"""Word lists of the countries other than the United States.

Words are written upper case as the tokeniser leaves them: accents kept, dots,
commas and hyphens removed, "_" standing for a space inside a phrase. Variants come
from the shared per-language word lists (see NOTICE) and from common usage.

Every country lists each kind it uses; a kind given as an empty table hides the US
list of that kind, which would otherwise be used as a fallback (US directionals such
as E or W must not fire inside French or Spanish text).
"""
from .lists_us import table
from . import lists_us


def with_connectors(types, connectors):
    """RUE + [DE, DE LA, DU] -> RUE, RUE DE, RUE DE LA, RUE DU (each with RUE's standard form).

    Phrase joining tries two words before three, so every shorter step of a phrase is
    listed too; it makes "RUE DE LA" one token, and the name after it starts clean.
    """
    out = {}
    for std, words in types.items():
        phrases = []
        for word in words:
            phrases.append(word)
            for connector in connectors:
                parts = connector.split("_")
                for n in range(1, len(parts) + 1):
                    phrases.append(word + "_" + "_".join(parts[:n]))
        out[std] = [p.replace("_", " ") for p in phrases]
    return out


def merged(*tables):
    out = {}
    for t in tables:
        for std, words in t.items():
            out.setdefault(std, []).extend(words)
    return out


EMPTY = {}

# --- English-speaking countries: the US lists plus their own street types and units.
COMMONWEALTH_SUFFIX = table("""
CL: CLOSE CL CLS
CRES: CRESCENT CRES CRS CR
PDE: PARADE PDE PRD
RISE: RISE
MEWS: MEWS
GR: GROVE GR GRV
GDNS: GARDENS GDNS
TCE: TERRACE TCE TER
ESP: ESPLANADE ESP
PROM: PROMENADE PROM
QY: QUAY QY
WYND: WYND
CH: CHASE
GRN: GREEN GRN
HWY: HIGHWAY HWY
CCT: CIRCUIT CCT
CNR: CORNER CNR
""")

# THE MALL, THE STRAND, THE ESPLANADE: a type word after the article is the whole name.
# The phrase is one token in the type list, written as its own standard form, so
# the rules read it as a name word; its article and type stay in the name.
ARTICLE_NAMES = {p: [p] for p in (
    "THE " + w for w in "MALL STRAND ESPLANADE PARADE CRESCENT GREEN BOULEVARD AVENUE CIRCUS "
    "BROADWAY CLOSE DRIVE GROVE PROMENADE TERRACE SQUARE WALK CIRCLE RIDGE PARKWAY CAUSEWAY "
    "RAMPARTS COMMON QUADRANT HIGHWAY".split())}

# Names of houses, farms, estates and business parks (IVY HOUSE, MEADOW TRADING
# ESTATE): the words before them and they take no field.
GB_BUILDINGS = table("""
HOUSE: HOUSE
COTT: COTTAGE
LODGE: LODGE
FARM: FARM
MANS: MANSIONS
EST: ESTATE
TRADING: TRADING
IND: INDUSTRIAL
BUS: BUSINESS
RETAIL: RETAIL
SHOPPING: SHOPPING
""")

GB_PARTS = {
    "COUNTY": EMPTY,
    "SUFFIX": merged(lists_us.SUFFIX, COMMONWEALTH_SUFFIX, ARTICLE_NAMES),
    "BUILDINGTYPE": merged(lists_us.BUILDINGTYPE, GB_BUILDINGS),
    "PREFIX": EMPTY,
    "DIRECTIONAL": table("""
N: NORTH
S: SOUTH
E: EAST
W: WEST
"""),
    "UNITLABEL": merged(lists_us.UNITLABEL, table("""
FLAT: FLAT FLT
UNIT: UNIT
STE: SUITE
RM: ROOM
APT: APARTMENT APT
""")),
    "POBOX": table("""
PO BOX: PO_BOX P_O_BOX POST_OFFICE_BOX POBOX
"""),
}

AU_PARTS = {
    "COUNTY": EMPTY,
    # A city's pedestrian street is its mall (TODD MALL, RUNDLE MALL).
    "SUFFIX": merged(lists_us.SUFFIX, COMMONWEALTH_SUFFIX, table("MALL: MALL"), ARTICLE_NAMES),
    "PREFIX": EMPTY,
    "DIRECTIONAL": lists_us.DIRECTIONAL,
    "UNITLABEL": merged(lists_us.UNITLABEL, table("""
U: U UNIT
SHOP: SHOP
LVL: LEVEL LVL L
FLAT: FLAT
VILLA: VILLA
""")),
    "POBOX": table("""
PO BOX: PO_BOX P_O_BOX POBOX GPO_BOX GPO LOCKED_BAG PRIVATE_BAG RMB ROADSIDE_MAIL_BOX
"""),
    # A floor locates a unit within the building, as UPPER and LOWER do: with a suite
    # or shop beside it, the suite or shop is the unit (SUITE 3, LEVEL 2, 50 PITT ST).
    "UNITSIDE": merged(lists_us.UNITSIDE, table("""
LVL: LEVEL LVL
FL: FLOOR FL
""")),
}

# Canada: English forms as in the US, French forms with the type first.
FR_CONNECTORS = ["DE", "DE_LA", "DU", "DES", "D", "DE_L"]
CA_FRENCH_TYPES = table("""
RUE: RUE
BOUL: BOULEVARD BOUL BD BLVD
AV: AVENUE AV
CH: CHEMIN CH
RANG: RANG
MONTÉE: MONTÉE MONTEE
CÔTE: CÔTE COTE
PL: PLACE
IMP: IMPASSE
""")
CA_PARTS = {
    "COUNTY": EMPTY,
    "SUFFIX": merged(lists_us.SUFFIX, COMMONWEALTH_SUFFIX, with_connectors(CA_FRENCH_TYPES, FR_CONNECTORS),
                     ARTICLE_NAMES),
    # Ontario's rural grid: CONCESSION 6, SIDEROAD 10 are numbered roads.
    "PREFIX": merged(lists_us.PREFIX, with_connectors(CA_FRENCH_TYPES, FR_CONNECTORS), table("""
CONC: CONCESSION CONC
SDRD: SIDEROAD SDRD
""")),
    "DIRECTIONAL": merged(lists_us.DIRECTIONAL, table("""
N: NORD
S: SUD
E: EST
W: OUEST O
""")),
    "UNITLABEL": merged(lists_us.UNITLABEL, table("""
APP: APPARTEMENT APP APPT
BUR: BUREAU BUR
""")),
    # A rural route is written and delivered to as a box (RR 2, 4471 HIGHWAY 7 RR 1).
    "POBOX": merged(lists_us.POBOX, table("""
CP: CP C_P CASE_POSTALE CASIER_POSTAL
RR: RR R_R RURAL_ROUTE
""")),
}

# --- France: type (and its connecting words) before the name, number first.
FR_TYPES = table("""
RUE: RUE R
AV: AVENUE AV AVE
BD: BOULEVARD BD BLD BLVD BOUL
PL: PLACE PL
CHE: CHEMIN CH CHE
IMP: IMPASSE IMP
ALL: ALLÉE ALLEE ALL
QUAI: QUAI
RTE: ROUTE RTE
CRS: COURS CRS
SQ: SQUARE SQ
PAS: PASSAGE PAS
VOIE: VOIE
SENT: SENTIER
CITÉ: CITÉ CITE
RÉS: RÉSIDENCE RESIDENCE RES
PROM: PROMENADE PROM
ESP: ESPLANADE ESP
FG: FAUBOURG FG FBG
HAM: HAMEAU HAM
LOT: LOTISSEMENT
MAIL: MAIL
PARV: PARVIS
RPT: ROND_POINT RONDPOINT
VLA: VILLA
LD: LIEUDIT LIEU_DIT
""")
# "Number" markers written before a house number (Nº 5, N. 12, NR 7): discard words.
def number_markers(*words):
    return {"#": ["#"] + list(words)}


# BIS, TER, QUATER mark the second, third or fourth house on one number (7 BIS RUE
# LEPIC is number 7): the word takes no field, as a number marker does not.
NUMBER_REPEATS = ("BIS", "TER", "QUATER")


FR_PARTS = {
    "SUFFIX": with_connectors(FR_TYPES, FR_CONNECTORS),
    "PREFIX": with_connectors(FR_TYPES, FR_CONNECTORS),
    "DIRECTIONAL": EMPTY,
    "UNITLABEL": table("""
APPT: APPARTEMENT APPT APP APT
BAT: BÂTIMENT BATIMENT BAT BÂT
ÉTAGE: ÉTAGE ETAGE ÉT
ESC: ESCALIER ESC
PTE: PORTE
"""),
    "POBOX": table("""
BP: BP B_P BOÎTE_POSTALE BOITE_POSTALE
CS: CS
CP: CASE_POSTALE
"""),
    "BUILDINGTYPE": EMPTY,
    "COUNTY": EMPTY,
    "RURAL": EMPTY,
    "DISCARD": number_markers("N°", "Nº", *NUMBER_REPEATS),
    "CAREOF": ["CHEZ"],
}

# --- Germany and the Netherlands: the type is glued to the name (or a word of its
# own after it) and the number follows.
DE_STICKY = table("""
STR: STRASSE STR
WEG: WEG
PL: PLATZ
ALLEE: ALLEE
GASSE: GASSE
DAMM: DAMM
RING: RING
UFER: UFER
CH: CHAUSSEE
""")
# A type word first keeps the article after it in the name: PLATZ DER EINHEIT gives
# DER EINHEIT (the article is part of the name, not a connector of the type).
DE_PARTS = {
    "SUFFIX": DE_STICKY,
    "STICKY_SUFFIX": DE_STICKY,
    "PREFIX": table("""
STR: STRASSE
PL: PLATZ
ALLEE: ALLEE
"""),
    "DIRECTIONAL": EMPTY,
    "UNITLABEL": table("""
HH: HINTERHAUS
VH: VORDERHAUS
SF: SEITENFLÜGEL
WHG: WOHNUNG WHG
ZI: ZIMMER
APP: APPARTEMENT APP
OG: OBERGESCHOSS OG
EG: ERDGESCHOSS EG
DG: DACHGESCHOSS DG
UG: UNTERGESCHOSS UG
""" ),
    "POBOX": table("""
PF: POSTFACH PF
"""),
    "BUILDINGTYPE": EMPTY,
    "COUNTY": EMPTY,
    "RURAL": EMPTY,
    "DISCARD": number_markers("NR"),
}

NL_STICKY = table("""
STR: STRAAT
LN: LAAN
WEG: WEG
PLN: PLEIN
GR: GRACHT
KD: KADE
SGL: SINGEL
DK: DIJK
DR: DREEF
""")
NL_PARTS = {
    "SUFFIX": NL_STICKY,
    "STICKY_SUFFIX": NL_STICKY,
    # LAAN VAN KRONENBURG: as in German, the words after a leading type stay in the name.
    "PREFIX": table("LN: LAAN"),
    "DIRECTIONAL": EMPTY,
    # The addition after a house number's hyphen (263-H) reaches the rules behind
    # a number sign, which marks it as the unit.
    "UNITLABEL": {"#": ["#"]},
    # A floor written after the number and a blank (20 HS, 150 III, 7 BOV): the unit.
    "UNITSIDE": table("""
HS: HS HUIS
BOV: BOVEN BOV
I: I
II: II
III: III
IV: IV
V: V
"""),
    "POBOX": table("""
PB: POSTBUS
AW: ANTWOORDNUMMER
"""),
    "BUILDINGTYPE": EMPTY,
    "COUNTY": EMPTY,
    "RURAL": EMPTY,
    "DISCARD": {"NR": ["NR"]},
}

# --- Spain and Italy: type first, number after the name; floor and door follow.
# Catalan, Galician and Basque forms as well: the street signs of Catalonia, the
# Balearics, Valencia, Galicia and the Basque Country use them.
ES_CONNECTORS = ["DE", "DE_LA", "DE_LOS", "DE_LAS", "DEL",
                 "DELS", "DE_LES", "D'", "DO", "DA", "DOS", "DAS"]
ES_TYPES = table("""
CL: CALLE C/ CL CLL CARRER C RÚA RUA
AV: AVENIDA AVDA AV AVD AVINGUDA AVDA.
PS: PASEO Pº PO PASSEIG PG
PZ: PLAZA PZA PL PLAÇA PLACA PRAZA
CTRA: CARRETERA CTRA ESTRADA
CM: CAMINO CMNO CAMÍ CAMI CAMIÑO
RDA: RONDA
TR: TRAVESÍA TRAVESIA TRAV TRAVESSERA
GL: GLORIETA GTA
PJ: PASAJE PJE PASSATGE PTGE
RB: RAMBLA
""")
# LA RAMBLA: the article and the type are the whole name (RAMBLA DE CATALUNYA is not).
ES_ARTICLE_NAMES = {"LA RAMBLA": ["LA RAMBLA"], "LES RAMBLES": ["LES RAMBLES"]}
# Basque types follow the name (URDANETA KALEA).
ES_BASQUE_TYPES = table("""
CL: KALEA
AV: ETORBIDEA
PZ: PLAZA ENPARANTZA
""")
ES_PARTS = {
    "SUFFIX": merged(with_connectors(ES_TYPES, ES_CONNECTORS), ES_BASQUE_TYPES, ES_ARTICLE_NAMES),
    "PREFIX": with_connectors(ES_TYPES, ES_CONNECTORS),
    "DIRECTIONAL": EMPTY,
    "UNITLABEL": table("""
PISO: PISO
PTA: PUERTA PTA
ESC: ESCALERA ESC
PL: PLANTA
BJ: BAJO BJ
ENTLO: ENTRESUELO ENTLO
ÁT: ÁTICO ATICO
PRAL: PRINCIPAL PRAL
""" ),
    # The door's side after the floor (4º IZDA.): part of the unit's number.
    "UNITSIDE": table("""
IZDA: IZQUIERDA IZDA IZQDA IZQ
DCHA: DERECHA DCHA DRCHA DCHO DRCH DER
CTRO: CENTRO CTRO
"""),
    "POBOX": table("""
APDO: APARTADO APDO APARTADO_DE_CORREOS APARTADO_POSTAL
"""),
    # A building or estate named after the street (EDIFICIO SOL): no field.
    "BUILDINGTYPE": table("""
EDIF: EDIFICIO EDIF EDIFICI
URB: URBANIZACIÓN URBANIZACION URB
"""),
    "COUNTY": EMPTY,
    "RURAL": EMPTY,
    # S/N: "sin número", no house number.
    "DISCARD": number_markers("Nº", "N°", "NÚM", "NUM", "NÚMERO", "NUMERO", "S/N", "SN",
                              *NUMBER_REPEATS),
}

IT_CONNECTORS = ["DI", "DEL", "DELLA", "DELLO", "DEI", "DEGLI", "DELLE", "DEL", "D"]
IT_TYPES = table("""
VIA: VIA V
VLE: VIALE VLE
PZA: PIAZZA PZA PZZA
PLE: PIAZZALE PLE
CSO: CORSO CSO
LGO: LARGO LGO
VLO: VICOLO VLO
STR: STRADA
LMARE: LUNGOMARE
LTEVERE: LUNGOTEVERE
CDA: CONTRADA CDA
LOC: LOCALITÀ LOCALITA LOC
BGO: BORGO
SAL: SALITA
""")
IT_PARTS = {
    "SUFFIX": with_connectors(IT_TYPES, IT_CONNECTORS),
    "PREFIX": with_connectors(IT_TYPES, IT_CONNECTORS),
    "DIRECTIONAL": EMPTY,
    "UNITLABEL": table("""
INT: INTERNO INT
SC: SCALA SC
PIANO: PIANO
""" ),
    "POBOX": table("""
CP: CASELLA_POSTALE C_P CP CASELLA
"""),
    "BUILDINGTYPE": EMPTY,
    "COUNTY": EMPTY,
    "RURAL": EMPTY,
    # SNC ("senza numero civico"): no house number.
    "DISCARD": number_markers("N", "N°", "Nº", "NUM", "NR", "SNC", *NUMBER_REPEATS),
}

PARTS = {
    "CA": CA_PARTS,
    "GB": GB_PARTS,
    "AU": AU_PARTS,
    "FR": FR_PARTS,
    "DE": DE_PARTS,
    "ES": ES_PARTS,
    "IT": IT_PARTS,
    "NL": NL_PARTS,
}
