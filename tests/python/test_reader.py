"""platereader.Reader: files and arrays, errors in plate-read's words, threads."""

import os
import signal
import struct
import subprocess
import threading
import time
import zlib

import numpy as np
import pytest

import platereader
from conftest import PLATE_READ, SAMPLES, bmp_pixels, photo_of, plate_read_json, sample_files, without_timings


@pytest.fixture(scope="module")
def reader():
    return platereader.Reader()


def test_files_read_as_plate_read_reads_them(reader):
    files = sample_files()
    assert [without_timings(reader.read(f)) for f in files] == plate_read_json(*files)


def test_small_plates_read_as_plate_read_reads_them(reader, tmp_path):
    render = PLATE_READ.parents[1] / "tools" / "plate_renderer" / "render-plate"
    if not render.exists():
        pytest.skip(f"{render} is not built")
    picture = tmp_path / "small.bmp"
    subprocess.run([render, "--size", "320x240", "--plate", "5821:width=50:at=100,100", "--blur", "0.8",
                    "--noise", "2", picture], check=True, capture_output=True)
    record = without_timings(reader.read(picture, small_plates=True))
    plates = [(p["text"], p["group_id"], p.get("tile_scale", 1) > 1) for p in record["plates"]]
    assert plates == [("58-21", 0, True)]
    assert record == plate_read_json("--small-plates", picture)[0]
    assert reader.read(picture)["plates"] == []


def test_a_photo_larger_than_the_frame_reads_as_plate_read_reads_it(reader, tmp_path):
    photo = photo_of(SAMPLES / "two_plates.bmp", (1500, 1125), tmp_path / "photo.jpg")
    record = without_timings(reader.read(photo))
    assert record == plate_read_json(photo)[0]
    assert record["source"]["format"] == "jpeg" and record["source"]["scale"] not in (0.5, 1)
    assert [p["text"] for p in record["plates"]] == ["\uff65839", "12-04"]


def test_max_distance_leaves_out_plates_as_plate_read_does(reader):
    picture = SAMPLES / "two_plates.bmp"
    worst = [p["worst_distance"] for p in reader.read(picture)["plates"]]
    assert min(worst) < max(worst), "the sample's plates must differ in their worst distance"
    for limit in (min(worst) - 1, min(worst), max(worst)):
        record = without_timings(reader.read(picture, max_distance=limit))
        assert [p["worst_distance"] for p in record["plates"]] == [w for w in worst if w <= limit]
        assert record == plate_read_json("--max-distance", str(limit), picture)[0]


def picture_only(record):
    """A file's record without what only a file has: its name, format and boxes in its own pixels."""
    plates = [
        {**{k: v for k, v in plate.items() if k != "source_box"},
         "characters": [{k: v for k, v in c.items() if k != "source_box"} for c in plate["characters"]]}
        for plate in record["plates"]
    ]
    return {**{k: v for k, v in record.items() if k not in ("file", "source")}, "plates": plates}


@pytest.mark.parametrize("path", sample_files(), ids=lambda p: p.stem)
def test_an_array_reads_as_its_file_in_either_channel_order(reader, path):
    expected = picture_only(without_timings(reader.read(path)))
    bgr = bmp_pixels(path)
    views = {"BGR": bgr, "RGB": bgr[..., ::-1]}  # a strided view, as Pillow users often pass
    for order, pixels in views.items():
        assert without_timings(reader.read_array(pixels, order=order)) == expected, order
        assert without_timings(reader.read_array(np.ascontiguousarray(pixels), order)) == expected, order


# A file the system does not give and files that are no picture take the two ways to an exception;
# which message a broken bitmap gets is plate-read's business, tested with it.
BAD_FILES = {
    "missing.bmp": None,
    "cut_short.bmp": b"BM" + bytes(12) + struct.pack("<IiiHHI", 40, 10, 10, 1, 24, 0) + bytes(60),
    "header_only.bmp": b"BM" + bytes(20),
}


def test_unreadable_files_raise_with_plate_reads_message(reader, tmp_path):
    paths = []
    for name, content in BAD_FILES.items():
        paths.append(tmp_path / name)
        if content is not None:
            paths[-1].write_bytes(content)
    for path, record in zip(paths, plate_read_json(*paths)):
        expected_type = FileNotFoundError if path.name == "missing.bmp" else ValueError
        with pytest.raises(expected_type) as raised:
            reader.read(path)
        error = raised.value
        assert (error.filename, error.error, error.reason) == (record["file"], record["error"], record["reason"])
        assert error.strerror.startswith(record["reason"]) and error.strerror in str(error)


