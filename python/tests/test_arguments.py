"""Arguments checked in Python terms: the wrong type is a TypeError, a
value the camera refuses a ValueError that states the accepted range."""

from __future__ import annotations

import re
from pathlib import Path

import numpy as np
import pytest
from conftest import ramp, ramp_phase

import nodrix

# (property, value, exception, fragment of the message)
WRONG_VALUES = [
    ("gain", 7.9, nodrix.InvalidArgumentError, "gain must be a whole number, not 7.9"),
    ("gain", "8", TypeError, "gain must be a number, not str"),
    ("gain", None, TypeError, "gain must be a number"),
    ("gain", 10**6, nodrix.InvalidArgumentError, "gain must be 2 to 62, not 1000000"),
    ("brightness", 256, nodrix.InvalidArgumentError, "brightness must be -255 to 255, not 256"),
    ("gain_mode", 2, nodrix.InvalidArgumentError, "gain_mode must be 0 to 1, not 2"),
    ("exposure", "0.01", TypeError, "exposure must be a number, not str"),
    ("exposure", 10**6, nodrix.InvalidArgumentError, "exposure must be 3.7125e-05 to 2 s"),
    ("wait_time", "0", TypeError, "wait_time must be a number"),
    ("auto_exposure", 1.5, nodrix.InvalidArgumentError, "auto_exposure must be a whole number"),
    ("bits", "8", TypeError, "bits must be a number"),
]


@pytest.mark.parametrize("name,value,error,message", WRONG_VALUES,
                         ids=[f"{r[0]}={r[1]!r}" for r in WRONG_VALUES])
def test_a_wrong_value_is_refused_with_a_reason_and_changes_nothing(camera, name, value, error,
                                                                    message):
    before = getattr(camera, name)
    with pytest.raises(error, match=re.escape(message)):
        setattr(camera, name, value)
    assert getattr(camera, name) == before


# Values of another numeric type that mean a whole number are taken.
@pytest.mark.parametrize("name,value,stored", [
    ("gain", 8.0, 8), ("gain", np.int16(9), 9), ("dot_filter", 1, True), ("bits", 16.0, 16),
])
def test_an_integral_value_of_another_type_is_taken(camera, name, value, stored):
    setattr(camera, name, value)
    assert getattr(camera, name) == stored


@pytest.mark.parametrize("arguments,message", [
    ({"index": "0"}, "index must be an int"),
    ({"index": 0.0}, "index must be an int"),
    ({"serial": 0}, "serial must be a str"),
    ({"name": 1}, "name must be a str"),
], ids=["index-text", "index-float", "serial-int", "name-int"])
def test_open_refuses_arguments_of_the_wrong_type(arguments, message):
    with pytest.raises(TypeError, match=message):
        nodrix.open(**arguments)


def test_colour_only_parameters_say_so():
    colour = {"hue", "saturation", "bayer_gain_red", "bayer_gain_green", "bayer_gain_blue",
              "auto_white_balance", "bayer_mode", "color_gain_red", "color_gain_green1",
              "color_gain_green2", "color_gain_blue"}
    for name in dir(nodrix.Camera):
        doc = getattr(nodrix.Camera, name).__doc__ or ""
        assert doc.startswith("Colour cameras only") == (name in colour), name
    assert "0 high gain, 1 low gain" in nodrix.Camera.gain_mode.__doc__


def test_the_package_the_library_and_the_build_carry_one_version():
    source = Path(__file__).resolve().parents[2]
    project = re.search(r"project\(NodrixSdk VERSION ([0-9.]+)",
                        (source / "CMakeLists.txt").read_text()).group(1)
    package = re.search(r'^version = "([0-9.]+)"',
                        (source / "python" / "pyproject.toml").read_text(), re.M).group(1)
    assert nodrix.sdk_version() == nodrix.__version__ == project == package


def test_snap_with_a_timeout_takes_one_frame(camera):
    image = camera.snap(timeout=5.0)
    np.testing.assert_array_equal(image, ramp(8, ramp_phase(image, 8)))
    camera.snap()  # the preview it took the frame from has stopped
    with pytest.raises(nodrix.InvalidArgumentError, match="timeout must be positive"):
        camera.snap(timeout=0)


def test_delivered_exceeds_the_frames_taken_by_at_most_the_pool(camera):
    camera.reset_statistics()
    with camera.stream(count=20, pool=4) as stream:
        taken = sum(1 for _ in stream)
    assert taken == stream.taken == 20
    assert 20 <= camera.statistics.delivered <= 20 + 4 + 1
