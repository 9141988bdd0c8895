"""The camera: a connection of the library with Python units and numpy."""

from __future__ import annotations

import builtins
import ctypes
import numbers
import os
import sys
import time
import weakref
from pathlib import Path
from typing import Any, Optional, Union

import numpy as np

from . import errors
from ._connection import Connection
from ._images import allocate_image, check_out, metadata_from
from ._library import Library, load
from ._records import CameraInfoRecord, FrameMetadataRecord, StreamStatisticsRecord
from .registers import Registers
from .stream import Stream
from .values import CameraEntry, CameraInfo, CaptureWindow, FrameMetadata, StreamStatistics


PathLike = Union[str, "os.PathLike[str]"]

# Entries of the library's device table.
_DEVICE_TABLE_SIZE = 32
# Bits per pixel -> (sample type, samples per pixel).
_FORMATS: dict[int, tuple[type, int]] = {
    8: (np.uint8, 1), 16: (np.uint16, 1), 24: (np.uint8, 3),
    32: (np.uint8, 4), 48: (np.uint16, 3), 64: (np.uint16, 4),
}
# Still image kinds by file extension (NODRIX_IMAGE_...).
_STILL_KINDS = {
    ".bmp": 0, ".raw": 1, ".jpg": 2, ".jpeg": 2, ".png": 5, ".tif": 6, ".tiff": 6,
}
_NAMED_STILL_KINDS = {
    "bmp": 0, "raw": 1, "jpeg": 2, "jpeg100": 2, "jpeg70": 3, "jpeg20": 4, "png": 5, "tiff": 6,
}


def _encode_path(path: PathLike) -> bytes:
    return os.fsencode(os.fspath(path))


def _utf16(path: PathLike) -> ctypes.Array[ctypes.c_char]:
    return ctypes.create_string_buffer(os.fspath(path).encode("utf-16-le") + b"\0\0")


def _release(lib: Library, handle: int) -> None:
    lib.Nodrix_Release(handle)


def _initialize(lib: Library) -> Connection:
    handle = lib.Nodrix_Initialize(0)
    if handle == 0:
        raise errors.NodrixError("Nodrix_Initialize failed: the library opened no connection",
                                 operation="Nodrix_Initialize")
    return Connection(lib, handle)


def cameras(library: Optional[PathLike] = None) -> list[CameraEntry]:
    """Lists the attached cameras.

    Args:
        library: path of the library to load (see :func:`nodrix.load`).
    """
    lib = load(library)
    connection = _initialize(lib)
    try:
        name = ctypes.create_string_buffer(64)
        found = []
        for index in range(_DEVICE_TABLE_SIZE):
            if lib.Nodrix_GetDeviceName(connection.handle, index, name, len(name)):
                found.append(CameraEntry(index, name.value.decode("ascii", "replace")))
        connection.pop_error()
        return found
    finally:
        _release(lib, connection.handle)


def open(index: Optional[int] = None, *, name: Optional[str] = None,
         serial: Optional[str] = None, library: Optional[PathLike] = None,
         save: bool = True) -> "Camera":
    """Opens a camera and returns it as a :class:`Camera`.

    Give at most one of ``index`` (as :func:`cameras` lists it), ``name``
    (e.g. ``"NodrixT520_01"``) or ``serial``; with none the first camera is
    opened. Use the camera as a context manager, or call
    :meth:`Camera.close`::

        with nodrix.open() as camera:
            image = camera.snap()

    With ``save=False`` closing the camera leaves the stored settings as
    they were (the library saves the camera's settings on release
    otherwise), so that what a script tries out does not become the start
    of every later program.

    Raises:
        NotPresentError: no such camera.
        NotSupportedError: ``save=False`` with a library that cannot leave
            the settings unsaved.
    """
    if sum(x is not None for x in (index, name, serial)) > 1:
        raise TypeError("give at most one of index, name and serial")
    if index is not None and (isinstance(index, bool) or not isinstance(index, numbers.Integral)):
        raise TypeError(f"index must be an int (as nodrix.cameras() lists it), "
                        f"not {type(index).__name__} {index!r}; give name= or serial= for a "
                        f"camera's name or serial number")
    for label, text in (("name", name), ("serial", serial)):
        if text is not None and not isinstance(text, str):
            raise TypeError(f"{label} must be a str, not {type(text).__name__} {text!r}")
    lib = load(library)
    if name is not None:
        matches = [c.index for c in cameras(library) if c.name == name]
        if not matches:
            raise errors.NotPresentError(f"no camera named {name!r}", text=name,
                                         operation="open")
        index = matches[0]
    camera = Camera(lib)
    try:
        if not save:
            camera._connection.call(camera._extension("NodrixEx_SetSaveOnRelease"), 0)
        if serial is None:
            camera._select(index if index is not None else _first_index(camera))
            return camera
        for entry in cameras(library):
            camera._select(entry.index)
            if camera.serial == serial:
                return camera
        raise errors.NotPresentError(f"no camera with serial number {serial!r}",
                                     text=serial, operation="open")
    except BaseException:
        camera.close()
        raise


