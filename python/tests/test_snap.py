"""Snapshots: the emulator's ramp, in 8 and 16 bits, whole and windowed."""

from __future__ import annotations

import tracemalloc

import numpy as np
import pytest
from conftest import ramp, ramp_phase

import nodrix


@pytest.mark.parametrize("bits,window", [
    (8, (0, 0, 1280, 1024)),
    (16, (0, 0, 1280, 1024)),
    (8, (0, 64, 1280, 240)),
    (16, (0, 200, 1280, 481)),
])
def test_snap_is_the_ramp(camera, bits, window):
    camera.bits = bits
    camera.capture_window = window
    x, y, width, height = window
    image = camera.snap()
    assert image.shape == (height, width)
    assert image.dtype == (np.uint8 if bits == 8 else np.uint16)
    n = ramp_phase(image, bits, x, y)
    np.testing.assert_array_equal(image, ramp(bits, n, x, y, width, height))


@pytest.mark.parametrize("bits", [8, 16])
def test_snap_into_out_allocates_nothing(camera, bits):
    camera.bits = bits
    out = camera.empty()
    camera.snap(out=out)  # the first call may set up the acquisition
    tracemalloc.start()
    try:
        tracemalloc.reset_peak()
        base = tracemalloc.get_traced_memory()[0]
        result = camera.snap(out=out)
        peak = tracemalloc.get_traced_memory()[1]
    finally:
        tracemalloc.stop()
    assert result is out
    assert peak - base < out.nbytes // 100
    np.testing.assert_array_equal(out, ramp(bits, ramp_phase(out, bits)))


@pytest.mark.parametrize("make_out", [
    lambda: np.zeros((1024, 1280), np.uint16),
    lambda: np.zeros((1024, 1279), np.uint8),
    lambda: np.zeros((1024, 2560), np.uint8)[:, ::2],
    lambda: np.zeros((1024, 1280), np.uint8)[::-1],
])
def test_snap_refuses_an_unfit_out(camera, make_out):
    with pytest.raises(nodrix.InvalidArgumentError) as raised:
        camera.snap(out=make_out())
    assert raised.value.code == 9

