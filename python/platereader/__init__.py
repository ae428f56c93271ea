"""Reads Japanese number plates from pictures, with the engine of plate-read.

    import platereader
    reader = platereader.Reader()
    result = reader.read("data/samples/two_plates.bmp")
    [plate["text"] for plate in result["plates"]]          # ['･839', '12-04']

A result is the dict `plate-read --json` prints for the file: "file", "processing_ms",
"elapsed_us", "plates" (each with "text", "digit_count", "group_id", "frame", "worst_distance"
and "characters", each character with its box, "template", "distance", "runner_up" and, when
the 0/8 check changed it, "matched") and "log". Coordinates are the frame's: x from the left,
y from the bottom of the 1024 x 768 frame. A file that cannot be read raises OSError or
ValueError in plate-read's words, with the "error" and "reason" of its JSON record as attributes.

A Reader is not shared between threads (that raises RuntimeError); the engine runs without the
GIL, so threads with a Reader each read in parallel. platereader.dask spreads the reading over a
Dask cluster.
"""

from ._platereader import Reader

__all__ = ["Reader"]
