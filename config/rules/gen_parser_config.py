#!/usr/bin/env python3
"""Writes config/support/addressParserMetaData.xml from the tables in tables/.

The configuration is long and repetitive (hundreds of word-list entries, the same rule
shapes in several countries), so it is kept as Python tables and generated. Edit the
tables, run this script, commit both; --check (the config_generated_parser_config
test) fails while they disagree. `zebparse check` and the zeb_eval harness read only
the generated XML.
"""
import os
import sys
from xml.sax.saxutils import quoteattr

sys.dont_write_bytecode = True  # keep the source tree free of caches

import generated_file  # noqa: E402
from tables import countries, lists_intl, lists_us, locality, regions, rules  # noqa: E402

# Word-list element names, in the order the loader reads them.
LIST_ORDER = ["PREFIX", "SUFFIX", "STICKY_SUFFIX", "BUILDINGSIDE", "UNITSIDE", "BUILDINGTYPE",
              "COUNTY", "DISCARD", "POBOX", "UNITLABEL", "DIRECTIONAL", "RURAL", "CAREOF"]
SEQUENCE_LISTS = {"CAREOF"}


def entries(table):
    """Flattens {standard: [variants]} into (data, std) pairs, first spelling wins."""
    seen = set()
    out = []
    for std, variants in table.items():
        for word in variants:
            key = word.upper()
            if key in seen:
                continue
            seen.add(key)
            out.append((key, std))
    return out


def write_parts(lines, c2, parts):
    lines.append('  <ADDRESSPARTS c2="%s">' % c2)
    for name in LIST_ORDER:
        if name not in parts:
            continue
        table = parts[name]
        lines.append("    <%s>" % name)
        if name in SEQUENCE_LISTS:
            for word in table:
                lines.append("      <PART data=%s/>" % quoteattr(word.upper()))
        else:
            for data, std in entries(table):
                lines.append("      <PART data=%s std=%s/>" % (quoteattr(data), quoteattr(std)))
        lines.append("    </%s>" % name)
    lines.append("  </ADDRESSPARTS>")


def write_rules(lines, c2, ruleset):
    lines.append('  <RULESET c2="%s">' % c2)
    for group in ("NOCONTEXT", "WITHCONTEXT"):
        lines.append("    <%s>" % group)
        for rule in ruleset[group]:
            attrs = ["name=%s" % quoteattr(rule["name"])]
            if rule.get("description"):
                attrs.append("description=%s" % quoteattr(rule["description"]))
            if rule.get("condition"):
                attrs.append("condition=%s" % quoteattr(rule["condition"]))
            for key in ("eliminate", "set", "setNext"):
                if rule.get(key):
                    attrs.append("%s=%s" % (key, quoteattr(rule[key])))
            if rule.get("terminal"):
                attrs.append('terminal="YES"')
            lines.append("      <RULE %s/>" % " ".join(attrs))
        lines.append("    </%s>" % group)
    lines.append("  </RULESET>")


def write_locality(lines, c2, country, region_names):
    city_always = ' cityAlways="YES"' if country.get("city_always") else ""
    lines.append('  <LOCALITY c2="%s" order="%s"%s>' % (c2, country["order"], city_always))
    for shape in country.get("postcodes", []):
        lines.append("    <POSTCODE shape=%s/>" % quoteattr(shape))
        for prefix in country.get("postcode_prefixes", []):
            lines.append("    <POSTCODE shape=%s prefix=%s/>" % (quoteattr(shape), quoteattr(prefix)))
    for shape in country.get("weak_postcodes", []):
        lines.append('    <POSTCODE shape=%s afterRegion="YES"/>' % quoteattr(shape))
    for name, std in region_names.items():
        lines.append("    <REGIONNAME data=%s std=%s/>" % (quoteattr(name), quoteattr(std)))
    for word in country.get("city_starts", []):
        lines.append("    <CITYSTART data=%s/>" % quoteattr(word))
    for word in country.get("city_start_abbreviations", []):
        lines.append('    <CITYSTART data=%s afterStreetType="YES"/>' % quoteattr(word))
    for word in country.get("city_words", []):
        lines.append("    <CITYWORD data=%s/>" % quoteattr(word))
    for word in country.get("stations", []):
        lines.append("    <STATION data=%s/>" % quoteattr(word))
    for word in country.get("city_ends", []):
        lines.append("    <CITYEND data=%s/>" % quoteattr(word))
    lines.append("  </LOCALITY>")


def render():
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             "<!-- %s." % generated_file.stamp(__file__),
             "     Edit the tables in config/rules/tables/ and regenerate."
             " Word-list sources: config/support/NOTICE. -->",
             "<ADDRESSPARSER>",
             "  <COUNTRIES>"]
    for c2, names in countries.NAMES.items():
        for name in names:
            lines.append("    <COUNTRY name=%s c2=%s/>" % (quoteattr(name), quoteattr(c2)))
    lines.append('    <DEFAULTCOUNTRY name="US"/>')
    lines.append("  </COUNTRIES>")
    lines.append("  <REGIONS>")
    for i, c2 in enumerate(countries.NAMES, start=1):
        lines.append('    <REGION id="%d" name="%s" priority="%d" base="0"/>' % (i, c2, i))
    lines.append("  </REGIONS>")
    all_parts = {"US": lists_us.PARTS}
    all_parts.update(lists_intl.PARTS)
    for c2, parts in all_parts.items():
        write_parts(lines, c2, parts)
    for c2, country in locality.LOCALITY.items():
        write_locality(lines, c2, country, regions.REGIONS.get(c2, {}))
    for c2, ruleset in rules.RULESETS.items():
        write_rules(lines, c2, ruleset)
    lines.append("</ADDRESSPARSER>")
    return "\n".join(lines) + "\n"


if __name__ == "__main__":
    sys.exit(generated_file.run(
        __file__, "Writes the default parser configuration from the tables in config/rules/tables/.",
        os.path.join(generated_file.SUPPORT_DIR, "addressParserMetaData.xml"), render))
