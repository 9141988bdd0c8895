#!/usr/bin/env python3
"""Frames per second and CPU time per frame of the Python package's stream()
against a C program taking the same frames from the same stream of
buffers, on the emulated camera.

    python3 bench/bench_python_stream.py [--library build/linux-release/src/libnodrix.so]
                                         [--frames 200] [--bits 8] [--pace sensor max]

Both sides take the same number of full frames in a process of their own
from eight buffers the library fills in place (numpy arrays on the Python
side), each queued again when the next frame is taken; CPU time is the
process's user and system time, the library's threads included. At the
sensor's pace both take every frame, so the CPU time per frame compares the
two ways of receiving it; at full speed the frame rate shows how fast each
takes frames (the library reads faster than it delivers, and counts the
rest as lost for want of a buffer, so the CPU time there is mostly
reading). Each pace ends with the ratios Python / C.
"""

from __future__ import annotations

import argparse
import json
import os
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

C_PROGRAM = r"""
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

#include "NodrixSdkEx.h"

enum { kBuffers = 8 };

static double Now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

static double Cpu(void) {
    struct rusage u;
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec +
           u.ru_stime.tv_usec / 1e6;
}

/* The same work as the Python side: buffers of its own queued to the
 * stream, each filled one taken with a wait and queued again when the next
 * is taken. */
int main(int argc, char **argv) {
    const int frames = argc > 1 ? atoi(argv[1]) : 200;
    const int bits = argc > 2 ? atoi(argv[2]) : 8;
    const int handle = Nodrix_Initialize(0);
    NodrixExStreamInfo info = {sizeof info};
    void *memory[kBuffers];
    int got = 0, held = 0;
    if (!handle || !Nodrix_SetDeviceNumber(handle, 0) || !Nodrix_SetColorMode(handle, bits) ||
        !NodrixEx_StreamGetInfo(handle, &info)) {
        fprintf(stderr, "setup failed: error %d\n", handle ? Nodrix_GetLastError(handle) : -1);
        return 1;
    }
    for (int i = 0; i < kBuffers; ++i) {
        int id = 0;
        memory[i] = malloc(info.payloadBytes);
        if (!NodrixEx_StreamAnnounceBuffer(handle, memory[i], info.payloadBytes, NULL, &id) ||
            !NodrixEx_StreamQueueBuffer(handle, id)) return 1;
    }
    const double wall0 = Now(), cpu0 = Cpu();
    if (!NodrixEx_StreamStart(handle, 0)) return 1;
    while (got < frames) {
        NodrixExStreamBuffer buffer = {sizeof buffer};
        if (NodrixEx_StreamWaitBuffer(handle, 10000, &buffer) != NODRIXEX_WAIT_BUFFER) break;
        if (held) NodrixEx_StreamQueueBuffer(handle, held);
        held = buffer.id;
        ++got;
    }
    const double wall = Now() - wall0, cpu = Cpu() - cpu0;
    NodrixEx_StreamStop(handle);
    Nodrix_Release(handle);
    printf("{\"frames\": %d, \"wall\": %.6f, \"cpu\": %.6f}\n", got, wall, cpu);
    for (int i = 0; i < kBuffers; ++i) free(memory[i]);
    return 0;
}
"""

PYTHON_PROGRAM = r"""
import json, sys, time
import nodrix
frames, bits = int(sys.argv[1]), int(sys.argv[2])
with nodrix.open(0) as camera:
    camera.bits = bits
    camera.wait_time = 0
    got = 0
    wall0, cpu0 = time.monotonic(), time.process_time()
    with camera.stream(count=frames, timeout=10.0) as stream:
        for frame in stream:
            got += 1
    wall, cpu = time.monotonic() - wall0, time.process_time() - cpu0
    lost = camera.statistics.lost
print(json.dumps({"frames": got, "wall": wall, "cpu": cpu, "lost": lost}))
"""


def environment(library: Path, scratch: Path, name: str, pace: str) -> dict[str, str]:
    env = dict(os.environ)
    env.update(
        NODRIX_EMULATION=f"cameras=1;pace={pace}",
        NODRIX_SETTINGS_FILE=str(scratch / f"{name}.reg"),
        NODRIX_OBJECT_NAMESPACE=f"nodrixbench{os.getpid()}{name}",
        NODRIX_LIBRARY=str(library),
        PYTHONPATH=str(ROOT / "python"),
    )
    return env


def run(command: list[str], env: dict[str, str]) -> dict[str, float]:
    done = subprocess.run(command, env=env, capture_output=True, text=True, timeout=300)
    if done.returncode != 0:
        raise SystemExit(f"{command[0]} failed:\n{done.stderr}")
    return json.loads(done.stdout.splitlines()[-1])


def report(name: str, result: dict[str, float]) -> None:
    frames = result["frames"]
    print(f"  {name:>7}: {frames:5d} frames, {frames / result['wall']:8.1f} frames/s, "
          f"{result['cpu'] / frames * 1e6:8.1f} us CPU per frame")


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--library", type=Path, default=Path(os.environ.get(
        "NODRIX_LIBRARY", ROOT / "build/linux-release/src/libnodrix.so")))
    parser.add_argument("--frames", type=int, default=200)
    parser.add_argument("--pace", nargs="+", default=["sensor", "max"],
                        choices=("sensor", "max"))
    parser.add_argument("--bits", type=int, default=8, choices=(8, 16))
    parser.add_argument("--cc", default=os.environ.get("CC", "cc"))
    options = parser.parse_args()
    library = options.library.resolve()

    with tempfile.TemporaryDirectory(prefix="nodrix-bench-") as name:
        scratch = Path(name)
        source, program = scratch / "stream.c", scratch / "stream"
        source.write_text(C_PROGRAM)
        built = subprocess.run([options.cc, "-O2", "-std=c11", "-D_POSIX_C_SOURCE=200809L",
                                f"-I{ROOT / 'include'}", str(source), "-o", str(program),
                                str(library), f"-Wl,-rpath,{library.parent}"],
                               capture_output=True, text=True)
        if built.returncode != 0:
            raise SystemExit(f"the C side could not be built against {library} (a release "
                             f"build with the extension API is needed):\n{built.stderr}")
        arguments = [str(options.frames), str(options.bits)]
        print(f"{library}, {options.bits} bits per pixel, emulated camera")
        for pace in options.pace:
            c = run([str(program)] + arguments, environment(library, scratch, "c", pace))
            python = run([sys.executable, "-c", PYTHON_PROGRAM] + arguments,
                         environment(library, scratch, "python", pace))
            print(f"pace {pace}:")
            report("C", c)
            report("Python", python)
            ratio = (python["cpu"] / python["frames"]) / (c["cpu"] / c["frames"])
            rate = (python["frames"] / python["wall"]) / (c["frames"] / c["wall"])
            print(f"  Python / C: {ratio:.2f}x CPU per frame, {rate:.2f}x frames per second "
                  f"({python['lost']} frames lost meanwhile on the Python side)")


if __name__ == "__main__":
    main()
