#!/usr/bin/env python3
"""nodrix-viewer as a person sees it, on a virtual X display with the
emulated camera: the window opens, the picture region shows the camera's
ramp pixel for pixel, the histogram is drawn, a value typed into a control
reaches the camera, the keys fit and zoom, a configuration file is saved
and loaded, a second camera opens in a second window, a key press saves a snapshot and a recording that
outside decoders read, a capture window drawn with the mouse reaches the
camera, nothing is stored in the camera unless asked (and the values in
effect are when "Store the settings in the camera" is ticked), and
an unplug shows the error in the window until the replug brings the picture
back. The window's state (where the picture and the controls are, what was
read back) comes from the viewer's --probe file; the pixels from a
screenshot. The screenshots are kept in --shots for the documentation.
"""
import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from PIL import Image, ImageGrab

FAILURES = []


def check(condition, what):
    if not condition:
        FAILURES.append(what)
        print(f"FAIL: {what}", flush=True)
    return condition


class Viewer:
    def __init__(self, program, folder, emulation, arguments, launcher=()):
        self.probe_path = os.path.join(folder, "probe.json")
        self.env = dict(os.environ)
        self.env["NODRIX_EMULATION"] = emulation
        self.env["NODRIX_SETTINGS_FILE"] = os.path.join(folder, "..", "settings.reg")
        # X11 and SDL keep allocations to the end of the process.
        self.env["ASAN_OPTIONS"] = self.env.get("ASAN_OPTIONS", "") + ":detect_leaks=0"
        self.log = open(os.path.join(folder, "viewer.log"), "w")
        self.process = subprocess.Popen(
            list(launcher) + [program, "--probe", self.probe_path, "--folder", folder] + arguments,
            env=self.env, stdout=self.log, stderr=subprocess.STDOUT, cwd=folder)

    def state(self):
        try:
            with open(self.probe_path) as f:
                return json.load(f)
        except (OSError, ValueError):
            return {}

    def wait(self, condition, what, timeout=60):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if self.process.poll() is not None:
                break
            s = self.state()
            if s and condition(s):
                return s
            time.sleep(0.1)
        check(False, f"{what} (last state: {self.state()})")
        return self.state()

    def window(self):
        x, y, _, _ = self.state()["window"]
        return int(x), int(y)

    def drawn(self):
        """Waits for the window to be drawn once more: what was sent so far is seen."""
        renders = self.state().get("renders", 0)
        self.wait(lambda s: s["renders"] > renders, "the window is drawn again")

    def pointer(self, action, at=None):
        """One step of the mouse (a move to window point at, a press, a
        release), waited for until a window drawn has seen it: on a loaded
        machine the steps cannot merge, and none is taken for done early."""
        if action == "mousemove":
            wx, wy = self.window()
            xdotool(action, str(wx + at[0]), str(wy + at[1]))
            self.wait(lambda s: abs(s["mouse"][0] - at[0]) <= 1 and abs(s["mouse"][1] - at[1]) <= 1,
                      f"the window sees the pointer at {at}")
        else:
            xdotool(action, "1")
            down = 1 if action == "mousedown" else 0
            self.wait(lambda s: s["mouse_down"] == down, f"the window sees {action}")

    def click(self, name):
        """A click on the widget name, scrolled into the window first."""
        for _ in range(5):
            x, y, w, h = self.reveal(name)
            at = (int(x + w / 2), int(y + h / 2))
            self.pointer("mousemove", at)
            x, y, w, h = self.state()["widgets"][name]
            if x <= at[0] < x + w and y <= at[1] < y + h:
                break  # still there once the pointer is: no notice moved it
        self.pointer("mousedown")
        self.pointer("mouseup")

    def type_into(self, name, text):
        """Replaces the text of the field name and confirms it with Return."""
        self.click(name)
        self.wait(lambda s: s["editing"] == name, f"the field {name} takes the keys")
        self.key("ctrl+a")
        xdotool("type", text)
        self.key("Return")
        self.wait(lambda s: s["editing"] == "", f"Return ends the editing of {name}")

    def reveal(self, name):
        """The panel scrolled until widget name is inside the window; its rectangle.
        (A notice above the panels moves them: the rectangles of a later drawing.)"""
        self.drawn()
        for _ in range(40):
            s = self.state()
            x, y, w, h = s["widgets"][name]
            if 0 <= y and y + h <= s["window"][3]:
                return s["widgets"][name]
            wx, wy = self.window()
            xdotool("mousemove", str(int(wx + 200)), str(int(wy + 300)))
            xdotool("click", "5" if y > 0 else "4")
            renders = s["renders"]
            self.wait(lambda s: s["renders"] > renders + 1, "the panel scrolls")
        return s["widgets"][name]

    def hover_picture(self):
        wx, wy = self.window()
        x, y, w, h = self.state()["picture"]
        xdotool("mousemove", str(int(wx + x + w - 20)), str(int(wy + y + h / 2)))

    def key(self, *keys):
        xdotool("key", *keys)

    def screenshot(self):
        # The window drawn twice since the state asked for was reached.
        drawn = self.state().get("renders", 0)
        self.wait(lambda s: s["renders"] >= drawn + 2, "the window is drawn again")
        wx, wy = self.window()
        _, _, w, h = self.state()["window"]
        screen = ImageGrab.grab(xdisplay=os.environ["DISPLAY"])
        return screen.crop((wx, wy, wx + int(w), wy + int(h))).convert("RGB")

    def close(self):
        if self.process.poll() is None:
            self.key("ctrl+q")
            try:
                self.process.wait(timeout=30)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
                check(False, "the viewer did not end on Ctrl+Q")
        self.log.close()
        return self.process.returncode


