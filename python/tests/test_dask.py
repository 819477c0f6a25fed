"""The Dask example on a local cluster of two worker processes gives, record for
record, what one process gives."""
import json
import os
import sys
from pathlib import Path

import pandas as pd
import pytest

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "python" / "examples"))
dd = pytest.importorskip("dask.dataframe")
distributed = pytest.importorskip("distributed")

import dask_parse  # noqa: E402


def test_two_worker_processes_equal_one_process(tmp_path):
    records = []
    for path in [ROOT / "config" / "sample" / "records.jsonl",
                 *sorted((ROOT / "tests" / "config" / "data" / "oneline").glob("*.jsonl"))]:
        for line in path.read_text().splitlines():
            item = json.loads(line)
            records.append({"ADDR1": item.get("raw", item.get("ADDR1", "")),
                            "COUNTRY": item.get("country", item.get("COUNTRY", ""))})
    table = pd.DataFrame(records)
    for part in range(4):
        table.iloc[part::4].to_csv(tmp_path / f"part-{part}.csv", index=False)

    single = dask_parse.parse_partition(
        pd.concat(pd.read_csv(tmp_path / f"part-{part}.csv", dtype=str, keep_default_na=False)
                  for part in range(4)), "ADDR1", "COUNTRY").reset_index(drop=True)

    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        frame = dd.read_csv(str(tmp_path / "part-*.csv"), dtype=str, keep_default_na=False)
        assert frame.npartitions == 4
        spread = dask_parse.parse_dataset(frame, "ADDR1", "COUNTRY").compute()
        worker_pids = set(client.run(os.getpid).values())
    assert len(worker_pids) == 2 and os.getpid() not in worker_pids
    spread = spread.reset_index(drop=True)
    assert len(spread) == len(single) == len(records)
    pd.testing.assert_frame_equal(spread, single)
    assert single["parsed_street_number"].ne("").sum() > len(records) // 2
