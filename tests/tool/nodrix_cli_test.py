#!/usr/bin/env python3
"""Runs the nodrix tool as a process against the emulated camera."""
import argparse
import gzip
import json
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

EMU = {"NODRIX_EMULATION": "1"}
NO_EMU = {"NODRIX_EMULATION": None}

# (arguments, environment changes, exit status, fragments of the output,
#  also run under Wine). {d} is the private folder.
TABLE = [
    (["--version"], EMU, 0, ["nodrix {v} (SDK {v}, Nodrix_GetDllVersion 36242721)"], True),
    (["--device", "0", "--version"], EMU, 0, ["nodrix {v} (SDK {v}"], False),
    (["--device", "T520EMU00", "info"], EMU, 0, ["NodrixT520_01"], False),
    (["--device", "7", "info"], EMU, 1, ["no camera '7'"], False),
    (["--save"], EMU, 2, ["usage: nodrix COMMAND"], False),
    (["--help"], EMU, 0, ["usage: nodrix COMMAND", "before or after the command"], False),
    (["help"], EMU, 0, ["list", "info", "get", "set", "regs", "eeprom", "snap", "stream",
                        "record", "mask", "config", "dialog", "e.g. nodrix"], True),
    (["help", "record"], EMU, 0, ["usage: nodrix record", "example:", "--bits 8|16", "--device",
                                  "--no-emulation"], False),
    (["stream", "--help"], EMU, 0, ["[--bits 8|16]", "--mask FILE", "common options:",
                                    "--save"], False),
    (["snap", "--help"], EMU, 0, ["usage: nodrix snap", "exposure-ms"], True),
    (["frobnicate"], EMU, 2, ["unknown command 'frobnicate'"], False),
    (["list"], EMU, 0, ["1 camera found", "NodrixT520_01", "T520EMU00",
                        "using the emulated camera"], True),
    (["list"], NO_EMU, 0, ["1 camera found", "using the emulated camera"], False),
    (["info"], {"NODRIX_EMULATION": "0"}, 1, ["no camera found"], True),
    (["info", "--no-emulation"], NO_EMU, 1, ["no camera found"], False),
    (["info"], EMU, 0, ["T520EMU00", "temperature", "exposure-ms", "2 to 62", "grey-offset-b"],
     True),
    (["info", "--device", "T520EMU00"], EMU, 0, ["NodrixT520_01"], False),
    (["info", "--device", "NodrixT520_01"], EMU, 0, ["T520EMU00"], False),
    (["info", "--device", "T520EMU01"], {"NODRIX_EMULATION": "2"}, 0,
     ["NodrixT520_02 (device 1)"], False),
    (["info", "--device", "4"], EMU, 1, ["no camera '4'", "0: NodrixT520_01"], False),
    (["get", "gain"], EMU, 0, ["2"], False),
    (["get", "shutter"], EMU, 2, ["unknown parameter 'shutter'", "exposure-ms, exposure-s"],
     False),
    (["set", "gain=99"], EMU, 2, ["gain=99 is out of range: 2 to 62"], True),
    (["snap", "--out", "{d}/g.png", "--gain", "1.5"], EMU, 2, ["not a whole number (2 to 62)"],
     False),
    (["set", "exposure-ms=99999999"], EMU, 2, ["out of range: 0.037125 to 2000"], False),
    (["set", "exposure-ms=-5"], EMU, 2, ["out of range"], False),
    (["set", "gain"], EMU, 2, ["not NAME=VALUE"], False),
    (["set", "mirror-h=1", "brightness=-20"], EMU, 0, ["mirror-h=1", "brightness=-20",
                                                       "for this run only"], False),
    (["snap", "--out", "{d}/x.mp4"], EMU, 2, ["snap writes .pgm"], False),
    (["snap", "--json", "--out", "{d}/x.png"], EMU, 2, ["snap does not take --json"], False),
    (["snap", "--quality", "50", "--out", "{d}/x.jpg"], EMU, 2, ["quality 100, 70 or 20"], False),
    (["snap", "--quality", "70", "--out", "{d}/q.png"], EMU, 2, ["--quality applies to JPEG"],
     False),
    (["snap", "--quality", "70", "--out", "{d}/q.jpg"], EMU, 0, ["JPEG, quality 70"], False),
    (["snap", "--out", "{d}/x16.jpg", "--bits", "16"], EMU, 0,
     ["8 bits per pixel, JPEG, quality 100 (the top 8 bits of the 16-bit frame)"], False),
    (["snap", "--out", "{d}/x16.bmp", "--bits", "16"], EMU, 0, ["16 bits per pixel, BMP"], False),
    (["set", "window=640x480"], EMU, 2,
     ["whole rows: the width must stay 1280 at x 0", "1280xHEIGHT+0+Y"], False),
    (["set", "window=1280x600+0+500"], EMU, 2, ["the sensor's 1024", "Y 0 to 1024 - HEIGHT"],
     False),
    (["snap", "--out", "{d}/s.jpg"], EMU, 0, ["8 bits per pixel"], True),
    (["snap", "--out", "{d}/s.bmp"], EMU, 0, ["8 bits per pixel"], False),
    (["snap", "--out", "{d}/w.tif", "window=1280x512+0+256"], EMU, 0, ["1280 x 512"], False),
    (["snap", "--out", "{d}/with space.jpg"], NO_EMU, 0, ["with space.jpg"], True),
    (["snap", "--out", "{d}/s.png", "--bits", "16"], EMU, 0, ["16 bits per pixel, PNG"], False),
    (["snap", "--out", "{d}/s.pgm", "--exposure-ms", "5", "gain=4"], EMU, 0, ["s.pgm"], False),
    (["snap", "--out", "{d}/s.tif", "--bits", "12"], EMU, 2, ["--bits must be 8 or 16"], False),
    (["record", "--out", "{d}/r.mp4"], EMU, 2, ["AVI files only"], False),
    (["record", "--out", "{d}/r.avi", "--seconds", "1"], EMU, 0, ["wrote", "frames per second"],
     True),
    (["stream", "--seconds", "3"], EMU, 0, ["frames received"], True),
    (["stream", "--seconds", "0"], EMU, 2, ["--seconds must be positive"], False),
    (["stream", "--seconds", "1", "--trigger", "--buffers", "2"],
     {"NODRIX_EMULATION": "trigger_interval_ms=100"}, 0, ["frames received", "no_buffer"], True),
    (["stream", "--seconds", "30", "--trigger", "--timeout", "0.5"], EMU, 1,
     ["no frame within 0.5 s"], False),
    (["stream", "--buffers", "0"], EMU, 2, ["--buffers must be a whole number, 1 to 4096"], False),
    (["regs", "fpga", "16", "17"], EMU, 0, ["fpga 0x0010 (  16) = 0x0005"], False),
    (["regs", "fpga", "0x100"], EMU, 2, ["addresses 0 to 0xFF"], False),
    (["regs", "sensor", "5=0x3A"], EMU, 0, ["sensor 0x0005 (   5) <- 0x003A"], False),
    (["regs", "flash", "1"], EMU, 2, ["regs needs fpga|sensor"], False),
    (["eeprom", "read", "0..0x1F"], EMU, 0, ["000:", "010:"], False),
    (["eeprom", "write", "0x800=0x5A"], EMU, 2, ["--confirm-write"], False),
    (["eeprom", "write", "0x800=0x5A", "--confirm-write"], EMU, 0, ["0x800 <- 0x5A"], False),
    (["mask", "take", "dark", "--out", "{d}/cam.mask"], EMU, 0, ["wrote"], False),
    (["mask", "load", "{d}/cam.mask"], EMU, 0, ["valid mask file"], False),
    (["mask", "load", "{d}/missing.mask"], EMU, 1, ["loading the mask failed"], False),
    (["config", "load", "{d}/pairs.cfg"], EMU, 0, ["read"], False),
    (["config", "load", "{d}/missing.cfg"], EMU, 1, ["could not read", "No such file"], False),
    (["config", "load", "{d}/garbage.cfg"], EMU, 1, ["not a configuration file"], False),
    (["snap", "--out", "{d}/missing/x.png"], EMU, 1,
     ["could not write", "x.png: No such file or directory"], False),
    (["record", "--out", "{d}/missing/x.avi", "--seconds", "1"], EMU, 1,
     ["could not write", "x.avi: No such file or directory"], False),
    (["config"], EMU, 2, ["config needs load FILE"], False),
    (["dialog", "lens"], EMU, 2, ["camera, image or analog"], False),
]


