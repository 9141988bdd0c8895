// Window, frame length and exposure of the ZQ4410 driver: the values written
// and the order of the frame-length and shutter writes.

#include "sensors/ZQ4410Fixture.h"

namespace nodrix::test {
namespace {

TEST_F(ZQ4410Test, TheFrameGrowsBeforeTheShutterMoves) {
    // Constructed with 1054 lines written and a target of 1082.
    EXPECT_EQ(sensor.SetExposureLines(500), 1);
    const int firstFrame = fake.FirstIndex(Kind::SensorWrite, 5);
    const int fpgaCopy = fake.FirstIndex(Kind::FpgaWrite, 80);
    const int firstShutter = fake.FirstIndex(Kind::SensorWrite, 11);
    ASSERT_GE(firstFrame, 0);
    EXPECT_LT(firstFrame, firstShutter);
    EXPECT_LT(fpgaCopy, firstShutter);
    EXPECT_EQ(fake.CountOf(Kind::SensorWrite, 5), 1);  // not written again afterwards
    EXPECT_EQ(SensorFrameLength(), 1082u);
    EXPECT_EQ(FpgaFrameLength(), 1082u);
    EXPECT_EQ(Shutter(), 1082u - 500 - 1);
    EXPECT_EQ(sensor.Description().exposureLinesCurrent, 500);
}

TEST_F(ZQ4410Test, AShrinkingWindowMovesTheShutterBeforeTheFrameShrinks) {
    ASSERT_EQ(sensor.SetExposureLines(500), 1);
    fake.ClearLog();

    platform::SetTimeSpeedup(1);  // so that the re-arm wait can be seen
    EXPECT_EQ(sensor.SetWindow(0, 1280, 0, 512, 0), 1);
    EXPECT_EQ(sensor.FrameLengthTarget(), 540u);
    // Exposure first (shutter, then the shorter frame), then the window
    // registers, then the sensor is re-armed with 0 and 4.
    const int lastShutter = fake.LastIndex(Kind::SensorWrite, 11);
    const int firstFrame = fake.FirstIndex(Kind::SensorWrite, 5);
    const int window = fake.FirstIndex(Kind::SensorWrite, 22);
    EXPECT_LT(lastShutter, firstFrame);
    EXPECT_LT(firstFrame, window);
    EXPECT_EQ(Shutter(), 540u - 500 - 1);
    EXPECT_EQ(SensorFrameLength(), 540u);
    EXPECT_EQ(FpgaFrameLength(), 540u);

    const auto state = fake.SensorWritesTo(0);
    ASSERT_EQ(state.size(), 2u);
    EXPECT_EQ(state[0].value, 0);
    EXPECT_EQ(state[1].value, 4);
    EXPECT_LT(fake.LastIndex(Kind::SensorWrite, 24), fake.FirstIndex(Kind::SensorWrite, 0));
    // At least the 10 ms of re-arming between the two writes.
    EXPECT_GE(state[1].micros - state[0].micros, 9500);
}

TEST_F(ZQ4410Test, AGrowingWindowWritesTheWindowBeforeTheExposure) {
    ASSERT_EQ(sensor.SetWindow(0, 1280, 0, 512, 0), 1);
    ASSERT_EQ(sensor.SetExposureLines(300), 1);
    fake.ClearLog();

    EXPECT_EQ(sensor.SetWindow(0, 1280, 0, 1024, 1), 1);
    EXPECT_EQ(fake.CountOf(Kind::SensorWrite, 0), 0);
    const int window = fake.LastIndex(Kind::SensorWrite, 24);
    const int frame = fake.FirstIndex(Kind::SensorWrite, 5);
    const int shutter = fake.FirstIndex(Kind::SensorWrite, 11);
    EXPECT_LT(window, frame);
    EXPECT_LT(frame, shutter);  // the frame grows before the shutter moves
    EXPECT_EQ(SensorFrameLength(), 1082u);
    EXPECT_EQ(Shutter(), 1082u - 300 - 1);
    EXPECT_EQ(sensor.Description().windowMode, 1);
}

TEST_F(ZQ4410Test, WindowHeightsGiveFrameLinesAndTargets) {
    EXPECT_EQ(sensor.SetWindow(0, 1280, 0, 1024, 0), 1);
    EXPECT_EQ(sensor.Description().frameLines, 1054);
    EXPECT_EQ(sensor.FrameLengthTarget(), 1082u);

    EXPECT_EQ(sensor.SetWindow(0, 1280, 0, 512, 0), 1);
    EXPECT_EQ(sensor.Description().frameLines, 512);
    EXPECT_EQ(sensor.FrameLengthTarget(), 540u);
}

TEST_F(ZQ4410Test, WindowRegistersCountTheStartFromTheBottom) {
    // S = 1024 - 100 - 512 = 412 (0x19C); H + 2 = 514 (0x202).
    EXPECT_EQ(sensor.SetWindow(17, 640, 100, 512, 3), 1);
    EXPECT_EQ(fake.SensorValue(22), 0x9C);
    EXPECT_EQ(fake.SensorValue(23), (0x202 & 0x1F) << 3 | 0x1);
    EXPECT_EQ(fake.SensorValue(24), 0x202 >> 5);

    int x = -1, width = -1, y = -1, height = -1, mode = -1;
    EXPECT_EQ(sensor.GetWindow(&x, &width, &y, &height, &mode), 1);
    EXPECT_EQ(x, 0);  // the full width is always read
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(y, 100);
    EXPECT_EQ(height, 512);
    EXPECT_EQ(mode, 3);
}

TEST_F(ZQ4410Test, WindowsThatDoNotFitAreRefusedWithoutATransfer) {
    EXPECT_EQ(sensor.SetWindow(0, 1280, 0, 7, 0), 0);
    EXPECT_EQ(sensor.SetWindow(0, 1280, 600, 512, 0), 0);
    EXPECT_EQ(sensor.SetWindow(0, 1280, -1, 512, 0), 0);
    EXPECT_EQ(sensor.SetWindow(0, 1280, 0, 1025, 0), 0);
    EXPECT_TRUE(fake.log.empty());
    EXPECT_EQ(sensor.Description().windowHeight, 1024);
    EXPECT_EQ(sensor.SetWindow(0, 1280, 1016, 8, 0), 1);
}

TEST_F(ZQ4410Test, SampleWidthRewritesTheCurrentWindow) {
    ASSERT_EQ(sensor.SetWindow(0, 1280, 40, 600, 0), 1);
    fake.ClearLog();
    EXPECT_EQ(sensor.SetSampleWidth(1), 1);
    EXPECT_EQ(sensor.Description().bitsPerPixel, 16);
    EXPECT_EQ(fake.CountOf(Kind::SensorWrite, 22), 1);
    EXPECT_EQ(sensor.Description().windowY, 40);
    EXPECT_EQ(sensor.SetSampleWidth(0), 1);
    EXPECT_EQ(sensor.Description().bitsPerPixel, 8);
}

TEST_F(ZQ4410Test, ExposureJustInsideTheFrameNeedsNoNewFrameLength) {
    ASSERT_EQ(sensor.SetExposureLines(100), 1);  // frame now 1082
    fake.ClearLog();
    EXPECT_EQ(sensor.SetExposureLines(1081), 1);
    EXPECT_EQ(Shutter(), 0u);
    EXPECT_EQ(fake.CountOf(Kind::SensorWrite, 5), 0);
    EXPECT_EQ(SensorFrameLength(), 1082u);
}

TEST_F(ZQ4410Test, ExposureOfAWholeFrameStretchesTheFrame) {
    EXPECT_EQ(sensor.SetExposureLines(1082), 1);
    EXPECT_EQ(Shutter(), 0u);
    EXPECT_EQ(SensorFrameLength(), 1083u);
    EXPECT_EQ(FpgaFrameLength(), 1083u);
    EXPECT_EQ(sensor.FrameLengthWritten(), 1083u);
    EXPECT_EQ(sensor.Description().exposureLinesCurrent, 1082);

    // Back inside the frame: the shutter moves before the frame shrinks.
    fake.ClearLog();
    EXPECT_EQ(sensor.SetExposureLines(1000), 1);
    EXPECT_LT(fake.LastIndex(Kind::SensorWrite, 14), fake.FirstIndex(Kind::SensorWrite, 5));
    EXPECT_EQ(SensorFrameLength(), 1082u);
    EXPECT_EQ(Shutter(), 81u);
}

TEST_F(ZQ4410Test, ZeroExposureLinesGiveTheShortestFrame) {
    EXPECT_EQ(sensor.SetExposureLines(0), 1);
    EXPECT_EQ(Shutter(), 0u);
    EXPECT_EQ(SensorFrameLength(), 2u);  // 1, clamped to the minimum
    EXPECT_EQ(FpgaFrameLength(), 2u);
    EXPECT_EQ(sensor.Description().exposureLinesCurrent, 0);
}

TEST_F(ZQ4410Test, AFailedShutterWriteKeepsTheCurrentExposure) {
    fake.sensorStuck[12] = 0x55;
    EXPECT_EQ(sensor.SetExposureLines(10), 0);
    EXPECT_EQ(sensor.Description().exposureLinesCurrent, 1080);
}

TEST_F(ZQ4410Test, ExposureTenthsAreClampedAndConvertedToWholeLines) {
    // One line lasts 1344 * 1000000 / 37037 = 36288 ns.
    EXPECT_EQ(sensor.SetExposureTenths(0), 1);
    EXPECT_EQ(sensor.Description().exposureTenthsCurrent, 1);
    EXPECT_EQ(sensor.Description().exposureLinesCurrent, 2);  // 100000 / 36288 = 2.76
    EXPECT_DOUBLE_EQ(sensor.Description().exposureSecondsCurrent, 0.0001);

    EXPECT_EQ(sensor.SetExposureTenths(401), 1);
    EXPECT_EQ(sensor.Description().exposureLinesCurrent, 1105);

    EXPECT_EQ(sensor.SetExposureTenths(30000), 1);
    EXPECT_EQ(sensor.Description().exposureTenthsCurrent, 20000);
    EXPECT_EQ(sensor.Description().exposureLinesCurrent, 2000000000 / 36288);
    EXPECT_DOUBLE_EQ(sensor.Description().exposureSecondsCurrent, 2.0);

    EXPECT_EQ(sensor.SetExposureTenths(-5), 1);  // an unsigned count: the maximum
    EXPECT_EQ(sensor.Description().exposureTenthsCurrent, 20000);

    int tenths = 0;
    EXPECT_EQ(sensor.GetExposureTenths(&tenths), 1);
    EXPECT_EQ(tenths, 20000);
}

TEST_F(ZQ4410Test, ExposureSecondsAreClampedAndKeptAsRequested) {
    EXPECT_EQ(sensor.SetExposureSeconds(0.0401), 1);
    EXPECT_EQ(sensor.Description().exposureLinesCurrent, 1105);
    double seconds = 0;
    EXPECT_EQ(sensor.GetExposureSeconds(&seconds), 1);
    EXPECT_DOUBLE_EQ(seconds, 0.0401);
    EXPECT_EQ(sensor.Description().exposureTenthsCurrent, 401);

    EXPECT_EQ(sensor.SetExposureSeconds(10.0), 1);
    EXPECT_DOUBLE_EQ(sensor.Description().exposureSecondsCurrent, 2.0);
    EXPECT_EQ(sensor.SetExposureSeconds(0.0), 1);
    EXPECT_DOUBLE_EQ(sensor.Description().exposureSecondsCurrent, 0.000037125);
    EXPECT_EQ(sensor.Description().exposureLinesCurrent, 1);

    double limit = 0;
    EXPECT_EQ(sensor.GetExposureSecondsMax(&limit), 1.0);
    EXPECT_DOUBLE_EQ(limit, 2.0);
}

TEST_F(ZQ4410Test, ShortExposureModeBlocksTheExposureSetters) {
    ASSERT_EQ(sensor.SetExposureLines(700), 1);
    fake.ClearLog();
    EXPECT_EQ(sensor.SetShortExposure(1), 1);
    EXPECT_EQ(fake.SensorValue(90), 100);
    EXPECT_EQ(fake.SensorValue(91), 32);
    EXPECT_EQ(fake.SensorValue(92), 31);
    EXPECT_EQ(fake.CountOf(Kind::SensorWrite, 5), 1);  // the frame length again

    EXPECT_EQ(sensor.SetExposureLines(10), 0);
    EXPECT_EQ(sensor.SetExposureTenths(10), 0);
    EXPECT_EQ(sensor.SetExposureSeconds(0.01), 0);
    double seconds = 0;
    EXPECT_EQ(sensor.GetExposureSeconds(&seconds), 1);
    EXPECT_DOUBLE_EQ(seconds, 120.0 / 37037 / 1000);

    int flag = -1;
    EXPECT_EQ(sensor.GetShortExposure(&flag), 1);
    EXPECT_EQ(flag, 1);

    // Switching off re-applies the current exposure.
    fake.ClearLog();
    EXPECT_EQ(sensor.SetShortExposure(0), 1);
    EXPECT_EQ(fake.SensorValue(90), 255);
    EXPECT_EQ(Shutter(), 1082u - 700 - 1);
    EXPECT_GT(fake.CountOf(Kind::SensorWrite, 11), 0);
    EXPECT_EQ(sensor.GetShortExposure(&flag), 1);
    EXPECT_EQ(flag, 0);
}

TEST_F(ZQ4410Test, UnknownShortExposurePatternLeavesTheCallersValue) {
    fake.sensor[90] = 1;
    fake.sensor[91] = 2;
    fake.sensor[92] = 3;
    int flag = 42;
    EXPECT_EQ(sensor.GetShortExposure(&flag), 1);
    EXPECT_EQ(flag, 42);
    EXPECT_EQ(sensor.Description().shortExposureMode, 0);
}

TEST_F(ZQ4410Test, AFailedShortExposureWriteLeavesTheModeUnchanged) {
    fake.sensorStuck[91] = 0;
    EXPECT_EQ(sensor.SetShortExposure(1), 0);
    EXPECT_EQ(sensor.Description().shortExposureMode, 0);
    EXPECT_EQ(sensor.SetExposureLines(10), 1);
}

}  // namespace
}  // namespace nodrix::test
