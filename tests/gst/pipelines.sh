#!/usr/bin/env bash
# The plugin as a user meets it, on the emulated camera: gst-inspect-1.0,
# gst-launch-1.0 pipelines into a lossless 16-bit Matroska file and an 8-bit
# H.264 MP4 file (frames, size and one decoded frame checked with ffprobe and
# ffmpeg), gst-device-monitor-1.0, and OpenCV reading frames through
# GStreamer when python3-opencv is installed.
#
#   pipelines.sh PLUGIN_DIR
#
# GStreamer reads a fresh registry of the run's own; the library keeps its
# settings in a file of the run's own. NODRIX_GST_PRELOAD names the sanitizer
# runtimes a sanitizer build of the plugin needs in the distribution's
# programs.
set -euo pipefail

plugin_dir=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/nodrix-gst-XXXXXX")
trap 'rm -rf "$work"' EXIT
export GST_REGISTRY="$work/registry.bin" GST_PLUGIN_PATH="$plugin_dir"
export NODRIX_SETTINGS_FILE="$work/settings.reg" NODRIX_EMULATION="pace=max"
# Runs a program that loads the plugin.
with_plugin() {
    if [ -n "${NODRIX_GST_PRELOAD:-}" ]; then
        LD_PRELOAD="$NODRIX_GST_PRELOAD${LD_PRELOAD:+:$LD_PRELOAD}" \
            ASAN_OPTIONS="detect_leaks=0:verify_asan_link_order=0" "$@"
    else
        "$@"
    fi
}
PY=/usr/bin/python3
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# "width,height,pix_fmt,frames" of the first video stream.
probe() {
    ffprobe -v error -count_frames -select_streams v:0 \
        -show_entries stream=width,height,pix_fmt,nb_read_frames -of csv=p=0 "$1"
}

echo "== gst-inspect-1.0 nodrixsrc"
if with_plugin gst-inspect-1.0 nodrixsrc >"$work/inspect.txt" 2>"$work/inspect.err"; then
    for name in device trigger-mode timeout sample-bits num-buffers do-timestamp statistics \
        exposure-ms gain black-level mirror-h mirror-v window gain-mode bits; do
        grep -q "^  $name " "$work/inspect.txt" || fail "gst-inspect-1.0 shows no property $name"
    done
    if grep -Eq "CRITICAL|WARNING" "$work/inspect.err"; then
        fail "gst-inspect-1.0 complained: $(cat "$work/inspect.err")"
    fi
else
    fail "gst-inspect-1.0 nodrixsrc: $(cat "$work/inspect.err")"
fi
with_plugin gst-inspect-1.0 -b 2>&1 | grep -q gstnodrix && fail "the plugin is blacklisted"

# FFV1 costs the CPU about a second per full 16-bit frame here: a band of
# 128 rows keeps the run short.
echo "== 300 frames, 16-bit, FFV1 in Matroska"
if with_plugin gst-launch-1.0 -q nodrixsrc num-buffers=300 sample-bits=12 \
    ! video/x-raw,format=GRAY16_LE,height=128 ! avenc_ffv1 ! matroskamux \
    ! filesink location="$work/ffv1.mkv"; then
    got=$(probe "$work/ffv1.mkv")
    [ "$got" = "1280,128,gray16le,300" ] || fail "ffv1.mkv: $got"
    ffmpeg -v error -i "$work/ffv1.mkv" -frames:v 1 -f rawvideo -pix_fmt gray16le "$work/ffv1.raw"
else
    fail "the FFV1 pipeline failed"
fi

echo "== 300 frames, 8-bit, H.264 in MP4"
if with_plugin gst-launch-1.0 -q nodrixsrc num-buffers=300 \
    ! video/x-raw,format=GRAY8,height=512 ! videoconvert ! video/x-raw,format=I420 ! x264enc pass=quant quantizer=12 \
    ! h264parse ! mp4mux ! filesink location="$work/h264.mp4"; then
    # The track's own count of frames: a live camera's frames come at uneven
    # times (the encoder's start holds the second one back), and the muxer's
    # edit list then sometimes begins the presentation after the first frame,
    # which a decoder skips (299 of 300 decoded now and then).
    got=$(ffprobe -v error -select_streams v:0 \
        -show_entries stream=width,height,pix_fmt,nb_frames -of csv=p=0 "$work/h264.mp4")
    [ "$got" = "1280,512,yuv420p,300" ] || fail "h264.mp4: $got"
    # The luma plane as coded: ffmpeg's grey would stretch it to full range.
    ffmpeg -v error -i "$work/h264.mp4" -frames:v 1 -f rawvideo -pix_fmt yuv420p "$work/h264.raw"
else
    fail "the H.264 pipeline failed"
fi

# The first decoded frame of each file against the emulated camera's ramp
# for its frame number: exact for the lossless file, close for H.264.
echo "== first frames decoded"
if [ -f "$work/ffv1.raw" ] && [ -f "$work/h264.raw" ]; then
    "$PY" - "$work/ffv1.raw" "$work/h264.raw" <<'PYEOF' || fail "a decoded frame differs"
import sys
import numpy as np
x = np.arange(1280)[None, :]
y16 = np.arange(128)[:, None]
f16 = np.fromfile(sys.argv[1], dtype="<u2").reshape(128, 1280)
n = int(f16[0, 0])
want16 = (4 * x + y16 + n) & 0xFFF
if not np.array_equal(f16, want16):
    sys.exit("ffv1: %d pixels differ" % np.count_nonzero(f16 != want16))
f8 = np.fromfile(sys.argv[2], dtype=np.uint8)[:512 * 1280].reshape(512, 1280).astype(int)
y8 = np.arange(512)[:, None]  # a shift of the window is one of n
best = None
n0 = int(f8[0, 0])
for n in range(n0 - 8, n0 + 9):
    d = np.abs(f8 - ((x + y8 + n) & 0xFF))
    err = np.minimum(d, 256 - d).mean()
    best = err if best is None or err < best else best
if best > 3.0:
    sys.exit("h264: mean difference %.2f from the ramp" % best)
print("ffv1 exact; h264 mean difference %.2f" % best)
PYEOF
fi

echo "== gst-device-monitor-1.0 Video/Source"
NODRIX_EMULATION=2 with_plugin gst-device-monitor-1.0 Video/Source >"$work/monitor.txt" 2>&1 || true
for name in NodrixT520_01 NodrixT520_02; do
    grep -q "$name" "$work/monitor.txt" || fail "the device monitor does not list $name: $(cat "$work/monitor.txt")"
done

echo "== OpenCV through GStreamer"
if "$PY" -c "import cv2, sys; sys.exit('GStreamer:                   YES' not in cv2.getBuildInformation())" 2>/dev/null; then
    with_plugin "$PY" - <<'PYEOF' || fail "OpenCV did not read 100 frames"
import cv2
capture = cv2.VideoCapture(
    "nodrixsrc ! video/x-raw,format=GRAY8 ! videoconvert ! video/x-raw,format=BGR ! appsink",
    cv2.CAP_GSTREAMER)
assert capture.isOpened(), "the pipeline did not open"
for i in range(100):
    ok, frame = capture.read()
    assert ok, "frame %d not read" % i
    assert frame.shape == (1024, 1280, 3), frame.shape
capture.release()
print("OpenCV read 100 frames of 1280 x 1024")
PYEOF
else
    echo "OpenCV with GStreamer is not installed (python3-opencv): not checked"
fi

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "all pipeline checks passed"