def _first_index(camera: "Camera") -> int:
    found = cameras(camera._connection.lib.path)
    if not found:
        raise errors.NotPresentError("no camera is attached", operation="open")
    return found[0].index


def _number(name: str, value: Any) -> float:
    """``value`` as a float; TypeError for anything that is not a real number
    (a text such as ``"0.01"`` included)."""
    if isinstance(value, (bool, np.bool_)) or not isinstance(value, numbers.Real):
        raise TypeError(f"{name} must be a number, not {type(value).__name__} {value!r}")
    return float(value)


def _whole(connection: Connection, operation: str, name: str, value: Any) -> int:
    """``value`` as an int: a bool, an integer or an integral float; a
    fraction is refused instead of being cut off."""
    if isinstance(value, (bool, np.bool_)):
        return int(value)
    if isinstance(value, numbers.Integral):
        return int(value)
    number = _number(name, value)
    if not number.is_integer():
        raise connection.refusal(operation, f"{name} must be a whole number, not {value!r}")
    return int(number)


# Colour-only parameters: kept on a monochrome camera, which never uses them.
_COLOUR_ONLY = "Colour cameras only (a monochrome camera keeps the value and ignores it). "


# A parameter of Nodrix_SetFilterValue as a property. `limits` is the range
# it takes: two numbers, or two names of CameraInfo fields when the camera
# gives the range. (No class docstring: help() shows each parameter's own.)
class _FilterParameter(property):
    def __init__(self, code: int, kind: type, doc: str,
                 limits: Optional[tuple[Any, Any]] = None, colour: bool = False) -> None:
        self.code, self.kind, self.limits, self.name = code, kind, limits, "value"
        super().__init__(self._get, self._set, None)
        self.__doc__ = (_COLOUR_ONLY if colour else "") + doc

    def __set_name__(self, owner: type, name: str) -> None:
        self.name = name

    def _get(self, camera: "Camera") -> Any:
        return self.kind(camera._connection.get("Nodrix_GetFilterValue", self.code))

    def _set(self, camera: "Camera", value: Any) -> None:
        number = _whole(camera._connection, "Nodrix_SetFilterValue", self.name, value)
        limits = self._limits(camera)
        # The library takes some values outside the documented range without
        # a word; those are refused here, as the tool does.
        if limits is not None and not limits[0] <= number <= limits[1]:
            raise self._out_of_range(camera, limits, number)
        try:
            camera._connection.call("Nodrix_SetFilterValue", self.code, number)
        except errors.InvalidArgumentError:
            if limits is None:
                raise
            raise self._out_of_range(camera, limits, number) from None

    def _limits(self, camera: "Camera") -> Optional[tuple[int, int]]:
        if self.limits is None:
            return None
        low, high = self.limits
        if isinstance(low, str):
            info = camera.info
            return getattr(info, low), getattr(info, high)
        return low, high

    def _out_of_range(self, camera: "Camera", limits: tuple[int, int],
                      number: int) -> errors.NodrixError:
        return camera._connection.refusal(
            "Nodrix_SetFilterValue", f"{self.name} must be {limits[0]} to {limits[1]}, not {number}")


