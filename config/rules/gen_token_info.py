#!/usr/bin/env python3
"""Writes config/support/tokenInfo.tsv: the host's standard forms and scores of
street-name and city words ("GetTokenInfo").

The plug-in builds STR_NAME_STD and CITY_STD word by word: a word with an entry is
replaced by its standard form before its phonetic code is taken, and a word whose
score is below 50 is dropped. So that variant spellings of one street or city give
one key, every spelling below maps to one standard form:
  ST, STE, FT, MT ... -> SAINT, SAINTE, FORT, MOUNT ...  (the word as written in full)
  1ST, 2ND ... 100TH  -> FIRST, SECOND ... HUNDREDTH   (the phonetic code of a digit
                                                        string would lose the number)
  THE, OF, DE, VAN ... -> dropped (score 10): words that one spelling has and another
                          leaves out.
Words are looked up upper case; the plug-in removes punctuation (and so the hyphen of
TWENTY-FIRST) before asking. The words are in tables/token_words.py; --check (the
config_generated_token_info test) fails while the committed file disagrees with them.
"""
import os
import sys

sys.dont_write_bytecode = True  # keep the source tree free of caches

import generated_file  # noqa: E402
from tables.token_words import NOISE, WORDS  # noqa: E402

NOISE_SCORE = 10
FULL_SCORE = 100

UNITS = ["", "FIRST", "SECOND", "THIRD", "FOURTH", "FIFTH", "SIXTH", "SEVENTH", "EIGHTH", "NINTH"]
TEENS = ["TENTH", "ELEVENTH", "TWELFTH", "THIRTEENTH", "FOURTEENTH", "FIFTEENTH", "SIXTEENTH",
         "SEVENTEENTH", "EIGHTEENTH", "NINETEENTH"]
TENS = ["", "", "TWENTY", "THIRTY", "FORTY", "FIFTY", "SIXTY", "SEVENTY", "EIGHTY", "NINETY"]
TENTHS = ["", "", "TWENTIETH", "THIRTIETH", "FORTIETH", "FIFTIETH", "SIXTIETH", "SEVENTIETH",
          "EIGHTIETH", "NINETIETH"]


def ordinal_word(n):
    if n == 100:
        return "HUNDREDTH"
    if n < 10:
        return UNITS[n]
    if n < 20:
        return TEENS[n - 10]
    tens, units = divmod(n, 10)
    return TENTHS[tens] if units == 0 else TENS[tens] + UNITS[units]


def ordinal_suffix(n):
    if n % 100 in (11, 12, 13):
        return "TH"
    return {1: "ST", 2: "ND", 3: "RD"}.get(n % 10, "TH")


def render():
    lines = [
        "# Standard forms and scores of street-name and city words for the host's GetTokenInfo.",
        "# %s (change config/rules/tables/token_words.py and regenerate)."
        % generated_file.stamp(__file__),
        "# category<TAB>word<TAB>standardForm<TAB>score; category STR_NAME, CITY or * (both);",
        "# words upper case; a score below 50 drops the word from the standardised key.",
    ]
    lines.append("# Abbreviated and full spellings of the same word")
    for category, standard, spellings in WORDS:
        for word in spellings:
            lines.append("%s\t%s\t%s\t%d" % (category, word, standard, FULL_SCORE))
    lines.append("# Ordinals written with digits read as words (1ST and FIRST give one key)")
    for n in range(1, 101):
        word = ordinal_word(n)
        lines.append("*\t%d%s\t%s\t%d" % (n, ordinal_suffix(n), word, FULL_SCORE))
        if n > 20 and n % 10 != 0:
            # TWENTY-FIRST loses its hyphen before the look-up.
            lines.append("*\t%s\t%s\t%d" % (word, word, FULL_SCORE))
    lines.append("# Noise words, dropped")
    for word in NOISE:
        lines.append("*\t%s\t\t%d" % (word, NOISE_SCORE))
    return "\n".join(lines) + "\n"


if __name__ == "__main__":
    sys.exit(generated_file.run(
        __file__, "Writes the host's token data (standard forms and scores of words).",
        os.path.join(generated_file.SUPPORT_DIR, "tokenInfo.tsv"), render))
