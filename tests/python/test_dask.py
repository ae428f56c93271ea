"""platereader.dask on a local cluster of two worker processes gives plate-read's records."""

import pytest

distributed = pytest.importorskip("distributed")
import platereader.dask  # noqa: E402
from conftest import SAMPLES, photo_of, plate_read_json, without_timings  # noqa: E402


@pytest.fixture(scope="module")
def client():
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, distributed.Client(cluster) as client:
        yield client


def test_a_directory_on_two_workers_reads_as_plate_read(client):
    records = platereader.dask.read_files(SAMPLES).compute()
    assert [without_timings(r) for r in records] == plate_read_json(SAMPLES)
    assert len(client.run(lambda: 0)) == 2


def test_a_folder_of_photos_gives_one_record_per_photo_as_plate_read(client, tmp_path):
    for name, size in [("a.jpg", (1500, 1125)), ("b.JPEG", (1100, 825))]:
        photo_of(SAMPLES / "two_plates.bmp", size, tmp_path / name)
    (tmp_path / "notes.txt").write_text("not a picture")
    records = platereader.dask.read_files(tmp_path).compute()
    assert [r["file"].rsplit("/", 1)[1] for r in records] == ["a.jpg", "b.JPEG"]
    assert [without_timings(r) for r in records] == plate_read_json(tmp_path)


def test_unreadable_files_become_plate_reads_error_records(client, tmp_path):
    names = [SAMPLES / "two_plates.bmp", tmp_path / "missing.bmp", SAMPLES / "no_plate.bmp"]
    records = platereader.dask.read_files(names, npartitions=2).compute()
    assert [without_timings(r) for r in records] == plate_read_json(*names)


def test_a_glob_lists_its_matches_in_name_order():
    files = platereader.dask.list_pictures(str(SAMPLES / "private_*.bmp"))
    assert [f.rsplit("/", 1)[1] for f in files] == [f"private_{n}_digit{'s' * (n > 1)}.bmp" for n in range(1, 5)]
    with pytest.raises(FileNotFoundError):
        platereader.dask.list_pictures(str(SAMPLES / "none_*.bmp"))
