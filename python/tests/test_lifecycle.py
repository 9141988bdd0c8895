"""Opening, releasing and selecting cameras."""

from __future__ import annotations

import gc
import os

import numpy as np
import pytest
from conftest import ramp, ramp_phase

import nodrix


def handle_is_registered(handle: int) -> bool:
    # Only an unknown handle makes this getter return -1.
    return nodrix.load().Nodrix_GetColorMode(handle) != -1


def test_cameras_lists_both_emulated_cameras():
    assert nodrix.cameras() == [nodrix.CameraEntry(0, "NodrixT520_01"),
                                nodrix.CameraEntry(1, "NodrixT520_02")]


def test_exit_releases_the_handle_even_after_an_exception():
    with pytest.raises(RuntimeError):
        with nodrix.open() as camera:
            handle = camera.handle
            raise RuntimeError("inside the block")
    assert camera.closed
    assert not handle_is_registered(handle)
    with pytest.raises(nodrix.NotPresentError):
        camera.snap()


def test_garbage_collection_releases_the_handle():
    camera = nodrix.open()
    handle = camera.handle
    del camera
    gc.collect()
    assert not handle_is_registered(handle)


@pytest.mark.parametrize("selector,index", [
    ({"index": 1}, 1), ({"name": "NodrixT520_02"}, 1), ({"serial": "T520EMU01"}, 1),
    ({}, 0),
])
def test_open_selects_by_index_name_or_serial(selector, index):
    with nodrix.open(**selector) as camera:
        assert camera.index == index
        assert camera.serial == f"T520EMU{index:02d}"


@pytest.mark.parametrize("selector", [{"index": 5}, {"name": "NodrixT520_07"},
                                      {"serial": "NOSUCH"}])
def test_open_of_a_missing_camera_raises(selector):
    with pytest.raises(nodrix.NotPresentError) as raised:
        nodrix.open(**selector)
    assert raised.value.code == 2


def test_two_cameras_at_once():
    with nodrix.open(0) as first, nodrix.open(1) as second:
        for camera in (first, second):
            camera.bits = 8
            camera.capture_window = (0, 0, 1280, 1024)
        a, b = first.snap(), second.snap()
        for image in (a, b):
            np.testing.assert_array_equal(image, ramp(8, ramp_phase(image, 8)))
        assert first.serial != second.serial


def test_explicit_path_other_than_the_loaded_library_raises():
    with pytest.raises(nodrix.LibraryNotFoundError):
        nodrix.load("/nonexistent/libnodrix.so")


def test_open_without_saving_leaves_the_stored_settings():
    settings = os.environ["NODRIX_SETTINGS_FILE"]
    with nodrix.open(1) as camera:
        gain = camera.gain
    with open(settings, "rb") as f:
        stored = f.read()
    with nodrix.open(1, save=False) as camera:
        camera.gain = gain + 1
    with open(settings, "rb") as f:
        assert f.read() == stored
    with nodrix.open(1) as camera:
        assert camera.gain == gain