class Tool:
    def __init__(self, tool, runner, folder, version):
        self.command = ([runner] if runner else []) + [tool]
        self.version = version
        self.folder = folder
        self.env = dict(os.environ)
        self.env["NODRIX_SETTINGS_FILE"] = os.path.join(folder, "settings")

    def environment(self, changes):
        env = dict(self.env)
        for key, value in changes.items():
            if value is None:
                env.pop(key, None)
            else:
                env[key] = value
        return env

    def run(self, args, changes=EMU):
        args = [a.replace("{d}", self.folder) for a in args]
        done = subprocess.run(self.command + args, env=self.environment(changes),
                              capture_output=True, text=True, timeout=300)
        return done.returncode, done.stdout, done.stderr


def check(condition, what):
    if not condition:
        raise AssertionError(what)


def run_table(tool, windows, real_driver):
    failures = []
    with open(os.path.join(tool.folder, "pairs.cfg"), "wb") as f:
        f.write(struct.pack("<4i", 1, 2, 3, 4))
    with open(os.path.join(tool.folder, "garbage.cfg"), "w") as f:
        f.write("not pairs\n")
    for args, changes, status, fragments, under_wine in TABLE:
        if windows and not under_wine:
            continue
        if changes is NO_EMU and real_driver and status == 0:
            # Without a camera attached the real driver finds none.
            status, fragments = 1, ["no camera found; NODRIX_EMULATION=1 selects"]
        code, out, err = tool.run(args, changes)
        text = out + err
        missing = [f for f in fragments
                   if f.replace("{d}", tool.folder).replace("{v}", tool.version) not in text]
        if code != status or missing:
            failures.append(f"nodrix {' '.join(args)}: status {code} (expected {status}), "
                            f"missing {missing}\n{text}")
    return failures


