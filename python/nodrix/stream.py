"""Frames of a running preview or trigger mode as an iterator.

The library calls the frame callback on its worker thread for every frame.
The callback only copies the pixels into a free array of a small pool and
queues it; when every array of the pool is queued or held by the consumer,
the callback waits for one, and the library counts the frames the camera
delivers meanwhile (``lost_overwritten`` in the statistics, ``lost_before``
of the next frame) instead of this package dropping them unseen.
"""

from __future__ import annotations

import ctypes
import queue
import weakref
from typing import Any, NamedTuple, Optional

import numpy as np

from . import errors
from ._connection import Connection
from ._images import allocate_image, metadata_from
from ._records import FrameCallback, FrameMetadataRecord, FrameRecord
from .values import FrameMetadata

_FRAME_BYTES = ctypes.sizeof(FrameRecord)
_METADATA_OFFSET = FrameRecord.metadata.offset
_METADATA_BYTES = ctypes.sizeof(FrameMetadataRecord)


class Frame(NamedTuple):
    """One frame of a :class:`Stream`.

    ``array`` belongs to the stream's pool: it is valid until the next frame
    is taken from the stream. Copy it (``frame.array.copy()``) to keep it.
    """

    array: np.ndarray
    number: int
    """The camera's frame number (wraps after 2**32 - 1)."""
    timestamp: float
    """Host monotonic clock in seconds when the frame's pixels arrived."""
    lost_before: int
    """Frames lost between the previous frame and this one."""
    metadata: FrameMetadata


class _Delivery:
    """What the callback shares with the consumer. It holds no reference to
    the stream, so that an abandoned stream can be collected and stopped."""

    def __init__(self, arrays: list[np.ndarray], stride: int, bits: int) -> None:
        self.addresses = [a.ctypes.data for a in arrays]
        # Each array's metadata, copied beside its pixels.
        self.records = [FrameMetadataRecord() for _ in arrays]
        self.record_addresses = [ctypes.addressof(r) for r in self.records]
        # The callback's copy of the library's frame record.
        self.frame = FrameRecord()
        self.frame_address = ctypes.addressof(self.frame)
        self.height = arrays[0].shape[0]
        self.width = arrays[0].shape[1]
        self.bits = bits
        self.stride = stride
        self.size = stride * self.height
        self.free: queue.SimpleQueue[int] = queue.SimpleQueue()
        self.ready: queue.SimpleQueue[Any] = queue.SimpleQueue()
        for slot in range(len(arrays)):
            self.free.put(slot)
        self.closing = False

    def on_frame(self, handle: int, address: int, user: Any) -> None:
        # Runs on the library's worker thread: a copy and a queue put. An
        # exception must not escape into C; it is handed to the consumer.
        try:
            if self.closing:
                return
            f = self.frame
            ctypes.memmove(self.frame_address, address, _FRAME_BYTES)
            if f.width != self.width or f.height != self.height or f.bitsPerPixel != self.bits:
                self.ready.put(errors.FrameError(
                    f"a frame of {f.width} x {f.height} at {f.bitsPerPixel} bits arrived in a "
                    f"stream of {self.width} x {self.height} at {self.bits}", code=8,
                    operation="stream"))
                return
            slot = self.free.get()
            if slot < 0:  # the stream is closing
                self.free.put(slot)
                return
            target = self.addresses[slot]
            if f.topRowFirst and f.stride == self.stride:
                ctypes.memmove(target, f.pixels, self.size)
            else:
                row_bytes = min(self.stride, f.stride)
                for row in range(self.height):
                    source = row if f.topRowFirst else self.height - 1 - row
                    ctypes.memmove(target + row * self.stride, f.pixels + source * f.stride,
                                   row_bytes)
            ctypes.memmove(self.record_addresses[slot], self.frame_address + _METADATA_OFFSET,
                           _METADATA_BYTES)
            self.ready.put(slot)
        except BaseException as error:  # noqa: BLE001 - reported to the consumer
            self.ready.put(error)


