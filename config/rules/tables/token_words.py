"""The host's standard forms of street-name and city words, and the noise words it
drops, for gen_token_info.py (which adds the ordinals written with digits). The
config_generated_token_info test holds config/support/tokenInfo.tsv to them.
"""

# (category, standard form, spellings). Category * is both STR_NAME and CITY.
WORDS = [
    # ST is SANKT in German names and SAINT elsewhere; both spellings share one key.
    ("*", "SAINT", ["ST", "SNT", "SAINT", "SANKT"]),
    ("*", "SAINTE", ["STE", "SAINTE"]),
    ("*", "SANTA", ["STA", "SANTA"]),
    ("*", "SANTO", ["STO", "SANTO"]),
    ("*", "SAN", ["SN", "SAN"]),
    ("*", "FORT", ["FT", "FRT", "FORT"]),
    ("*", "MOUNT", ["MT", "MNT", "MOUNT"]),
    ("*", "MOUNTAIN", ["MTN", "MNTN", "MOUNTAIN"]),
    ("*", "NORTH", ["N", "NO", "NRTH", "NORTH"]),
    ("*", "SOUTH", ["S", "SO", "STH", "SOUTH"]),
    ("*", "EAST", ["E", "EAST"]),
    ("*", "WEST", ["W", "WEST"]),
    ("*", "NORTHEAST", ["NE", "NORTHEAST"]),
    ("*", "NORTHWEST", ["NW", "NORTHWEST"]),
    ("*", "SOUTHEAST", ["SE", "SOUTHEAST"]),
    ("*", "SOUTHWEST", ["SW", "SOUTHWEST"]),
    ("*", "HEIGHTS", ["HTS", "HGTS", "HEIGHTS"]),
    ("*", "SPRINGS", ["SPGS", "SPRGS", "SPRINGS"]),
    ("*", "SPRING", ["SPG", "SPRING"]),
    ("*", "BEACH", ["BCH", "BEACH"]),
    ("*", "VILLAGE", ["VLG", "VILL", "VILLAGE"]),
    ("*", "LAKE", ["LK", "LAKE"]),
    ("*", "LAKES", ["LKS", "LAKES"]),
    ("*", "JUNCTION", ["JCT", "JCTN", "JUNCTION"]),
    ("*", "CENTER", ["CTR", "CNTR", "CENTRE", "CENTER"]),
    ("*", "FALLS", ["FLS", "FALLS"]),
    ("*", "PARK", ["PK", "PRK", "PARK"]),
    ("*", "POINT", ["PT", "PNT", "POINT"]),
    ("*", "PORT", ["PRT", "PORT"]),
    ("*", "ISLAND", ["ISL", "ISLND", "ISLAND"]),
    ("*", "VALLEY", ["VLY", "VALLEY"]),
    ("*", "CREEK", ["CRK", "CREEK"]),
    ("*", "GROVE", ["GRV", "GROVE"]),
    ("*", "HARBOR", ["HBR", "HARBOUR", "HARBOR"]),
    ("*", "TOWNSHIP", ["TWP", "TWSP", "TOWNSHIP"]),
    ("*", "JUNIOR", ["JR", "JUNIOR"]),
    ("*", "SENIOR", ["SR", "SENIOR"]),
    ("STR_NAME", "DOCTOR", ["DR", "DOCTOR"]),
    ("STR_NAME", "GENERAL", ["GEN", "GENERAL"]),
    ("STR_NAME", "PRESIDENT", ["PRES", "PRESIDENT"]),
    ("STR_NAME", "MARTIN", ["MRTN", "MARTIN"]),
    ("STR_NAME", "KING", ["KNG", "KING"]),
    ("STR_NAME", "GRANDE", ["GDE", "GRANDE"]),
    ("STR_NAME", "GENERALE", ["GAL"]),
]

# Words one spelling of a name has and another leaves out.
NOISE = ["THE", "OF", "AND", "AT", "DE", "DEL", "DU", "DES", "DI", "DA", "DO", "DOS", "DAS",
         "VAN", "VON", "DER", "DEN", "TER", "TEN", "Y", "ET", "UND"]
