"""Rule sets, one per country.

The context-free pass visits the tokens left to right and the tokens before the
current one are already settled, so most rules read as a left-to-right grammar: "the
token before is X and this word is of class Y (and the next word is of class Z)".
The next tokens are not narrowed yet, so look-ahead uses the word-list keywords
(ISSUFFIXWORD(NEXT) ...) rather than candidates. Rules are ordered so the common
cases (house number, name word, suffix) settle first. The context rules only mop up
tokens that no context-free rule settled.

Long conditions are built from named parts (conditions.py); short ones are written out.
"""
from .conditions import all_of, any_of, not_, t


def rule(name, condition, set_=None, description=None, set_next=None, eliminate=None,
         terminal=False):
    return {"name": name, "condition": condition, "set": set_, "setNext": set_next,
            "eliminate": eliminate, "terminal": terminal, "description": description}


ALL_MEANINGS = ("STREETNUM,PREDIR,POSTDIR,STREETNAME,PREFIX,SUFFIX,UNITNUM,UNITLABEL,"
                "BUILDINGSIDE,UNITSIDE,BUILDINGTYPE,COUNTY,POBOXNUM,POBOXTYPE,RRHCLABEL,"
                "RRHCNUM,RRHCBOXNUM")


def lone_sign(n):
    """The token at offset n is a lone sign such as the "&" between two street names."""
    return all_of(t("LENGTHIS", n, "1"), not_(t("ISLETTER", n)), not_(t("HASNUMBERS", n)))


def ends_street(at):
    """The street part ends after the token at offset `at` (0 = current, 1 = next): at
    the end of the text, before a unit, box or building word or a word with digits, or
    before one of the parts named below."""
    def w(keyword, n, *params):  # the token n places after the one at `at`
        return t(keyword, at + n, *params)

    # A short final word that is no street type is the unit (MAIN ST B).
    short_last_word = all_of(w("ISLASTTOKEN", 1), w("LENGTHIS", 1, "<", "3"),
                             not_(w("ISSUFFIXWORD", 1)))
    # REAR, UPPER, FRONT at the end locate the unit.
    side_word_last = all_of(any_of(w("ISBUILDINGSIDEWORD", 1), w("ISUNITSIDEWORD", 1)),
                            w("ISLASTTOKEN", 1))
    # MAIN ST LOWER LEVEL: a unit's identifier before its designator at the end.
    unit_word_ends_line = all_of(w("ISUNITWORD", 2), w("ISLASTTOKEN", 2))
    # A directional that is itself last, or followed by a unit, number, building word
    # or letter, or by the second half of a two-word directional at the end (N E).
    postdirectional = all_of(w("ISDIRECTIONALWORD", 1), any_of(
        w("ISLASTTOKEN", 1), w("ISUNITWORD", 2), w("HASNUMBERS", 2), w("ISBUILDINGTYPEWORD", 2),
        w("ISLETTER", 2), all_of(w("CANBESECONDWORDINDIRECTIONAL", 2), w("ISLASTTOKEN", 2))))
    # ST M-9, DRIVE C-5: a unit written without designator.
    letter_and_final_number = all_of(w("ISLETTER", 1), w("ISNUMBER", 2), w("ISLASTTOKEN", 2))
    # AVE # A PMB 9230: a unit letter before a building or routing word.
    letter_before_building = all_of(w("ISLETTER", 1), w("ISBUILDINGTYPEWORD", 2))
    return any_of(
        w("ISLASTTOKEN", 0),
        w("ISUNITWORD", 1), w("HASNUMBERS", 1), w("ISPOBOXWORD", 1), w("ISBUILDINGTYPEWORD", 1),
        short_last_word, side_word_last, unit_word_ends_line, postdirectional,
        letter_and_final_number, letter_before_building, lone_sign(at + 1))


def ROUTE_NAME_AT(n):
    """The token at offset n can be the name of a route whose type word is just before
    it: a number or letter (HIGHWAY 22, AVENUE H), or two letters after a road type
    that acts as a prefix (COUNTY ROAD MM)."""
    return any_of(t("HASNUMBERS", n), t("ISLETTER", n),
                  all_of(t("ISPREFIXACTINGSUFFIXWORD", n - 1), t("ISLASTTOKEN", n),
                         t("LENGTHIS", n, "<", "3")))


def building_name_ahead(max_words=4):
    """A building word ends the line within the next words, or only a unit follows it, or a
    floor and the house number, and nothing between is a street type or a unit word: 1700
    WELLS FARGO TOWER, FIRST NATIONAL BANK BUILDING, TERMINAL TOWER STE 1100, WRS TN TOWER
    10TH FLOOR 312 ..."""
    cases = []
    for k in range(0, max_words + 1):
        # The position test first: it is cheap and only one k passes it.
        ends = any_of(t("ISLASTTOKEN", k), all_of(t("ISLASTTOKEN", k + 2), t("ISUNITWORD", k + 1),
                                                   t("HASNUMBERS", k + 2)))
        between = []
        for j in range(0, k):
            between += [not_(t("ISSUFFIXWORD", j)), not_(t("ISUNITWORD", j))]
        cases.append(all_of(ends, t("ISBUILDINGTYPEWORD", k), *between))
        # A name of plain words (no number) before the building word, the floor after it.
        if k > 0:
            cases.append(all_of(t("HASNUMBERS", k + 1), t("ISUNITWORD", k + 2), t("ISNUMBER", k + 3),
                                t("ISBUILDINGTYPEWORD", k), *between,
                                *[not_(t("HASNUMBERS", j)) for j in range(0, k)]))
    return any_of(*cases)


def place_name_ahead(max_words=4):
    """The line ends within the next words and none of them, nor the current one, holds
    a digit or is a word of any list: MUNICIPAL AIRPORT, THE EMPIRE, TRANQUIL HOUSE INN."""
    listed = ("HASNUMBERS", "ISSUFFIXWORD", "ISPREFIXWORD", "ISDIRECTIONALWORD", "ISUNITWORD",
              "ISPOBOXWORD", "ISRURALROUTEWORD", "ISBUILDINGTYPEWORD")
    cases = []
    for k in range(0, max_words + 1):
        terms = [t("ISLASTTOKEN", k)]
        for j in range(0, k + 1):
            terms += [not_(t(keyword, j)) for keyword in listed]
            terms.append(not_(t("LENGTHIS", j, "1")))
        cases.append(all_of(*terms))
    return any_of(*cases)


def number_after_place_ahead(max_words=4):
    """A house number comes within the next words and the words up to it name a place
    (no digit, no unit, box, route or building word): THE BILTMORE 817 WEST PEACHTREE
    STREET, HAYES CENTER 4859 S WABASH. The number is followed by a word of the street."""
    plain = ("HASNUMBERS", "ISPREFIXWORD", "ISUNITWORD", "ISPOBOXWORD", "ISRURALROUTEWORD",
             "ISBUILDINGTYPEWORD", "ISLASTTOKEN")
    cases = []
    for k in range(1, max_words + 1):
        after = k + 1
        terms = [t("ISNUMBER", k), not_(t("ISLASTTOKEN", k)), not_(t("HASNUMBERS", after)),
                 not_(t("ISPOBOXWORD", after)), not_(t("ISUNITWORD", after)),
                 not_(all_of(t("ISLETTER", after), not_(t("ISDIRECTIONALWORD", after))))]
        for j in range(0, k):
            terms += [not_(t(keyword, j)) for keyword in plain]
        cases.append(all_of(*terms))
    return any_of(*cases)