def check_json(tool):
    def document(args):
        code, out, err = tool.run(args)
        check(code == 0, f"{args}: status {code}: {err}")
        return json.loads(out)

    listed = document(["list", "--json"])
    check(listed["emulated"] is True and listed["cameras"][0]["serial"] == "T520EMU00"
          and listed["cameras"][0]["index"] == 0, f"list: {listed}")
    info = document(["info", "--json"])
    check(info["serial"] == "T520EMU00" and info["sensor_width"] == 1280, f"info: {info}")
    check(info["sdk_version"] == tool.version and info["dll_version"] == 36242721,
          f"info versions: {info}")
    gain = info["parameters"]["gain"]
    check(gain["min"] == 2 and gain["max"] == 62 and gain["stored"], f"info gain: {gain}")
    check(info["parameters"]["window"]["value"] == "1280x1024+0+0", "info window")
    got = document(["get", "gain", "mirror-v", "window", "--json"])
    check(set(got) == {"gain", "mirror-v", "window"} and got["mirror-v"] == 0, f"get: {got}")
    regs = document(["regs", "fpga", "16..17", "--json"])
    check(regs["kind"] == "fpga" and [r["address"] for r in regs["registers"]] == [16, 17]
          and regs["registers"][0]["value"] == 5, f"regs: {regs}")
    stream = document(["stream", "--seconds", "3", "--json"])
    check(stream["frames"] > 0 and stream["seconds"] > 0 and stream["interrupted"] is False
          and "statistics" in stream, f"stream: {stream}")
    if stream["statistics"] is not None:
        statistics = stream["statistics"]
        check(statistics["delivered"] > 0 and "lost_no_buffer" in statistics,
              f"stream statistics: {stream}")


