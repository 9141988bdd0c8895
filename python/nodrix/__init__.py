"""NodrixT520 cameras as numpy arrays.

A pure-Python binding of the NodrixT520 SDK's C library (libnodrix.so, or
NodrixSdk_T520_USB3.dll on Windows) through ctypes::

    import nodrix

    print(nodrix.cameras())
    with nodrix.open() as camera:
        camera.exposure = 0.010          # seconds
        image = camera.snap()            # numpy array, (height, width)
        for frame in camera.stream(count=100):
            print(frame.number, frame.array.mean())

``help(nodrix.Camera)`` documents every parameter and operation. Set
``NODRIX_LIBRARY`` to the library's path when it is not installed, and
``NODRIX_EMULATION=1`` to work with the emulated camera.
"""

from __future__ import annotations

import os
from typing import Optional, Union

from ._library import Library, load
from .camera import Camera, cameras, open
from .errors import (
    CameraLostError, CameraRequestError, CaptureWindowError, FileError, FrameError,
    FrameTimeoutError,
    ImageMemoryError, InvalidArgumentError, LibraryNotFoundError, MaskFileError, NoCoreError,
    NodrixError, NotPresentError, NotSupportedError, TextError, ThreadError, WindowError)
from .registers import Registers, RegisterFile
from .stream import Frame, Stream
from .values import CameraEntry, CameraInfo, CaptureWindow, FrameMetadata, StreamStatistics

__version__ = "1.0.0"
"""This package's release; the SDK and this package share their version
numbers (``sdk_version()`` reads the loaded library's)."""


def sdk_version(library: Optional[Union[str, "os.PathLike[str]"]] = None) -> Optional[str]:
    """The SDK release of the library in use, e.g. ``"1.0.0"`` (see
    :func:`nodrix.load` for ``library``); None for a library from before the
    version text."""
    return load(library).version

__all__ = [
    "Camera", "CameraEntry", "CameraInfo", "CameraLostError", "CameraRequestError",
    "CaptureWindow", "CaptureWindowError", "FileError", "Frame", "FrameError", "FrameMetadata",
    "FrameTimeoutError", "ImageMemoryError", "InvalidArgumentError", "Library",
    "LibraryNotFoundError", "MaskFileError", "NoCoreError", "NodrixError", "NotPresentError",
    "NotSupportedError", "RegisterFile", "Registers", "Stream", "StreamStatistics", "TextError",
    "ThreadError", "WindowError", "cameras", "load", "open", "sdk_version",
]
