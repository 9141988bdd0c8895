// Gain, black level, flips, gain mode, temperature and triggered operation
// of the ZQ4410 driver.

#include "sensors/ZQ4410Fixture.h"

namespace nodrix::test {
namespace {

TEST_F(ZQ4410Test, GainOutsideItsCodesIsRefusedWithoutATransfer) {
    EXPECT_EQ(sensor.SetGain(1), 0);
    EXPECT_EQ(sensor.SetGain(63), 0);
    EXPECT_EQ(sensor.SetGain(-1), 0);
    EXPECT_TRUE(fake.log.empty());

    EXPECT_EQ(sensor.SetGain(62), 1);
    EXPECT_EQ(fake.SensorValue(287), 62);
    int gain = 0;
    EXPECT_EQ(sensor.GetGain(&gain), 1);
    EXPECT_EQ(gain, 62);

    fake.sensorStuck[287] = 0;
    EXPECT_EQ(sensor.SetGain(30), 0);
    EXPECT_EQ(sensor.Description().gainCurrent, 62);
}

TEST_F(ZQ4410Test, BlackLevelIsWrittenInsideHold) {
    // 8983 = 0b10'00110001'0111: bits 0-2 = 7, bits 3-10 = 0x62, bits 11-13 = 4.
    EXPECT_EQ(sensor.SetBlackLevel(8983), 1);
    EXPECT_EQ(fake.SensorValue(367), 0x1A | 7 << 5);  // low five bits kept
    EXPECT_EQ(fake.SensorValue(368), 0x62);
    EXPECT_EQ(fake.SensorValue(369), 0xA8 | 4);  // high five bits kept

    const auto control = fake.SensorWritesTo(2);
    ASSERT_EQ(control.size(), 2u);
    EXPECT_EQ(control[0].value, 0x10 | 0x40);
    EXPECT_EQ(control[1].value, 0x10);
    const int holdOn = fake.FirstIndex(Kind::SensorWrite, 2);
    const int holdOff = fake.LastIndex(Kind::SensorWrite, 2);
    for (int reg : {367, 368, 369}) {
        EXPECT_LT(holdOn, fake.FirstIndex(Kind::SensorRead, reg)) << reg;
        EXPECT_GT(holdOff, fake.LastIndex(Kind::SensorWrite, reg)) << reg;
    }

    sensor.Description().blackLevelCurrent = 0;
    fake.ClearLog();
    int level = 0;
    EXPECT_EQ(sensor.GetBlackLevel(&level), 1);
    EXPECT_EQ(level, 8983);
    EXPECT_EQ(sensor.Description().blackLevelCurrent, 8983);
    EXPECT_EQ(fake.SensorWritesTo(2).size(), 2u);  // read inside hold as well
}

TEST_F(ZQ4410Test, BlackLevelOutsideFourteenBitsIsRefused) {
    EXPECT_EQ(sensor.SetBlackLevel(16384), 0);
    EXPECT_EQ(sensor.SetBlackLevel(-1), 0);
    EXPECT_TRUE(fake.log.empty());
    EXPECT_EQ(sensor.SetBlackLevel(16383), 1);
    int level = 0;
    EXPECT_EQ(sensor.GetBlackLevel(&level), 1);
    EXPECT_EQ(level, 16383);
}

TEST_F(ZQ4410Test, AFailedBlackLevelWriteKeepsTheValueAndReleasesHold) {
    fake.sensorStuck[368] = 0;
    EXPECT_EQ(sensor.SetBlackLevel(100), 0);
    EXPECT_EQ(sensor.Description().blackLevelCurrent, 8983);
    EXPECT_EQ(fake.SensorValue(2) & 0x40, 0);
}

TEST_F(ZQ4410Test, FlipsSetTheirBitsAndTheFpgaFollowsTheHorizontalFlip) {
    EXPECT_EQ(sensor.SetMirrorH(1), 1);
    EXPECT_EQ(fake.SensorValue(2), 0x11);
    EXPECT_EQ(fake.fpga[90], 0);
    int flag = -1;
    EXPECT_EQ(sensor.GetMirrorH(&flag), 1);
    EXPECT_EQ(flag, 1);
    // The vertical flip is written again after the horizontal one.
    EXPECT_GT(fake.FirstIndex(Kind::SensorWrite, 1), fake.FirstIndex(Kind::SensorWrite, 2));

    EXPECT_EQ(sensor.SetMirrorH(0), 1);
    EXPECT_EQ(fake.SensorValue(2), 0x10);
    EXPECT_EQ(fake.fpga[90], 1);

    EXPECT_EQ(sensor.SetMirrorV(1), 1);
    EXPECT_EQ(fake.SensorValue(1), 0x81 | 0x40);
    EXPECT_EQ(sensor.SetMirrorV(0), 1);
    EXPECT_EQ(fake.SensorValue(1), 0x81);
}

TEST_F(ZQ4410Test, FlipsRecordTheFlagEvenWhenTheWriteIsNotConfirmed) {
    fake.sensorStuck[1] = 0x81;
    EXPECT_EQ(sensor.SetMirrorV(1), 1);
    EXPECT_EQ(sensor.Description().mirrorVCurrent, 1);

    fake.fpga[2] = 1;  // the bus never becomes idle: the read fails
    EXPECT_EQ(sensor.SetMirrorV(0), 0);
    EXPECT_EQ(sensor.Description().mirrorVCurrent, 1);
}

TEST_F(ZQ4410Test, GainModeSwapsTheTwoRegisterPatterns) {
    EXPECT_EQ(sensor.HasGainMode(), 1);
    EXPECT_EQ(sensor.SetGainMode(1), 1);
    EXPECT_EQ(fake.SensorValue(78), 6);
    EXPECT_EQ(fake.SensorValue(82), 255);
    EXPECT_EQ(sensor.GetGainMode(), 1);

    EXPECT_EQ(sensor.SetGainMode(0), 1);
    EXPECT_EQ(fake.SensorValue(78), 255);
    EXPECT_EQ(fake.SensorValue(82), 6);
    EXPECT_EQ(sensor.GetGainMode(), 0);

    fake.sensor[78] = 6;
    fake.sensor[82] = 6;
    EXPECT_EQ(sensor.GetGainMode(), -1);
    fake.sensor[78] = 255;
    fake.sensor[82] = 255;
    EXPECT_EQ(sensor.GetGainMode(), -1);
}

TEST_F(ZQ4410Test, TemperatureIsLinearInTheReading) {
    fake.sensor[392] = 1000 & 0xFF;
    fake.sensor[393] = 1000 >> 8;
    double degrees = 0;
    EXPECT_EQ(sensor.HasTemperature(), 1);
    EXPECT_EQ(sensor.GetTemperature(&degrees), 1);
    EXPECT_NEAR(degrees, 34.21, 1e-9);
    EXPECT_EQ(sensor.GetTemperature(nullptr), 0);

    fake.failI2cReads = true;
    EXPECT_EQ(sensor.GetTemperature(&degrees), 0);
}

TEST_F(ZQ4410Test, TriggeredOperationHandsTheTimingToTheFpga) {
    ASSERT_EQ(sensor.ApplyDefaults(), 1);
    ASSERT_EQ(sensor.SetExposureLines(0x12345), 1);
    fake.ClearLog();
    platform::SetTimeSpeedup(10);  // 100 ms waits last 10 ms of real time

    EXPECT_EQ(sensor.SetTriggerMode(1), 1);
    EXPECT_EQ(sensor.GetOperatingMode(), 1);
    int mode = -1;
    EXPECT_EQ(sensor.GetTriggerMode(&mode), 1);
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(fake.SensorValue(0), 16);

    // The exposure, each byte followed by its wait; then the line length of
    // 1375 clocks and the frame length; then the FPGA takes over.
    const std::vector<std::pair<int, int>> expected = {
        {133, 0x45}, {134, 0x23}, {155, 0x01}, {156, 0x00}, {84, 95}, {85, 5},
        {80, 0x46},  {81, 0x23},  {82, 0x01},  {83, 0x00},  {88, 1}};
    EXPECT_EQ(FpgaWrites(), expected);
    const std::int64_t waitMicros = 9500;
    const auto t133 = fake.FpgaWritesTo(133)[0].micros;
    const auto t134 = fake.FpgaWritesTo(134)[0].micros;
    const auto t155 = fake.FpgaWritesTo(155)[0].micros;
    const auto t156 = fake.FpgaWritesTo(156)[0].micros;
    const auto t84 = fake.FpgaWritesTo(84)[0].micros;
    EXPECT_GE(t134 - t133, waitMicros);
    EXPECT_GE(t155 - t134, waitMicros);
    EXPECT_GE(t156 - t155, waitMicros);
    EXPECT_GE(t84 - t156, waitMicros);
    EXPECT_LT(fake.FirstIndex(Kind::SensorWrite, 0), fake.FirstIndex(Kind::FpgaWrite, 133));
}

TEST_F(ZQ4410Test, ExposureInTriggeredOperationPausesTheFpgaTiming) {
    ASSERT_EQ(sensor.ApplyDefaults(), 1);
    platform::SetTimeSpeedup(1000);
    ASSERT_EQ(sensor.SetTriggerMode(1), 1);
    fake.ClearLog();

    EXPECT_EQ(sensor.SetExposureLines(200), 1);
    const auto fpga = FpgaWrites();
    ASSERT_FALSE(fpga.empty());
    EXPECT_EQ(fpga.front(), (std::pair<int, int>{88, 0}));
    EXPECT_EQ(fpga.back(), (std::pair<int, int>{88, 1}));
    EXPECT_EQ(FpgaTriggerExposure(), 200u);
    EXPECT_EQ(fake.fpga[84], 95);
    EXPECT_EQ(fake.fpga[85], 5);
    EXPECT_EQ(FpgaFrameLength(), sensor.FrameLengthWritten());
}

TEST_F(ZQ4410Test, FreeRunningRestoresTheSensorTiming) {
    ASSERT_EQ(sensor.ApplyDefaults(), 1);
    platform::SetTimeSpeedup(1000);
    ASSERT_EQ(sensor.SetTriggerMode(1), 1);
    fake.ClearLog();

    EXPECT_EQ(sensor.SetTriggerMode(0), 1);
    EXPECT_EQ(sensor.GetOperatingMode(), 0);
    EXPECT_EQ(fake.fpga[88], 0);
    EXPECT_EQ(fake.SensorValue(0), 4);
    EXPECT_LT(fake.FirstIndex(Kind::FpgaWrite, 88), fake.FirstIndex(Kind::SensorWrite, 0));
    EXPECT_EQ(sensor.Description().lineLength, 1344);  // read back from the sensor
    EXPECT_EQ(sensor.FrameLengthWritten(), SensorFrameLength());
}

}  // namespace
}  // namespace nodrix::test
