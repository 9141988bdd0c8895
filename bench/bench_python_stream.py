#!/usr/bin/env python3
"""Frames per second and CPU time per frame of the Python package's stream()
against a C program receiving the same frames through the same frame
callback, on the emulated camera.

    python3 bench/bench_python_stream.py [--library build/linux-release/src/libnodrix.so]
                                         [--frames 200] [--bits 8] [--pace sensor max]

Both sides take the same number of full frames in a process of their own
and copy each into a pool of arrays (the C program with memcpy); CPU time is
the process's user and system time, the library's threads included. At the
sensor's pace both take every frame, so the CPU time per frame compares the
two ways of receiving it; at full speed the frame rate shows how fast each
takes frames (the library reads faster than it delivers, and counts the
rest as overwritten, so the CPU time there is mostly reading). Each pace
ends with the ratios Python / C.
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
#include <pthread.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <time.h>

#include "NodrixSdkEx.h"

enum { kPool = 4 };
static unsigned char *pool[kPool];
static atomic_int delivered;
static int wanted;
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t done = PTHREAD_COND_INITIALIZER;

/* The same work as the Python side's callback: a copy into the pool, and
 * the waiting consumer woken (here only once, when all frames are in). */
static void NODRIX_CALL OnFrame(int handle, const NodrixExFrame *frame, void *user) {
    (void)handle;
    (void)user;
    const int n = atomic_load(&delivered);
    memcpy(pool[n % kPool], frame->pixels, frame->bytes);
    atomic_store(&delivered, n + 1);
    if (n + 1 == wanted) {
        pthread_mutex_lock(&lock);
        pthread_cond_signal(&done);
        pthread_mutex_unlock(&lock);
    }
}

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

int main(int argc, char **argv) {
    const int frames = argc > 1 ? atoi(argv[1]) : 200;
    wanted = frames;
    const int bits = argc > 2 ? atoi(argv[2]) : 8;
    const int handle = Nodrix_Initialize(0);
    if (!handle || !Nodrix_SetDeviceNumber(handle, 0) || !Nodrix_SetColorMode(handle, bits) ||
        !Nodrix_SetWaitTime(handle, 0)) {
        fprintf(stderr, "setup failed: error %d\n", handle ? Nodrix_GetLastError(handle) : -1);
        return 1;
    }
    const size_t bytes = (size_t)((Nodrix_Width(handle) * bits / 8 + 3) & ~3) *
                         (size_t)Nodrix_Height(handle);
    for (int i = 0; i < kPool; ++i) pool[i] = malloc(bytes);
    if (!NodrixEx_SetFrameCallback(handle, OnFrame, NULL)) return 1;
    const double wall0 = Now(), cpu0 = Cpu();
    if (!Nodrix_StartPreview(handle)) return 1;
    struct timespec limit;
    clock_gettime(CLOCK_REALTIME, &limit);
    limit.tv_sec += 120;
    pthread_mutex_lock(&lock);
    while (atomic_load(&delivered) < frames) {
        if (pthread_cond_timedwait(&done, &lock, &limit) != 0) break;
    }
    pthread_mutex_unlock(&lock);
    const int got = atomic_load(&delivered);
    const double wall = Now() - wall0, cpu = Cpu() - cpu0;
    Nodrix_StopPreview(handle);
    NodrixEx_SetFrameCallback(handle, NULL, NULL);
    Nodrix_Release(handle);
    printf("{\"frames\": %d, \"wall\": %.6f, \"cpu\": %.6f}\n", got, wall, cpu);
    for (int i = 0; i < kPool; ++i) free(pool[i]);
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
                                str(library), f"-Wl,-rpath,{library.parent}", "-pthread"],
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
