"""The C records of the library's headers, as ctypes structures."""

from __future__ import annotations

import ctypes

# Every record mirrors the C declaration field by field; the library fills
# at most `size` bytes, so these are the sizes this package was made for.


class CameraInfoRecord(ctypes.Structure):
    """NodrixCameraInfo: sensor size, gain and exposure ranges."""

    _fields_ = [
        ("size", ctypes.c_int32),
        ("maxWidth", ctypes.c_int32),
        ("maxHeight", ctypes.c_int32),
        ("gainMin", ctypes.c_int32),
        ("gainMax", ctypes.c_int32),
        ("colorGainMin", ctypes.c_int32),
        ("colorGainMax", ctypes.c_int32),
        ("exposureMin", ctypes.c_int32),
        ("exposureMax", ctypes.c_int32),
        ("reserved", ctypes.c_int32),
        ("exposureSecondsMin", ctypes.c_double),
        ("exposureSecondsMax", ctypes.c_double),
    ]


class FrameMetadataRecord(ctypes.Structure):
    """NodrixExFrameMetadata: what the library knows of one delivered frame."""

    _fields_ = [
        ("size", ctypes.c_uint32),
        ("frameNumber", ctypes.c_uint32),
        ("timestampUs", ctypes.c_uint64),
        ("exposure10", ctypes.c_int32),
        ("gain", ctypes.c_int32),
        ("x", ctypes.c_int32),
        ("y", ctypes.c_int32),
        ("width", ctypes.c_int32),
        ("height", ctypes.c_int32),
        ("bitsPerPixel", ctypes.c_int32),
        ("significantBits", ctypes.c_int32),
        ("lostBefore", ctypes.c_uint32),
        ("reserved", ctypes.c_uint32),
    ]


class StreamStatisticsRecord(ctypes.Structure):
    """NodrixExStreamStatistics: frame counters of one connection."""

    _fields_ = [
        ("size", ctypes.c_uint32),
        ("reserved", ctypes.c_uint32),
        ("framesReceived", ctypes.c_uint64),
        ("framesDelivered", ctypes.c_uint64),
        ("lostHeader", ctypes.c_uint64),
        ("lostPayload", ctypes.c_uint64),
        ("lostGap", ctypes.c_uint64),
        ("lostOverwritten", ctypes.c_uint64),
        ("lostBufferTooSmall", ctypes.c_uint64),
        ("recoveries", ctypes.c_uint64),
        ("receivedRate", ctypes.c_double),
        ("deliveredRate", ctypes.c_double),
        ("notRecorded", ctypes.c_uint64),
        ("lostNoBuffer", ctypes.c_uint64),
    ]


class FrameRecord(ctypes.Structure):
    """NodrixExFrame: a delivered frame as the frame callback sees it."""

    _fields_ = [
        ("size", ctypes.c_uint32),
        ("width", ctypes.c_int32),
        ("height", ctypes.c_int32),
        ("bitsPerPixel", ctypes.c_int32),
        ("stride", ctypes.c_int32),
        ("topRowFirst", ctypes.c_int32),
        ("pixels", ctypes.c_void_p),
        ("bytes", ctypes.c_size_t),
        ("metadata", FrameMetadataRecord),
    ]


# void callback(int handle, const NodrixExFrame *frame, void *user), with
# the C calling convention on every platform. The record arrives as its
# address: the callback copies it whole instead of reading it field by field
# through a new ctypes object per frame.
FrameCallback = ctypes.CFUNCTYPE(None, ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