def box_after_place_ahead(max_words=4):
    """A box word and its number come within the next words, and the words up to it hold
    no digit and are no unit, box or route words: the post office or firm that holds the
    box (CHURCH STREET STATION PO BOX 6262, MIDTOWN STATION PO BOX 77)."""
    plain = ("HASNUMBERS", "ISPOBOXWORD", "ISUNITWORD", "ISRURALROUTEWORD", "ISPREFIXWORD")
    cases = []
    for k in range(1, max_words + 1):
        terms = [t("ISPOBOXWORD", k), t("HASNUMBERS", k + 1)]
        for j in range(0, k):
            terms += [not_(t(keyword, j)) for keyword in plain]
        cases.append(all_of(*terms))
        # A customer or account number after the name (CUSTOMER 550037082 LOCK BOX 427).
        if k >= 2:
            terms = [t("ISPOBOXWORD", k), t("HASNUMBERS", k + 1), t("HASNUMBERS", k - 1)]
            for j in range(0, k - 1):
                terms += [not_(t(keyword, j)) for keyword in plain]
            cases.append(all_of(*terms))
    return any_of(*cases)


def building_after_street(max_words=3, first=1):
    """The line ends within the `first`th to the (first + 2)th next word and none of those
    words is a number, a letter, or a street, directional, unit or box word: the name of
    a building or complex after the street (FREDERICK RD THE REED; with first=2, after
    the street's directional: ESSEX ST SE FACTORY LOFTS)."""
    plain = ("HASNUMBERS", "ISLETTER", "ISSUFFIXWORD", "ISDIRECTIONALWORD", "ISUNITWORD", "ISPOBOXWORD",
             "ISBUILDINGSIDEWORD", "ISUNITSIDEWORD")
    cases = []
    for k in range(first, first + max_words):
        terms = [t("ISLASTTOKEN", k)]
        for j in range(first, k + 1):
            terms += [not_(t(keyword, j)) for keyword in plain]
        cases.append(all_of(*terms))
    return any_of(*cases)


def named_building_ahead(max_words=3, first=1):
    """One to `max_words` words that are in no list and hold no digit, from the `first`th
    next word on, then a word that closes a building's or complex's name: a building word
    (BRICKELL BAY DR PANORAMA TOWER, BROWARD BLVD KINGSTON BUILDING), or a place type such as
    SQUARE, GARDENS or COVE at the end or before a unit (CAMPBELL AVE LUXE LOGAN SQUARE, MAPLE
    VIEW FLATS, ASHBOURNE RD LYNNEWOOD GARDENS, LANGLEY DR LANGLEY COMMONS SUITE C4). A road type there
    (ROAD, BLVD, AVE: PREFIX words or RD) ends a longer street name instead (FOGGY BOTTOM
    FARM RD)."""
    plain = ("HASNUMBERS", "ISLETTER", "ISSUFFIXWORD", "ISDIRECTIONALWORD", "ISUNITWORD", "ISPOBOXWORD",
             "ISBUILDINGSIDEWORD", "ISUNITSIDEWORD", "ISBUILDINGTYPEWORD", "ISPREFIXWORD", "ISRURALROUTEWORD")
    cases = []
    for k in range(first, first + max_words):
        c = k + 1  # the closing word
        # A two-letter type before the name is more often an abbreviation inside a longer
        # street name (ROYAL ST GEORGES LN: ST is SAINT).
        closes_place = all_of(not_(all_of(t("LENGTHIS", 0, "2"), not_(t("ISPREFIXACTINGSUFFIXWORD", 0)))),
                              place_type_at(c), any_of(t("ISLASTTOKEN", c), t("ISUNITWORD", c + 1),
                                                       all_of(place_type_at(c + 1), t("ISLASTTOKEN", c + 1))))
        # A road type (AVE, BLVD, RD) rarely stands inside a longer name, so after one a
        # unit also closes the complex's name (STRAWBERRY HILL AVE THE FAIRFIELD APT 12).
        closes_by_unit = all_of(any_of(t("ISPREFIXWORD", 0), t("ISPREFIXACTINGSUFFIXWORD", 0)),
                                t("ISUNITWORD", c), t("HASNUMBERS", c + 1))
        terms = [any_of(t("ISBUILDINGTYPEWORD", c), closes_place, closes_by_unit)]
        for j in range(first, k + 1):
            terms += [not_(t(keyword, j)) for keyword in plain]
        cases.append(all_of(*terms))
    return any_of(*cases)


PLAIN_NAME_WORD = ("HASNUMBERS", "ISLETTER", "ISSUFFIXWORD", "ISDIRECTIONALWORD", "ISUNITWORD", "ISPOBOXWORD",
                   "ISBUILDINGTYPEWORD", "ISPREFIXWORD", "ISRURALROUTEWORD")


def place_type_at(n):
    """The token at offset n is a street type that also names complexes (CENTER, PLAZA,
    PLACE, SQUARE): no road type written first (AVE, BLVD, HWY) and no RD."""
    return all_of(t("ISSUFFIXWORD", n), not_(t("ISPREFIXWORD", n)), not_(t("ISPREFIXACTINGSUFFIXWORD", n)))


def address_after_complex_ahead(first):
    """From offset `first`: the rest of a complex's name (up to two plain words and a place
    type, or only the type), perhaps a unit, then a house number and a street with its type:
    1000 CATHEDRAL PL 925 W GEORGIA ST, 30 ALLEN PLAZA SUITE 700 30 IVAN ALLEN JR BLVD.
    The complex's own number names the building; the second address is where it stands."""
    cases = []
    for c in range(first, first + 3):
        words = []
        for j in range(first, c):
            words += [not_(t(keyword, j)) for keyword in PLAIN_NAME_WORD]
        for unit in (False, True):
            n = c + (3 if unit else 1)
            terms = [place_type_at(c)] + words
            if unit:
                terms += [t("ISUNITWORD", c + 1), t("HASNUMBERS", c + 2)]
            terms += [t("ISNUMBER", n), not_(t("ISNUMBER", n + 1)), not_(t("ISUNITWORD", n + 1)),
                      not_(t("ISPOBOXWORD", n + 1)),
                      not_(all_of(t("ISLETTER", n + 1), not_(t("ISDIRECTIONALWORD", n + 1)))),
                      any_of(*[t("ISSUFFIXWORD", n + k) for k in (2, 3, 4)])]
            cases.append(all_of(*terms))
    return any_of(*cases)


def complex_after_street_ahead():
    """The token is a number and a complex's name follows (up to two plain words and a
    place type) at the end or before a unit: 1201 PEACHTREE ST NE 400 COLONY SQUARE SUITE
    1730, 3565 PIEDMONT RD 1 PIEDMONT CTR STE 700, ... 400 COLONY SQUARE # 1001."""
    cases = []
    for c in range(2, 4):
        terms = [place_type_at(c), any_of(t("ISLASTTOKEN", c), t("ISUNITWORD", c + 1),
                                          all_of(t("ISNUMBER", c + 1), t("ISLASTTOKEN", c + 1)))]
        for j in range(1, c):
            terms += [not_(t(keyword, j)) for keyword in PLAIN_NAME_WORD]
        cases.append(all_of(*terms))
    return any_of(*cases)


