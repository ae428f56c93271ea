"""platereader.Reader.read_video: the events plate-read prints for a video, as dicts."""

import shutil
import subprocess
import threading

import pytest

import platereader
from conftest import SAMPLES, plate_read_json, without_timings

pytestmark = pytest.mark.skipif(not hasattr(platereader.Reader, "read_video"), reason="built without video")


@pytest.fixture(scope="module")
def video(tmp_path_factory):
    """The two-plate sample held still for one second of H.264 at 25 frames a second."""
    if shutil.which("ffmpeg") is None:
        pytest.skip("the ffmpeg program is not installed")
    target = tmp_path_factory.mktemp("video") / "two_plates.mp4"
    subprocess.run(["ffmpeg", "-v", "error", "-loop", "1", "-i", SAMPLES / "two_plates.bmp", "-t", "1", "-r", "25",
                    "-c:v", "libx264", "-pix_fmt", "yuv420p", target], check=True)
    return target


def test_events_are_plate_reads_json_lines(video):
    events = list(platereader.Reader().read_video(str(video)))
    assert [event["text"] for event in events] == ["\uff65839", "12-04"]
    assert [(e["frames"], e["first"]["frame"], e["last"]["frame"]) for e in events] == [(25, 0, 24)] * 2
    assert events == plate_read_json(video)


def test_frames_on_request_and_one_in_n(video):
    lines = list(platereader.Reader().read_video(str(video), frames=True, every=5))
    frames = [line for line in lines if line["type"] == "frame"]
    assert [frame["frame"] for frame in frames] == [0, 5, 10, 15, 20]
    assert [without_timings(line) for line in lines] == plate_read_json("--frames", "--every", "5", video)


def test_a_fault_raises_after_the_events_and_frees_the_reader(tmp_path, video):
    cut = tmp_path / "cut.mp4"
    cut.write_bytes(video.read_bytes()[:100])
    reader = platereader.Reader()
    with pytest.raises(ValueError, match="cut.mp4: "):
        list(reader.read_video(str(cut)))
    assert len(list(reader.read_video(str(video)))) == 2


def test_the_reader_is_taken_while_a_video_is_read_and_other_threads_run(video):
    reader = platereader.Reader()
    events = reader.read_video(str(video), frames=True)
    first = next(events)
    with pytest.raises(RuntimeError, match="already reading"):
        reader.read(SAMPLES / "two_plates.bmp")
    # Another thread with its own Reader reads meanwhile: the first waits without the GIL.
    other = []
    thread = threading.Thread(target=lambda: other.append(platereader.Reader().read(SAMPLES / "two_plates.bmp")))
    thread.start()
    rest = list(events)
    thread.join()
    assert first["type"] == "frame" and len(rest) == 24 + 2
    assert [p["text"] for p in other[0]["plates"]] == ["\uff65839", "12-04"]
    assert reader.read(SAMPLES / "two_plates.bmp")["plates"]
