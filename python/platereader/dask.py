"""Reads many pictures with Dask, on this machine or on any cluster a Client points at.

    from distributed import Client, LocalCluster
    import platereader.dask

    client = Client(LocalCluster(n_workers=2, threads_per_worker=1))
    results = platereader.dask.read_files("photos/").compute()

Each item is the record `plate-read --json` prints for one file, in the order of the files; a
file that cannot be read gives {"file": ..., "error": ..., "reason": ...} as there. Every worker thread keeps one
Reader per pattern file for as long as it lives. The workers open the files by the names given,
so on several machines the files must be reachable under the same names on every worker.
"""

import glob
import os
import threading

import dask.bag

from . import Reader
from ._platereader import is_picture_name

# Dask's own cost is some milliseconds a task, so tasks are few and large: by default four for each
# worker thread, each of at most this many files.
MAX_FILES_PER_PARTITION = 1000

_readers = threading.local()


def list_pictures(paths_or_glob):
    """The files to read, in order: a directory gives its pictures sorted by name, a pattern with
    *, ? or [ its matches sorted, anything else is taken as a file name."""
    items = [paths_or_glob] if isinstance(paths_or_glob, (str, os.PathLike)) else paths_or_glob
    files = []
    for item in map(os.fspath, items):
        if os.path.isdir(item):
            names = sorted(n for n in os.listdir(item) if is_picture_name(n))
            files += [p for p in (os.path.join(item, n) for n in names) if os.path.isfile(p)]
        elif any(c in item for c in "*?["):
            matches = sorted(glob.glob(item))
            if not matches:
                raise FileNotFoundError(f"no file matches {item}")
            files += matches
        else:
            files.append(item)
    return files


def _reader(patterns):
    cache = _readers.__dict__.setdefault("by_patterns", {})
    if patterns not in cache:
        cache[patterns] = Reader(patterns)
    return cache[patterns]


def read_file(path, patterns=None):
    """plate-read's record for one file, with this thread's Reader."""
    try:
        return _reader(patterns).read(path)
    except (OSError, ValueError) as error:
        if not hasattr(error, "reason"):  # not one of the Reader's refusals of a file
            raise
        return {"file": error.filename, "error": error.error, "reason": error.reason}


def _default_partitions(count):
    try:
        from distributed import get_client

        threads = sum(get_client().nthreads().values())
    except (ImportError, ValueError):  # no distributed, or no Client: Dask's local processes
        threads = os.cpu_count() or 1
    return max(1, min(count, max(4 * threads, -(-count // MAX_FILES_PER_PARTITION))))


def _read_partition(paths, patterns):
    return [read_file(path, patterns) for path in paths]


def read_files(paths_or_glob, patterns=None, npartitions=None):
    """A dask.bag of plate-read's records for the files (see list_pictures), read by the workers
    of the current Dask scheduler (a distributed Client's cluster when there is one)."""
    files = list_pictures(paths_or_glob)
    if not files:
        raise FileNotFoundError(f"no picture to read in {paths_or_glob}")
    if patterns is not None:
        patterns = os.fspath(patterns)
    if npartitions is None:
        npartitions = _default_partitions(len(files))
    bag = dask.bag.from_sequence(files, npartitions=npartitions)
    return bag.map_partitions(_read_partition, patterns)
