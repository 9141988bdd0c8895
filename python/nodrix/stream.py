"""Frames of the library's stream as an iterator of numpy arrays.

The stream fills buffers the application announced, in the order the camera
sent the frames. Here every buffer is a numpy array: the library writes the
pixels straight into the array's memory, and the array is handed to the
application as it is, without a copy. Once the application moves on to the
next frame (or calls :meth:`Stream.requeue`), the array is queued again to
be filled. While no array is queued, the library counts the frames it has
nowhere to put (``lost_no_buffer`` in the statistics, ``lost_before`` of
the next frame) instead of this package dropping them unseen.
"""

from __future__ import annotations

import ctypes
import math
import threading
import weakref
from typing import NamedTuple, Optional, Union

import numpy as np

from . import errors
from ._connection import Connection
from ._images import metadata_from
from ._records import StreamBufferRecord, StreamInfoRecord
from .values import FrameMetadata

# NodrixSdkEx.h: start flags and wait results.
_TRIGGER = 0x1
_RECYCLE_OLDEST = 0x2
_WAIT_INFINITE = -1
_WAIT_FAILED, _WAIT_BUFFER, _WAIT_TIMEOUT, _WAIT_CANCELLED, _WAIT_STOPPED = range(5)
# Longest finite wait the library takes, in milliseconds.
_LONGEST_WAIT_MS = 2**31 - 1
# Bits per pixel -> (sample type, samples per pixel).
_SAMPLES: dict[int, tuple[type, int]] = {
    8: (np.uint8, 1), 16: (np.uint16, 1), 24: (np.uint8, 3),
    32: (np.uint8, 4), 48: (np.uint16, 3), 64: (np.uint16, 4),
}


class Frame(NamedTuple):
    """One frame of a :class:`Stream`.

    ``array`` is one of the stream's buffers, filled by the library: it is
    valid until the next frame is taken from the stream (or until
    :meth:`Stream.requeue`), after which the library fills it again. Copy
    it (``frame.array.copy()``) to keep it longer. The frames taken last
    before the stream closed stay valid for good.
    """

    array: np.ndarray
    number: int
    """The camera's frame number (wraps after 2**32 - 1)."""
    timestamp: float
    """Host monotonic clock in seconds when the frame's pixels arrived."""
    lost_before: int
    """Frames lost between the previous frame and this one."""
    metadata: FrameMetadata


def stream_info(connection: Connection) -> StreamInfoRecord:
    """The stream's frame layout and buffer states in the present settings."""
    record = StreamInfoRecord(size=ctypes.sizeof(StreamInfoRecord))
    connection.call("NodrixEx_StreamGetInfo", ctypes.byref(record))
    return record


def _wait_milliseconds(timeout: Optional[float]) -> int:
    if timeout is None:
        return _WAIT_INFINITE
    return min(_LONGEST_WAIT_MS, math.ceil(timeout * 1000.0))


class _Buffers:
    """The arrays announced to the library and who holds each. It holds no
    reference to the stream, so that an abandoned stream can be collected and
    stopped; the arrays live here until the library has forgotten them."""

    def __init__(self, connection: Connection) -> None:
        self.connection = connection
        self.arrays: dict[int, np.ndarray] = {}  # buffer id -> its array
        self.ids: dict[int, int] = {}            # array address -> buffer id
        # Taken under this lock: whether the stream is closed, and every
        # queue or revoke. A wait runs outside it, so that a close from
        # another thread stops the stream and wakes the waiter.
        self.lock = threading.Lock()
        self.closed = False

    def announce(self, array: np.ndarray) -> None:
        lib, handle = self.connection.lib, self.connection.handle
        buffer = ctypes.c_int(0)
        if not lib.NodrixEx_StreamAnnounceBuffer(handle, array.ctypes.data, array.nbytes, None,
                                                 ctypes.byref(buffer)):
            raise self.connection.failure("NodrixEx_StreamAnnounceBuffer")
        self.arrays[buffer.value] = array
        self.ids[array.ctypes.data] = buffer.value

    def queue(self, buffer: int) -> None:
        """Hands a buffer to the library; nothing once the stream is closed."""
        with self.lock:
            if self.closed:
                return
            if not self.connection.lib.NodrixEx_StreamQueueBuffer(self.connection.handle,
                                                                   buffer):
                raise self.connection.failure("NodrixEx_StreamQueueBuffer")

    def close(self) -> None:
        """Stops the stream and has the library forget every array; after
        this the library never touches them again."""
        with self.lock:
            if self.closed:
                return
            self.closed = True
            lib, handle = self.connection.lib, self.connection.handle
            # A released handle has forgotten the buffers already: the calls
            # then fail without a word.
            lib.NodrixEx_StreamStop(handle)
            for buffer in self.arrays:
                lib.NodrixEx_StreamRevokeBuffer(handle, buffer, None, None)
            self.connection.pop_error()


