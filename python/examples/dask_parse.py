"""Parses a partitioned CSV data set on a Dask cluster, one parser per worker process.

    python3 dask_parse.py 'in/part-*.csv' out/ --workers 2 [--scheduler tcp://host:8786]
                          [--column ADDR1] [--country-column COUNTRY]

Every partition (one CSV file or block) goes to a worker process, which opens its own
zebparse.Parser the first time and keeps it for every later partition; the output has
the input's columns followed by one column per parsed field and "error". Tested by
python/tests/test_dask.py.
"""
import argparse

import pandas as pd

import zebparse

FIELD_COLUMNS = list(zebparse.FIELDS) + ["error"]


def parse_partition(frame, column="ADDR1", country_column=None):
    """One partition with its parsed fields appended (zebparse's process-wide parser)."""
    countries = frame[country_column] if country_column else None
    parsed = zebparse.parse_column(frame[column], zebparse.shared_parser(), countries=countries)
    return pd.concat([frame, parsed.add_prefix("parsed_")], axis=1)


def parse_dataset(frame, column="ADDR1", country_column=None):
    """A dask DataFrame with the parsed fields of `column` appended to each partition."""
    meta = parse_partition(frame._meta.assign(**{column: pd.Series([], dtype=object)}),
                           column, country_column)
    return frame.map_partitions(parse_partition, column, country_column, meta=meta)


def main():
    import dask.dataframe as dd
    from distributed import Client, LocalCluster

    args = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    args.add_argument("input", help="CSV files, a glob such as 'in/part-*.csv'")
    args.add_argument("output", help="folder for the parsed CSV files")
    args.add_argument("--workers", type=int, default=2, help="local worker processes")
    args.add_argument("--scheduler", help="address of a running scheduler instead")
    args.add_argument("--column", default="ADDR1")
    args.add_argument("--country-column")
    options = args.parse_args()

    cluster = None if options.scheduler else LocalCluster(
        n_workers=options.workers, threads_per_worker=1, processes=True, dashboard_address=None)
    with Client(options.scheduler or cluster):
        frame = dd.read_csv(options.input, dtype=str, keep_default_na=False)
        parsed = parse_dataset(frame, options.column, options.country_column)
        parsed.to_csv(f"{options.output}/part-*.csv", index=False)
    if cluster is not None:
        cluster.close()


if __name__ == "__main__":
    main()