@pytest.mark.parametrize(
    "array, order",
    [
        (np.zeros((10, 10, 3), np.float32), "RGB"),
        (np.zeros((10, 10, 4), np.uint8), "RGB"),
        (np.zeros((10, 10), np.uint8), "RGB"),
        (np.zeros((10, 10, 3), np.uint8), "rgb"),
    ],
    ids=["float", "four_channels", "grey", "unknown_order"],
)
def test_arrays_the_reader_cannot_take_raise_value_error(reader, array, order):
    with pytest.raises(ValueError):
        reader.read_array(array, order)


def test_an_array_larger_than_the_frame_is_fitted_as_a_file_is_and_keeps_the_middle_dot(reader):
    doubled = np.repeat(np.repeat(bmp_pixels(SAMPLES / "two_plates.bmp"), 2, axis=0), 2, axis=1)
    record = reader.read_array(doubled, order="BGR")
    assert [plate["text"] for plate in record["plates"]] == ["\uff65839", "12-04"]
    assert (record["source"]["width"], record["source"]["height"]) == (doubled.shape[1], doubled.shape[0])
    assert record["plates"][0]["source_box"]["x_min"] > record["plates"][0]["frame"]["x_min"]


def test_the_largest_array_is_read_and_an_empty_one_refused_in_words(reader):
    assert reader.read_array(np.full((768, 1024, 3), 255, np.uint8))["plates"] == []
    for shape in [(0, 0, 3), (0, 2000, 3), (2000, 0, 3)]:
        with pytest.raises(ValueError, match="no pixels"):
            reader.read_array(np.zeros(shape, np.uint8))


def test_a_missing_pattern_file_raises(tmp_path):
    with pytest.raises(FileNotFoundError, match="none.pat"):
        platereader.Reader(tmp_path / "none.pat")


def read_in_threads(readers, rounds):
    files = sample_files()
    results = [[] for _ in readers]
    errors = []

    def work(index):
        try:
            for _ in range(rounds):
                results[index].append([without_timings(readers[index].read(f)) for f in files])
        except RuntimeError as error:
            errors.append(error)

    threads = [threading.Thread(target=work, args=(i,)) for i in range(len(readers))]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    return results, errors


def test_threads_with_their_own_readers_read_alike():
    results, errors = read_in_threads([platereader.Reader() for _ in range(2)], rounds=5)
    assert not errors
    expected = plate_read_json(*sample_files())
    assert all(batch == expected for thread in results for batch in thread)


def test_a_reader_shared_between_threads_refuses_the_second():
    shared = platereader.Reader()
    _, errors = read_in_threads([shared, shared], rounds=20)
    assert errors and "not shared between threads" in str(errors[0])


def test_find_plates_reads_as_plate_read_finds_them():
    picture = SAMPLES / "two_plates.bmp"
    record = without_timings(platereader.Reader(find_plates=True).read(picture))
    assert record == plate_read_json("--find-plates", picture)[0]
    plain = platereader.Reader().read(picture)["plates"]
    assert sorted(p["text"] for p in record["plates"]) == sorted(p["text"] for p in plain)
    quads = [p["quad"] for p in record["plates"] if "quad" in p]
    assert quads, "the sample's plates lie flat and light on dark: the finder must find one"
    width, height = record["source"]["width"], record["source"]["height"]
    assert all(0 <= x <= width and 0 <= y <= height for quad in quads for x, y in quad)


def slow_png(path, side):
    """A side x side 16-bit RGBA PNG, transparent throughout: small, but slow to decode."""
    inflated = side * (1 + 8 * side)
    packer, zeros, data = zlib.compressobj(1), bytes(1 << 24), []
    for at in range(0, inflated, len(zeros)):
        data.append(packer.compress(zeros[: min(len(zeros), inflated - at)]))
    data.append(packer.flush())

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    header = struct.pack(">IIBBBBB", side, side, 16, 6, 0, 0, 0)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", b"".join(data)) +
                     chunk(b"IEND", b""))
    return path


class Interrupted(Exception):
    """What the test's SIGINT handler raises (KeyboardInterrupt would end pytest if it came late)."""


def test_a_signal_ends_a_long_read_at_once_and_the_reader_reads_on(reader, tmp_path):
    picture = slow_png(tmp_path / "slow.png", 8000)
    start = time.monotonic()
    reader.read(picture)
    whole = time.monotonic() - start
    signalled = []

    def interrupt():
        signalled.append(time.monotonic())
        os.kill(os.getpid(), signal.SIGINT)

    def raise_interrupted(*_):
        raise Interrupted

    previous = signal.signal(signal.SIGINT, raise_interrupted)
    try:
        timer = threading.Timer(whole / 4, interrupt)
        timer.start()
        with pytest.raises(Interrupted):
            reader.read(picture)
        raised = time.monotonic()
        timer.join()
    finally:
        signal.signal(signal.SIGINT, previous)
    # Stopped between rows, not at the end of the decode, three quarters of it later.
    assert raised - signalled[0] < whole / 4
    sample = SAMPLES / "two_plates.bmp"
    assert without_timings(reader.read(sample)) == plate_read_json(sample)[0]
