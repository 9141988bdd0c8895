#pragma once
// The Bayer mode the demosaic must use once the sensor flips the image.

namespace nodrix::pipeline {

// Vertical mirroring swaps modes 0<->1 and 2<->3, then horizontal mirroring
// swaps 0<->2 and 1<->3.
inline int EffectiveBayerMode(int bayerMode, bool mirrorV, bool mirrorH) {
    int mode = bayerMode & 3;
    if (mirrorV) mode ^= 1;
    if (mirrorH) mode ^= 2;
    return mode;
}

}  // namespace nodrix::pipeline
