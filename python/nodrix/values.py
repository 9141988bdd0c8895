"""Small value types the camera hands out and takes."""

from __future__ import annotations

from typing import NamedTuple


class CameraEntry(NamedTuple):
    """An attached camera as :func:`nodrix.cameras` lists it."""

    index: int
    """Index to pass to :func:`nodrix.open`."""
    name: str
    """The library's name of the camera, e.g. ``"NodrixT520_01"``."""


class CaptureWindow(NamedTuple):
    """The part of the sensor that is read out, in sensor pixels.

    ``x`` and ``y`` are the left column and top row; ``horizontal_total``
    and ``vertical_total`` the sensor size the window is placed in.
    """

    x: int
    y: int
    width: int
    height: int
    horizontal_total: int = 1280
    vertical_total: int = 1024


class CameraInfo(NamedTuple):
    """Sensor size and parameter ranges of the open camera."""

    max_width: int
    max_height: int
    gain_min: int
    gain_max: int
    color_gain_min: int
    color_gain_max: int
    exposure_min: float
    """Shortest exposure in seconds."""
    exposure_max: float
    """Longest exposure in seconds."""


class FrameMetadata(NamedTuple):
    """What the library recorded about one delivered frame."""

    number: int
    """The camera's frame number (wraps after 2**32 - 1)."""
    timestamp: float
    """Host monotonic clock in seconds when the frame's pixels arrived."""
    exposure: float
    """Exposure in effect, seconds."""
    gain: int
    x: int
    y: int
    width: int
    height: int
    bits: int
    """Bits per pixel of the delivered image."""
    significant_bits: int
    """Significant bits per sample: 8, 12 or 16."""
    lost_before: int
    """Frames lost since the previously delivered frame."""


class StreamStatistics(NamedTuple):
    """Frame counters of a connection since it opened or was last reset.

    Every frame that entered the library and did not reach the application
    is counted under exactly one ``lost_...`` reason.
    """

    received: int
    delivered: int
    """Frames that reached the application through the library: copied by a
    snapshot, handed to the frame callback, or taken from a stream (see
    :attr:`Camera.statistics`)."""
    lost_header: int
    lost_payload: int
    lost_gap: int
    lost_overwritten: int
    """Replaced by a newer frame before anyone took it (a consumer too slow),
    or filled but not yet taken when a stream stopped."""
    lost_buffer_too_small: int
    recoveries: int
    received_rate: float
    """Frames per second, recent."""
    delivered_rate: float
    lost_no_buffer: int = 0
    """Not delivered by a stream: none of its arrays was queued empty."""

    @property
    def lost(self) -> int:
        """All lost frames, whatever the reason."""
        return (self.lost_header + self.lost_payload + self.lost_gap + self.lost_overwritten +
                self.lost_buffer_too_small + self.lost_no_buffer)
