"""Fixtures of the package's tests: the emulated camera, with settings and
shared objects of the test run's own."""

from __future__ import annotations

import atexit
import os
import shutil
import tempfile

import numpy as np
import pytest

# Before the library is loaded: it reads these once per process.
_PRIVATE = tempfile.mkdtemp(prefix="nodrix-python-tests-")
atexit.register(shutil.rmtree, _PRIVATE, ignore_errors=True)
EMULATION = "cameras=2;pace=max;trigger_interval_ms=20"
os.environ["NODRIX_EMULATION"] = EMULATION
os.environ["NODRIX_SETTINGS_FILE"] = os.path.join(_PRIVATE, "settings.reg")
os.environ["NODRIX_OBJECT_NAMESPACE"] = f"nodrixpy{os.getpid()}"

import nodrix  # noqa: E402


# What a test may change; the camera's settings outlive the connection, so
# the fixture puts these back for the next test.
_KEPT = ("exposure", "gain", "black_level", "brightness", "contrast", "gamma", "sharpness",
         "gray_offset_b", "dot_filter", "auto_exposure", "short_exposure")


@pytest.fixture
def camera():
    """The first emulated camera at 8 bits, full window, no mirroring, no
    pause between preview cycles."""
    with nodrix.open(0) as cam:
        kept = {name: getattr(cam, name) for name in _KEPT}
        cam.bits = 8
        cam.capture_window = (0, 0, 1280, 1024)
        cam.mirror_horizontal = cam.mirror_vertical = False
        cam.wait_time = 0
        yield cam
        if not cam.closed:
            for name, value in kept.items():
                setattr(cam, name, value)


def ramp(bits: int, n: int, x: int = 0, y: int = 0, width: int = 1280,
         height: int = 1024) -> np.ndarray:
    """The emulator's test pattern of frame n in a window at (x, y)."""
    rows = np.arange(y, y + height)[:, None]
    columns = np.arange(x, x + width)[None, :]
    if bits == 8:
        return ((columns + rows + n) & 0xFF).astype(np.uint8)
    return ((4 * columns + rows + n) & 0x0FFF).astype(np.uint16)


def ramp_phase(image: np.ndarray, bits: int, x: int = 0, y: int = 0) -> int:
    """The frame phase n for which image[0, 0] is the ramp."""
    first = 4 * x + y if bits == 16 else x + y
    return (int(image[0, 0]) - first) & (0x0FFF if bits == 16 else 0xFF)
