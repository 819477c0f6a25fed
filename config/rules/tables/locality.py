"""What locality recognition knows per country: the order of the locality parts after
the street, the postcode shapes, and the words that begin, continue or end a city.

Region names are in regions.py, country names in countries.py; the street words that
tell where the street ends come from each country's word lists (lists_us.py,
lists_intl.py). docs/rules.md explains how recognition uses them.

Postcode shapes: 9 stands for a digit, A for a letter, a blank for the blank between
two words; other characters stand for themselves. A shape in "weak_postcodes" is
taken only right after a region: house and box numbers have it too. A prefix in
"postcode_prefixes" (the D- of D-04109) may come before any shape and is left out
of the postcode. "city_always": the country always writes the town, so a region name
with no town before it is the town of the same name (CARDIFF CF10 2BH).
"""

CITY_FIRST = "CITY REGION POSTCODE"
POSTCODE_FIRST = "POSTCODE CITY REGION"

LOCALITY = {
    "US": {
        "order": CITY_FIRST,
        "postcodes": ["99999", "99999-9999", "999999999"],
        # ZIP codes of New England and New Jersey that lost their leading zero in a
        # spreadsheet (NJ 7030), and a ZIP+4 short of a digit (CA 9151-2100).
        "weak_postcodes": ["9999", "9999-9999"],
        # A street type never begins a city, except these (SAINT PETERSBURG, FORT
        # MYERS); their abbreviations are street types too, so they begin a city only
        # after the street's own type (OCEAN BLVD ST SIMONS ISLAND).
        "city_starts": ["SAINT", "FORT", "MOUNT", "PORT"],
        "city_start_abbreviations": ["ST", "FT", "MT", "PT"],
        # Words that only ever continue a city's name (BEAR CREEK TOWNSHIP).
        "city_words": ["TOWNSHIP", "TWP", "TW"],
    },
    "CA": {
        "order": CITY_FIRST,
        "postcodes": ["A9A 9A9", "A9A9A9"],
        "city_starts": ["SAINT", "SAINTE", "FORT", "PORT", "MOUNT"],
        "city_start_abbreviations": ["ST", "STE", "FT", "MT"],
        # The delivery station named after a box (PO BOX 4001 STN A, C.P. 456 SUCC. ...).
        "stations": ["STN", "STATION", "SUCC", "SUCCURSALE"],
    },
    "GB": {
        "order": CITY_FIRST,
        "city_always": True,
        "postcodes": ["A9 9AA", "A99 9AA", "AA9 9AA", "AA99 9AA", "A9A 9AA", "AA9A 9AA",
                      "A99AA", "A999AA", "AA99AA", "AA999AA", "A9A9AA", "AA9A9AA"],
        "city_starts": ["SAINT", "FORT", "PORT", "MOUNT"],
        "city_start_abbreviations": ["ST"],
    },
    "AU": {
        "order": CITY_FIRST,
        "postcodes": ["9999"],
        "city_starts": ["SAINT", "FORT", "PORT", "MOUNT"],
        "city_start_abbreviations": ["ST", "MT", "PT"],
    },
    "FR": {
        "order": POSTCODE_FIRST,
        "postcodes": ["99999"],
        "postcode_prefixes": ["F-"],
        # A delivery office after the city (TOULOUSE CEDEX 7) is no part of its name.
        "city_ends": ["CEDEX"],
    },
    "DE": {"order": POSTCODE_FIRST, "postcodes": ["99999"], "postcode_prefixes": ["D-"]},
    "ES": {"order": POSTCODE_FIRST, "postcodes": ["99999"], "postcode_prefixes": ["E-"]},
    "IT": {"order": POSTCODE_FIRST, "postcodes": ["99999"], "postcode_prefixes": ["I-"]},
    "NL": {"order": POSTCODE_FIRST, "postcodes": ["9999 AA", "9999AA"],
           "postcode_prefixes": ["NL-"]},
}
