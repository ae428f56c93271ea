"""Shared helpers of the platereader tests: the samples, plate-read's own answers, BMP pixels."""

import json
import os
import pathlib
import subprocess

import numpy as np
import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]
SAMPLES = ROOT / "data" / "samples"
PLATE_READ = pathlib.Path(os.environ.get("PLATE_READ", ROOT / "build" / "release" / "cli" / "plate-read"))
TIMINGS = ("processing_ms", "elapsed_us")


def sample_files():
    return sorted(SAMPLES.glob("*.bmp"))


def without_timings(record):
    return {key: value for key, value in record.items() if key not in TIMINGS}


def plate_read_json(*inputs):
    """plate-read's JSON records for the inputs, without their timings."""
    if not PLATE_READ.exists():
        pytest.skip(f"{PLATE_READ} is not built")
    done = subprocess.run([PLATE_READ, "--json", *map(str, inputs)], capture_output=True, text=True)
    return [without_timings(json.loads(line)) for line in done.stdout.splitlines()]


def bmp_pixels(path):
    """A bottom-up 24-bit BMP's pixels as an H x W x 3 array in BGR order, top row first."""
    data = path.read_bytes()
    width, height = np.frombuffer(data, "<i4", 2, 18)
    stride = (3 * width + 3) // 4 * 4
    rows = np.frombuffer(data, np.uint8, height * stride, 54).reshape(height, stride)
    return rows[::-1, : 3 * width].reshape(height, width, 3)