class Camera:
    """An open camera, made by :func:`nodrix.open`.

    A context manager: leaving the ``with`` block (also by an exception)
    releases the connection, and so does garbage collection of a camera
    that was not closed. Methods raise a :class:`nodrix.NodrixError`
    subclass when the library refuses; nothing returns a silent 0.

    Images are numpy arrays of shape ``(height, width)`` (``(height, width,
    channels)`` in the colour modes), top row first, ``uint8`` at 8 bits per
    pixel and ``uint16`` at 16.

    Parameters are properties in Python units: :attr:`exposure` in seconds,
    :attr:`wait_time` in seconds, :attr:`bits` for the output format,
    :attr:`capture_window` as a :class:`CaptureWindow`, flags as ``bool``;
    the image parameters (brightness, contrast, ...) are the library's
    integers. A setter raises when the library refuses the value.

    One camera is used from one thread at a time; a :meth:`stream` may be
    consumed from any thread.
    """

    def __init__(self, lib: Library) -> None:
        """Opens a connection with no camera selected; use :func:`nodrix.open`."""
        self._connection = _initialize(lib)
        self._finalizer = weakref.finalize(self, _release, lib, self._connection.handle)
        self._stream: Optional[weakref.ref[Stream]] = None
        self.index = -1
        """Index of the open camera."""

    def _select(self, index: int) -> None:
        if index < 0:
            raise self._connection.refusal("Nodrix_SetDeviceNumber",
                                           f"camera index {index} is negative")
        self._connection.call("Nodrix_SetDeviceNumber", index)
        self.index = index

    # ---- lifecycle ------------------------------------------------------

    @property
    def handle(self) -> int:
        """The library's connection handle, for calls of your own."""
        self._check_open()
        return self._connection.handle

    @property
    def closed(self) -> bool:
        """True once :meth:`close` was called."""
        return not self._finalizer.alive

    def _check_open(self) -> None:
        self._connection.check_open()

    def close(self) -> None:
        """Stops a running stream and releases the connection. A second call
        does nothing."""
        if self._finalizer.alive:
            stream = self._stream() if self._stream is not None else None
            if stream is not None:
                stream.close()
            self._connection.closed = True
            self._finalizer()

    def __enter__(self) -> "Camera":
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    def __repr__(self) -> str:
        state = "closed" if self.closed else f"handle {self._connection.handle}"
        return f"<nodrix.Camera index {self.index}, {state}>"

    # ---- identity -------------------------------------------------------

    @property
    def name(self) -> str:
        """The library's name of the camera, e.g. ``"NodrixT520_01"``."""
        buffer = ctypes.create_string_buffer(64)
        self._connection.call("Nodrix_GetDeviceName", self.index, buffer, len(buffer))
        return buffer.value.decode("ascii", "replace")

    @property
    def serial(self) -> str:
        """The serial number from the camera's configuration memory ("" when
        it is erased)."""
        buffer = ctypes.create_string_buffer(64)
        self._connection.call("Nodrix_ReadSerialNumberA", buffer, len(buffer))
        return buffer.value.decode("ascii", "replace")

    @property
    def info(self) -> CameraInfo:
        """Sensor size and the ranges of gain and exposure."""
        record = CameraInfoRecord(size=ctypes.sizeof(CameraInfoRecord))
        self._connection.call("Nodrix_GetCameraInfo", ctypes.byref(record))
        return CameraInfo(record.maxWidth, record.maxHeight, record.gainMin, record.gainMax,
                          record.colorGainMin, record.colorGainMax,
                          record.exposureSecondsMin, record.exposureSecondsMax)

    @property
    def temperature(self) -> float:
        """Sensor temperature in degrees Celsius."""
        self._check_open()
        ok = ctypes.c_int(0)
        value = self._connection.lib.Nodrix_GetTemperatureEx(self._connection.handle,
                                                             ctypes.byref(ok))
        if not ok.value:
            raise self._connection.failure("Nodrix_GetTemperatureEx")
        self._connection.pop_error()  # a successful read records code 0
        return float(value)

    # ---- output format and geometry --------------------------------------

    @property
    def bits(self) -> int:
        """Bits per pixel of the images: 8 or 16 (grey); 24, 32, 48 or 64 are
        the colour formats (``(height, width, channels)`` arrays), which a
        camera without colour output refuses to be set to."""
        self._check_open()
        value = self._connection.lib.Nodrix_GetColorMode(self._connection.handle)
        if value < 0:
            raise self._connection.failure("Nodrix_GetColorMode")
        return value

    @bits.setter
    def bits(self, value: int) -> None:
        value = _whole(self._connection, "Nodrix_SetColorMode", "bits", value)
        if value not in _FORMATS:
            raise self._connection.refusal("Nodrix_SetColorMode",
                                           f"bits must be one of {sorted(_FORMATS)}, not {value}")
        self._connection.call("Nodrix_SetColorMode", value)

    @property
    def width(self) -> int:
        """Image width in pixels."""
        return self.capture_window.width

    @property
    def height(self) -> int:
        """Image height in pixels."""
        return self.capture_window.height

    @property
    def shape(self) -> tuple[int, ...]:
        """Shape of the arrays :meth:`snap` returns."""
        return self._layout()[0]

    @property
    def dtype(self) -> np.dtype[Any]:
        """Sample type of the arrays :meth:`snap` returns."""
        return self._layout()[1]

    @property
    def capture_window(self) -> CaptureWindow:
        """The part of the sensor read out, as a :class:`CaptureWindow`.

        Assign a ``CaptureWindow`` or an ``(x, y, width, height)`` tuple.
        """
        values = [ctypes.c_int(0) for _ in range(6)]
        self._connection.call("Nodrix_GetCaptureWindowEx", *(ctypes.byref(v) for v in values))
        h_total, x, width, v_total, y, height = (v.value for v in values)
        return CaptureWindow(x, y, width, height, h_total, v_total)

    @capture_window.setter
    def capture_window(self, window: Union[CaptureWindow, tuple[int, ...]]) -> None:
        w = CaptureWindow(*window)
        before = self.capture_window
        try:
            self._connection.call("Nodrix_SetCaptureWindowEx", w.horizontal_total, w.x,
                                  w.width, w.vertical_total, w.y, w.height)
        except errors.NodrixError:
            # The library keeps a window it refused; a refused assignment
            # leaves the camera as it was.
            if self.capture_window != before:
                self._connection.lib.Nodrix_SetCaptureWindowEx(
                    self._connection.handle, before.horizontal_total, before.x, before.width,
                    before.vertical_total, before.y, before.height)
                self._connection.pop_error()
            raise

    @property
    def mirror_horizontal(self) -> bool:
        """Left and right swapped."""
        self._check_open()
        return bool(self._connection.lib.Nodrix_GetMirrorH(self._connection.handle))

    @mirror_horizontal.setter
    def mirror_horizontal(self, on: bool) -> None:
        self._connection.call("Nodrix_SetMirrorH", 1 if on else 0)

    @property
    def mirror_vertical(self) -> bool:
        """Top and bottom swapped."""
        self._check_open()
        return bool(self._connection.lib.Nodrix_GetMirrorV(self._connection.handle))

    @mirror_vertical.setter
    def mirror_vertical(self, on: bool) -> None:
        self._connection.call("Nodrix_SetMirrorV", 1 if on else 0)

    # ---- exposure and acquisition timing ---------------------------------

    @property
    def exposure(self) -> float:
        """Exposure time in seconds."""
        self._check_open()
        ok = ctypes.c_int(0)
        value = self._connection.lib.Nodrix_GetExposureTimeEx(self._connection.handle,
                                                              ctypes.byref(ok))
        if not ok.value:
            raise self._connection.failure("Nodrix_GetExposureTimeEx")
        return float(value)

    @exposure.setter
    def exposure(self, seconds: float) -> None:
        value = _number("exposure", seconds)
        try:
            self._connection.call("Nodrix_SetExposureTimeEx", value)
        except errors.InvalidArgumentError as refused:
            info = self.info
            raise type(refused)(
                f"exposure must be {info.exposure_min:g} to {info.exposure_max:g} s, "
                f"not {value:g}", code=refused.code, text=refused.text,
                operation=refused.operation) from None

    @property
    def wait_time(self) -> float:
        """Pause of the preview worker per cycle, in seconds (millisecond
        resolution)."""
        self._check_open()
        value = self._connection.lib.Nodrix_GetWaitTime(self._connection.handle)
        if value < 0:
            raise self._connection.failure("Nodrix_GetWaitTime")
        return value / 1000.0

    @wait_time.setter
    def wait_time(self, seconds: float) -> None:
        milliseconds = round(_number("wait_time", seconds) * 1000.0)
        if milliseconds < 0:
            # The library refuses a negative pause without recording why.
            raise self._connection.refusal("Nodrix_SetWaitTime",
                                           f"wait_time must not be negative, not {seconds}")
        self._connection.call("Nodrix_SetWaitTime", milliseconds)

    @property
    def auto_exposure(self) -> int:
        """Automatic exposure mode: 0 off, 1 or 2."""
        return self._connection.get("Nodrix_GetAutoIris")

    @auto_exposure.setter
    def auto_exposure(self, mode: int) -> None:
        mode = _whole(self._connection, "Nodrix_SetAutoIris", "auto_exposure", mode)
        if mode not in (0, 1, 2):
            # Refused by the library with a notice only, nothing recorded.
            raise self._connection.refusal("Nodrix_SetAutoIris",
                                           f"auto_exposure must be 0, 1 or 2, not {mode}")
        self._connection.call("Nodrix_SetAutoIris", mode)

    # ---- camera and image parameters (the library's integers) -------------

    gain = _FilterParameter(13, int, "Global gain (range in :attr:`info`).",
                            ("gain_min", "gain_max"))
    black_level = _FilterParameter(106, int, "Black level of the sensor, 0 to 16383.",
                                   (0, 16383))
    gain_mode = _FilterParameter(104, int, "Sensor gain mode: 0 high gain, 1 low gain.",
                                 (0, 1))
    short_exposure = _FilterParameter(105, bool, "The sensor's short exposure mode.")
    brightness = _FilterParameter(1, int, "Brightness, -255 to 255.", (-255, 255))
    contrast = _FilterParameter(2, int, "Contrast, -127 to 127.", (-127, 127))
    hue = _FilterParameter(3, int, "Hue, -360 to 360 degrees.", (-360, 360), colour=True)
    saturation = _FilterParameter(4, int, "Saturation, -255 to 255.", (-255, 255),
                                  colour=True)
    sharpness = _FilterParameter(5, int, "Sharpness, 0 to 30.", (0, 30))
    bayer_gain_red = _FilterParameter(7, int, "White balance gain of red, 0 to 400.",
                                      (0, 400), colour=True)
    bayer_gain_green = _FilterParameter(8, int, "White balance gain of green, 0 to 400.",
                                        (0, 400), colour=True)
    bayer_gain_blue = _FilterParameter(9, int, "White balance gain of blue, 0 to 400.",
                                       (0, 400), colour=True)
    auto_white_balance = _FilterParameter(10, bool, "Automatic white balance.", colour=True)
    gamma = _FilterParameter(11, int, "Gamma x 100, 0 to 200.", (0, 200))
    bayer_mode = _FilterParameter(12, int, "Colour filter arrangement, 0 to 3.", (0, 3),
                                  colour=True)
    color_gain_red = _FilterParameter(14, int, "Sensor gain of the red pixels.",
                                      ("color_gain_min", "color_gain_max"), colour=True)
    color_gain_green1 = _FilterParameter(15, int, "Sensor gain of the first green pixels.",
                                         ("color_gain_min", "color_gain_max"), colour=True)
    color_gain_green2 = _FilterParameter(16, int, "Sensor gain of the second green pixels.",
                                         ("color_gain_min", "color_gain_max"), colour=True)
    color_gain_blue = _FilterParameter(17, int, "Sensor gain of the blue pixels.",
                                       ("color_gain_min", "color_gain_max"), colour=True)
    gray_mode = _FilterParameter(19, int, "Grey conversion mode, 0 to 2.", (0, 2))
    gray_gain_r = _FilterParameter(20, int, "Grey conversion gain of R, 0 to 255.", (0, 255))
    gray_gain_g1 = _FilterParameter(21, int, "Grey conversion gain of G1, 0 to 255.", (0, 255))
    gray_gain_g2 = _FilterParameter(22, int, "Grey conversion gain of G2, 0 to 255.", (0, 255))
    gray_gain_b = _FilterParameter(23, int, "Grey conversion gain of B, 0 to 255.", (0, 255))
    gray_offset_r = _FilterParameter(24, int, "Grey conversion offset of R, -255 to 255.",
                                     (-255, 255))
    gray_offset_g1 = _FilterParameter(25, int, "Grey conversion offset of G1, -255 to 255.",
                                      (-255, 255))
    gray_offset_g2 = _FilterParameter(26, int, "Grey conversion offset of G2, -255 to 255.",
                                      (-255, 255))
    gray_offset_b = _FilterParameter(27, int, "Grey conversion offset of B, -255 to 255.",
                                     (-255, 255))
    auto_gray_gain = _FilterParameter(28, bool, "Automatic grey conversion gains.")
    peltier = _FilterParameter(100, int, "Sensor cooling level (cameras with a cooler).")
    dot_filter = _FilterParameter(102, bool, "Defect pixel filter.")
    mask_filter = _FilterParameter(103, bool, "Dark and white mask correction.")

    def get_parameter(self, code: int) -> int:
        """Reads a parameter by its library code (``NODRIX_FILTER_...``)."""
        return self._connection.get("Nodrix_GetFilterValue", code)

    def set_parameter(self, code: int, value: int) -> None:
        """Sets a parameter by its library code (``NODRIX_FILTER_...``)."""
        self._connection.call("Nodrix_SetFilterValue", code,
                              _whole(self._connection, "Nodrix_SetFilterValue", "value", value))

    # ---- images ----------------------------------------------------------

    def _layout(self) -> tuple[tuple[int, ...], np.dtype[Any], int]:
        """Shape, sample type and row stride in bytes of the output image."""
        bits = self.bits
        window = self.capture_window
        sample, channels = _FORMATS[bits]
        shape = ((window.height, window.width) if channels == 1
                 else (window.height, window.width, channels))
        # Rows of the library's images start at multiples of 4 bytes.
        stride = (window.width * bits // 8 + 3) & ~3
        return shape, np.dtype(sample).newbyteorder("<"), stride

    def empty(self) -> np.ndarray:
        """A new uninitialised array in the layout of the current images, for
        :meth:`snap` ``(out=...)``."""
        return allocate_image(*self._layout())

    def snap(self, out: Optional[np.ndarray] = None,
             timeout: Optional[float] = None) -> np.ndarray:
        """Acquires one frame and returns it as a numpy array.

        Args:
            out: an array to fill instead of allocating one. It must have
                the current :attr:`shape` and :attr:`dtype`, be writeable,
                and its rows must lie as the library writes them: a
                C-contiguous array does whenever a row's bytes are a
                multiple of 4 (at any full-width window); :meth:`empty`
                makes one that always does.
            timeout: seconds to wait for the frame. None waits as the
                library's snapshot does (3 s, enough for exposures up to
                about 2 s); a number takes the first frame of a short
                preview instead, waiting at most that long, for longer
                exposures or a shorter bound.

        Returns:
            ``out``, or a new array.

        Raises:
            NoCoreError: a stream or trigger mode is running.
            FrameError: no frame could be acquired.
            FrameTimeoutError: no frame within ``timeout``.
        """
        shape, dtype, stride = self._layout()
        if timeout is not None and not _number("timeout", timeout) > 0:
            raise self._connection.refusal("snap", f"timeout must be positive, not {timeout}")
        if out is None:
            out = allocate_image(shape, dtype, stride)
        else:
            check_out(self._connection, out, shape, dtype, stride)
        if timeout is None:
            self._connection.call("Nodrix_SnapShot", out.ctypes.data, shape[0] * stride, 1)
            return out
        with self._start_stream(Stream.PREVIEW, 1, float(timeout), 1) as stream:
            np.copyto(out, next(stream).array)
        return out

    @property
    def metadata(self) -> FrameMetadata:
        """Metadata of the frame most recently delivered (by :meth:`snap`, a
        stream or trigger mode)."""
        record = FrameMetadataRecord(size=ctypes.sizeof(FrameMetadataRecord))
        self._connection.call(self._extension("NodrixEx_GetFrameMetadata"),
                              ctypes.byref(record))
        return metadata_from(record)

    # ---- streams ---------------------------------------------------------

    def _extension(self, name: str) -> str:
        self._check_open()
        if getattr(self._connection.lib, name) is None:
            raise errors.NotSupportedError(
                f"{name}: the loaded library ({self._connection.lib.path}) lacks it (an older "
                f"extension API, or none)",
                code=11, operation=name)
        return name

    def stream(self, count: Optional[int] = None, timeout: Optional[float] = 5.0,
               buffers: int = 8, *, requeue: bool = True,
               recycle_oldest: bool = False, pool: Optional[int] = None) -> "Stream":
        """Starts the stream and returns an iterator of :class:`Frame`.

        The library fills ``buffers`` numpy arrays of this stream, in the
        order the camera sent the frames, and each frame's ``array`` is one
        of them, handed over without a copy.

        Args:
            count: frames to yield before the stream ends by itself; None
                for no end (close the stream, or leave a ``with`` block).
            timeout: seconds to wait for each frame before raising
                :class:`FrameTimeoutError`; None waits for ever (a close
                from another thread still ends the wait).
            buffers: arrays the library fills. While none of them is queued
                (all filled and not yet taken, or held by the
                application), frames the camera sends are counted in
                :attr:`statistics` (``lost_no_buffer``) and in the next
                frame's ``lost_before``. Each holds a whole frame.
            requeue: True: a frame's array goes back to the library when
                the next frame is taken. False: only
                :meth:`Stream.requeue` gives it back, so the application
                may hold several frames at once.
            recycle_oldest: with no empty array queued, the oldest frame
                not yet taken is overwritten by the new one (and counted
                lost) instead of the new frame being dropped.
            pool: the former name of ``buffers``.

        A frame's array is valid until the next frame is taken (or until
        it is requeued); copy it to keep it longer. ``close()`` (or the end
        of the ``with`` block, or the last frame) stops the stream.

        Raises:
            NoCoreError: a stream, trigger mode or recording is running.
        """
        return self._start_stream(Stream.PREVIEW, count, timeout,
                                  buffers if pool is None else pool, requeue, recycle_oldest)

    def trigger(self, count: Optional[int] = None, timeout: Optional[float] = 10.0,
                buffers: int = 8, *, requeue: bool = True,
                recycle_oldest: bool = False, pool: Optional[int] = None) -> "Stream":
        """Starts the stream in trigger mode: like :meth:`stream`, but every
        frame follows a trigger (the camera's trigger input or the FPGA's
        timed trigger). ``timeout=None`` waits for the next trigger however
        long it takes."""
        return self._start_stream(Stream.TRIGGER, count, timeout,
                                  buffers if pool is None else pool, requeue, recycle_oldest)

    def _start_stream(self, mode: str, count: Optional[int], timeout: Optional[float],
                      buffers: int, requeue: bool = True,
                      recycle_oldest: bool = False) -> "Stream":
        self._extension("NodrixEx_StreamStart")
        running = self._stream() if self._stream is not None else None
        if running is not None and not running.closed:
            raise self._connection.refusal(
                "NodrixEx_StreamStart", "a stream is already running on this camera",
                errors.NoCoreError)
        stream = Stream(self, self._connection, mode, count, timeout, buffers, requeue,
                        recycle_oldest)
        self._stream = weakref.ref(stream)
        return stream

    @property
    def statistics(self) -> StreamStatistics:
        """Frame counters of this connection (see :class:`StreamStatistics`).

        During a :meth:`stream` ``delivered`` counts the frames taken from
        it (:attr:`Stream.taken` of this stream alone); arrays filled but
        not yet taken are in flight, and those a stop finds untaken are
        counted in ``lost_overwritten``.
        """
        record = StreamStatisticsRecord(size=ctypes.sizeof(StreamStatisticsRecord))
        self._connection.call(self._extension("NodrixEx_GetStreamStatistics"),
                              ctypes.byref(record))
        return StreamStatistics(
            record.framesReceived, record.framesDelivered, record.lostHeader,
            record.lostPayload, record.lostGap, record.lostOverwritten,
            record.lostBufferTooSmall, record.recoveries, record.receivedRate,
            record.deliveredRate, record.lostNoBuffer)

    def reset_statistics(self) -> None:
        """Sets every counter of :attr:`statistics` to 0."""
        self._connection.call(self._extension("NodrixEx_ResetStreamStatistics"))

    # ---- files -----------------------------------------------------------

    def save(self, path: PathLike, kind: Optional[str] = None) -> None:
        """Saves the most recent frame as a still image.

        The kind follows the extension (``.bmp``, ``.raw``, ``.jpg``/``.jpeg``
        at quality 100, ``.png``, ``.tif``/``.tiff``) unless ``kind`` names
        one: ``"bmp"``, ``"raw"``, ``"jpeg"``, ``"jpeg70"``, ``"jpeg20"``,
        ``"png"``, ``"tiff"``.
        """
        if kind is None:
            suffix = Path(path).suffix.lower()
            if suffix not in _STILL_KINDS:
                raise self._connection.refusal(
                    "Nodrix_SaveImage",
                    f"no still image kind for the extension {suffix!r}; give kind=")
            code = _STILL_KINDS[suffix]
        elif kind.lower() in _NAMED_STILL_KINDS:
            code = _NAMED_STILL_KINDS[kind.lower()]
        else:
            raise self._connection.refusal("Nodrix_SaveImage", f"unknown still image kind {kind!r}")
        if sys.platform == "win32":
            self._connection.call("Nodrix_SaveImageW", _utf16(path), code)
        else:
            self._connection.call("Nodrix_SaveImage", _encode_path(path), code)

    def record(self, path: PathLike, seconds: float, wait: bool = True) -> None:
        """Records an AVI file of ``seconds`` (counted from the first frame).

        With ``wait`` the call returns once the file is complete and the
        preview stopped; otherwise recording goes on in the background until
        its time is up or :meth:`stop` is called.
        """
        if seconds < 0:
            raise self._connection.refusal("Nodrix_Record", "seconds must not be negative")
        milliseconds = round(seconds * 1000.0)
        if sys.platform == "win32":
            self._connection.call("Nodrix_RecordW", _utf16(path), milliseconds, 0)
        else:
            self._connection.call("Nodrix_Record", _encode_path(path), milliseconds, 0)
        if not wait:
            return
        # A camera that delivers nothing for long is given up on; stopping
        # finishes the file as it stands.
        limit = time.monotonic() + seconds + 10.0
        while not _avi_finished(path) and time.monotonic() < limit:
            time.sleep(0.05)
        self.stop()
        # A write that failed (a full disk) ended the recording early: the
        # file holds the frames before it, but the recording failed.
        if self._connection.pop_error() and self._connection.file_failed:
            raise self._connection.failure("Nodrix_Record", errors.FileError.code)
        if not _avi_finished(path):
            raise errors.FrameError(f"{os.fspath(path)} was not completed", code=8,
                                    operation="Nodrix_Record")

    def stop(self) -> None:
        """Stops preview, trigger mode and recording."""
        self._connection.call("Nodrix_StopPreview")

    # ---- masks -----------------------------------------------------------

    def take_dark(self) -> None:
        """Takes the most recent frame as the dark frame of the mask."""
        self._connection.call("Nodrix_UpdateMaskData", 0)

    def take_white(self) -> None:
        """Takes the most recent frame as the white frame of the mask."""
        self._connection.call("Nodrix_UpdateMaskData", 1)

    def save_mask(self, path: PathLike) -> None:
        """Writes the dark and white frames to a mask file."""
        if sys.platform == "win32":
            self._connection.call("Nodrix_SaveMaskFileW", _utf16(path))
        else:
            self._connection.call("Nodrix_SaveMaskFile", _encode_path(path))

    def load_mask(self, path: PathLike) -> None:
        """Reads the dark and white frames from a mask file."""
        if sys.platform == "win32":
            self._connection.call("Nodrix_LoadMaskFileW", _utf16(path))
        else:
            self._connection.call("Nodrix_LoadMaskFile", _encode_path(path))

    # ---- registers -------------------------------------------------------

    @property
    def registers(self) -> "Registers":
        """The camera's registers: ``registers.fpga[n]``,
        ``registers.sensor[address]`` and ``registers.eeprom[address]``,
        read by indexing and written by assignment."""
        return Registers(self._connection)

    @property
    def io_port(self) -> int:
        """The 8-bit digital I/O port (FPGA register 7)."""
        value = ctypes.c_ubyte(0)
        lib = self._connection.lib
        self._check_open()
        self._connection.pop_error()
        if not lib.Nodrix_GetIOPort(self._connection.handle, ctypes.byref(value), 0, 0):
            raise self._connection.failure("Nodrix_GetIOPort")
        return value.value

    @io_port.setter
    def io_port(self, value: int) -> None:
        self._connection.call("Nodrix_SetIOPort", value & 0xFF)


def _avi_finished(path: PathLike) -> bool:
    # The RIFF size is written when the file is closed.
    try:
        with builtins.open(path, "rb") as f:
            header = f.read(8)
    except OSError:
        return False
    return len(header) == 8 and int.from_bytes(header[4:8], "little") != 0