# Every settable name with a value other than its default: without --save
# none of them may change a byte of the stored settings, not even values
# that travel together (the colour gains follow the gain).
UNSAVED_SETTINGS = (
    "exposure-ms=12", "exposure-s=0.02", "gain=30", "black-level=100", "gain-mode=1",
    "short-exposure=1", "mirror-h=1", "mirror-v=1", "auto-exposure=1", "bits=8",
    "window=1280x512+0+256", "wait-ms=5", "brightness=9", "contrast=5", "gamma=120",
    "sharpness=3", "hue=10", "saturation=10", "grey-mode=1", "grey-gain-r=7",
    "grey-gain-g1=7", "grey-gain-g2=7", "grey-gain-b=7", "grey-offset-r=100",
    "grey-offset-g1=100", "grey-offset-g2=100", "grey-offset-b=100", "dot-filter=1",
)


def check_settings_untouched(tool):
    settings = os.path.join(tool.folder, "settings")
    code, _, err = tool.run(["set", "exposure-ms=20", "gain=8", "--save"])
    check(code == 0, f"set --save: {err}")
    with open(settings, "rb") as f:
        before = f.read()
    for args in [["set", value] for value in UNSAVED_SETTINGS] + [
            ["snap", "--out", os.path.join(tool.folder, "e.jpg"), "--exposure-ms", "3"]]:
        code, _, err = tool.run(args)
        check(code == 0, f"{args}: {err}")
        with open(settings, "rb") as f:
            check(f.read() == before, f"{args} without --save changed the stored settings")
    code, _, err = tool.run(["set", "gain=40", "--save"])
    check(code == 0, err)
    check(tool.run(["get", "gain"])[1].strip() == "40", "set --save did not keep the gain")


def riff_frames(path):
    """Walks the RIFF chunks; returns (frames in avih, frame chunks in movi)."""
    with open(path, "rb") as f:
        data = f.read()
    check(data[:4] == b"RIFF" and data[8:12] == b"AVI ", "not a RIFF AVI file")
    check(struct.unpack_from("<I", data, 4)[0] + 8 == len(data), "RIFF size is not the file's")
    total = struct.unpack_from("<I", data, 48)[0]
    chunks, at, have_index = 0, 12, False
    while at + 8 <= len(data):
        fourcc, size = data[at:at + 4], struct.unpack_from("<I", data, at + 4)[0]
        if fourcc == b"LIST" and data[at + 8:at + 12] == b"movi":
            inner = at + 12
            while inner + 8 <= at + 8 + size:
                inner_size = struct.unpack_from("<I", data, inner + 4)[0]
                chunks += data[inner:inner + 4] == b"00db"
                inner += 8 + inner_size + (inner_size & 1)
        have_index |= fourcc == b"idx1"
        at += 8 + size + (size & 1)
    check(at == len(data) and have_index, "chunks do not end at the file's end, or no index")
    return total, chunks


def check_interrupted_record(tool):
    path = os.path.join(tool.folder, "cut.avi")
    process = subprocess.Popen(tool.command + ["record", "--out", path, "--seconds", "60"],
                               env=tool.environment(EMU), stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, text=True)
    deadline = time.monotonic() + 120
    for line in process.stdout:
        words = line.split()
        if len(words) > 1 and words[1] == "frames" and int(words[0]) >= 2:
            break
        check(time.monotonic() < deadline, "no frames were recorded")
    process.send_signal(signal.SIGINT)
    rest = process.stdout.read()
    check(process.wait(timeout=120) == 130, f"status {process.returncode}: {rest}")
    check("stopped by Ctrl-C" in rest, rest)
    total, chunks = riff_frames(path)
    check(total == chunks and total >= 2, f"avih says {total} frames, movi holds {chunks}")
    if shutil.which("ffprobe"):
        # Packets: 16-bit grey samples are a codec ffprobe reads but does not
        # name by itself.
        probe = subprocess.run(["ffprobe", "-v", "error", "-count_packets", "-show_entries",
                                "stream=nb_read_packets", "-of", "csv=p=0", path],
                               capture_output=True, text=True, timeout=120)
        check(probe.returncode == 0 and int(probe.stdout.strip()) == total, probe.stderr)


