#!/usr/bin/env python3
"""nodrix-viewer.exe of a Windows build under Wine, on a virtual X display
with the emulated camera: the window opens, and paused, its picture region
shows the camera's ramp pixel for pixel. Without a display the script runs
itself again under xvfb-run."""
import argparse
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import viewer_gui_test as gui  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--wine-run", required=True)
    args = parser.parse_args()
    if "DISPLAY" not in os.environ:
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1920x1200x24",
                               sys.executable] + sys.argv)
    work = tempfile.mkdtemp(prefix="nodrix-viewer-wine-")
    v = gui.Viewer(os.path.abspath(args.viewer), work, "1",
                   ["--set", "bits=8", "--one-to-one", "--size", "1400x900"],
                   launcher=[os.path.abspath(args.wine_run)])
    v.wait(lambda s: s["state"] == "streaming" and s["shown"] >= 3,
           "the live picture starts under Wine", timeout=240)
    v.hover_picture()
    v.key("space")
    s = v.wait(lambda s: s["paused"] == 1, "Space pauses")
    shot = v.screenshot()
    px = shot.load()
    ix, iy, iw, ih = [int(round(c)) for c in s["image"]]
    offsets = gui.ramp_offsets(px, ix + 10, iy + 10, min(400, iw - 20), min(400, ih - 20), ix, iy)
    gui.check(len(offsets) == 1 and "not grey" not in offsets,
              f"the picture region shows the ramp: {sorted(offsets, key=str)[:8]}")
    gui.check(v.close() == 0, "the viewer ends with status 0")
    if gui.FAILURES:
        shot.save(os.path.join(work, "screen.png"))
        print(f"kept {work}")
    else:
        shutil.rmtree(work, ignore_errors=True)
    print(f"{len(gui.FAILURES)} failure(s)" if gui.FAILURES else "all checks passed")
    return 1 if gui.FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