def number_and_type_ahead(max_words=4):
    """A house number followed by a street type comes within the next words (or a unit
    and its number before them), and no word up to it holds a digit or is a unit or
    box word: RÉSIDENCE LES PINS 4 ALLÉE ..., RÉSIDENCE X APPT 31 4 ALLÉE ..."""
    cases = []
    for k in range(1, max_words + 1):
        plain = []
        for j in range(1, k):
            plain += [not_(t("HASNUMBERS", j)), not_(t("ISUNITWORD", j)), not_(t("ISPOBOXWORD", j))]
        cases.append(all_of(t("HASNUMBERS", k), t("ISPREFIXWORD", k + 1), *plain))
        cases.append(all_of(t("ISUNITWORD", k), t("HASNUMBERS", k + 1), t("HASNUMBERS", k + 2),
                            t("ISPREFIXWORD", k + 3), *plain))
    return any_of(*cases)


# A word of no list: no digit, no letter alone, no street, unit, box, route or building word.
PLAIN_WORD_AT0 = ("(NOT HASNUMBERS AND NOT ISLETTER AND NOT ISSUFFIXWORD AND NOT ISPREFIXWORD AND NOT ISUNITWORD AND "
                  "NOT ISPOBOXWORD AND NOT ISDIRECTIONALWORD AND NOT ISRURALROUTEWORD AND NOT ISBUILDINGTYPEWORD)")


