#!/usr/bin/env python3
"""Writes N generated US records, one per line, for soak and speed runs.

    scripts/gen_records.py COUNT [--format jsonl|xml|csv] [--seed S]

The records look like real ones: one to three address lines, house numbers,
directionals, street types, units, PO boxes and rural routes, cities and ZIP codes.
"""
import argparse
import csv
import json
import random
import sys
from xml.sax.saxutils import escape

NAMES = ["Main", "Oak", "Maple", "Cedar", "Elm", "Washington", "Lake", "Hill", "Park",
         "Pine", "Sunset", "Lincoln", "Jackson", "Martin Luther King Jr", "5th", "42nd",
         "Church", "Mill", "River", "Spring", "Highland", "Fairview", "Ridge", "Walnut"]
TYPES = ["St", "Street", "Ave", "Avenue", "Rd", "Road", "Blvd", "Dr", "Drive", "Ln",
         "Lane", "Ct", "Way", "Pl", "Pkwy", "Cir", "Ter", "Hwy"]
DIRS = ["", "", "", "N", "S", "E", "W", "North", "South", "NE", "SW"]
UNITS = ["Apt", "Suite", "Ste", "Unit", "#", "Fl", "Rm", "Bldg"]
CITIES = [("Springfield", "62704"), ("Saint Louis", "63101"), ("Fort Worth", "76102"),
          ("Mount Vernon", "10550"), ("Portland", "97201"), ("Chicago", "60601"),
          ("Austin", "78701"), ("St Paul", "55101"), ("Boston", "02108")]


def address(rng):
    kind = rng.random()
    if kind < 0.06:
        return [f"PO Box {rng.randint(1, 99999)}"]
    if kind < 0.08:
        return [f"RR {rng.randint(1, 9)} Box {rng.randint(1, 999)}"]
    number = str(rng.randint(1, 99999))
    if rng.random() < 0.03:
        number += rng.choice("ABC")
    parts = [number, rng.choice(DIRS), rng.choice(NAMES), rng.choice(TYPES), rng.choice(DIRS[:6])]
    line1 = " ".join(p for p in parts if p)
    lines = [line1]
    if rng.random() < 0.25:
        unit = f"{rng.choice(UNITS)} {rng.randint(1, 999)}"
        if rng.random() < 0.5:
            lines.append(unit)
        else:
            lines[0] += " " + unit
    if rng.random() < 0.05:
        lines.insert(0, "c/o " + rng.choice(["Jane Doe", "Acme Corp"]))
    return lines


def record(rng, index):
    lines = address(rng)
    city, zipcode = rng.choice(CITIES)
    if rng.random() < 0.3:
        zipcode += f"-{rng.randint(1000, 9999)}"
    fields = {"id": str(index)}
    for i, line in enumerate(lines[:3], start=1):
        fields[f"ADDR{i}"] = line
    fields.update({"CITY": city, "POSTAL_CODE": zipcode, "COUNTRY": "US"})
    return fields


def as_xml(fields):
    elements = "".join(
        f"<OBS_FELEM><FELEM_CODE>{code}</FELEM_CODE><FELEM_VALUE>{escape(value)}</FELEM_VALUE></OBS_FELEM>"
        for code, value in fields.items() if code != "id")
    return f"<STD_BOM><OBS_FEAT>{elements}</OBS_FEAT></STD_BOM>"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("count", type=int)
    parser.add_argument("--format", choices=["jsonl", "xml", "csv"], default="jsonl")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    out = sys.stdout
    columns = ["id", "ADDR1", "ADDR2", "ADDR3", "CITY", "POSTAL_CODE", "COUNTRY"]
    rows = csv.DictWriter(out, columns, lineterminator="\n")
    if args.format == "csv":
        rows.writeheader()
    for index in range(args.count):
        fields = record(rng, index)
        if args.format == "csv":
            rows.writerow(fields)
        else:
            out.write((json.dumps(fields) if args.format == "jsonl" else as_xml(fields)) + "\n")


if __name__ == "__main__":
    main()
