#!/usr/bin/env python3
"""Takes one picture with the first camera and saves it.

    python3 snap.py [--bits 8|16] [--exposure-ms MS] [--out picture.png]

Without a camera, run it on the emulated one: NODRIX_EMULATION=1.
"""

from __future__ import annotations

import argparse

import nodrix


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--camera", type=int, default=0, help="camera index (nodrix.cameras())")
    parser.add_argument("--bits", type=int, default=8, choices=(8, 16))
    parser.add_argument("--exposure-ms", type=float, default=None)
    parser.add_argument("--out", default="picture.png",
                        help="file to save; the extension picks the kind (bmp, png, tif, jpg, raw)")
    options = parser.parse_args()

    for entry in nodrix.cameras():
        print(f"camera {entry.index}: {entry.name}")
    with nodrix.open(options.camera) as camera:
        camera.bits = options.bits
        if options.exposure_ms is not None:
            camera.exposure = options.exposure_ms / 1000.0
        image = camera.snap()
        print(f"{camera.name} (serial {camera.serial}): {image.shape[1]} x {image.shape[0]}, "
              f"{image.dtype}, exposure {camera.exposure * 1000:.2f} ms, "
              f"mean {image.mean():.1f}, min {image.min()}, max {image.max()}")
        # The library writes the frame it just delivered.
        camera.save(options.out)
        print(f"saved {options.out}")


if __name__ == "__main__":
    try:
        main()
    except nodrix.NodrixError as error:
        raise SystemExit(f"snap.py: {error}")
