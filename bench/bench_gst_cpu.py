#!/usr/bin/env python3
"""Processor time per frame of `nodrixsrc ! fakesink` at the link rate (the
emulated camera at pace=max, 16-bit full frames), against the stream's own
cost (the same frames taken through the stream API alone: wait, queue
again) and against a copy of one frame. The element should add less than
1.5 frame copies to the stream's cost (it copies nothing; sample-bits=16
widens the samples in place, one pass). Lost frames are counted from the
element's QoS messages. Then the time gst-launch-1.0 takes to reach NULL
when interrupted while the element waits (for a trigger, on an unplugged
camera, behind a blocked downstream).

    /usr/bin/python3 bench/bench_gst_cpu.py build/linux-release [FRAMES]

The build folder holds src/libnodrix.so and gst/libgstnodrix.so. GStreamer
reads a registry of the run's own, the library private settings.
"""
import ctypes
import os
import re
import resource
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


def child_cpu(command, env):
    """Runs a program; its user + system seconds and its output."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    result = subprocess.run(command, env=env, capture_output=True, text=True, check=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime), result.stdout


def gst_per_frame(env, frames, sample_bits):
    def run(n):
        command = ["gst-launch-1.0", "-m", "nodrixsrc", f"num-buffers={n}",
                   f"sample-bits={sample_bits}", "!",
                   f"video/x-raw,format=GRAY16_LE,height={HEIGHT}", "!", "fakesink"]
        return child_cpu(command, env)
    short = max(frames // 10, 10)
    cpu_short, _ = run(short)
    cpu_long, out = run(frames)
    lost = len(re.findall(r"message: qos|Got message #\d+ from element \"nodrixsrc0\" \(qos\)", out))
    return (cpu_long - cpu_short) / (frames - short), lost


def stream_per_frame(library, frames):
    """The stream alone, in a child process of this script: its CPU per frame."""
    def run(n):
        command = [sys.executable, os.path.abspath(__file__), "--stream-loop", library, str(n)]
        return child_cpu(command, os.environ.copy())[0]
    short = max(frames // 10, 10)
    return (run(frames) - run(short)) / (frames - short)


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
    for _ in range(frames):
        buffer.size = ctypes.sizeof(buffer)
        if lib.NodrixEx_StreamWaitBuffer(handle, 5000, ctypes.byref(buffer)) != 1:
            sys.exit("no frame")
        lib.NodrixEx_StreamQueueBuffer(handle, buffer.id)
    lib.NodrixEx_StreamStop(handle)
    lib.Nodrix_Release(handle)


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
        stream_loop(sys.argv[2], int(sys.argv[3]))
        return
    build = os.path.abspath(sys.argv[1])
    frames = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
    folder = tempfile.mkdtemp(prefix="nodrix-gst-bench-")
    os.environ.update(NODRIX_EMULATION="pace=max",
                      NODRIX_SETTINGS_FILE=os.path.join(folder, "settings.reg"),
                      NODRIX_OBJECT_NAMESPACE=f"gstbench{os.getpid()}",
                      GST_REGISTRY=os.path.join(folder, "registry.bin"),
                      GST_PLUGIN_PATH=os.path.join(build, "gst"))
    env = os.environ.copy()
    copy = memcpy_per_frame()
    stream = stream_per_frame(os.path.join(build, "src", "libnodrix.so"), frames)
    print(f"frame: {WIDTH} x {HEIGHT} x 16 bits; {frames} frames at the link rate")
    print(f"memcpy of a frame:          {copy * 1e6:8.1f} us")
    print(f"stream API alone per frame: {stream * 1e6:8.1f} us")
    for bits in (12, 16):
        gst, lost = gst_per_frame(env, frames, bits)
        print(f"nodrixsrc sample-bits={bits} ! fakesink: {gst * 1e6:8.1f} us per frame, "
              f"{(gst - stream) / copy:5.2f} memcpys above the stream, {lost} QoS (lost) messages")
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