def xdotool(*arguments):
    subprocess.run(["xdotool"] + list(arguments), check=True)
    time.sleep(0.2)


def ramp_offsets(pixels, left, top, width, height, origin_x, origin_y):
    """The set of (value - X - Y) mod 256 over a block of grey pixels, where
    X, Y are the image column and row: one value when the block is the ramp."""
    offsets = set()
    for sy in range(top, top + height, 3):
        for sx in range(left, left + width, 3):
            r, g, b = pixels[sx, sy][:3]
            if not (r == g == b):
                return {"not grey"}
            offsets.add((r - (sx - origin_x) - (sy - origin_y)) % 256)
    return offsets


def stored_settings(args, folder):
    """The stored settings file as bytes, made first by the tool (which
    stores nothing itself) when no connection has written it yet."""
    path = os.path.join(folder, "..", "settings.reg")
    if not os.path.exists(path):
        env = dict(os.environ, NODRIX_EMULATION="1", NODRIX_SETTINGS_FILE=path)
        subprocess.run([args.tool, "get", "exposure-ms"], env=env, capture_output=True)
    with open(path, "rb") as f:
        return f.read()


def first_run(args, folder, shots):
    stored = stored_settings(args, folder)
    v = Viewer(args.viewer, folder, "2",
               ["--set", "bits=8", "--one-to-one", "--size", "1400x900", "--record-seconds", "2"])
    s = v.wait(lambda s: s["state"] == "streaming" and s["shown"] >= 3, "the live picture starts")
    check("emulated camera" in s.get("title", ""), f"the title names the emulated camera: {s.get('title')}")
    check(s.get("frame_width") == 1280 and s.get("frame_bits") == 8, f"8-bit full frames: {s}")

    # Paused, the screen keeps one frame: at 1:1 every pixel of the picture
    # region is the ramp's (X + Y + n) & 255 for a single frame number n.
    v.hover_picture()
    v.key("space")
    s = v.wait(lambda s: s["paused"] == 1, "Space pauses")
    shot = v.screenshot()
    shot.save(os.path.join(shots, "viewer-ramp.png"))
    px = shot.load()
    ix, iy, iw, ih = [int(round(c)) for c in s["image"]]
    check(s["scale"] == 1, f"1:1 scale: {s['scale']}")
    offsets = ramp_offsets(px, ix + 10, iy + 10, min(400, iw - 20), min(400, ih - 20), ix, iy)
    check(len(offsets) == 1 and "not grey" not in offsets, f"the picture region shows the ramp: {sorted(offsets)[:8]}")

    hx, hy, hw, hh = [int(c) for c in s["histogram"]]
    bars = sum(1 for y in range(hy, hy + hh) for x in range(hx, hx + hw)
               if px[x, y][0] > 180 and px[x, y][1] > 100 and px[x, y][2] < 80)
    check(hw > 100 and bars > hw * hh // 4, f"the histogram is drawn: {bars} bar pixels in {hw}x{hh}")
    check(s["histogram_samples"] == 1280 * 1024, f"histogram over every pixel: {s['histogram_samples']}")

    v.key("space")
    v.wait(lambda s: s["paused"] == 0, "Space resumes")

    # F fits the picture into the region, 1 shows it 1:1, the wheel zooms in.
    v.key("f")
    s = v.wait(lambda s: s["scale"] < 1, "F fits the picture")
    _, _, pw, ph = s["picture"]
    _, _, iw, ih = s["image"]
    check(iw <= pw + 1 and ih <= ph + 1 and min(pw - iw, ph - ih) < 2,
          f"the fitted picture fills the region: {s['image']} in {s['picture']}")
    v.key("1")
    v.wait(lambda s: s["scale"] == 1, "1 shows the picture 1:1")
    xdotool("click", "4")
    v.wait(lambda s: s["scale"] > 1, "the wheel zooms in")
    v.key("1")
    v.wait(lambda s: s["scale"] == 1, "1 again")

    # A value typed into the exposure field reaches the camera: read back
    # through the library and carried by the frames that follow.
    v.type_into("exposure-ms", "12.5")
    s = v.wait(lambda s: abs(s["values"]["exposure-ms"] - 12.5) < 1e-6
               and abs(s.get("frame_exposure_ms", 0) - 12.5) < 1e-6,
               "the typed exposure is read back and in the frames")

    # Save writes the values in effect with the tool's names; Load applies a file.
    v.click("configuration-save")
    v.wait(lambda s: s["notice"].startswith("saved"), "Save writes the configuration file")
    conf = os.path.join(folder, "nodrix-viewer.conf")
    with open(conf) as f:
        saved = dict(line.split("=", 1) for line in f.read().splitlines()
                     if "=" in line and not line.startswith("#"))
    check(float(saved.get("exposure-ms", 0)) == 12.5 and saved.get("bits") == "8",
          f"the file holds the values in effect: {saved}")
    with open(conf, "w") as f:
        f.write("exposure-ms=20\n")
    v.click("configuration-load")
    s = v.wait(lambda s: abs(s["values"]["exposure-ms"] - 20) < 1e-6, "Load applies the file",
               timeout=120)

    # The second camera in a window of its own, titled with that camera's serial.
    v.click("open-2")
    end, second = time.monotonic() + 120, []
    while not second and time.monotonic() < end:
        found = subprocess.run(["xdotool", "search", "--name", "T520EMU01"],
                               capture_output=True, text=True)
        second = found.stdout.split()
        time.sleep(0.2)
    if not check(second, "a second window shows the second camera"):
        names = subprocess.run("for w in $(xdotool search --name nodrix); do xdotool getwindowname $w; done",
                               shell=True, capture_output=True, text=True)
        print(names.stdout, v.state().get("notice"), v.state().get("error"))
    for window in second:
        pid = subprocess.run(["xdotool", "getwindowpid", window], capture_output=True, text=True)
        if pid.stdout.strip():
            os.kill(int(pid.stdout), signal.SIGTERM)
    # The keyboard goes back to the first window (no window manager does
    # it); a search can meet a window of the ending viewer that is just gone.
    for _ in range(20):
        if subprocess.run(["xdotool", "search", "--name", "T520EMU00", "windowfocus"],
                          capture_output=True).returncode == 0:
            break
        time.sleep(0.5)

    # Snapshot and a two-second recording by key.
    v.hover_picture()
    v.key("s")
    s = v.wait(lambda s: s["snapshot"], "S saves a snapshot")
    if s.get("snapshot"):
        image = Image.open(s["snapshot"])
        check(image.size == (1280, 1024) and image.mode == "L", f"snapshot {image.size} {image.mode}")
        spx = image.load()
        offsets = {(spx[x, y] - x - y) % 256 for y in range(0, 1024, 37) for x in range(0, 1280, 41)}
        check(len(offsets) == 1, f"the snapshot holds the ramp: {sorted(offsets)[:8]}")
    v.key("r")
    v.wait(lambda s: s["recording"] == 1, "R starts a recording")
    s = v.wait(lambda s: s["recorded"], "the recording ends by itself", timeout=90)
    if s.get("recorded"):
        time.sleep(1.0)
        probe = subprocess.run(
            ["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
             "stream=codec_type,width,height,nb_read_frames", "-of", "json", s["recorded"]],
            capture_output=True, text=True)
        check(probe.returncode == 0, f"ffprobe reads the recording: {probe.stderr}")
        if probe.returncode == 0:
            stream = json.loads(probe.stdout)["streams"][0]
            check(stream["width"] == 1280 and stream["height"] == 1024
                  and int(stream["nb_read_frames"]) >= 2, f"the recording: {stream}")

    # A capture window drawn with the mouse over the 1:1 picture reaches the
    # camera: its rows (the camera reads whole rows).
    v.hover_picture()
    v.key("1")
    v.wait(lambda s: s["scale"] == 1, "1 before drawing")
    v.click("draw-window")
    ix, iy, _, _ = v.state()["image"]
    x, y = int(ix + 64), int(iy + 32)
    v.pointer("mousemove", (x, y))
    v.pointer("mousedown")
    v.pointer("mousemove", (x + 320, y + 240))
    v.pointer("mouseup")
    v.wait(lambda s: s["values"].get("window") == "1280x240+0+32" and s["frame_height"] == 240,
           "the window drawn with the mouse is the camera's")
    check(v.close() == 0, "the viewer ends with status 0")
    # The exposure, bits and window set above are not stored: the file is as it was.
    check(stored_settings(args, folder) == stored, "nothing stored unless asked")


def unplug_run(args, folder, shots):
    stored = stored_settings(args, folder)
    v = Viewer(args.viewer, folder, "pattern=scene;unplug_after_ms=5000;replug_after_ms=4000",
               ["--size", "1400x900", "--set", "gain=3"])
    s = v.wait(lambda s: s["state"] == "lost", "the unplug is noticed")
    check("lost" in s.get("error", ""), f"the error is shown in the window: {s.get('error')}")
    check("camera lost" in s.get("title", ""), f"the title says so: {s.get('title')}")
    v.screenshot().save(os.path.join(shots, "viewer-unplugged.png"))
    s = v.wait(lambda s: s["state"] == "streaming" and not s["error"], "the replug recovers")
    shown = s.get("shown", 0)
    s = v.wait(lambda s: s["shown"] > shown + 5, "pictures come again after the replug")
    # The documentation's picture: the scene with clipping marks, crosshair, grid.
    v.hover_picture()
    v.key("m")
    v.key("c")
    v.key("g")
    v.wait(lambda s: s["marks"] == 1 and s["crosshair"] == 1 and s["grid"] == 1,
           "M, C and G switch the clipping marks, crosshair and grid on")
    v.screenshot().save(os.path.join(shots, "viewer-live.png"))
    # Ticked, the box stores the values in effect at close.
    v.click("store-settings")
    v.wait(lambda s: s["store_settings"] == 1, "the box is ticked")
    check(v.close() == 0, "the viewer ends with status 0 after the replug")
    check(stored_settings(args, folder) != stored, "the ticked box stores the settings")
    env = dict(os.environ, NODRIX_EMULATION="1",
               NODRIX_SETTINGS_FILE=os.path.join(folder, "..", "settings.reg"))
    got = subprocess.run([args.tool, "get", "gain", "--json"], env=env, capture_output=True, text=True)
    check(got.returncode == 0 and json.loads(got.stdout).get("gain") == 3,
          f"the stored gain: {got.stdout}")


def threads_run(args, folder, shots):
    """The viewer's threads at work together, for a ThreadSanitizer build:
    the window, the camera worker, the thread taking the stream's buffers,
    the library's own; a snapshot stops and starts the stream, a recording
    switches to the frame callback and back. A race ends the viewer with
    ThreadSanitizer's status."""
    v = Viewer(args.viewer, folder, "1", ["--set", "bits=8", "--record-seconds", "1"])
    v.wait(lambda s: s["state"] == "streaming" and s["shown"] >= 3, "the live picture starts", 180)
    v.hover_picture()
    v.key("s")
    v.wait(lambda s: s["snapshot"], "S saves a snapshot", 180)
    v.key("r")
    s = v.wait(lambda s: s["recorded"], "a recording ends", 180)
    shown = s.get("shown", 0)
    v.wait(lambda s: s["shown"] > shown + 2, "the stream again after the recording", 180)
    check(v.close() == 0, "the viewer ends with status 0")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--tool", required=True)
    parser.add_argument("--shots", help="folder for the screenshots")
    parser.add_argument("--threads", action="store_true",
                        help="only the run for a ThreadSanitizer build")
    args = parser.parse_args()
    args.viewer, args.tool = os.path.abspath(args.viewer), os.path.abspath(args.tool)
    if "DISPLAY" not in os.environ:
        print("no DISPLAY: run under xvfb-run", file=sys.stderr)
        return 1
    work = tempfile.mkdtemp(prefix="nodrix-viewer-test-")
    shots = args.shots or work
    os.makedirs(shots, exist_ok=True)
    try:
        runs = (("threads", threads_run),) if args.threads else (("first", first_run),
                                                                 ("unplug", unplug_run))
        for name, run in runs:
            folder = os.path.join(work, name)
            os.makedirs(folder)
            run(args, folder, shots)
            if FAILURES:
                with open(os.path.join(folder, "viewer.log")) as log:
                    print(log.read())
                break
    finally:
        if not FAILURES:
            shutil.rmtree(work, ignore_errors=True)
    print(f"{len(FAILURES)} failure(s)" if FAILURES else "all checks passed")
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