def check_interrupted_stream(tool):
    process = subprocess.Popen(tool.command + ["stream", "--seconds", "60"],
                               env=tool.environment(EMU), stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, text=True)
    # The first progress line comes once Ctrl-C is caught.
    for line in process.stdout:
        if line.strip().endswith("frames"):
            break
    process.send_signal(signal.SIGINT)
    rest = process.stdout.read()
    check(process.wait(timeout=120) == 130, f"status {process.returncode}: {rest}")
    check("frames received" in rest, rest)


def check_manual(tool, page):
    """The manual page renders without a warning and names every command
    and every option of the tool's help."""
    with gzip.open(page, "rt") if page.endswith(".gz") else open(page) as f:
        text = f.read()
    groff = subprocess.run(["groff", "-man", "-ww", "-z"], input=text, capture_output=True,
                           text=True)
    check(groff.returncode == 0 and not groff.stderr, f"groff: {groff.stderr}")
    plain = text.replace("\\-", "-").replace("\\fB", "").replace("\\fR", "")
    _, overview, _ = tool.run(["help"])
    commands = re.findall(r"^  ([a-z]+) ", overview, re.M)
    check(len(commands) > 10, f"commands in help: {commands}")
    for command in commands:
        check(re.search(rf"^{command}\b", plain, re.M), f"no command {command} in the manual")
        _, details, _ = tool.run([command, "--help"])
        for option in set(re.findall(r"--[a-z][a-z-]*", details)):
            check(option in plain, f"no {option} ({command}) in the manual")


def check_completion(tool, script):
    """Completion in bash, against the tool's own help."""
    def complete(line):
        words = line.split(" ")
        program = f"""
source {script}
COMP_WORDS=({" ".join(repr(w) for w in [tool.command[-1]] + words[1:])})
COMP_CWORD={len(words) - 1}
_nodrix
printf '%s\\n' "${{COMPREPLY[@]}}"
"""
        done = subprocess.run(["bash", "-c", program], capture_output=True, text=True,
                              env=tool.environment(EMU), timeout=60)
        return set(done.stdout.split())
    check(complete("nodrix sn") == {"snap"}, complete("nodrix sn"))
    check({"--bits", "--quality", "--device"} <= complete("nodrix snap --"),
          complete("nodrix snap --"))
    check("--bits" in complete("nodrix --device 0 stream --"), "options after a global option")
    check("exposure-ms=" in complete("nodrix set exp"), complete("nodrix set exp"))
    check(complete("nodrix snap --bits ") == {"8", "16"}, complete("nodrix snap --bits "))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--runner")
    parser.add_argument("--windows", action="store_true")
    parser.add_argument("--real-driver", action="store_true")
    parser.add_argument("--version", required=True, help="the SDK's version")
    parser.add_argument("--manual", help="the manual page to check")
    parser.add_argument("--completion", help="the bash completion to check")
    options = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        tool = Tool(options.tool, options.runner, folder, options.version)
        failures = run_table(tool, options.windows, options.real_driver)
        checks = [] if options.windows else [check_json, check_settings_untouched,
                                             check_interrupted_record, check_interrupted_stream]
        if options.manual:
            def check_manual_page(t):
                check_manual(t, options.manual)
            checks.append(check_manual_page)
        if options.completion:
            def check_bash_completion(t):
                check_completion(t, options.completion)
            checks.append(check_bash_completion)
        for step in checks:
            try:
                step(tool)
            except (AssertionError, ValueError, KeyError, OSError,
                    subprocess.TimeoutExpired) as problem:
                failures.append(f"{step.__name__}: {problem}")
    for failure in failures:
        print("FAILED:", failure, file=sys.stderr)
    print(f"{len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
