#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "pipeline/DefectPixelFilter.h"
#include "pipeline/FrameView.h"

namespace nodrix::pipeline {
namespace {

using imaging::CDibImage;

struct Maps {
    CDibImage mark8, dark8, white8, mark16, dark16, white16;
    Maps() {
        for (CDibImage* map : {&mark8, &dark8, &white8}) map->Allocate(1280, 1024, 8);
        for (CDibImage* map : {&mark16, &dark16, &white16}) map->Allocate(1280, 1024, 16);
    }
};

TEST(DefectPixelFilter, HotPixelBecomesTheMeanOfItsNeighbours) {
    Maps maps;
    CDibImage frame;
    ASSERT_TRUE(frame.Allocate(32, 24, 8));
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 32; ++x) frame.Row(y)[x] = static_cast<std::uint8_t>(40 + x);
    }
    frame.Row(10)[12] = 250;
    ApplyDefectFilter8(frame, maps.mark8, maps.dark8, maps.white8, kDefectThreshold8);
    // The hot pixel's four neighbours stand out from their own neighbourhood
    // too, so every one of them takes the mean of the next good pixels:
    // (10,12) from 50, 54, 52, 52; (10,13) from 50, 54, 53, 53.
    EXPECT_EQ(frame.Row(10)[12], (50 + 54 + 52 + 52) / 4);
    EXPECT_EQ(frame.Row(10)[13], (50 + 54 + 53 + 53) / 4);
    EXPECT_EQ(frame.Row(9)[12], (51 + 53 + 52 + 52) / 4);
    EXPECT_EQ(frame.Row(10)[20], 60);
}

TEST(DefectPixelFilter, SmoothFrameIsUntouched) {
    Maps maps;
    CDibImage frame, copy;
    ASSERT_TRUE(frame.Allocate(64, 48, 8));
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) frame.Row(y)[x] = static_cast<std::uint8_t>(x + y);
    }
    std::vector<std::uint8_t> before(frame.Pixels(), frame.Pixels() + frame.SizeBytes());
    ApplyDefectFilter8(frame, maps.mark8, maps.dark8, maps.white8, kDefectThreshold8);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), frame.Pixels()));
}

TEST(DefectPixelFilter, DefectMapMarksPixelsAndReplacedPixelsAreNoSource) {
    Maps maps;
    CDibImage frame;
    ASSERT_TRUE(frame.Allocate(40, 40, 16));
    auto view = ViewOf<std::uint16_t>(frame);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) view.At(y, x) = 1000;
    }
    // Two defects side by side from the maps, values that do not stand out.
    view.At(20, 20) = 1100;
    view.At(20, 21) = 1200;
    view.At(20, 19) = 900;
    view.At(20, 22) = 1300;
    auto dark = ViewOf<std::uint16_t>(maps.dark16);
    auto white = ViewOf<std::uint16_t>(maps.white16);
    dark.samples[20 * view.pitch + 20] = 1;
    white.samples[20 * view.pitch + 21] = 1;
    ApplyDefectFilter16(frame, maps.mark16, maps.dark16, maps.white16, kDefectThreshold16);
    // (20,20): left 900, right 1300 (skipping the marked 21), above and below 1000.
    EXPECT_EQ(view.At(20, 20), (900 + 1300 + 1000 + 1000) / 4);
    // (20,21): left is 19 (20 is marked even after its replacement).
    EXPECT_EQ(view.At(20, 21), (900 + 1300 + 1000 + 1000) / 4);
}

TEST(DefectPixelFilter, TinyFramesAndMissingMapsAreSafe) {
    Maps maps;
    CDibImage frame, smallMark;
    ASSERT_TRUE(frame.Allocate(8, 8, 8));
    std::memset(frame.Pixels(), 9, frame.SizeBytes());
    frame.Row(4)[4] = 255;
    ApplyDefectFilter8(frame, maps.mark8, maps.dark8, maps.white8, kDefectThreshold8);
    EXPECT_EQ(frame.Row(4)[4], 255);  // rows and columns 4..height-5 are empty
    CDibImage big;
    ASSERT_TRUE(big.Allocate(64, 64, 8));
    ASSERT_TRUE(smallMark.Allocate(8, 8, 8));
    big.Row(30)[30] = 255;
    ApplyDefectFilter8(big, smallMark, maps.dark8, maps.white8, kDefectThreshold8);
    EXPECT_EQ(big.Row(30)[30], 255);
    CDibImage empty;
    ApplyDefectFilter8(big, maps.mark8, empty, empty, kDefectThreshold8);
    EXPECT_EQ(big.Row(30)[30], 0);
}

}  // namespace
}  // namespace nodrix::pipeline
