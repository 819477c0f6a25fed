#!/usr/bin/env python3
"""Scores-ready predictions from `zebparse run`, the way users run the plug-in.

Each labelled record becomes a jsonl record (ADDR1 = line, CITY, POSTAL_CODE,
COUNTRY = US unless the record names one) that goes through zebparse run; the
elements the plug-in writes back become the scorer's prediction fields. STR_NUM
and UNIT_NUM come back twice (the parsed value and its upper-cased copy): the
first is the parsed one.

    zebparse_predictions.py ZEBPARSE SUPPORT_DIR LABELLED.jsonl PRED.jsonl
"""
import json
import subprocess
import sys


def first(value):
    if isinstance(value, list):
        return value[0] if value else ""
    return value or ""


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    zebparse, support_dir, labelled, predictions = sys.argv[1:]
    records = []
    with open(labelled, encoding="utf-8") as lines:
        for line in lines:
            gold = json.loads(line)
            records.append(json.dumps({
                "id": gold["id"],
                "ADDR1": gold.get("line", ""),
                "CITY": gold.get("city", ""),
                "POSTAL_CODE": gold.get("zip", ""),
                "COUNTRY": gold.get("country", "US"),
            }))
    run = subprocess.run(
        [zebparse, "run", "--format", "jsonl", "--no-progress", "--support-dir", support_dir],
        input="\n".join(records) + "\n", capture_output=True, text=True, check=False)
    if run.returncode not in (0, 1):
        sys.exit(f"zebparse run failed ({run.returncode}): {run.stderr.strip()}")
    with open(predictions, "w", encoding="utf-8") as out:
        # Only line feeds end records: text may hold other line separators (U+2028).
        for line in run.stdout.split("\n"):
            if not line:
                continue
            result = json.loads(line)
            out.write(json.dumps({
                "id": result["id"],
                **{field: first(result.get(field)) for field in
                   ("STR_NUM", "STR_NAME", "UNIT_TYPE", "UNIT_NUM")},
            }) + "\n")


if __name__ == "__main__":
    main()