class Stream:
    """An iterator of :class:`Frame` over the library's stream, free-running
    or a frame per trigger.

    Made by :meth:`Camera.stream` and :meth:`Camera.trigger`. It ends after
    ``count`` frames, at :meth:`close` (from any thread, which also wakes a
    thread waiting for a frame), or at the end of a ``with`` block; each
    stops the stream. Waiting longer than ``timeout`` for a frame raises
    :class:`FrameTimeoutError`; a camera lost meanwhile raises
    :class:`CameraLostError`.
    """

    PREVIEW = "preview"
    TRIGGER = "trigger"

    def __init__(self, camera: object, connection: Connection, mode: str,
                 count: Optional[int], timeout: Optional[float], buffers: int,
                 requeue: bool = True, recycle_oldest: bool = False) -> None:
        if isinstance(buffers, bool) or not isinstance(buffers, int) or buffers < 1:
            raise connection.refusal("stream", f"buffers must be at least 1, not {buffers!r}")
        if count is not None and count < 0:
            raise connection.refusal("stream", "count must not be negative")
        if timeout is not None and not timeout >= 0:
            raise connection.refusal("stream", f"timeout must not be negative, not {timeout}")
        self._camera = camera  # keeps the connection open while frames come
        self._connection = connection
        self._count = count
        self._timeout = timeout
        self._requeue = requeue
        self._held: Optional[int] = None
        self.taken = 0
        """Frames taken from the stream so far: what the application received."""
        info = stream_info(connection)
        if info.running:
            raise connection.refusal("NodrixEx_StreamStart",
                                     "a stream is already running on this camera",
                                     errors.NoCoreError)
        sample, channels = _SAMPLES[info.bitsPerPixel]
        self.shape: tuple[int, ...] = ((info.height, info.width) if channels == 1
                                       else (info.height, info.width, channels))
        """Shape of every frame's array."""
        self.dtype = np.dtype(sample).newbyteorder("<")
        """Sample type of every frame's array."""
        self._buffers = _Buffers(connection)
        self._finalizer = weakref.finalize(self, self._buffers.close)
        flags = (_TRIGGER if mode == self.TRIGGER else 0) | (
            _RECYCLE_OLDEST if recycle_oldest else 0)
        try:
            # Rows top first and packed: a C-contiguous array is the layout.
            for _ in range(buffers):
                self._buffers.announce(np.empty(self.shape, self.dtype))
            for buffer in self._buffers.arrays:
                self._buffers.queue(buffer)
            if not connection.lib.NodrixEx_StreamStart(connection.handle, flags):
                raise connection.failure("NodrixEx_StreamStart")
        except BaseException:
            self._finalizer()
            raise

    def __iter__(self) -> "Stream":
        return self

    def __next__(self) -> Frame:
        frame = self._take(self._timeout)
        if frame is None:
            code = self._connection.pop_error()
            if code:
                raise self._connection.failure("NodrixEx_StreamWaitBuffer", code)
            raise errors.FrameTimeoutError(
                f"no frame within {self._timeout} s", code=8,
                text=self._connection.error_text(8), operation="stream")
        return frame

    def wait(self, timeout: Optional[float] = None) -> Optional[Frame]:
        """The next frame, or None when none came within ``timeout`` seconds
        (0 only looks; None waits as long as the stream's own time-out).

        Raises:
            StopIteration: the stream is closed or has taken its ``count``.
        """
        return self._take(self._timeout if timeout is None else timeout)

    def _take(self, timeout: Optional[float]) -> Optional[Frame]:
        if self._requeue and self._held is not None:
            held, self._held = self._held, None
            self._buffers.queue(held)
        if not self._finalizer.alive or (self._count is not None and self.taken >= self._count):
            self.close()
            raise StopIteration
        connection = self._connection
        record = StreamBufferRecord(size=ctypes.sizeof(StreamBufferRecord))
        result = connection.lib.NodrixEx_StreamWaitBuffer(
            connection.handle, _wait_milliseconds(timeout), ctypes.byref(record))
        if result == _WAIT_TIMEOUT:
            return None
        if result != _WAIT_BUFFER:
            code = connection.pop_error() if result == _WAIT_FAILED else 0
            self.close()
            if code:
                raise connection.failure("NodrixEx_StreamWaitBuffer", code)
            raise StopIteration  # stopped, or closed from another thread
        self._held = record.id
        self.taken += 1
        if self._count is not None and self.taken >= self._count:
            # The last frame: stop the camera now; the array stays valid.
            self.close()
        metadata = metadata_from(record.metadata)
        return Frame(self._buffers.arrays[record.id], metadata.number, metadata.timestamp,
                     metadata.lost_before, metadata)

    def requeue(self, frame: Union[Frame, np.ndarray]) -> None:
        """Hands a frame's array back to the library to be filled again; the
        application must not use it afterwards. Frames are requeued by
        themselves when the next one is taken, unless the stream was made
        with ``requeue=False``: then only this call requeues them."""
        array = frame.array if isinstance(frame, Frame) else frame
        buffer = self._buffers.ids.get(array.ctypes.data)
        if buffer is None or self._buffers.arrays[buffer] is not array:
            raise self._connection.refusal("stream", "the array is none of this stream's")
        if self._held == buffer:
            self._held = None
        self._buffers.queue(buffer)

    def close(self) -> None:
        """Stops the stream. Safe to call more than once and from another
        thread than the one iterating (a thread waiting for a frame then
        ends its iteration)."""
        self._finalizer()

    @property
    def closed(self) -> bool:
        """True once the stream was stopped."""
        return not self._finalizer.alive

    def __enter__(self) -> "Stream":
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()