def street_rules(after_number_before_name=True):
    """Rules shared by the countries written number first: [number] [dir] [type] name [type] [dir] [unit]."""
    START = "(ISFIRSTTOKEN OR ISTOKENA(PREV,STREETNUM))"
    NAME_CONTINUES = ("ISTOKENA(PREV,STREETNAME) AND NOT HASNUMBERS AND NOT HASNUMBERSIGN AND NOT ISUNITWORD AND "
        "NOT (ISPOBOXWORD AND NOT ISLASTTOKEN) AND NOT ISBUILDINGTYPEWORD AND NOT (ISDIRECTIONALWORD AND " + ends_street(0) + ") "
        "AND NOT (ISDIRECTIONALWORD AND LENGTHIS(<,3) AND NOT HASNUMBERS(PREV) AND ISSUFFIXWORD(NEXT) AND "
        "ISLASTTOKEN(NEXT)) "
        "AND NOT (ISUNITWORD(NEXT) AND ISLASTTOKEN(NEXT)) AND NOT ((ISBUILDINGSIDEWORD OR ISUNITSIDEWORD) "
        "AND ISLASTTOKEN)")
    nc = [
        # --- the commonest cases next: a type ending the street, a name after the number
        rule("suffix", "(ISTOKENA(PREV,STREETNAME) OR (ISTOKENA(PREV,POSTDIR) AND NOT ISUNITWORD)) AND ISSUFFIXWORD AND ("
             + ends_street(0) + " OR " + building_after_street() + " OR (ISDIRECTIONALWORD(NEXT) AND "
             + building_after_street(first=2) + ") OR " + named_building_ahead() + " OR (ISDIRECTIONALWORD(NEXT) AND "
             + named_building_ahead(first=2) + "))", "SUFFIX",
             "a street type that ends the street part (after the name, or after SAINT JOHN W), also when only "
             "a building's name follows (FREDERICK RD THE REED)"),
        rule("route-jurisdiction", "(" + START + " OR ISTOKENA(PREV,PREDIR)) AND ISPREFIXWORD(NEXT) AND "
             "ISNUMBER(NEXT2) AND ((ISCOUNTYWORD AND LENGTHIS(NEXT2,<,4)) OR (ISLASTTOKEN(NEXT2) AND "
             "NOT HASNUMBERS AND NOT ISDIRECTIONALWORD AND (ISPREFIXACTINGSUFFIXWORD(NEXT) OR "
             "NOT ISSUFFIXWORD(NEXT))))", "COUNTY",
             "ILLINOIS ROUTE 31, AL HIGHWAY 157, ANDERSON COUNTY RD 312: the word qualifying a route "
             "takes no field, the number is the name"),
        rule("name-after-number", "ISTOKENA(PREV,STREETNUM) AND NOT ISDIRECTIONALWORD AND NOT ISPREFIXWORD "
             "AND NOT HASNUMBERS AND NOT ISLETTER AND NOT (ISNUMBER(NEXT) AND ISPREFIXACTINGSUFFIXWORD)", "STREETNAME",
             "the commonest case: an ordinary word after the house number starts the name"),
        # --- a line that is only a building's name
        rule("building-name", "(ISFIRSTTOKEN OR ISTOKENA(PREV,BUILDINGTYPE)) AND " + building_name_ahead()
             + " AND NOT WEHAVE(PREV,STREETNAME) AND "
             "NOT WEHAVE(PREV,UNITLABEL) AND NOT WEHAVE(PREV,POBOXTYPE)", "BUILDINGTYPE",
             "a line that only names a building (1700 WELLS FARGO TOWER) has no street"),
        # --- intersections: 12TH & MILLARD names two streets and no house
        rule("intersection-first", "ISFIRSTTOKEN AND HASNUMBERS AND NOT ISNUMBER AND ("
             + lone_sign(1) + " OR (ISSUFFIXWORD(NEXT) AND " + lone_sign(2) + "))", "STREETNAME",
             "12TH & MILLARD, 79TH ST & JOLIET RD: an ordinal street, not a number"),
        # --- a leading number that is no house number: a complex's before a second address,
        # or a floor's before the house number. (One rule: each rule here costs every token.)
        rule("number-first-not-house", "(ISFIRSTTOKEN OR ISTOKENA(PREV,BUILDINGTYPE)) AND HASNUMBERS AND "
             "((ISUNITWORD(NEXT) AND ISNUMBER(NEXT2) AND NOT ISLASTTOKEN(NEXT2) AND NOT HASNUMBERS(NEXT3) AND "
             "NOT ISUNITWORD(NEXT3)) OR (ISFIRSTTOKEN AND ISNUMBER AND " + address_after_complex_ahead(1) + "))",
             "BUILDINGTYPE",
             "4TH FLOOR 300 EAST RANDOLPH ST, 3 FL 45-18 COURT SQ: a floor before the house number takes no "
             "field; 1 LINCOLN CTR 5400 LBJ FWY: the number of a complex before a second address names the "
             "building and takes no field either"),
        # --- the house number and box / route starts
        rule("number-first", "(ISFIRSTTOKEN OR (ISTOKENA(PREV,BUILDINGTYPE) AND ISNUMBER AND "
             "NOT ISBUILDINGTYPEWORD(PREV) AND NOT ISLASTTOKEN AND NOT ISNUMBER(NEXT) AND NOT ISPOBOXWORD(NEXT) "
             "AND NOT ISUNITWORD(NEXT) AND NOT (ISLETTER(NEXT) AND NOT ISDIRECTIONALWORD(NEXT)))) AND HASNUMBERS",
             "STREETNUM", "a leading word with digits is the house number, as is a number after a place's "
             "name (THE BILTMORE 817 WEST PEACHTREE STREET)"),
        rule("grid-number", "ISLETTER AND ISDIRECTIONALWORD AND ISNUMBER(NEXT) AND ((ISFIRSTTOKEN AND "
             "ISLETTER(NEXT2) AND ISDIRECTIONALWORD(NEXT2) AND ISNUMBER(NEXT3)) OR (ISTOKENA(PREV,STREETNUM) AND "
             "NOT ISLASTTOKEN(NEXT) AND ((ISFIRSTTOKEN(PREV2) AND ISLETTER(PREV2)) OR (ISFIRSTTOKEN(PREV) AND "
             "HASNUMBERS(PREV) AND NOT ISNUMBER(PREV)))))", "STREETNUM",
             "the coordinates of a grid address (Wisconsin): W148 N9748 TREE TOPS DR, W206N W16282 MARASHLAND DR; "
             "not the directional of 123 N 500 W"),
        rule("predir-before-route", START + " AND ISDIRECTIONALWORD AND ISPREFIXWORD(NEXT) AND "
             + ROUTE_NAME_AT(2), "PREDIR", "N HIGHWAY 12, E COUNTY ROAD MM"),
        rule("predir", START + " AND ISDIRECTIONALWORD AND NOT ISLASTTOKEN AND NOT (ISSUFFIXWORD(NEXT) AND "
             + ends_street(1) + ")", "PREDIR",
             "a directional before the name, unless it is the name itself (123 NORTH ST)"),
        # --- the two commonest words after a directional or a name, settled before the
        # rules in between are tried; they leave out every word one of those rules wants
        # (type, route and building words, directionals, a lone sign), which go on to
        # name-after-predir and name-continues below.
        rule("name-after-predir-early", "ISTOKENA(PREV,PREDIR) AND NOT ISPREFIXWORD AND NOT ISDIRECTIONALWORD AND "
             "NOT ISRURALROUTEWORD AND NOT ISBUILDINGTYPEWORD AND NOT LENGTHIS(1)", "STREETNAME",
             "the common case of name-after-predir (N MAIN ST)"),
        rule("name-continues-early", NAME_CONTINUES + " AND NOT ISSUFFIXWORD AND NOT ISRURALROUTEWORD AND "
             "NOT LENGTHIS(1)", "STREETNAME", "the common case of name-continues (MARTIN LUTHER KING)"),
        rule("floor-word-first", "ISTOKENA(PREV,BUILDINGTYPE) AND HASNUMBERS(PREV) AND "
             "ISNUMBER(NEXT) AND ISUNITWORD", "BUILDINGTYPE", "the FLOOR of 4TH FLOOR 300 EAST RANDOLPH ST"),
        rule("unit-label", "ISUNITWORD AND NOT ISFIRSTTOKEN AND NOT ISTOKENA(PREV,UNITLABEL) AND NOT (ISLASTTOKEN AND "
             "ISUNITSIDEWORD)", "UNITLABEL", "a unit designator after the street; LOBBY alone at the end is the unit"),
        rule("unit-number-early", "ISTOKENA(PREV,UNITLABEL) AND NOT ISPOBOXWORD AND NOT ISBUILDINGTYPEWORD AND "
             "NOT ISRURALROUTEWORD AND NOT LENGTHIS(1)", "UNITNUM", "the common case of unit-number (APT 4)"),
        rule("postdir-after-suffix", "ISTOKENA(PREV,SUFFIX) AND ISDIRECTIONALWORD", "POSTDIR",
             "the common case of postdir (MAIN ST NW)"),
        rule("number-word-first", "ISFIRSTTOKEN AND NOT HASNUMBERS AND NOT ISDIRECTIONALWORD AND NOT ISPREFIXWORD AND "
             "NOT ISSUFFIXWORD AND NOT ISUNITWORD AND NOT ISPOBOXWORD AND NOT ISBUILDINGTYPEWORD AND "
             "NOT ISRURALROUTEWORD AND ISDIRECTIONALWORD(NEXT) AND NOT ISLASTTOKEN(NEXT) AND NOT ISSUFFIXWORD(NEXT2)",
             "STREETNUM", "ONE S DEARBORN ST: a word before the directional stands for the house number"),
        rule("box-word", "ISPOBOXWORD AND NOT ISTOKENA(PREV,STREETNUM) AND NOT ISTOKENA(PREV,PREDIR) "
             "AND (HASNUMBERS(NEXT) OR ISLETTER(NEXT)) AND NOT (LENGTHIS(<,4) AND WEHAVE(PREV,POBOXNUM))", "POBOXTYPE",
             "PO BOX and its variants before the box number; a bare BOX or BIN after a box number is a bin "
             "inside that box (PO BOX 790322 BIN 150003)"),
        rule("box-word-first", "ISFIRSTTOKEN AND ISPOBOXWORD", "POBOXTYPE", "a line that starts with a box word"),
        rule("box-number", "ISTOKENA(PREV,POBOXTYPE)", "POBOXNUM", "the word after a box word"),
        rule("second-box", "WEHAVE(PREV,POBOXNUM) AND (ISPOBOXWORD OR (ISPOBOXWORD(PREV) AND "
             "NOT ISTOKENA(PREV,POBOXTYPE) AND (HASNUMBERS OR ISLETTER)))", None,
             "PO BOX 790322 BIN 150003: the first box is the address, a second box word and its "
             "number take no field", eliminate=ALL_MEANINGS, terminal=True),
        rule("rural-route", "ISRURALROUTEWORD AND ((HASNUMBERS(NEXT) AND (NOT ISPREFIXWORD OR ISPOBOXWORD(NEXT2))) OR "
             "(ISRURALROUTEWORD(NEXT) AND NOT ISPREFIXWORD AND HASNUMBERS(NEXT2)))", None,
             "RR 2 BOX 5, HC ROUTE 68 BOX 23A: the route takes no field, so the box becomes the record's PO box",
             eliminate=ALL_MEANINGS, terminal=True),
        rule("rural-route-number", "ISRURALROUTEWORD(PREV) AND HASNUMBERS AND (NOT ISPREFIXWORD(PREV) OR "
             "ISPOBOXWORD(NEXT))", "RRHCNUM",
             "the number of a rural or highway-contract route"),
        rule("intersection-sign", lone_sign(0) + " AND WEHAVE(PREV,STREETNAME) AND NOT ISLASTTOKEN AND "
             "(NOT WEHAVE(PREV,STREETNUM) OR ISTOKENA(PREV,SUFFIX) OR (ISTOKENA(PREV,STREETNAME) AND "
             "HASNUMBERS(PREV)))", None,
             "the & (or AND) of an intersection takes no field: after a street with no house number, or after "
             "a street type or route number (6189 US HIGHWAY 18 AND 15)", eliminate=ALL_MEANINGS, terminal=True),
        rule("intersection-second", lone_sign(-1) + " AND WEHAVE(PREV,STREETNAME) AND "
             "NOT ISSUFFIXWORD AND NOT ISDIRECTIONALWORD", "STREETNAME", "the second street of an intersection"),
        rule("building", "ISBUILDINGTYPEWORD AND (HASNUMBERS(NEXT) OR ISLETTER(NEXT) OR ISBUILDINGTYPEWORD(NEXT) OR "
             "(LENGTHIS(NEXT,2) AND CANBEFIRSTWORDINDIRECTIONAL(NEXT) AND HASNUMBERS(NEXT2)) OR "
             "(NOT ISFIRSTTOKEN AND NOT ISTOKENA(PREV,STREETNUM) AND NOT ISTOKENA(PREV,PREDIR)))",
             "BUILDINGTYPE", "BLDG 5, DEPT 528, MSC 24, PMB 175, MAIL CODE 5021: no field for them"),
        rule("building-number-sign", "ISTOKENA(PREV,BUILDINGTYPE) AND ISBUILDINGTYPEWORD(PREV) AND LENGTHIS(2) AND "
             "CANBEFIRSTWORDINDIRECTIONAL AND HASNUMBERS(NEXT)", "BUILDINGTYPE",
             "REF NO 24385309: NO between a routing word and its number is the number sign, not a direction"),
        rule("building-number", "ISTOKENA(PREV,BUILDINGTYPE) AND (HASNUMBERS OR ISLETTER)", None, "the building's number takes no field",
             eliminate=ALL_MEANINGS, terminal=True),
        rule("building-number-continues", "ISTOKENA(PREV2,BUILDINGTYPE) AND ISBUILDINGTYPEWORD(PREV2) AND "
             "NOT ISTOKENMEANINGSET(PREV) AND ISNUMBER(PREV) AND ISNUMBER AND (ISLASTTOKEN OR HASNUMBERS(NEXT))", None,
             "DEPT 472 806009965, DEPT 96 0430, 3545 ...: the second group of a routing number takes no field "
             "either", eliminate=ALL_MEANINGS, terminal=True),
        # --- right after the number (or at the start of a line without one)
        rule("intersection-route-type", "ISFIRSTTOKEN AND NOT HASNUMBERS AND NOT ISLETTER AND ISNUMBER(NEXT) AND "
             + lone_sign(2) + " AND HASNUMBERS(NEXT3)", "PREFIX",
             "RTS 1 & 24, JCT 4 & 13: the word before two route numbers joined by & says what they are"),
        rule("complex-name-before-address", "ISTOKENA(PREV,BUILDINGTYPE) AND NOT HASNUMBERS AND "
             "ISNUMBER(PREV) AND ISFIRSTTOKEN(PREV) AND " + address_after_complex_ahead(0), "BUILDINGTYPE",
             "the name of that complex (LINCOLN CTR)"),
        rule("complex-name-continues", "ISTOKENA(PREV,BUILDINGTYPE) AND NOT HASNUMBERS AND NOT ISFIRSTTOKEN(PREV) "
             "AND ISTOKENA(PREV2,BUILDINGTYPE) AND ISFIRSTTOKEN(PREV2) AND " + address_after_complex_ahead(0),
             "BUILDINGTYPE", "the next word of the complex's name (ALLEN PLAZA)"),
        rule("place", "(ISFIRSTTOKEN OR ISTOKENA(PREV,BUILDINGTYPE)) AND ((NOT (ISFIRSTTOKEN AND ISLASTTOKEN) AND "
             + place_name_ahead() + ") OR (NOT ISLETTER AND " + number_after_place_ahead() + ") OR "
             + box_after_place_ahead() + " OR (ISFIRSTTOKEN AND " + PLAIN_WORD_AT0 + " AND ISNUMBER(NEXT) AND "
             "ISNUMBER(NEXT2) AND NOT ISLASTTOKEN(NEXT2) AND NOT HASNUMBERS(NEXT3) AND NOT ISUNITWORD(NEXT3) AND "
             "NOT ISPOBOXWORD(NEXT3)))", "BUILDINGTYPE",
             "words that name a place take no field: a line of two or more words that are neither numbers nor "
             "street, unit or box words (MUNICIPAL AIRPORT), or the words before the house number "
             "(THE BILTMORE 817 WEST PEACHTREE STREET), the words before a box (CHURCH STREET STATION PO BOX 6262), "
             "or a word and its account number before the house number (KBA 90688 815 W MARKET ST)"),
        rule("prefix", "(" + START + " OR ISTOKENA(PREV,PREDIR) OR ISTOKENA(PREV,PREFIX) OR ISTOKENA(PREV,COUNTY) "
             "OR ISTOKENA(PREV,POBOXNUM)) "
             "AND (ISPREFIXWORD OR (ISPREFIXACTINGSUFFIXWORD AND ISTOKENA(PREV,STREETNUM) AND ISNUMBER(NEXT))) AND "
             + ROUTE_NAME_AT(1), "PREFIX",
             "a route or street type before a number or letter: HIGHWAY 22, AVENUE H, 10929 RD 32"),
        rule("prefix-before-name", "(" + START + " OR ISTOKENA(PREV,PREDIR)) AND ISPREFIXWORD AND "
             "NOT ISLASTTOKEN AND NOT (ISSUFFIXWORD(NEXT) AND " + ends_street(1) + ")", "PREFIX",
             "a street type written before the name: RUE ROYALE, AVENUE OF THE STARS"),
        rule("number-fraction", "ISTOKENA(PREV,STREETNUM) AND HASNUMBERS AND NOT ISLASTTOKEN AND "
             "NOT ISSUFFIXWORD(NEXT) AND NOT ISUNITWORD(NEXT) AND NOT HASNUMBERS(NEXT)", "STREETNUM",
             "a second number word before the name belongs to the house number (123 1/2 MAIN)"),
        rule("number-letter", "ISTOKENA(PREV,STREETNUM) AND ISLETTER AND NOT ISDIRECTIONALWORD AND "
             "NOT ISLASTTOKEN AND NOT ISSUFFIXWORD(NEXT) AND NOT ISUNITWORD(NEXT) AND NOT HASNUMBERS(NEXT) AND "
             "NOT (ISLETTER(NEXT) AND NOT ISDIRECTIONALWORD(NEXT)) AND NOT ISLETTER(NEXT2)", "STREETNUM",
             "a single letter after the number is part of it (4922 B SOUTH CORNELL), unless it starts a name "
             "of initials (2964 L B J FWY, 728 C AND N SMITH MILL RD) or a route (4715 F 41)"),
        rule("name-start", START + " AND NOT ISUNITWORD AND NOT ISPOBOXWORD", "STREETNAME",
             "any other word after the number starts the name"),
        rule("predir-second", "ISTOKENA(PREV,PREDIR) AND LENGTHIS(<,3) AND CANBESECONDWORDINDIRECTIONAL AND "
             "CANBEFIRSTWORDINDIRECTIONAL(PREV) AND NOT ISLASTTOKEN AND NOT (ISSUFFIXWORD(NEXT) AND "
             + ends_street(1) + ")", "PREDIR", "N E written as two words"),
        rule("name-after-predir", "ISTOKENA(PREV,PREDIR) OR ISTOKENA(PREV,PREFIX)", "STREETNAME",
             "the word after a directional or a route type is the name, whatever its class"),
        # --- after the name
        rule("suffix-before-designator", "ISTOKENA(PREV,STREETNAME) AND LENGTHIS(<,4) AND ISSUFFIXWORD AND ISLASTTOKEN(NEXT2) AND "
             "HASNUMBERS(NEXT2) AND ISSUFFIXWORD(NEXT) AND LENGTHIS(NEXT,<,3) AND NOT ISPREFIXACTINGSUFFIXWORD(NEXT)",
             "SUFFIX", "BONHOMME AVE ST 1400: a two-letter type word between an abbreviated type and a final "
             "number is a unit designator (ST for suite); a longer word before it is more often the end of "
             "the name (LAKE SHORE DR 6, OAK PARK DR 5)"),
        rule("name-continues", NAME_CONTINUES,
             "STREETNAME", "a further name word; a word glued to a # (ROAD# 1) ends the name"),
        rule("postdir", "(ISTOKENA(PREV,STREETNAME) OR ISTOKENA(PREV,SUFFIX)) AND ISDIRECTIONALWORD",
             "POSTDIR", "a directional after the name or type"),
        # --- the unit
        rule("postdir-second", "ISTOKENA(PREV,POSTDIR) AND CANBESECONDWORDINDIRECTIONAL AND "
             "CANBEFIRSTWORDINDIRECTIONAL(PREV)", "POSTDIR", "S E written as two words"),
        rule("unit-label-first", "ISFIRSTTOKEN AND ISUNITWORD AND (HASNUMBERS(NEXT) OR ISLETTER(NEXT))",
             "UNITLABEL", "APT 4 123 MAIN ST, FLAT 3 12 HIGH STREET: the unit written first"),
        rule("unit-number", "ISTOKENA(PREV,UNITLABEL)", "UNITNUM", "the word after a unit designator"),
        rule("unit-number-before-label", "NOT ISFIRSTTOKEN AND ISUNITWORD(NEXT) AND ISLASTTOKEN(NEXT)", "UNITNUM",
             "8TH FLOOR, LOWER LEVEL: the identifier before its designator"),
        rule("side-as-unit", "(ISBUILDINGSIDEWORD OR ISUNITSIDEWORD) AND ISLASTTOKEN AND NOT ISFIRSTTOKEN",
             "UNITNUM", "REAR, FRONT, UPPER at the end locate the unit"),
        rule("number-after-unit", "HASNUMBERS AND NOT ISTOKENA(PREV,UNITLABEL) AND NOT ISTOKENA(PREV,BUILDINGTYPE) AND WEHAVE(PREV,UNITLABEL) AND "
             "NOT WEHAVE(PREV,STREETNUM) AND NOT WEHAVE(PREV,STREETNAME) AND NOT WEHAVE(PREV,POBOXTYPE)",
             "STREETNUM", "the house number after a unit (or building) written first: SUITE 200 BLDG 17 7000 ..."),
        rule("name-number", "ISTOKENA(PREV,STREETNAME) AND HASNUMBERS AND ((ISSUFFIXWORD(NEXT) AND "
             + ends_street(1) + ") OR (ISTOKENA(PREV2,PREFIX) AND ISNUMBER AND LENGTHIS(PREV,2) AND "
             "CANBEFIRSTWORDINDIRECTIONAL(PREV)))", "STREETNAME",
             "a number inside the name (OLD 41 RD), or after a route's NO (STATE HIGHWAY NO 33)"),
        rule("designator-after-suffix", "(ISTOKENA(PREV,SUFFIX) OR (NOT ISTOKENMEANINGSET(PREV) AND "
             "ISTOKENA(PREV2,BUILDINGTYPE) AND ISBUILDINGTYPEWORD(PREV2))) AND ISLASTTOKEN(NEXT) AND HASNUMBERS(NEXT) AND "
             "ISSUFFIXWORD AND LENGTHIS(<,3) AND NOT ISPREFIXACTINGSUFFIXWORD", "UNITLABEL",
             "the designator of BONHOMME AVE ST 1400 and of TUCKER RD BLDG 10 ST 310"),
        rule("complex-after-street", "ISNUMBER AND (ISTOKENA(PREV,SUFFIX) OR ISTOKENA(PREV,POSTDIR)) AND "
             "WEHAVE(PREV,STREETNUM) AND " + complex_after_street_ahead(), "BUILDINGTYPE",
             "1201 PEACHTREE ST NE 400 COLONY SQUARE SUITE 1730: a complex's number and name after the street "
             "take no field"),
        rule("unit-number-bare", "(ISTOKENA(PREV,STREETNAME) OR ISTOKENA(PREV,SUFFIX) OR ISTOKENA(PREV,POSTDIR) "
             "OR ISTOKENA(PREV,UNITNUM)) AND (HASNUMBERS OR ISLETTER OR (ISLASTTOKEN AND LENGTHIS(<,3)))", "UNITNUM",
             "a number after the street without a designator"),
        rule("number-after-routing", "ISNUMBER AND NOT ISTOKENMEANINGSET(PREV) AND HASNUMBERS(PREV) AND "
             "(ISTOKENA(PREV2,BUILDINGTYPE) OR (NOT ISTOKENMEANINGSET(PREV2) AND HASNUMBERS(PREV2) AND "
             "ISTOKENA(PREV3,BUILDINGTYPE))) AND NOT ISLASTTOKEN AND NOT HASNUMBERS(NEXT) AND NOT ISUNITWORD(NEXT) AND "
             "NOT ISPOBOXWORD(NEXT)", "STREETNUM",
             "DEPT 96 0430 3545 NW 58TH, KBA 90688 815 W MARKET ST: the house number after a routing or "
             "account number"),
        rule("box-routing", "ISTOKENA(PREV,POBOXNUM) AND NOT HASNUMBERS AND NOT ISLETTER AND NOT ISSUFFIXWORD AND "
             "NOT ISPREFIXWORD AND NOT ISUNITWORD AND NOT ISPOBOXWORD AND NOT ISDIRECTIONALWORD AND "
             "NOT ISRURALROUTEWORD AND HASNUMBERS(NEXT) AND ISLASTTOKEN(NEXT)", "BUILDINGTYPE",
             "PO BOX 26901 SCB 223: a word in no list and its number after the box route the mail inside the "
             "addressee and take no field"),
        rule("box-number-letter", "ISTOKENA(PREV,POBOXNUM) AND ISNUMBER(PREV) AND ISLETTER AND ISLASTTOKEN",
             "POBOXNUM", "RR 4 BOX 164 A: a letter after the box number at the end is part of it"),
        rule("intersection-second-type", lone_sign(-1) + " AND WEHAVE(PREV,STREETNAME) AND ISPREFIXWORD AND "
             + ROUTE_NAME_AT(1), "PREFIX", "ROUTE 30 & ROUTE 45: the route type of the second street"),
        rule("intersection-second-dir", lone_sign(-1) + " AND WEHAVE(PREV,STREETNAME) AND ISDIRECTIONALWORD AND "
             "NOT ISLASTTOKEN AND NOT ISSUFFIXWORD(NEXT)", "PREDIR",
             "HWY 54 AND EAST HICKORY: the directional before the second street"),
        rule("box-after-street", "ISPOBOXWORD AND (HASNUMBERS(NEXT) OR ISLETTER(NEXT))", "POBOXTYPE",
             "a box after the street part"),
    ]
    wc = [
        rule("leftover-name", "CANTOKENBEA(STREETNAME) AND NOT WEHAVE(STREETNAME)", "STREETNAME",
             "a word nothing else explains, when the street has no name yet"),
        rule("leftover-unit", "CANTOKENBEA(UNITNUM) AND (HASNUMBERS OR ISLETTER)", "UNITNUM",
             "a number or letter nothing else explains"),
    ]
    return nc, wc


