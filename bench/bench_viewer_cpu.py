#!/usr/bin/env python3
"""Processor time of nodrix-viewer showing the emulated camera, on a virtual
X display: at the emulator's fastest pace (pace=max, 8 bits: frames as fast as
they are read, more than the link carries), at the USB 3.0 link's rate
(pace=link, 8 bits: about 290 frames per second) and at the sensor's own rate
(about 25 frames per second at full size). For each, the viewer runs 5 s after
its picture started, then its user and system time (/proc/PID/stat, every
thread) is taken over SECONDS, with the frames received and shown and the
frames the stream lost (for want of an empty buffer, and replaced by a newer
one before they were taken) from its --probe file.
The time is split by thread: the window (the process's first thread), the
viewer's camera worker (viewer-camera), the thread taking the stream's
buffers (viewer-frames), and the rest: the library and the emulated camera
computing each frame in the process. Each case runs RUNS times; the last
lines give the minimum, median and maximum, with the load average around
each run (the machine may be shared: processor time, not wall-clock rate).

    xvfb-run -a -s "-screen 0 1920x1200x24" python3 bench/bench_viewer_cpu.py \\
        build/linux-release/viewer/nodrix-viewer [SECONDS [RUNS]]
"""
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

CASES = [
    ("fastest pace, 8 bits", "pace=max", ["--set", "bits=8", "--set", "wait-ms=0"]),
    ("link rate, 8 bits", "pace=link", ["--set", "bits=8", "--set", "wait-ms=0"]),
    ("sensor rate, 16 bits", "1", ["--set", "bits=16"]),
]
GROUPS = ("window", "viewer-camera", "viewer-frames", "library and emulator")


def task_times(pid):
    """Processor seconds of each thread, by group."""
    times = dict.fromkeys(GROUPS, 0.0)
    seen = set()
    # Threads take their creator's name: the library's threads started by
    # the camera worker are named like it, and come after it.
    for task in sorted(os.listdir(f"/proc/{pid}/task"), key=int):
        try:
            with open(f"/proc/{pid}/task/{task}/stat") as f:
                text = f.read()
        except OSError:
            continue  # ended meanwhile
        name = text[text.index("(") + 1:text.rindex(")")]
        fields = text.rsplit(")", 1)[1].split()
        seconds = (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
        if int(task) == pid:
            group = "window"
        elif name in GROUPS and name not in seen:
            group = name
            seen.add(name)
        else:
            group = "library and emulator"
        times[group] += seconds
    return times


def process_time(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def probe(path):
    with open(path) as f:
        return json.load(f)


def load():
    with open("/proc/loadavg") as f:
        return f.read().split()[0]


def run(viewer, folder, emulation, arguments, seconds):
    env = dict(os.environ, NODRIX_EMULATION=emulation,
               NODRIX_SETTINGS_FILE=os.path.join(folder, "settings.reg"),
               NODRIX_OBJECT_NAMESPACE=f"viewerbench{os.getpid()}")
    state = os.path.join(folder, "probe.json")
    if os.path.exists(state):
        os.remove(state)
    process = subprocess.Popen([viewer, "--probe", state, "--folder", folder] + arguments,
                               env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        end = time.monotonic() + 60
        while time.monotonic() < end and process.poll() is None:
            try:
                if probe(state)["state"] == "streaming":
                    break
            except (OSError, ValueError, KeyError):
                pass
            time.sleep(0.2)
        time.sleep(5.0)
        load0 = load()
        s0, c0, k0, t0 = probe(state), process_time(process.pid), task_times(process.pid), time.monotonic()
        time.sleep(seconds)
        s1, c1, k1, t1 = probe(state), process_time(process.pid), task_times(process.pid), time.monotonic()
        load1 = load()
    finally:
        process.terminate()
        process.wait()
    wall = t1 - t0
    shown = s1["shown"] - s0["shown"]
    received = s1["received"] - s0["received"]
    lost = {key: s1.get(key, 0) - s0.get(key, 0) for key in ("lost_no_buffer", "lost_overwritten")}
    window = k1["window"] - k0["window"]
    split = ", ".join(f"{g} {100 * (k1[g] - k0[g]) / wall:.1f}" for g in GROUPS)
    total = 100 * (c1 - c0) / wall
    print(f"  {total:.1f} % of one core ({split}); "
          f"window {1000 * window / max(shown, 1):.2f} ms per picture shown; "
          f"{received / wall:.1f} frames/s received, "
          f"{shown / wall:.1f} shown, {(s1['renders'] - s0['renders']) / wall:.1f} windows drawn/s; "
          f"lost for want of a buffer {lost['lost_no_buffer']:.0f}, "
          f"overwritten {lost['lost_overwritten']:.0f}; "
          f"load {load0} .. {load1}", flush=True)
    return total, shown / wall, received / wall, sum(lost.values())


def main():
    viewer = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10.0
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    folder = tempfile.mkdtemp(prefix="nodrix-viewer-bench-")
    summary = []
    for name, emulation, arguments in CASES:
        print(f"{name}:", flush=True)
        results = [run(viewer, folder, emulation, arguments, seconds) for _ in range(runs)]
        cpu = sorted(r[0] for r in results)
        median = [statistics.median(r[k] for r in results) for k in (1, 2, 3)]
        summary.append(f"{name}: {cpu[0]:.1f} / {statistics.median(cpu):.1f} / {cpu[-1]:.1f} % "
                       f"of one core (min / median / max of {runs}); medians: "
                       f"{median[0]:.1f} pictures shown and {median[1]:.1f} frames received "
                       f"per second, {median[2]:.0f} frames lost")
    print("\n".join(summary))
    return 0


if __name__ == "__main__":
    sys.exit(main())
