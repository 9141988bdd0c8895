#!/usr/bin/env python3
"""Processor time of nodrix-viewer showing the emulated camera, on a virtual
X display: at the link rate (pace=max, 8 bits) and at the sensor's own rate
(about 25 frames per second at full size). For each, the viewer runs 5 s after its
picture started, then its user and system time (/proc/PID/stat, every thread: the
library's workers, the frame callback and the window) is taken over 10 s,
with the frames received and shown from its --probe file. The window's own
thread (the process's first) is shown apart: the rest is the library, the
emulated camera and the viewer's camera worker.

    xvfb-run -a -s "-screen 0 1920x1200x24" python3 bench/bench_viewer_cpu.py \\
        build/linux-release/viewer/nodrix-viewer
"""
import json
import os
import subprocess
import sys
import tempfile
import time

CASES = [
    ("link rate, 8 bits", "pace=max", ["--set", "bits=8", "--set", "wait-ms=0"]),
    ("sensor rate, 16 bits", "1", ["--set", "bits=16"]),
]


def cpu_seconds(pid, task=None):
    path = f"/proc/{pid}/stat" if task is None else f"/proc/{pid}/task/{task}/stat"
    with open(path) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def probe(path):
    with open(path) as f:
        return json.load(f)


def main():
    viewer = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10.0
    folder = tempfile.mkdtemp(prefix="nodrix-viewer-bench-")
    for name, emulation, arguments in CASES:
        env = dict(os.environ, NODRIX_EMULATION=emulation,
                   NODRIX_SETTINGS_FILE=os.path.join(folder, "settings.reg"),
                   NODRIX_OBJECT_NAMESPACE=f"viewerbench{os.getpid()}")
        state = os.path.join(folder, "probe.json")
        process = subprocess.Popen([viewer, "--probe", state, "--folder", folder] + arguments,
                                   env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        end = time.monotonic() + 60
        while time.monotonic() < end and process.poll() is None:
            try:
                if probe(state)["state"] == "streaming":
                    break
            except (OSError, ValueError, KeyError):
                pass
            time.sleep(0.2)
        time.sleep(5.0)
        w0 = cpu_seconds(process.pid, process.pid)
        s0, c0, t0 = probe(state), cpu_seconds(process.pid), time.monotonic()
        time.sleep(seconds)
        s1, c1, t1 = probe(state), cpu_seconds(process.pid), time.monotonic()
        w1 = cpu_seconds(process.pid, process.pid)
        process.terminate()
        process.wait()
        wall = t1 - t0
        shown = s1["shown"] - s0["shown"]
        print(f"{name}: {100 * (c1 - c0) / wall:.1f} % of one core "
              f"(window thread {100 * (w1 - w0) / wall:.1f} %, "
              f"{1000 * (w1 - w0) / max(shown, 1):.1f} ms per picture shown), "
              f"{(s1['received'] - s0['received']) / wall:.1f} frames/s received, "
              f"{(s1['shown'] - s0['shown']) / wall:.1f} shown, "
              f"{(s1['renders'] - s0['renders']) / wall:.1f} windows drawn/s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
