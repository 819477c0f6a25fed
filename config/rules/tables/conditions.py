"""Builds rule condition text from named parts, so that a long condition reads as its
logic: all_of(t("ISLETTER", 1), t("ISNUMBER", 2)) rather than a format string with a
slot per term. The text is exactly what the rule language reads: `t("LENGTHIS", 1,
"<", "3")` is LENGTHIS(NEXT,<,3). Covered by the config_generated_parser_config test,
which holds the generated configuration to the committed one.
"""


def offset(n):
    """The token n places from the current one as the condition language names it:
    "" for the current token, NEXT, NEXT2 ... after it, PREV, PREV2 ... before it."""
    if n == 0:
        return ""
    word = "NEXT" if n > 0 else "PREV"
    return word if abs(n) == 1 else "%s%d" % (word, abs(n))


def t(keyword, at=0, *params):
    """One keyword term for the token at offset `at`, with its further parameters."""
    items = ",".join(x for x in (offset(at),) + params if x)
    return "%s(%s)" % (keyword, items) if items else keyword


def not_(term):
    return "NOT " + term


def all_of(*terms):
    return "(" + " AND ".join(terms) + ")"


def any_of(*terms):
    return "(" + " OR ".join(terms) + ")"
