#!/usr/bin/env python3
"""Scores-ready predictions from `zebparse run`, the way users run the plug-in.

Each labelled record becomes a jsonl record that goes through zebparse run; the
elements the plug-in writes back become the scorer's prediction fields. The run
keeps every element (--all-elements): STR_NUM and UNIT_NUM come back twice (the
parsed value and its upper-cased copy), and the first is the parsed one. The record's form:

  split   ADDR1 = line, CITY, POSTAL_CODE (the default)
  joined  ADDR1 = "line, city, state zip" (empty parts left out)
  raw     ADDR1 = the address as written
COUNTRY is US unless the labelled record names one. For the one-line forms the
city, state and postal code the plug-in found are predicted too.

    zebparse_predictions.py [--form FORM] ZEBPARSE SUPPORT_DIR LABELLED.jsonl PRED.jsonl
"""
import argparse
import json
import subprocess
import sys


def first(value):
    if isinstance(value, list):
        return value[0] if value else ""
    return value or ""


def record(gold, form):
    country = gold.get("country", "US")
    if form == "split":
        return {"id": gold["id"], "ADDR1": gold.get("line", ""), "CITY": gold.get("city", ""),
                "POSTAL_CODE": gold.get("zip", ""), "COUNTRY": country}
    if form == "raw":
        return {"id": gold["id"], "ADDR1": gold.get("raw", ""), "COUNTRY": country}
    tail = " ".join(part for part in (gold.get("state"), gold.get("zip")) if part)
    line = ", ".join(part for part in (gold.get("line"), gold.get("city"), tail) if part)
    return {"id": gold["id"], "ADDR1": line, "COUNTRY": country}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--form", choices=("split", "joined", "raw"), default="split")
    parser.add_argument("zebparse")
    parser.add_argument("support_dir")
    parser.add_argument("labelled")
    parser.add_argument("predictions")
    args = parser.parse_args()
    zebparse, support_dir = args.zebparse, args.support_dir
    fields = ["STR_NUM", "STR_NAME", "UNIT_TYPE", "UNIT_NUM"]
    if args.form != "split":
        fields += ["CITY", "STATE", "POSTAL_CODE"]
    records = []
    with open(args.labelled, encoding="utf-8") as lines:
        for line in lines:
            records.append(json.dumps(record(json.loads(line), args.form)))
    run = subprocess.run(
        [zebparse, "run", "--format", "jsonl", "--all-elements", "--no-progress", "--support-dir",
         support_dir],
        input="\n".join(records) + "\n", capture_output=True, text=True, check=False)
    if run.returncode not in (0, 1):
        sys.exit(f"zebparse run failed ({run.returncode}): {run.stderr.strip()}")
    with open(args.predictions, "w", encoding="utf-8") as out:
        # Only line feeds end records: text may hold other line separators (U+2028).
        for line in run.stdout.split("\n"):
            if not line:
                continue
            result = json.loads(line)
            out.write(json.dumps({
                "id": result["id"],
                **{field: first(result.get(field)) for field in fields},
            }) + "\n")


if __name__ == "__main__":
    main()
