// Register access of the ZQ4410 driver: the bytes on the bus, the waited and
// verified operations with their retries, and the initialisation steps.

#include "sensors/ZQ4410Fixture.h"

namespace nodrix::test {
namespace {

TEST_F(ZQ4410Test, WriteRegisterSendsAddressHighLowThenValue) {
    EXPECT_EQ(sensor.WriteRegister(0x0123, 0x45), 1);
    ASSERT_EQ(fake.rawI2cWrites.size(), 1u);
    EXPECT_EQ(fake.rawI2cWrites[0], (std::vector<std::uint8_t>{0x01, 0x23, 0x45}));
    EXPECT_EQ(fake.lastBusAddress, 72);
    EXPECT_EQ(fake.lastTimeoutMs, 3000u);
    EXPECT_EQ(fake.SensorValue(0x123), 0x45);

    fake.failI2cWrites = true;
    EXPECT_EQ(sensor.WriteRegister(1, 0), 0);
}

TEST_F(ZQ4410Test, ReadRegisterSelectsTheAddressThenReadsOneByte) {
    fake.sensor[392] = 0xE8;
    int value = -1;
    EXPECT_EQ(sensor.ReadRegister(392, &value), 1);
    EXPECT_EQ(value, 0xE8);
    ASSERT_EQ(fake.rawI2cWrites.size(), 1u);
    EXPECT_EQ(fake.rawI2cWrites[0], (std::vector<std::uint8_t>{0x01, 0x88}));

    fake.failI2cReads = true;
    value = -1;
    EXPECT_EQ(sensor.ReadRegister(392, &value), 0);
    EXPECT_EQ(value, -1);
}

TEST_F(ZQ4410Test, WaitedReadProceedsOnlyOnAnIdleBus) {
    fake.sensor[90] = 7;
    int value = 0;
    EXPECT_EQ(sensor.ReadRegisterWaited(90, &value), 1);
    EXPECT_EQ(value, 7);
    EXPECT_LT(fake.FirstIndex(Kind::FpgaRead, 2), fake.FirstIndex(Kind::SensorRead, 90));

    fake.ClearLog();
    fake.fpga[2] = 1;  // the bus stays busy
    value = -1;
    EXPECT_EQ(sensor.ReadRegisterWaited(90, &value), 0);
    EXPECT_EQ(value, -1);
    EXPECT_EQ(fake.CountOf(Kind::FpgaRead, 2), 100);
    EXPECT_EQ(fake.CountOf(Kind::SensorRead, 90), 0);
}

TEST_F(ZQ4410Test, VerifiedWriteGivesUpAfterAHundredAttempts) {
    EXPECT_EQ(sensor.WriteRegisterVerified(287, 30), 1);
    EXPECT_EQ(fake.CountOf(Kind::SensorWrite, 287), 1);

    // A busy bus: nothing is written at all.
    fake.ClearLog();
    fake.fpga[2] = 1;
    EXPECT_EQ(sensor.WriteRegisterVerified(287, 31), 0);
    EXPECT_EQ(fake.CountOf(Kind::SensorWrite, 287), 0);
    EXPECT_EQ(fake.CountOf(Kind::FpgaRead, 2), 100);

    // A register that does not keep its value: written on every attempt.
    fake.ClearLog();
    fake.fpga[2] = 0;
    fake.sensorStuck[287] = 9;
    EXPECT_EQ(sensor.WriteRegisterVerified(287, 31), 0);
    EXPECT_EQ(fake.CountOf(Kind::SensorWrite, 287), 100);
}

TEST_F(ZQ4410Test, EveryRegisterOperationFailsWithoutAController) {
    CSensorZQ4410 detached(nullptr, 72);
    int value = 0;
    EXPECT_EQ(detached.WriteRegister(1, 1), 0);
    EXPECT_EQ(detached.ReadRegister(1, &value), 0);
    EXPECT_EQ(detached.WriteRegisterVerified(1, 1), 0);
    EXPECT_EQ(detached.ReadRegisterWaited(1, &value), 0);
    EXPECT_EQ(detached.SetGain(10), 0);
    EXPECT_EQ(detached.SetTriggerMode(1), 0);
    EXPECT_EQ(detached.WaitReady(), 0);
    EXPECT_EQ(detached.RequestReset(), 0);

    // The window and defaults still update the description.
    EXPECT_EQ(detached.SetWindow(0, 1280, 0, 512, 2), 1);
    EXPECT_EQ(detached.Description().windowHeight, 512);
    EXPECT_EQ(detached.SetSampleWidth(1), 1);
    EXPECT_EQ(detached.Description().bitsPerPixel, 16);
    EXPECT_EQ(detached.ApplyDefaults(), 1);
    EXPECT_EQ(detached.Description().windowHeight, 1024);
}

TEST_F(ZQ4410Test, ConstructionFillsTheDescriptionAndTouchesNoHardware) {
    EXPECT_TRUE(fake.log.empty());
    const SensorDescription& d = sensor.Description();
    EXPECT_EQ(d.maxWidth, 1280);
    EXPECT_EQ(d.maxHeight, 1024);
    EXPECT_EQ(d.horizontalWindowing, 0);
    EXPECT_EQ(d.verticalWindowing, 1);
    EXPECT_EQ(d.lineLength, 1344);
    EXPECT_EQ(d.frameLines, 1054);
    EXPECT_EQ(d.blackLevelDefault, 8983);
    EXPECT_EQ(d.exposureTenthsDefault, 401);
    EXPECT_EQ(d.pixelClockKHz, 37037);
    EXPECT_EQ(d.orientationCode, 3);
    EXPECT_EQ(d.redGainSupported, 0);
    EXPECT_EQ(d.gainStepSupported, 0);
    EXPECT_EQ(sensor.FrameLengthTarget(), 1082u);
    EXPECT_EQ(sensor.FrameLengthWritten(), 1054u);
    EXPECT_EQ(sensor.GetOperatingMode(), 15);
    EXPECT_EQ(sensor.SupportsColorOutput(), 0);
    EXPECT_EQ(sensor.Supports8BitOutput(), 1);
    EXPECT_EQ(sensor.Supports16BitOutput(), 1);
}

TEST_F(ZQ4410Test, WaitReadyAcceptsANewFirmwareOrAReadySensor) {
    fake.fpga[19] = 9;
    fake.fpga[33] = 0;
    EXPECT_EQ(sensor.WaitReady(), 1);
    EXPECT_EQ(fake.CountOf(Kind::FpgaRead, 33), 0);

    fake.fpga[19] = 8;
    fake.fpga[33] = 3;
    EXPECT_EQ(sensor.WaitReady(), 1);
}

TEST_F(ZQ4410Test, WaitReadyRequestsResetsAndGivesUp) {
    platform::SetTimeSpeedup(1000);
    fake.fpga[33] = 0;
    fake.fpga[164] = 0x80;
    EXPECT_EQ(sensor.WaitReady(), 0);
    const auto resets = fake.FpgaWritesTo(164);
    ASSERT_EQ(resets.size(), 5u);
    EXPECT_EQ(resets[0].value, 0x82);  // bit 1 added, bit 7 kept
}

TEST_F(ZQ4410Test, RequestResetSetsBitOneOfRegister164) {
    fake.fpga[164] = 0x01;
    EXPECT_EQ(sensor.RequestReset(), 1);
    EXPECT_EQ(fake.fpga[164], 0x03);

    fake.failFpgaWrites = true;
    EXPECT_EQ(sensor.RequestReset(), 0);
}

TEST_F(ZQ4410Test, ApplyDefaultsProgramsTheSensorInOrder) {
    fake.SetSensorMultiByte(9, 2, 1350);  // the sensor's own line length
    EXPECT_EQ(sensor.ApplyDefaults(), 1);

    const SensorDescription& d = sensor.Description();
    // Black level, gain, flips, window, then the exposure.
    const int blackLevel = fake.FirstIndex(Kind::SensorWrite, 368);
    const int gain = fake.FirstIndex(Kind::SensorWrite, 287);
    const int flipH = fake.FirstIndex(Kind::FpgaWrite, 90);
    const int window = fake.FirstIndex(Kind::SensorWrite, 22);
    const int lineLengthCopy = fake.FirstIndex(Kind::FpgaWrite, 84);
    const int shutter = fake.LastIndex(Kind::SensorWrite, 11);
    EXPECT_LT(blackLevel, gain);
    EXPECT_LT(gain, flipH);
    EXPECT_LT(flipH, window);
    EXPECT_LT(window, lineLengthCopy);
    EXPECT_LT(lineLengthCopy, shutter);

    EXPECT_EQ(d.blackLevelCurrent, 8983);
    EXPECT_EQ(fake.SensorValue(287), 2);
    EXPECT_EQ(fake.SensorValue(1) & 0x40, 0);
    EXPECT_EQ(fake.SensorValue(2) & 0x01, 0);
    EXPECT_EQ(fake.SensorValue(2) & 0x40, 0);  // hold released
    EXPECT_EQ(fake.fpga[90], 1);
    EXPECT_EQ(d.windowHeight, 1024);
    EXPECT_EQ(d.lineLength, 1350);
    EXPECT_EQ(fake.fpga[84], 1350 & 0xFF);
    EXPECT_EQ(fake.fpga[85], 1350 >> 8);
    EXPECT_EQ(d.shortExposureMode, 0);
    EXPECT_DOUBLE_EQ(d.shortExposureSeconds, 120.0 / 37037 / 1000);

    // The default 1080 lines fit the full window's 1082-line frame.
    EXPECT_EQ(d.exposureLinesCurrent, 1080);
    EXPECT_EQ(Shutter(), 1082u - 1080 - 1);
    EXPECT_EQ(SensorFrameLength(), 1082u);
    EXPECT_EQ(sensor.FrameLengthWritten(), 1082u);
    EXPECT_EQ(FpgaFrameLength(), 1082u);
}

}  // namespace
}  // namespace nodrix::test
