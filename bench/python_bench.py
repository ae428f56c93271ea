#!/usr/bin/env python3
"""Times 1000 pictures (the samples, repeated) read three ways on two cores: plate-read -j 2,
two Python threads with a Reader each, and platereader.dask on a local cluster of two worker
processes; prints each one's overhead against plate-read. Every way reads the same list of files
from the page cache and computes the characters' distances; the best of several rounds (each
taking the three in turn) counts.
Beside the wall time it gives the CPU time every way spends (its processes, threads and workers
together), which a machine busy with other work disturbs far less.

    PYTHONPATH=build/release/python /usr/bin/python3 bench/python_bench.py [ROUNDS]
"""

import os
import pathlib
import resource
import subprocess
import sys
import threading
import time

import distributed

import platereader
import platereader.dask

ROOT = pathlib.Path(__file__).resolve().parents[1]
PLATE_READ = ROOT / "build" / "release" / "cli" / "plate-read"
PICTURES = 1000


def with_plate_read(files):
    subprocess.run([PLATE_READ, "--json", "-j", "2", "-"], input="\n".join(files), text=True,
                   stdout=subprocess.DEVNULL, check=True)


def with_threads(files):
    readers = [platereader.Reader(), platereader.Reader()]
    queue = iter(files)  # each thread takes the next file when it is free, as plate-read's workers do
    threads = [threading.Thread(target=lambda r=r: [r.read(f) for f in queue]) for r in readers]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()


def with_dask(files):
    records = platereader.dask.read_files(files).compute()
    assert len(records) == len(files)


def cpu_seconds(client):
    """CPU time used so far by this process (Dask's scheduler and client, the threads), the
    programs it ran and the Dask workers."""
    own, children = resource.getrusage(resource.RUSAGE_SELF), resource.getrusage(resource.RUSAGE_CHILDREN)
    workers = client.run(lambda: sum(os.times()[:2]))
    return own.ru_utime + own.ru_stime + children.ru_utime + children.ru_stime + sum(workers.values())


def timed(work, files, client):
    """Wall and CPU seconds of one way over the files."""
    cpu, start = cpu_seconds(client), time.perf_counter()
    work(files)
    return time.perf_counter() - start, cpu_seconds(client) - cpu


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    samples = sorted(str(p) for p in (ROOT / "data" / "samples").glob("*.bmp"))
    files = (samples * (PICTURES // len(samples) + 1))[:PICTURES]
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, distributed.Client(cluster) as client:
        with_dask(files[:20])  # the workers import the module and make their Readers
        ways = {"plate-read -j 2": with_plate_read, "2 Python threads": with_threads,
                "Dask, 2 local workers": with_dask}
        # Rounds take the ways in turn, so that a busy spell of the machine hits them alike.
        rounds_done = [[timed(work, files, client) for work in ways.values()] for _ in range(rounds)]
    # Each way's best wall time and best CPU time over the rounds.
    figures = {name: tuple(map(min, zip(*runs))) for name, runs in zip(ways, zip(*rounds_done))}
    wall_base, cpu_base = figures["plate-read -j 2"]
    print(f"{PICTURES} pictures, best of {rounds} rounds; overheads against plate-read -j 2")
    for name, (wall, cpu) in figures.items():
        print(f"{name:24} wall {wall:6.3f} s {100 * (wall / wall_base - 1):+6.1f} %   "
              f"CPU {cpu:6.3f} s {100 * (cpu / cpu_base - 1):+6.1f} %")


if __name__ == "__main__":
    main()
