"""Shared helpers of the platereader tests: the samples, plate-read's own answers, BMP pixels."""

import json
import os
import pathlib
import subprocess

import numpy as np
import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]
SAMPLES = ROOT / "data" / "samples"
# ctest names the plate-read it built; run by hand, the release build's is taken.
PLATE_READ = pathlib.Path(os.environ.get("PLATE_READ", ROOT / "build" / "release" / "cli" / "plate-read"))
TIMINGS = ("processing_ms", "elapsed_us")


def sample_files():
    return sorted(SAMPLES.glob("*.bmp"))


def without_timings(record):
    return {key: value for key, value in record.items() if key not in TIMINGS}


def plate_read_json(*inputs):
    """plate-read's JSON records for the inputs, without their timings."""
    if not PLATE_READ.exists():
        pytest.fail(f"{PLATE_READ} is not built: the module is compared with it")
    done = subprocess.run([PLATE_READ, "--json", *map(str, inputs)], capture_output=True, text=True)
    return [without_timings(json.loads(line)) for line in done.stdout.splitlines()]


def photo_of(path, size, target):
    """A sample enlarged to `size` and saved as a JPEG at `target`, as a camera would give it."""
    from PIL import Image

    Image.fromarray(bmp_pixels(path)[..., ::-1]).resize(size, Image.BICUBIC).save(target, quality=92)
    return target


def bmp_pixels(path):
    """A bottom-up 24-bit BMP's pixels as an H x W x 3 array in BGR order, top row first."""
    data = path.read_bytes()
    width, height = np.frombuffer(data, "<i4", 2, 18)
    stride = (3 * width + 3) // 4 * 4
    rows = np.frombuffer(data, np.uint8, height * stride, 54).reshape(height, stride)
    return rows[::-1, : 3 * width].reshape(height, width, 3)
