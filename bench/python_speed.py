"""Addresses per second through the Python package, beside the C interface's own rate:
    - C interface: zebparse_parse_batch alone (one call for the whole list);
    - Python batch: Parser.parse_batch (a list of dicts) and parse_column (a DataFrame);
    - Python one at a time: Parser.parse per address, and Parser.process per record.
Run pinned to one core by scripts/python-speed.sh, over two sets of addresses (street
lines; whole one-line addresses); prints the median of the rounds. Rates are per
second of the process's CPU time, as Google Benchmark reports them, so that a machine
shared with other work does not halve them.
"""
import ctypes
import json
import statistics
import sys
import time
from pathlib import Path

import zebparse

ROOT = Path(__file__).resolve().parents[1]
COUNT = int(sys.argv[1]) if len(sys.argv) > 1 else 100000
ROUNDS = 3


def addresses(kind):
    """`kind` "street": the address lines of the sample records (a street line each);
    "oneline": whole one-line addresses of nine countries, locality included."""
    found = []
    if kind == "street":
        for line in (ROOT / "config/sample/records.jsonl").read_text().splitlines():
            item = json.loads(line)
            found.append((item["ADDR1"], item.get("COUNTRY", "")))
    else:
        for path in sorted((ROOT / "tests/config/data/oneline").glob("*.jsonl")):
            for line in path.read_text().splitlines():
                item = json.loads(line)
                found.append((item["raw"], item["country"]))
    return (found * (COUNT // len(found) + 1))[:COUNT]


def rate(work, count):
    times = []
    for _ in range(ROUNDS):
        start = time.process_time()
        work()
        times.append(time.process_time() - start)
    return count / statistics.median(times)


def measure(kind):
    import pandas as pd

    items = addresses(kind)
    texts = [a for a, _ in items]
    countries = [c for _, c in items]
    parser = zebparse.Parser()
    lib = zebparse._lib
    encoded = ("\x00".join(texts) + "\x00").encode()
    per_row = ("\x00".join(countries) + "\x00").encode()

    def c_batch():
        result, error = ctypes.c_void_p(), zebparse._Error()
        lib.zebparse_parse_batch(parser._handle, None, per_row, encoded, COUNT, 1,
                                 ctypes.byref(result), ctypes.byref(error))
        lib.zebparse_result_free(result)

    column, country_column = pd.Series(texts), pd.Series(countries)
    single = min(COUNT, 30000)
    records = [{"ADDR1": t, "COUNTRY": c} for t, c in items[:single]]
    rows = [
        ("C interface, batch (zebparse_parse_batch)", rate(c_batch, COUNT), None),
        ("Python batch, parse_batch -> list of dicts",
         rate(lambda: parser.parse_batch(texts, countries=countries, errors="keep"), COUNT),
         100000),
        ("Python batch, parse_column -> DataFrame",
         rate(lambda: zebparse.parse_column(column, parser, countries=country_column), COUNT),
         100000),
        ("Python one at a time, parse",
         rate(lambda: [parser.parse(t, c) for t, c in items[:single]], single), 30000),
        ("Python one at a time, process (whole record)",
         rate(lambda: [parser.process(r) for r in records], single), None),
    ]
    title = {"street": "street lines of the sample records",
             "oneline": "one-line addresses of 9 countries, locality included"}[kind]
    print(f"{COUNT:,} {title}, median of {ROUNDS} rounds")
    for name, value, target in rows:
        goal = f"(target {target:,})" if target else ""
        print(f"  {name:<46} {value:>10,.0f} addresses/s {goal}")


if __name__ == "__main__":
    measure("street")
    measure("oneline")
