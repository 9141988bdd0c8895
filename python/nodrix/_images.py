"""Image arrays in the library's row layout and the metadata record as a
value: what the camera and its streams both need."""

from __future__ import annotations

from typing import Any

import numpy as np

from ._connection import Connection
from ._records import FrameMetadataRecord
from .values import FrameMetadata


def allocate_image(shape: tuple[int, ...], dtype: np.dtype[Any], stride: int) -> np.ndarray:
    """An array of this shape and type whose rows lie ``stride`` bytes apart,
    in memory that covers every row's padding."""
    storage = np.empty(shape[0] * stride, np.uint8)
    strides: tuple[int, ...] = (stride, dtype.itemsize)
    if len(shape) == 3:
        strides = (stride, shape[2] * dtype.itemsize, dtype.itemsize)
    return np.ndarray(shape, dtype, buffer=storage, strides=strides)


def check_out(connection: Connection, out: np.ndarray, shape: tuple[int, ...],
               dtype: np.dtype[Any], stride: int) -> None:
    if not isinstance(out, np.ndarray):
        raise TypeError("out must be a numpy array")
    if out.shape != shape or out.dtype != dtype:
        raise connection.refusal(
            "Nodrix_SnapShot",
            f"out must have shape {shape} and dtype {dtype}, not {out.shape} and {out.dtype}")
    item = dtype.itemsize
    expected = (stride, item) if len(shape) == 2 else (stride, shape[2] * item, item)
    if out.strides != expected or not out.flags.writeable:
        raise connection.refusal(
            "Nodrix_SnapShot",
            f"out must be writeable with strides {expected} (Camera.empty() makes one), "
            f"not {out.strides}")
    # Rows are written with their padding: the memory must reach that far.
    start = out.ctypes.data
    need = shape[0] * stride
    array: Any = out
    while isinstance(array, np.ndarray):
        low, high = np.byte_bounds(array)
        if low <= start and start + need <= high:
            return
        array = array.base
    raise connection.refusal(
        "Nodrix_SnapShot",
        "out's rows are padded but its memory ends with the last pixel; use Camera.empty()")


def metadata_from(record: FrameMetadataRecord) -> FrameMetadata:
    """A :class:`FrameMetadata` from the library's record."""
    return FrameMetadata(record.frameNumber, record.timestampUs / 1e6,
                         record.exposure10 / 10000.0, record.gain, record.x, record.y,
                         record.width, record.height, record.bitsPerPixel,
                         record.significantBits, record.lostBefore)

