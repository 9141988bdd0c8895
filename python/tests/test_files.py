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


@pytest.mark.parametrize("action,name", [("save", "x.png"), ("record", "x.avi"),
                                         ("load_mask", "x.msk")])
def test_a_file_that_cannot_be_made_raises_with_the_systems_reason(camera, tmp_path, action,
                                                                   name):
    camera.snap()
    path = tmp_path / "missing" / name
    with pytest.raises(nodrix.NodrixError) as raised:
        if action == "record":
            camera.record(path, 0.1)
        else:
            getattr(camera, action)(path)
    assert raised.value.reason == "No such file or directory"
    assert "No such file or directory" in str(raised.value)
    if action != "load_mask":  # the mask file keeps its own code on top
        assert isinstance(raised.value, nodrix.FileError)


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
