#!/usr/bin/env python3
"""Processor time per frame of `nodrixsrc ! fakesink` (16-bit full frames of
the emulated camera at the sensor's rate, about 25 per second), against the stream's own
cost (the same frames taken through the stream API alone: wait, queue
again) and against a copy of one frame. The element should add less than
1.5 frame copies to the stream's cost (it copies nothing; sample-bits=16
widens the samples in place, one pass). Each runs in a process of its
own; the processor time of the whole process (the emulated camera's work
included, the same in both) is taken over the frames after a warm-up, with
the frames lost meanwhile. Then the time gst-launch-1.0 takes to reach NULL
when interrupted while the element waits (for a trigger, on an unplugged
camera, behind a blocked downstream).

    /usr/bin/python3 bench/bench_gst_cpu.py build/linux-release [FRAMES]

The build folder holds src/libnodrix.so and gst/libgstnodrix.so. GStreamer
reads a registry of the run's own, the library private settings.
"""
import ctypes
import json
import os
import signal
import subprocess
import sys
import tempfile
import time

import numpy as np

WIDTH, HEIGHT = 1280, 1024


class Metadata(ctypes.Structure):
    _fields_ = [("size", ctypes.c_uint32), ("frameNumber", ctypes.c_uint32),
                ("timestampUs", ctypes.c_uint64)] + \
        [(n, ctypes.c_int32) for n in ("exposure10", "gain", "x", "y", "width", "height",
                                        "bitsPerPixel", "significantBits")] + \
        [("lostBefore", ctypes.c_uint32), ("reserved", ctypes.c_uint32)]


class StreamBuffer(ctypes.Structure):
    _fields_ = [("size", ctypes.c_uint32), ("id", ctypes.c_int32), ("pixels", ctypes.c_void_p),
                ("user", ctypes.c_void_p), ("capacity", ctypes.c_size_t),
                ("bytes", ctypes.c_size_t)] + \
        [(n, ctypes.c_int32) for n in ("width", "height", "bitsPerPixel", "stride")] + \
        [("metadata", Metadata)]


WARMUP = 50


def child(arguments):
    """Runs this script's measuring half in a process of its own; its result."""
    command = [sys.executable, os.path.abspath(__file__)] + arguments
    result = subprocess.run(command, capture_output=True, text=True, check=True)
    return json.loads(result.stdout.strip().splitlines()[-1])


def measure_gst(plugin_dir, frames, sample_bits):
    """In this process: the pipeline plays; after WARMUP frames, the
    processor time and the statistics over the next frames."""
    import gi
    gi.require_version("Gst", "1.0")
    from gi.repository import Gst
    Gst.init(None)
    pipeline = Gst.parse_launch(
        f"nodrixsrc name=src sample-bits={sample_bits} "
        f"! video/x-raw,format=GRAY16_LE,height={HEIGHT} ! fakesink")
    source = pipeline.get_by_name("src")

    def stats():
        s = source.get_property("statistics")
        return s.get_value("frames-received"), s.get_value("frames-delivered")

    pipeline.set_state(Gst.State.PLAYING)
    while stats()[1] < WARMUP:
        time.sleep(0.25)
    received0, delivered0 = stats()
    cpu0 = time.process_time()
    while stats()[1] < delivered0 + frames:
        time.sleep(0.25)
    cpu1 = time.process_time()
    received1, delivered1 = stats()
    pipeline.set_state(Gst.State.NULL)
    return {"cpu": (cpu1 - cpu0) / (delivered1 - delivered0),
            "lost": (received1 - received0) - (delivered1 - delivered0)}