def continental_rules():
    """Rules for the countries where the type comes first (RUE DE LA PAIX, VIA ROMA,
    CALLE MAYOR) or is glued to the name (HAUPTSTRASSE), and the house number comes
    first (France) or after the name (elsewhere): [number] [type] name [type] [number] [unit]."""
    AFTER_NAME = "(ISTOKENA(PREV,STREETNAME) OR ISTOKENA(PREV,SUFFIX))"
    NAME_ENDS = "(ISLASTTOKEN OR HASNUMBERS(NEXT) OR ISUNITWORD(NEXT) OR ISPOBOXWORD(NEXT))"
    nc = [
        rule("number-first", "(ISFIRSTTOKEN OR ((ISTOKENA(PREV,POBOXNUM) OR ISTOKENA(PREV,BUILDINGTYPE)) AND "
             "ISPREFIXWORD(NEXT))) AND HASNUMBERS", "STREETNUM",
             "12 RUE DE LA PAIX: a leading number is the house number, also after a box or a residence's "
             "name (BP 2, 12 RUE X; RÉSIDENCE LES PINS 4 ALLÉE X)"),
        rule("residence-before-number", "(ISFIRSTTOKEN OR ISTOKENA(PREV,BUILDINGTYPE)) AND NOT HASNUMBERS AND "
             "NOT ISUNITWORD AND NOT ISPOBOXWORD AND " + number_and_type_ahead(), "BUILDINGTYPE",
             "RÉSIDENCE LES PINS, 4 ALLÉE DES MIMOSAS: the words before a house number and its street type "
             "(and a unit before them) name a residence and take no field"),
        rule("building-after-street", "(ISBUILDINGTYPEWORD AND WEHAVE(PREV,STREETNAME)) OR "
             "(ISTOKENA(PREV,BUILDINGTYPE) AND WEHAVE(PREV,STREETNAME) AND NOT HASNUMBERS AND NOT ISUNITWORD)",
             "BUILDINGTYPE", "CALLE MAYOR S/N, EDIFICIO SOL: a building's name after the street takes no field"),
        rule("type-first", "(ISFIRSTTOKEN OR ISTOKENA(PREV,STREETNUM)) AND ISPREFIXWORD AND NOT ISLASTTOKEN",
             "PREFIX", "the type, with its connecting words (RUE DE LA, VIA DEI, CALLE DE), before the name"),
        rule("name-after-type", "ISTOKENA(PREV,PREFIX)", "STREETNAME",
             "the word after the type starts the name, whatever it is (VIA 20 SETTEMBRE)"),
        rule("number-after-name", AFTER_NAME + " AND HASNUMBERS AND NOT WEHAVE(PREV,STREETNUM)", "STREETNUM",
             "VIA ROMA 12, HAUPTSTRASSE 12: the number after the name"),
        rule("glued-or-final-type", "ISTOKENA(PREV,STREETNAME) AND ISSUFFIXWORD AND " + NAME_ENDS, "SUFFIX",
             "HAUPT STRASSE (split off), BERLINER STRASSE: a type after the name"),
        rule("name-continues", "ISTOKENA(PREV,STREETNAME) AND NOT HASNUMBERS AND NOT ISUNITWORD AND "
             "NOT ISPOBOXWORD", "STREETNAME", "a further word of the name"),
        rule("box-word", "ISPOBOXWORD AND (HASNUMBERS(NEXT) OR ISLETTER(NEXT))", "POBOXTYPE",
             "BP 123, POSTFACH 1234, APARTADO 45, CASELLA POSTALE 12, POSTBUS 123"),
        rule("box-number", "ISTOKENA(PREV,POBOXTYPE)", "POBOXNUM", "the word after a box word"),
        rule("second-box", "WEHAVE(PREV,POBOXNUM) AND (ISPOBOXWORD OR (ISPOBOXWORD(PREV) AND "
             "NOT ISTOKENA(PREV,POBOXTYPE) AND (HASNUMBERS OR ISLETTER)))", None,
             "PO BOX 790322 BIN 150003: the first box is the address, a second box word and its "
             "number take no field", eliminate=ALL_MEANINGS, terminal=True),
        rule("box-number-group", "ISTOKENA(PREV,POBOXNUM) AND ISNUMBER AND LENGTHIS(2) AND LENGTHIS(PREV,2) AND "
             "(ISLASTTOKEN OR (ISNUMBER(NEXT) AND LENGTHIS(NEXT,2)))", "POBOXNUM",
             "POSTFACH 20 04 51: a box number written in groups of two digits keeps every group"),
        rule("number-addition", "ISTOKENA(PREV,STREETNUM) AND ISUNITSIDEWORD AND WEHAVE(PREV,STREETNAME)",
             "UNITNUM", "PRINSENGRACHT 20 HS, LIJNBAANSGRACHT 150 III: a floor after the number is the unit"),
        rule("number-extension", "ISTOKENA(PREV,STREETNUM) AND NOT HASNUMBERS AND NOT ISPREFIXWORD AND "
             "NOT ISUNITWORD AND (ISPREFIXWORD(NEXT) OR (WEHAVE(PREV,STREETNAME) AND ISLASTTOKEN AND LENGTHIS(<,6)))",
             "STREETNUM", "12 BIS RUE X, HAUPTSTRASSE 12 A: a letter or BIS, TER after the number"),
        rule("name-first", "(ISFIRSTTOKEN OR (ISTOKENA(PREV,STREETNUM) AND NOT WEHAVE(PREV,STREETNAME))) AND "
             "NOT HASNUMBERS AND NOT ISUNITWORD AND NOT ISPOBOXWORD", "STREETNAME",
             "a name without a type word keeps all its words (AM MARKT 5)"),
        # Several unit parts (building, staircase, floor, flat): the last one names the
        # dwelling, the parts before it take no field.
        rule("unit-part-superseded", "ISUNITWORD AND (HASNUMBERS(NEXT) OR ISLETTER(NEXT)) AND (ISUNITWORD(NEXT2) OR "
             "(WEHAVE(PREV,STREETNAME) AND HASNUMBERS(NEXT2)))", None,
             "BÂT A, ESC 2, APPT 14; PISO 4, PUERTA 1; SCALA C, INT 4; ESC 2, 3º B: a unit part before "
             "another takes no field", eliminate=ALL_MEANINGS, terminal=True),
        rule("unit-part-superseded-number", "ISUNITWORD(PREV) AND NOT ISTOKENA(PREV,UNITLABEL) AND "
             "(HASNUMBERS OR ISLETTER) AND ((ISUNITWORD(NEXT) AND NOT ISLASTTOKEN(NEXT)) OR (WEHAVE(PREV,STREETNAME) AND "
             "HASNUMBERS(NEXT)))",
             None, "the identifier of a unit part that another follows", eliminate=ALL_MEANINGS, terminal=True),
        rule("floor-after-unit", "WEHAVE(PREV,UNITNUM) AND NOT WEHAVE(PREV,STREETNAME) AND ((HASNUMBERS AND "
             "ISUNITWORD(NEXT) AND HASNUMBERS(NEXT2)) OR (ISUNITWORD AND HASNUMBERS(PREV) AND HASNUMBERS(NEXT) AND "
             "NOT ISTOKENA(PREV,UNITNUM)))", None,
             "APPT 22, 3E ÉTAGE, 6 RUE X: the floor after the flat takes no field",
             eliminate=ALL_MEANINGS, terminal=True),
        rule("unit-label-first", "ISFIRSTTOKEN AND ISUNITWORD AND (HASNUMBERS(NEXT) OR ISLETTER(NEXT))",
             "UNITLABEL", "APPT 12, 5 RUE X: the unit written first"),
        rule("unit-label", "ISUNITWORD AND NOT ISFIRSTTOKEN", "UNITLABEL", "PISO, PUERTA, INT, SCALA, APPT, WHG"),
        rule("unit-number", "ISTOKENA(PREV,UNITLABEL)", "UNITNUM", "the word after a unit label"),
        rule("number-after-unit", "HASNUMBERS AND WEHAVE(PREV,UNITNUM) AND NOT ISTOKENA(PREV,UNITLABEL) AND "
             "NOT WEHAVE(PREV,STREETNUM) AND NOT WEHAVE(PREV,STREETNAME) AND NOT ISUNITWORD(NEXT)", "STREETNUM",
             "APPT 12 5 RUE X: the house number after the unit (and after a floor that takes no field)"),
        rule("unit-number-bare", "(ISTOKENA(PREV,STREETNUM) OR ISTOKENA(PREV,UNITNUM)) AND WEHAVE(PREV,STREETNAME) "
             "AND (HASNUMBERS OR ISLETTER)", "UNITNUM", "CALLE MAYOR 5 2º B: floor and door after the number"),
        rule("door-side", "ISTOKENA(PREV,UNITNUM) AND ISUNITSIDEWORD", "UNITNUM",
             "GRAN VÍA 28 4º IZDA: the door's side after the floor"),
    ]
    wc = [
        rule("leftover-name", "CANTOKENBEA(STREETNAME) AND NOT HASNUMBERS AND NOT WEHAVE(STREETNAME)",
             "STREETNAME", "a word nothing else explains, when the street has no name yet"),
        rule("leftover-unit", "CANTOKENBEA(UNITNUM) AND (HASNUMBERS OR ISLETTER)", "UNITNUM",
             "a number or letter nothing else explains"),
    ]
    return nc, wc


