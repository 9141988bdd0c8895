#pragma once
// Parameter records of the pixel kernels (the last argument of a kernel).

namespace nodrix::imaging {

// Bayer mode 0..3: the phase (row parity, column parity) of the rectangle's
// top-left pixel is (0,0), (1,0), (0,1) or (1,1).
inline int BayerRowPhase(int mode) {
    return mode & 1;
}
inline int BayerColumnPhase(int mode) {
    return (mode >> 1) & 1;
}

// Grey gains and offsets per Bayer position, in the order of the positions
// (0,1), (0,0), (1,1), (1,0) (the connection's R, G1, G2, B). Gain 128 is
// neutral. depth is the sample depth of 16-bit images (10, 12 or 14; anything
// else means 16). GreyBalanceStats writes its results into gains.
struct GreyGainOffsetParams {
    int bayerMode = 0;
    int gains[4] = {128, 128, 128, 128};
    int offsets[4] = {0, 0, 0, 0};
    int depth = 16;
};

// Index into GreyGainOffsetParams::gains/offsets of the position (row parity,
// column parity).
inline int GreyPositionIndex(int rowParity, int columnParity) {
    static constexpr int kIndex[2][2] = {{1, 0}, {3, 2}};
    return kIndex[rowParity & 1][columnParity & 1];
}

// Demosaic gains in percent (100 = 1.0); WhiteBalanceStats writes its
// results into the three gains.
struct DemosaicParams {
    int bayerMode = 0;
    int redGain = 100;
    int greenGain = 100;
    int blueGain = 100;
};

// Hue in degrees, lightness (0 from the connection), saturation, and the
// sample width (16 for the 48/64-bit variant).
struct HueSaturationParams {
    int hue = 0;
    int lightness = 0;
    int saturation = 0;
    int sampleBits = 8;
};

}  // namespace nodrix::imaging
