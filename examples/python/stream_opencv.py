#!/usr/bin/env python3
"""Shows the camera's frames with OpenCV, or saves some when OpenCV is not
installed.

    python3 stream_opencv.py [--frames N] [--bits 8|16] [--out-dir frames]

Esc or q closes the window. Without a camera: NODRIX_EMULATION=1.
"""

from __future__ import annotations

import argparse
import os
import time

import numpy as np

import nodrix

try:
    import cv2
except ImportError:
    cv2 = None


def write_pgm(path: str, image: np.ndarray) -> None:
    """A binary PGM: big-endian samples at 16 bits."""
    maximum = 255 if image.dtype == np.uint8 else 65535
    with open(path, "wb") as f:
        f.write(f"P5\n{image.shape[1]} {image.shape[0]}\n{maximum}\n".encode("ascii"))
        f.write(image.astype(image.dtype.newbyteorder(">"), copy=False).tobytes())


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--camera", type=int, default=0)
    parser.add_argument("--frames", type=int, default=300, help="frames to take (0: no end)")
    parser.add_argument("--bits", type=int, default=8, choices=(8, 16))
    parser.add_argument("--out-dir", default="frames",
                        help="where frames are saved when OpenCV is missing")
    parser.add_argument("--save-every", type=int, default=30)
    options = parser.parse_args()
    show = cv2 is not None and (os.name == "nt" or bool(os.environ.get("DISPLAY")))
    if not show:
        os.makedirs(options.out_dir, exist_ok=True)
        print(f"OpenCV or a display is missing: saving every {options.save_every}th frame "
              f"to {options.out_dir}/")

    with nodrix.open(options.camera) as camera:
        camera.bits = options.bits
        start = time.monotonic()
        taken = lost = 0
        with camera.stream(count=options.frames or None, timeout=5.0) as stream:
            for frame in stream:
                taken += 1
                lost += frame.lost_before
                if show:
                    # 16-bit samples carry 12 significant bits: scale for display.
                    picture = frame.array if options.bits == 8 else frame.array << 4
                    cv2.imshow("nodrix", picture)
                    if cv2.waitKey(1) & 0xFF in (27, ord("q")):
                        break
                elif taken % options.save_every == 1:
                    write_pgm(os.path.join(options.out_dir, f"frame{frame.number:010d}.pgm"),
                              frame.array)
        seconds = time.monotonic() - start
        print(f"{taken} frames in {seconds:.1f} s ({taken / seconds:.1f} per second), "
              f"{lost} lost")
        print(camera.statistics)
    if show:
        cv2.destroyAllWindows()


if __name__ == "__main__":
    try:
        main()
    except nodrix.NodrixError as error:
        raise SystemExit(f"stream_opencv.py: {error}")