US_NC, US_WC = street_rules()
EU_NC, EU_WC = continental_rules()

# Australia writes a unit and its building's number as 3/12, Canada as 1204-55. Once the
# separator is read as a blank (3 12 SMITH ST), the first of two leading numbers is the unit.
UNIT_PAIR_NC = [
    rule("unit-slash-number", "ISFIRSTTOKEN AND HASNUMBERS AND ISNUMBER(NEXT) AND NOT ISLASTTOKEN(NEXT) "
         "AND NOT (ISSUFFIXWORD(NEXT2) AND " + ends_street(2) + " AND LENGTHIS(NEXT2,<,7))", "UNITNUM",
         "3/12 SMITH ST read as 3 12: unit 3 at number 12 (1204-55 BLOOR ST W, 1/25 BEACH RD, 5A/12 "
         "likewise), but 801 7 AVE SW is a numbered avenue"),
    rule("number-after-slash-unit", "ISTOKENA(PREV,UNITNUM) AND ISFIRSTTOKEN(PREV) AND HASNUMBERS", "STREETNUM",
         "the building's number after the unit of 3/12"),
    rule("floor-beside-unit", "ISUNITWORD AND ISUNITSIDEWORD AND HASNUMBERS(NEXT) AND ((ISUNITWORD(NEXT2) AND "
         "NOT ISUNITSIDEWORD(NEXT2)) OR (WEHAVE(PREV,UNITNUM) AND NOT WEHAVE(PREV,STREETNAME) AND "
         "NOT WEHAVE(PREV,STREETNUM)))", None,
         "LEVEL 3, SUITE 301; SUITE 3, LEVEL 2: the floor beside a suite or shop takes no field",
         eliminate=ALL_MEANINGS, terminal=True),
    rule("floor-beside-unit-number", "ISUNITWORD(PREV) AND ISUNITSIDEWORD(PREV) AND NOT ISTOKENA(PREV,UNITLABEL) AND "
         "HASNUMBERS AND ((ISUNITWORD(NEXT) AND NOT ISUNITSIDEWORD(NEXT)) OR (WEHAVE(PREV,UNITNUM) AND "
         "NOT WEHAVE(PREV,STREETNAME) AND NOT WEHAVE(PREV,STREETNUM)))", None,
         "the number of a floor beside a suite or shop", eliminate=ALL_MEANINGS, terminal=True),
    rule("station-after-box", "ISTOKENA(PREV,POBOXNUM) AND NOT WEHAVE(PREV,STREETNAME) AND "
         + place_name_ahead(), "BUILDINGTYPE",
         "PO BOX 1010 STN MAIN, CP 6128 SUCCURSALE CENTRE-VILLE: the post office after a box takes no field"),
] + US_NC

