"""Parameters as properties: values round-trip, refusals raise with the
library's code and change nothing."""

from __future__ import annotations

import pytest

import nodrix

ROUND_TRIPS = [
    ("exposure", 0.0123),
    ("gain", 20),
    ("black_level", 9000),
    ("mirror_horizontal", True),
    ("mirror_vertical", True),
    ("bits", 16),
    ("capture_window", nodrix.CaptureWindow(0, 64, 1280, 240)),
    ("wait_time", 0.025),
    ("brightness", -40),
    ("contrast", 12),
    ("gamma", 150),
    ("sharpness", 7),
    ("gray_offset_b", -3),
    ("dot_filter", True),
    ("auto_exposure", 2),
]

REFUSALS = [
    ("gain", 10**6, nodrix.InvalidArgumentError),
    ("brightness", 256, nodrix.InvalidArgumentError),
    ("bits", 12, nodrix.InvalidArgumentError),
    ("bits", 24, nodrix.InvalidArgumentError),  # no colour output on this camera
    ("capture_window", (0, 900, 1280, 300), nodrix.CaptureWindowError),
    ("capture_window", (8, 0, 1272, 1024), nodrix.InvalidArgumentError),
    ("wait_time", -0.5, nodrix.InvalidArgumentError),
    ("auto_exposure", 3, nodrix.InvalidArgumentError),
    ("peltier", 1, nodrix.NotSupportedError),
]


@pytest.mark.parametrize("name,value", ROUND_TRIPS, ids=[r[0] for r in ROUND_TRIPS])
def test_round_trip(camera, name, value):
    setattr(camera, name, value)
    got = getattr(camera, name)
    assert got == pytest.approx(value, rel=1e-3) if isinstance(value, float) else got == value
    assert type(got) is type(value)


@pytest.mark.parametrize("name,value,error", REFUSALS,
                         ids=[f"{r[0]}={r[1]}" for r in REFUSALS])
def test_refusal_raises_with_the_code_and_keeps_the_value(camera, name, value, error):
    before = getattr(camera, name) if name != "peltier" else None
    with pytest.raises(error) as raised:
        setattr(camera, name, value)
    assert raised.value.code == error.code
    assert raised.value.text
    if before is not None:
        assert getattr(camera, name) == before


def test_identity_and_ranges(camera):
    assert camera.name == "NodrixT520_01"
    assert camera.serial == "T520EMU00"
    info = camera.info
    assert (info.max_width, info.max_height) == (1280, 1024)
    assert 0 < info.exposure_min < info.exposure_max
    assert camera.shape == (1024, 1280)
    assert -40 < camera.temperature < 120


@pytest.mark.parametrize("kind,address,value", [("fpga", 90, 1), ("sensor", 0x20, 77)])
def test_registers_write_and_read(camera, kind, address, value):
    registers = getattr(camera.registers, kind)
    registers[address] = value
    assert registers[address] == value