def _stop(connection: Connection, delivery: _Delivery, callback: Any) -> None:
    """Stops the acquisition and removes the callback; after this the library
    no longer calls ``callback``."""
    delivery.closing = True
    delivery.free.put(-1)  # wakes a callback waiting for a free array
    lib, handle = connection.lib, connection.handle
    lib.Nodrix_StopPreview(handle)
    # Waits for a running call of the callback to return.
    lib.NodrixEx_SetFrameCallback(handle, FrameCallback(), None)
    connection.pop_error()
    delivery.ready.put(None)  # wakes a consumer waiting for a frame
    del callback


class Stream:
    """An iterator of :class:`Frame` over a running preview or trigger mode.

    Made by :meth:`Camera.stream` and :meth:`Camera.trigger`. It ends after
    ``count`` frames, at :meth:`close` (from any thread), or at the end of a
    ``with`` block; each stops the acquisition. Waiting longer than
    ``timeout`` for a frame raises :class:`FrameTimeoutError` (or the error
    the library recorded meanwhile, e.g. :class:`CameraLostError`).
    """

    PREVIEW = "preview"
    TRIGGER = "trigger"

    def __init__(self, camera: object, connection: Connection, mode: str,
                 shape: tuple[int, ...], dtype: np.dtype[Any], stride: int,
                 count: Optional[int], timeout: float, pool: int) -> None:
        if pool < 2:
            raise errors.InvalidArgumentError("pool must hold at least 2 arrays", code=9,
                                              operation="stream")
        if count is not None and count < 0:
            raise errors.InvalidArgumentError("count must not be negative", code=9,
                                              operation="stream")
        self._camera = camera  # keeps the connection open while frames come
        self._connection = connection
        self._count = count
        self._timeout = timeout
        self.taken = 0
        """Frames taken from the stream so far: what the application received
        (``statistics.delivered`` also counts those still in the pool)."""
        self._arrays = [allocate_image(shape, dtype, stride) for _ in range(pool)]
        bits = dtype.itemsize * 8 * (shape[2] if len(shape) == 3 else 1)
        self._delivery = _Delivery(self._arrays, stride, bits)
        self._held: Optional[int] = None
        callback = FrameCallback(self._delivery.on_frame)
        lib, handle = connection.lib, connection.handle
        connection.pop_error()
        if not lib.NodrixEx_SetFrameCallback(handle, callback, None):
            raise connection.failure("NodrixEx_SetFrameCallback")
        self._finalizer = weakref.finalize(self, _stop, connection, self._delivery, callback)
        if mode == self.TRIGGER:
            started = lib.Nodrix_Trigger(handle, 0, None, 0, 1)
        else:
            started = lib.Nodrix_StartPreview(handle)
        if not started:
            error = connection.failure("Nodrix_Trigger" if mode == self.TRIGGER
                                       else "Nodrix_StartPreview")
            self._finalizer()
            raise error

    def __iter__(self) -> "Stream":
        return self

    def __next__(self) -> Frame:
        delivery = self._delivery
        if self._held is not None:
            delivery.free.put(self._held)
            self._held = None
        if not self._finalizer.alive or (self._count is not None and self.taken >= self._count):
            self.close()
            raise StopIteration
        try:
            item = delivery.ready.get(timeout=self._timeout)
        except queue.Empty:
            code = self._connection.pop_error()
            if code:
                raise self._connection.failure("stream", code) from None
            raise errors.FrameTimeoutError(
                f"no frame within {self._timeout} s", code=8,
                text=self._connection.error_text(8), operation="stream") from None
        if item is None:
            raise StopIteration
        if isinstance(item, BaseException):
            self.close()
            raise item
        slot = item
        metadata = metadata_from(delivery.records[slot])
        self._held = slot
        self.taken += 1
        if self._count is not None and self.taken >= self._count:
            # The last frame: stop the camera now, the array stays valid.
            self.close()
        return Frame(self._arrays[slot], metadata.number, metadata.timestamp,
                     metadata.lost_before, metadata)

    def close(self) -> None:
        """Stops the acquisition. Safe to call more than once and from
        another thread than the one iterating."""
        self._finalizer()

    @property
    def closed(self) -> bool:
        """True once the acquisition was stopped."""
        return not self._finalizer.alive

    def __enter__(self) -> "Stream":
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()