# Houses, farms and estates named before the street (IVY HOUSE, MILL LANE; UNIT 9,
# MEADOW TRADING ESTATE, STATION ROAD): the name and its building word take no field.
PLAIN_WORD = ("NOT HASNUMBERS AND NOT ISSUFFIXWORD AND NOT ISPREFIXWORD AND NOT ISUNITWORD AND "
              "NOT ISPOBOXWORD AND NOT ISDIRECTIONALWORD AND NOT ISBUILDINGTYPEWORD")
BUILDING_NAME_NC = [
    rule("building-name-before-street", "(ISFIRSTTOKEN OR ISTOKENA(PREV,UNITNUM) OR ISTOKENA(PREV,BUILDINGTYPE)) "
         "AND " + PLAIN_WORD + " AND NOT ISLASTTOKEN(NEXT) AND (ISBUILDINGTYPEWORD(NEXT) OR "
         "(NOT HASNUMBERS(NEXT) AND NOT ISSUFFIXWORD(NEXT) AND ISBUILDINGTYPEWORD(NEXT2) AND "
         "NOT ISLASTTOKEN(NEXT2)))", "BUILDINGTYPE",
         "IVY HOUSE MILL LANE, RIVERSIDE BUSINESS PARK: the words of a building's name before its building word"),
    rule("street-after-building-name", "ISTOKENA(PREV,BUILDINGTYPE) AND ISBUILDINGTYPEWORD(PREV) AND "
         "NOT ISFIRSTTOKEN(PREV) AND NOT HASNUMBERS AND NOT ISUNITWORD AND NOT ISPOBOXWORD AND "
         "NOT ISBUILDINGTYPEWORD AND ISSUFFIXWORD(NEXT) AND " + ends_street(1),
         "STREETNAME", "IVY HOUSE MILL LANE: the street after a building's name (MILL is a type word too)"),
    rule("building-word-continues", "ISTOKENA(PREV,BUILDINGTYPE) AND ISBUILDINGTYPEWORD(PREV) AND "
         "NOT ISFIRSTTOKEN(PREV) AND ISSUFFIXWORD AND NOT HASNUMBERS(NEXT) AND NOT " + ends_street(0),
         "BUILDINGTYPE", "BUSINESS PARK, SHOPPING CENTRE: a type word after a building word still names the building"),
    rule("number-after-building-name", "ISTOKENA(PREV,BUILDINGTYPE) AND ISBUILDINGTYPEWORD(PREV) AND "
         "NOT ISFIRSTTOKEN(PREV) AND ISNUMBER AND NOT ISLASTTOKEN AND NOT HASNUMBERS(NEXT) AND "
         "NOT ISUNITWORD(NEXT) AND NOT ISPOBOXWORD(NEXT)", "STREETNUM",
         "ROSE COTTAGE 3 GREEN LANE: the house number after a building's name"),
    rule("floor-after-unit", "WEHAVE(PREV,UNITNUM) AND NOT WEHAVE(PREV,STREETNAME) AND NOT WEHAVE(PREV,STREETNUM) "
         "AND NOT ISTOKENA(PREV,UNITLABEL) AND ((NOT HASNUMBERS AND ISUNITWORD(NEXT) AND HASNUMBERS(NEXT2) AND "
         "NOT ISUNITWORD) OR (ISUNITWORD AND HASNUMBERS(NEXT) AND NOT HASNUMBERS(PREV)))", None,
         "SUITE 5, SECOND FLOOR, 10 FLEET STREET: a floor written after the unit takes no field",
         eliminate=ALL_MEANINGS, terminal=True),
]

RULESETS = {
    "US": {"NOCONTEXT": US_NC, "WITHCONTEXT": US_WC},
    # Canada, the United Kingdom and Australia write addresses the US way; their own
    # word lists (French types for Canada, CLOSE or PARADE, FLAT, SHOP, LEVEL) do the rest.
    "CA": {"NOCONTEXT": UNIT_PAIR_NC, "WITHCONTEXT": US_WC},
    "GB": {"NOCONTEXT": BUILDING_NAME_NC + US_NC, "WITHCONTEXT": US_WC},
    "AU": {"NOCONTEXT": UNIT_PAIR_NC, "WITHCONTEXT": US_WC},
    "FR": {"NOCONTEXT": EU_NC, "WITHCONTEXT": EU_WC},
    "DE": {"NOCONTEXT": EU_NC, "WITHCONTEXT": EU_WC},
    "ES": {"NOCONTEXT": EU_NC, "WITHCONTEXT": EU_WC},
    "IT": {"NOCONTEXT": EU_NC, "WITHCONTEXT": EU_WC},
    "NL": {"NOCONTEXT": EU_NC, "WITHCONTEXT": EU_WC},
}
