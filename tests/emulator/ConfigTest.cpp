// The NODRIX_EMULATION text.

#include <gtest/gtest.h>

#include "emulator/EmulatorConfig.h"

namespace nodrix::emulator {
namespace {

TEST(Config, EmptyOrZeroMeansTheRealDriver) {
    EmulatorConfig c;
    EXPECT_FALSE(ParseEmulatorConfig("", c, nullptr));
    EXPECT_FALSE(ParseEmulatorConfig("  ", c, nullptr));
    EXPECT_FALSE(ParseEmulatorConfig("0", c, nullptr));
}

TEST(Config, BareNumberGivesThatManyCamerasOfThisModel) {
    EmulatorConfig c;
    ASSERT_TRUE(ParseEmulatorConfig("3", c, nullptr));
    ASSERT_EQ(c.cameras.size(), 3u);
    for (const auto& cam : c.cameras) EXPECT_EQ(cam.productId, 0x33B0);
    EXPECT_EQ(c.cameras[2].serial, "T520EMU02");
    EXPECT_EQ(c.pattern, Pattern::Ramp);
    EXPECT_EQ(c.pace, Pace::Sensor);
}

TEST(Config, KeyValuePairs) {
    EmulatorConfig c;
    std::string error;
    ASSERT_TRUE(ParseEmulatorConfig(
        "cameras=33B0,3020; pattern=scene;pace=max;trigger_interval_ms=40;serial=CAM;"
        "firmware=0x1100;fail_header=2;delay_ms=900;drop_frames=3;fpga_never_ready=1;frame_start=7;"
        "bogus=1",
        c, &error));
    ASSERT_EQ(c.cameras.size(), 2u);
    EXPECT_EQ(c.cameras[1].productId, 0x3020);
    EXPECT_EQ(c.cameras[0].serial, "CAM00");
    EXPECT_EQ(c.cameras[1].serial, "CAM01");
    EXPECT_EQ(c.pattern, Pattern::Scene);
    EXPECT_EQ(c.pace, Pace::Max);
    EXPECT_EQ(c.triggerIntervalMs, 40u);
    EXPECT_EQ(c.firmwareVersion, 0x1100);
    EXPECT_EQ(c.faults.failHeaderReads, 2u);
    EXPECT_EQ(c.faults.delayMs, 900u);
    EXPECT_EQ(c.faults.droppedFrames, 3u);
    EXPECT_TRUE(c.faults.fpgaNeverReady);
    EXPECT_EQ(c.frameNumberStart, 7u);
    EXPECT_NE(error.find("bogus"), std::string::npos);
}

TEST(Config, DefaultsWithoutCamerasKey) {
    EmulatorConfig c;
    ASSERT_TRUE(ParseEmulatorConfig("pace=max", c, nullptr));
    ASSERT_EQ(c.cameras.size(), 1u);
    EXPECT_EQ(c.cameras[0].productId, 0x33B0);
    EXPECT_EQ(c.cameras[0].serial, "T520EMU00");
    ASSERT_TRUE(ParseEmulatorConfig("pace=link", c, nullptr));
    EXPECT_EQ(c.pace, Pace::Link);
}

}  // namespace
}  // namespace nodrix::emulator