def stream_loop(library, frames):
    lib = ctypes.CDLL(library)
    handle = lib.Nodrix_Initialize(None)
    lib.NodrixEx_SetSaveOnRelease(handle, 0)
    lib.Nodrix_SetColorMode(handle, 16)
    lib.Nodrix_SetCaptureWindowEx(handle, WIDTH, 0, WIDTH, HEIGHT, 0, HEIGHT)
    ident = ctypes.c_int()
    for _ in range(8):
        lib.NodrixEx_StreamAnnounceBuffer(handle, None, ctypes.c_size_t(WIDTH * HEIGHT * 2),
                                          None, ctypes.byref(ident))
        lib.NodrixEx_StreamQueueBuffer(handle, ident.value)
    if not lib.NodrixEx_StreamStart(handle, 0):
        sys.exit("the stream did not start: error %d" % lib.Nodrix_GetLastError(handle))
    buffer = StreamBuffer()
    lost = 0
    for i in range(WARMUP + frames):
        if i == WARMUP:
            cpu0 = time.process_time()
        buffer.size = ctypes.sizeof(buffer)
        if lib.NodrixEx_StreamWaitBuffer(handle, 5000, ctypes.byref(buffer)) != 1:
            sys.exit("no frame")
        if i >= WARMUP:
            lost += buffer.metadata.lostBefore
        lib.NodrixEx_StreamQueueBuffer(handle, buffer.id)
    cpu = (time.process_time() - cpu0) / frames
    lib.NodrixEx_StreamStop(handle)
    lib.Nodrix_Release(handle)
    return {"cpu": cpu, "lost": lost}


def memcpy_per_frame():
    source = np.ones(WIDTH * HEIGHT * 2, dtype=np.uint8)
    target = np.empty_like(source)
    runs = 200
    start = time.process_time()
    for _ in range(runs):
        np.copyto(target, source)
    return (time.process_time() - start) / runs


def seconds_to_null(pipeline, env, wait=2.0):
    """gst-launch-1.0 playing the pipeline is interrupted after `wait`
    seconds (it then sets the pipeline to NULL): the seconds until it ended."""
    process = subprocess.Popen(["gst-launch-1.0"] + pipeline.split(), env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(wait)
    start = time.monotonic()
    process.send_signal(signal.SIGINT)
    process.wait()
    return time.monotonic() - start


def main():
    if sys.argv[1] == "--stream-loop":
        print(json.dumps(stream_loop(sys.argv[2], int(sys.argv[3]))))
        return
    if sys.argv[1] == "--gst":
        print(json.dumps(measure_gst(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]))))
        return
    build = os.path.abspath(sys.argv[1])
    frames = int(sys.argv[2]) if len(sys.argv) > 2 else 300
    folder = tempfile.mkdtemp(prefix="nodrix-gst-bench-")
    os.environ.update(NODRIX_EMULATION="pace=sensor",
                      NODRIX_SETTINGS_FILE=os.path.join(folder, "settings.reg"),
                      NODRIX_OBJECT_NAMESPACE=f"gstbench{os.getpid()}",
                      GST_REGISTRY=os.path.join(folder, "registry.bin"),
                      GST_PLUGIN_PATH=os.path.join(build, "gst"))
    env = os.environ.copy()
    copy = memcpy_per_frame()
    stream = child(["--stream-loop", os.path.join(build, "src", "libnodrix.so"), str(frames)])
    print(f"frame: {WIDTH} x {HEIGHT} x 16 bits; {frames} frames at the sensor's rate")
    print(f"memcpy of a frame:          {copy * 1e6:8.1f} us")
    print(f"stream API alone per frame: {stream['cpu'] * 1e6:8.1f} us, {stream['lost']} lost")
    for bits in (12, 16):
        gst = child(["--gst", os.path.join(build, "gst"), str(frames), str(bits)])
        print(f"nodrixsrc sample-bits={bits} ! fakesink: {gst['cpu'] * 1e6:8.1f} us per frame, "
              f"{(gst['cpu'] - stream['cpu']) / copy:5.2f} memcpys above the stream, "
              f"{gst['lost']} lost")
    # PLAYING to NULL while the element waits: for a trigger that never
    # comes, for an unplugged camera, on a downstream that blocks.
    never = dict(env, NODRIX_EMULATION="1")
    print("to NULL, no trigger coming:   %.3f s" % seconds_to_null(
        "nodrixsrc trigger-mode=true ! fakesink", never))
    unplugged = dict(env, NODRIX_EMULATION="unplug_after_ms=1000")
    print("to NULL, camera unplugged:    %.3f s" % seconds_to_null(
        "nodrixsrc ! fakesink", unplugged, wait=1.5))
    print("to NULL, downstream blocking: %.3f s" % seconds_to_null(
        "nodrixsrc ! queue max-size-buffers=1 ! fakesink sync=true ts-offset=3600000000000",
        never))


if __name__ == "__main__":
    main()
