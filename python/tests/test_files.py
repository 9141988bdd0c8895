"""Still images by extension, recordings and mask files."""

from __future__ import annotations

import pytest

import nodrix


@pytest.mark.parametrize("name,magic", [
    ("still.bmp", b"BM"), ("still.png", b"\x89PNG"), ("still.jpg", b"\xff\xd8"),
    ("still.tif", b"II*\x00"), ("still.raw", b""),
])
def test_save_by_extension(camera, tmp_path, name, magic):
    camera.snap()
    path = tmp_path / name
    camera.save(path)
    assert path.stat().st_size > 1000
    assert path.read_bytes().startswith(magic)


def test_save_of_an_unknown_extension_raises(camera, tmp_path):
    camera.snap()
    with pytest.raises(nodrix.InvalidArgumentError):
        camera.save(tmp_path / "still.xyz")


def test_record_writes_a_finished_avi(camera, tmp_path):
    path = tmp_path / "clip.avi"
    camera.record(path, 0.3)
    data = path.read_bytes()
    assert data[:4] == b"RIFF" and data[8:12] == b"AVI "
    assert int.from_bytes(data[48:52], "little") >= 1  # frames


def test_mask_round_trip_and_a_bad_mask_file(camera, tmp_path):
    camera.snap()
    camera.take_dark()
    camera.take_white()
    camera.save_mask(tmp_path / "mask.msk")
    camera.load_mask(tmp_path / "mask.msk")
    (tmp_path / "bad.msk").write_bytes(b"not a mask")
    with pytest.raises(nodrix.MaskFileError) as raised:
        camera.load_mask(tmp_path / "bad.msk")
    assert raised.value.code == 14
