"""The Python package over libzebparse: fields, records, errors, threads and pandas."""
from concurrent.futures import ThreadPoolExecutor
import json
from pathlib import Path

import pandas as pd
import pytest

import zebparse

SAMPLE = Path(__file__).resolve().parents[2] / "config" / "sample" / "records.jsonl"


@pytest.fixture(scope="module")
def parser():
    with zebparse.Parser() as p:
        yield p


def sample_addresses():
    return [json.loads(line)["ADDR1"] for line in SAMPLE.read_text().splitlines()]


def test_parse_process_and_batch_agree_on_the_fields(parser):
    fields = parser.parse("123 Main St Apt 4, Springfield IL 62704", country="US")
    assert fields == {"street_number": "123", "street_name": "MAIN", "suffix": "ST",
                      "unit_type": "APT", "unit_number": "4", "city": "Springfield",
                      "state": "IL", "postal_code": "62704"}
    assert parser.parse(["Attn: Billing", "PO Box 55"], country="US")["po_box_number"] == "55"
    record = parser.process({"id": 7, "ADDR1": "417 Walnut Ave #5", "CITY": "Lexington",
                             "COUNTRY": "US"})
    assert "id" not in record
    assert record["STR_NAME"] == "WALNUT" and record["CITY"] == "Lexington"
    assert record["STR_NAME_STD"] and record["CITY_STD"]
    addresses = sample_addresses()
    assert parser.parse_batch(addresses) == [parser.parse(a) for a in addresses]


@pytest.mark.parametrize("call, code, in_message", [
    (lambda p: p.parse("1 Main\x01 St"), 3, "[1 Main? St]"),
    (lambda p: p.parse("1 Main\x00 St"), 3, "NUL"),
    (lambda p: p.parse("A" * 5000), 3, "[AAAA"),
    (lambda p: p.parse(["a", "b", "c", "d"]), 1, "one to three"),
    (lambda p: p.process({"ADDR1": "12 Elm\x02"}), 3, "ADDR1 [12 Elm?]"),
    (lambda p: p.parse_batch(["1 Main St", "x\x02"]), 3, "[x?]"),
    (lambda p: zebparse.Parser("/nonexistent/support"), 2, "[/nonexistent/support]"),
])
def test_errors_raise_with_the_library_message(parser, call, code, in_message):
    with pytest.raises(zebparse.ZebparseError) as raised:
        call(parser)
    assert raised.value.code == code
    assert in_message in str(raised.value)


def test_threads_sharing_one_parser_get_what_one_thread_gets(parser):
    addresses = sample_addresses() * 5
    alone = parser.parse_batch(addresses)
    with ThreadPoolExecutor(4) as pool:
        together = list(pool.map(lambda _: parser.parse_batch(addresses), range(8)))
        singles = list(pool.map(parser.parse, addresses))
        records = list(pool.map(lambda a: parser.process({"ADDR1": a}), addresses))
    assert all(result == alone for result in together)
    assert singles == alone
    assert records == [parser.process({"ADDR1": a}) for a in addresses]


def test_parse_column_keeps_the_index_and_reports_refused_rows(parser):
    column = pd.Series(["12 Main St", pd.NA, "x\x02", "PO Box 9"], index=[10, 11, 12, 13],
                       dtype="string")
    frame = zebparse.parse_column(column, parser=parser, country="US")
    assert list(frame.columns) == list(zebparse.FIELDS) + ["error"]
    assert list(frame.index) == [10, 11, 12, 13]
    assert frame.loc[10, "street_number"] == "12" and frame.loc[13, "po_box_number"] == "9"
    assert frame.loc[11].eq("").all()
    assert "[x?]" in frame.loc[12, "error"] and frame.loc[12, "street_name"] == ""
    assert parser.parse_batch([float("nan"), None, pd.NA]) == [{}, {}, {}]
