// The base sensor driver: its defaults, the description record, the firmware
// version cache and the verified FPGA register write.

#include <gtest/gtest.h>

#include "platform/Time.h"
#include "sensors/CSensorBase.h"
#include "sensors/FakeController.h"

namespace nodrix {
namespace {

using test::FakeController;
using Kind = test::Transaction::Kind;

class SpeedUp : public ::testing::Test {
protected:
    void SetUp() override { platform::SetTimeSpeedup(100); }
    void TearDown() override { platform::SetTimeSpeedup(1); }
};

TEST(SensorBase, ConstructionTouchesNothingAndSetsTheInitialState) {
    FakeController fake;
    CSensorBase sensor(&fake, 72);
    EXPECT_TRUE(fake.log.empty());
    EXPECT_EQ(sensor.GetOperatingMode(), 15);
    EXPECT_EQ(sensor.SetModelCode(114), 114);
    EXPECT_EQ(sensor.ModelCode(), 114);
    sensor.SetOperatingMode(3);
    EXPECT_EQ(sensor.GetOperatingMode(), 3);
    EXPECT_EQ(sensor.BusAddress(), 72);
}

TEST(SensorBase, ReportsNoOptionalFeaturesButEveryOutputMode) {
    CSensorBase sensor;
    int value = 77;
    double seconds = 5.0;
    EXPECT_EQ(sensor.HasBlackLevel(), 0);
    EXPECT_EQ(sensor.GetBlackLevel(&value), 0);
    EXPECT_EQ(value, 0);  // the zeroed description's field
    EXPECT_EQ(sensor.HasGainStep(), 0);
    EXPECT_EQ(sensor.GetGainStepMax(&value), 0);
    EXPECT_EQ(sensor.HasExposureSeconds(), 0);
    EXPECT_EQ(sensor.GetExposureSecondsMax(&seconds), 0.0);
    EXPECT_EQ(sensor.GetExposureSeconds(&seconds), 0);

    EXPECT_EQ(sensor.Supports8BitOutput(), 1);
    EXPECT_EQ(sensor.Supports16BitOutput(), 1);
    EXPECT_EQ(sensor.SupportsColorOutput(), 1);
    EXPECT_EQ(sensor.GetGainMode(), -1);
    EXPECT_EQ(sensor.GetOutputSelect(), -1);

    EXPECT_EQ(sensor.SetExposureTenths(100), 0);
    EXPECT_EQ(sensor.SetWindow(0, 1280, 0, 1024, 0), 0);
    EXPECT_EQ(sensor.WriteRegister(1, 1), 0);
    EXPECT_EQ(sensor.HasTemperature(), 0);
}

TEST(SensorBase, GetDescriptionCopiesTheWholeRecordAndRefusesNull) {
    CSensorBase sensor;
    sensor.Description().maxWidth = 640;
    sensor.Description().orientationCode = 4;
    sensor.Description().exposureSecondsDefault = 0.25;

    SensorDescription copy{};
    EXPECT_EQ(sensor.GetDescription(&copy), 1);
    EXPECT_EQ(copy.maxWidth, 640);
    EXPECT_EQ(copy.orientationCode, 4);
    EXPECT_EQ(copy.exposureSecondsDefault, 0.25);
    EXPECT_EQ(sensor.GetDescription(nullptr), 0);
}

TEST(SensorBase, FirmwareVersionIsReadOnceAndCached) {
    FakeController fake;
    CSensorBase sensor(&fake, 72);
    std::uint16_t version = 0;
    EXPECT_EQ(sensor.GetFirmwareVersion(&version), 0x1234);
    EXPECT_EQ(version, 0x1234);
    fake.fpga[17] = 0x99;
    EXPECT_EQ(sensor.GetFirmwareVersion(&version), 0x1234);
    EXPECT_EQ(fake.fpgaVersionReads, 1);

    CSensorBase detached;
    EXPECT_EQ(detached.GetFirmwareVersion(&version), 0);
    EXPECT_EQ(version, 0);
}

using SensorBaseFpga = SpeedUp;

TEST_F(SensorBaseFpga, VerifiedWriteSucceedsOnTheFirstMatchingReadBack) {
    FakeController fake;
    CSensorBase sensor(&fake, 72);
    EXPECT_EQ(sensor.WriteFpgaRegisterVerified(88, 0x101), 1);  // only the low byte counts
    EXPECT_EQ(fake.fpga[88], 1);
    ASSERT_EQ(fake.log.size(), 2u);
    EXPECT_EQ(fake.log[0], (test::Transaction{Kind::FpgaWrite, 88, 1, 0}));
    EXPECT_EQ(fake.log[1], (test::Transaction{Kind::FpgaRead, 88, 1, 0}));
}

TEST_F(SensorBaseFpga, VerifiedWriteGivesUpAfterTenAttempts) {
    FakeController fake;
    CSensorBase sensor(&fake, 72);
    fake.fpgaIgnoresWrites.insert(133);
    EXPECT_EQ(sensor.WriteFpgaRegisterVerified(133, 5), 0);
    EXPECT_EQ(fake.CountOf(Kind::FpgaWrite, 133), 10);
    EXPECT_EQ(fake.CountOf(Kind::FpgaRead, 133), 10);

    // A write that fails is retried at once, without a read-back.
    fake.ClearLog();
    fake.failFpgaWrites = true;
    EXPECT_EQ(sensor.WriteFpgaRegisterVerified(134, 5), 0);
    EXPECT_EQ(fake.CountOf(Kind::FpgaWrite, 134), 10);
    EXPECT_EQ(fake.CountOf(Kind::FpgaRead, 134), 0);

    CSensorBase detached;
    EXPECT_EQ(detached.WriteFpgaRegisterVerified(88, 1), 0);
}

TEST_F(SensorBaseFpga, VerifiedWriteRecoversAfterAFailedReadBack) {
    FakeController fake;
    CSensorBase sensor(&fake, 72);
    fake.failFpgaReads = true;
    EXPECT_EQ(sensor.WriteFpgaRegisterVerified(88, 1), 0);
    EXPECT_EQ(fake.CountOf(Kind::FpgaWrite, 88), 10);
}

}  // namespace
}  // namespace nodrix
