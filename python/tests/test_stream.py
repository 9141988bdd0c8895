"""Streams of numpy arrays the library fills, metadata and statistics."""

from __future__ import annotations

import threading

import numpy as np
import pytest
from conftest import ramp

import nodrix



def gaps_are_the_lost_frames(frames: list[tuple[int, int]]) -> bool:
    """Each frame number follows the previous one after exactly the frames
    the library reports lost in between: nothing is dropped unseen."""
    return all((b - a) & 0xFFFFFFFF == 1 + lost
               for (a, _), (b, lost) in zip(frames, frames[1:]))


@pytest.mark.parametrize("bits", [8, 16])
def test_stream_yields_count_frames_and_accounts_for_every_gap(camera, bits):
    camera.bits = bits
    camera.reset_statistics()
    frames = []
    with camera.stream(count=200, timeout=10.0) as stream:
        for frame in stream:
            if not frames:
                np.testing.assert_array_equal(frame.array, ramp(bits, frame.number))
            frames.append((frame.number, frame.lost_before))
    assert len(frames) == 200
    assert gaps_are_the_lost_frames(frames)
    # Stopped: every received frame is delivered or counted lost, and at
    # full camera speed only for want of a taker.
    statistics = camera.statistics
    assert statistics.delivered >= 200
    assert statistics.received == statistics.delivered + statistics.lost
    assert statistics.lost_header == statistics.lost_payload == statistics.lost_gap == 0


@pytest.mark.parametrize("bits", [8, 16])
def test_frames_are_the_stream_s_own_arrays_filled_in_place(camera, bits):
    camera.bits = bits
    with camera.stream(count=12, timeout=10.0, buffers=3) as stream:
        addresses = set()
        for frame in stream:
            assert frame.array.flags.c_contiguous and frame.array.flags.owndata
            np.testing.assert_array_equal(frame.array, ramp(bits, frame.number))
            addresses.add(frame.array.ctypes.data)
    assert len(addresses) == 3


def test_held_frames_stay_until_requeued_and_the_rest_is_counted(camera):
    camera.reset_statistics()
    with camera.stream(timeout=0.5, buffers=2, requeue=False) as stream:
        first, second = next(stream), next(stream)
        with pytest.raises(nodrix.FrameTimeoutError):
            next(stream)  # both arrays are held: nothing to fill
        for frame in (first, second):
            np.testing.assert_array_equal(frame.array, ramp(8, frame.number))
        stream.requeue(first)
        third = next(stream)
        assert third.array is first.array
        assert third.lost_before == (third.number - second.number - 1) & 0xFFFFFFFF > 0
        with pytest.raises(nodrix.InvalidArgumentError):
            stream.requeue(third.array.copy())
    statistics = camera.statistics
    assert statistics.lost_no_buffer >= third.lost_before
    assert statistics.received == statistics.delivered + statistics.lost


def test_stream_consumed_from_a_second_thread(camera):
    frames: list[tuple[int, int]] = []
    failures: list[BaseException] = []
    stream = camera.stream(count=50, timeout=10.0)

    def consume() -> None:
        try:
            frames.extend((frame.number, frame.lost_before) for frame in stream)
        except BaseException as error:  # noqa: BLE001 - reported below
            failures.append(error)

    worker = threading.Thread(target=consume)
    worker.start()
    worker.join(60)
    assert not worker.is_alive() and not failures
    assert len(frames) == 50 and gaps_are_the_lost_frames(frames)


def test_close_from_another_thread_ends_an_endless_stream(camera):
    stream = camera.stream(timeout=None)
    next(stream)
    closer = threading.Timer(0.2, stream.close)
    closer.start()
    remaining = sum(1 for _ in stream)
    closer.join()
    assert stream.closed and remaining >= 0
    camera.snap()  # the preview is stopped: snapshots work again


def test_one_stream_at_a_time(camera):
    with camera.stream(timeout=10.0) as stream:
        next(stream)
        with pytest.raises(nodrix.NoCoreError):
            camera.stream()
        with pytest.raises(nodrix.NoCoreError):
            camera.snap()


def test_trigger_mode_delivers_triggered_frames(camera):
    with camera.trigger(count=3, timeout=None) as stream:
        frames = [frame.metadata for frame in stream]
    assert len(frames) == 3
    assert all(m.width == 1280 and m.height == 1024 for m in frames)


def test_metadata_and_statistics_of_a_snapshot(camera):
    camera.reset_statistics()
    image = camera.snap()
    metadata = camera.metadata
    assert (metadata.width, metadata.height, metadata.bits) == (1280, 1024, 8)
    np.testing.assert_array_equal(image, ramp(8, metadata.number))
    assert camera.statistics.delivered == 1
    camera.reset_statistics()
    assert camera.statistics.delivered == 0


def test_error_text_is_the_library_s(camera):
    with pytest.raises(nodrix.InvalidArgumentError) as raised:
        camera.gain = 10**6
    assert raised.value.text == nodrix.load().NodrixEx_ErrorText(9).decode()
