#!/usr/bin/env python3
"""Runs zeb_eval over labelled records and fails when accuracy drops below a floor.

usage: run_accuracy.py --eval-bin ZEB_EVAL --config XML --gold FILE.jsonl [FILE ...]
                       --min-record ACC [--scorer score.py]
                       [--form split|joined|raw] [--split NAME] [--category NAME]
                       [--min-locality ACC]

--form is the record form zeb_eval builds (one-line forms also predict CITY, STATE
and POSTAL_CODE, whose "locality" accuracy, all three right, --min-locality bounds);
--split keeps only the gold records whose "split" is NAME, --category those whose
"category" is NAME (a record without one is "standard").

With --scorer, the shared scorer scores the records and its last line is read;
without it, the records are scored here by the same rules (upper case; . , - %
removed; blanks collapsed; a leading # removed; a box without a unit expects "POB"
and the box number; UNIT or # counts for an empty expected unit type).
Exits 77 (skipped) when a gold file or the scorer is missing.
"""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

SKIP = 77
FIELDS = ["STR_NUM", "STR_NAME", "UNIT_TYPE", "UNIT_NUM"]


def norm(value):
    s = re.sub(r"[.,\-%]", "", (value or "").upper())
    s = " ".join(s.split())
    return s[1:].strip() if s.startswith("#") else s


def expected(gold):
    exp = {f: gold.get(f) or "" for f in FIELDS}
    if not (exp["UNIT_TYPE"].strip() or exp["UNIT_NUM"].strip()) and (
            (gold.get("POBOX_TYPE") or "").strip() or (gold.get("POBOX_NUM") or "").strip()):
        exp["UNIT_TYPE"], exp["UNIT_NUM"] = "POB", gold.get("POBOX_NUM") or ""
    return exp


def matches(field, exp, pred):
    e, p = norm(exp), norm(pred)
    return e == p or (field == "UNIT_TYPE" and e == "" and p == "UNIT")


LOCALITY = {"CITY": "city", "STATE": "state", "POSTAL_CODE": "zip"}


def locality_matches(gold, pred):
    return all(norm(gold.get(g)).replace(" ", "") == norm(pred.get(f)).replace(" ", "")
               for f, g in LOCALITY.items())


def score_here(gold_path, pred_path):
    with open(pred_path, encoding="utf-8") as f:
        preds = {p["id"]: p for p in map(json.loads, f)}
    total = correct = localities = 0
    field_ok = {f: 0 for f in FIELDS}
    with open(gold_path, encoding="utf-8") as f:
        for gold in (json.loads(line) for line in f if line.strip()):
            exp = expected(gold)
            pred = preds.get(gold["id"], {})
            ok = {f: matches(f, exp[f], pred.get(f, "")) for f in FIELDS}
            if "CITY" in pred:
                found = locality_matches(gold, pred)
                localities += found
                if not found:
                    print("  locality miss %s [%s] expected %s got %s" % (
                        gold["id"], gold.get("raw"), [gold.get(g) for g in LOCALITY.values()],
                        [pred.get(f) for f in LOCALITY]))
            total += 1
            for f in FIELDS:
                field_ok[f] += ok[f]
            if all(ok.values()):
                correct += 1
            else:
                print("  miss %s [%s] expected %s got %s" % (
                    gold["id"], gold.get("line"), {f: exp[f] for f in FIELDS if not ok[f]},
                    {f: pred.get(f, "") for f in FIELDS if not ok[f]}))
    if total == 0:
        return 0.0, {}, 0.0
    return correct / total, {f: field_ok[f] / total for f in FIELDS}, localities / total


def score_shared(scorer, gold_path, pred_path):
    out = subprocess.run([sys.executable, scorer, gold_path, pred_path, "--by-category"],
                         capture_output=True, text=True, check=True).stdout
    print(out)
    last = out.strip().splitlines()[-1]
    record = float(re.search(r"record_accuracy=([0-9.]+)", last).group(1))
    fields = {k: float(v) for k, v in re.findall(r"(\w+):([0-9.]+)", last.split("fields=")[1])}
    locality = re.search(r"^locality\s+\d+\s+\d+\s+([0-9.]+)", out, re.M)
    return record, fields, float(locality.group(1)) if locality else 0.0


def wanted(record, args):
    return ((not args.split or record.get("split") == args.split) and
            (not args.category or record.get("category", "standard") == args.category))


def below(name, what, accuracy, floor):
    print("%s: %s accuracy %.4f (floor %.4f)" % (name, what, accuracy, floor))
    if accuracy < floor:
        print("FAIL: %s %s accuracy %.4f below %.4f" % (name, what, accuracy, floor))
    return accuracy < floor


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--eval-bin", required=True)
    ap.add_argument("--config", required=True)
    ap.add_argument("--gold", nargs="+", required=True)
    ap.add_argument("--min-record", type=float, required=True)
    ap.add_argument("--form", choices=("split", "joined", "raw"), default="split")
    ap.add_argument("--min-locality", type=float)
    ap.add_argument("--scorer")
    ap.add_argument("--split")
    ap.add_argument("--category")
    args = ap.parse_args()

    for path in args.gold + ([args.scorer] if args.scorer else []):
        if not os.path.exists(path):
            print("skipped: labelled data not found at [%s]" % path)
            return SKIP
    failed = False
    for gold in args.gold:
        name = os.path.basename(gold)
        with tempfile.TemporaryDirectory() as tmp:
            pred = os.path.join(tmp, "pred.jsonl")
            if args.split or args.category:
                kept = os.path.join(tmp, "gold.jsonl")
                with open(gold, encoding="utf-8") as src, open(kept, "w", encoding="utf-8") as dst:
                    dst.writelines(l for l in src if l.strip() and wanted(json.loads(l), args))
                gold = kept
            subprocess.run([args.eval_bin, "--config", args.config, "--input", gold,
                            "--output", pred, "--form", args.form], check=True)
            record, fields, locality = (score_shared(args.scorer, gold, pred) if args.scorer
                                        else score_here(gold, pred))
        print("%s: fields %s" % (name, " ".join("%s:%.4f" % kv for kv in fields.items())))
        failed |= below(name, "record", record, args.min_record)
        if args.min_locality is not None:
            failed |= below(name, "locality", locality, args.min_locality)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
