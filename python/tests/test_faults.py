"""Lost frames: failed payload reads of the emulated camera show in the
frames' lost_before and in the statistics. The emulator reads its fault
keys once per process, so the stream runs in a process of its own."""

from __future__ import annotations

import json
import os
import subprocess
import sys

SCRIPT = """
import json, nodrix
with nodrix.open() as camera:
    camera.bits = 8
    camera.wait_time = 0
    with camera.stream(count=20, timeout=20.0) as stream:
        lost = sum(frame.lost_before for frame in stream)
    print(json.dumps({"lost_before": lost, "statistics": camera.statistics._asdict()}))
"""


def test_failed_payloads_are_counted_as_lost(tmp_path):
    environment = dict(os.environ)
    environment.update(
        NODRIX_EMULATION="cameras=1;pace=max;fail_payload=3",
        NODRIX_SETTINGS_FILE=str(tmp_path / "settings.reg"),
        NODRIX_OBJECT_NAMESPACE=f"nodrixpyfault{os.getpid()}",
        PYTHONPATH=os.pathsep.join(p for p in sys.path if p))
    done = subprocess.run([sys.executable, "-c", SCRIPT], env=environment, capture_output=True,
                          text=True, timeout=300)
    assert done.returncode == 0, done.stderr
    result = json.loads(done.stdout.splitlines()[-1])
    statistics = result["statistics"]
    assert statistics["lost_payload"] >= 3
    assert result["lost_before"] >= 3
    assert statistics["received"] >= statistics["delivered"] + 3


LOST_SCRIPT = """
import nodrix
with nodrix.open() as camera:
    frames = 0
    try:
        for frame in camera.stream(timeout=None):  # no time-out: the loss ends it
            frames += 1
    except nodrix.CameraLostError:
        print("camera lost after", frames, "frames")
"""


def test_a_camera_lost_ends_an_endless_wait_with_its_error(tmp_path):
    environment = dict(os.environ)
    environment.update(
        NODRIX_EMULATION="cameras=1;unplug_after_ms=4000",
        NODRIX_SETTINGS_FILE=str(tmp_path / "settings.reg"),
        NODRIX_OBJECT_NAMESPACE=f"nodrixpylost{os.getpid()}",
        PYTHONPATH=os.pathsep.join(p for p in sys.path if p))
    done = subprocess.run([sys.executable, "-c", LOST_SCRIPT], env=environment,
                          capture_output=True, text=True, timeout=300)
    assert done.returncode == 0, done.stderr
    assert done.stdout.startswith("camera lost after"), done.stdout + done.stderr
