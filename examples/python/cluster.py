"""A large mill log through rollbite on a dask.distributed cluster.

The example passes (the 28 of the four finishing schedules) are repeated with new case numbers into a
log of COUNT passes, cut into partitions, each solved by rollbite.direct on a worker, and the rows joined
in their order: the frame one rollbite.direct call would give.

    PYTHONPATH=build/python /usr/bin/python3 examples/python/cluster.py [--workers N] [--count N]
        [--partitions N] [--scheduler ADDRESS]

Without --scheduler it starts a local cluster of N worker processes (default 2), one thread each. With
--scheduler tcp://host:8786 it uses that cluster, whose workers must be able to import rollbite (the
same build on their PYTHONPATH).
"""

import argparse
import pathlib
import time

import numpy as np
import pandas as pd
from dask.distributed import Client, LocalCluster

import rollbite

EXAMPLES = pathlib.Path(__file__).resolve().parent.parent


def large_log(count):
    """COUNT passes: the example schedules over and over, numbered 1 to COUNT."""
    passes = rollbite.read_entry(EXAMPLES / "direct_constant_entry.txt", "direct")
    passes = passes[passes["case"] < 900].drop(columns="unreadable")
    log = passes.iloc[np.arange(count) % len(passes)].reset_index(drop=True)
    log["case"] = np.arange(1, count + 1, dtype=np.int32)
    return log


def solve_on_cluster(client, passes, partitions, threads_per_partition=1):
    """rollbite.direct on every partition of the passes, on the cluster's workers; the rows in order."""
    pieces = [passes.iloc[rows] for rows in np.array_split(np.arange(len(passes)), partitions)]
    futures = client.map(rollbite.direct, pieces, threads=threads_per_partition, pure=False)
    return pd.concat(client.gather(futures))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--workers", type=int, default=2, help="worker processes of a local cluster")
    parser.add_argument("--count", type=int, default=100_000, help="passes in the log")
    parser.add_argument("--partitions", type=int, default=None, help="pieces of the log (default: 8 per worker)")
    parser.add_argument("--scheduler", default=None, help="address of a running dask scheduler")
    arguments = parser.parse_args()

    passes = large_log(arguments.count)
    if arguments.scheduler:
        client = Client(arguments.scheduler)
    else:
        cluster = LocalCluster(n_workers=arguments.workers, threads_per_worker=1, processes=True)
        client = Client(cluster)
    workers = len(client.scheduler_info()["workers"])
    partitions = arguments.partitions or 8 * workers
    start = time.perf_counter()
    results = solve_on_cluster(client, passes, partitions)
    seconds = time.perf_counter() - start
    counts = results["Errors"].value_counts().to_dict()
    print(f"{len(results):,} passes on {workers} workers in {partitions} partitions: {seconds:.1f} s, "
          f"{len(results) / seconds:,.0f} passes/s; {counts}")
    client.close()


if __name__ == "__main__":
    main()
