// The ZQ4410 driver against the emulated camera, through the real transport:
// what the sensor holds after the defaults, and the exposure the sensor makes
// of the driver's register values.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "emulator/EmulatedDriver.h"
#include "emulator/SensorModel.h"
#include "platform/DriverPort.h"
#include "platform/Time.h"
#include "sensors/CSensorZQ4410.h"
#include "transport/CNodrixCy3.h"
#include "transport/DeviceTable.h"

namespace nodrix {
namespace {

// Other programs on this machine use the real device table at the same time.
std::string PrivateTableName() {
    std::random_device random;
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char text[64];
    std::snprintf(text, sizeof(text), "U3T2-MemMap-sensors-%08x%08x", random(),
                  static_cast<unsigned>(now));
    return text;
}

class ZQ4410OnEmulator : public ::testing::Test {
protected:
    void SetUp() override {
        transport::SetSharedTableName(tableName.c_str());
        platform::SetTimeSpeedup(20);
        transport = std::make_unique<CNodrixCy3>(driver);
        transport->Enumerate();
        const int index = transport->FindDevice(0x33B0, 0);
        ASSERT_GE(index, 0);
        ASSERT_EQ(transport->SelectDevice(index), 1);
        sensor = std::make_unique<CSensorZQ4410>(transport.get(), CSensorZQ4410::kBusAddress);
        sensor->SetModelCode(CSensorZQ4410::kModelCode);
    }
    void TearDown() override {
        sensor.reset();
        transport.reset();
        platform::SetTimeSpeedup(1);
    }

    // The emulator's reading of the sensor registers as they stand now.
    emulator::SensorModel SensorAsEmulated() const {
        emulator::SensorModel model;
        for (int address = 0; address < 400; ++address) {
            const auto a = static_cast<std::uint16_t>(address);
            model.Write(a, driver.SensorRegister(0, a));
        }
        return model;
    }

    // One line of the sensor in microseconds, as the emulator times it.
    double LineUs() const { return SensorAsEmulated().LineTimeUs(); }

    std::string tableName = PrivateTableName();
    emulator::EmulatedDriver driver;
    std::unique_ptr<CNodrixCy3> transport;
    std::unique_ptr<CSensorZQ4410> sensor;
};

TEST_F(ZQ4410OnEmulator, DefaultsLeaveTheSensorInItsDefaultState) {
    // Disturb the power-up state so that the defaults have something to do.
    driver.SetSensorRegister(0, 287, 40);
    driver.SetSensorRegister(0, 1, 0x40);
    driver.SetSensorRegister(0, 2, 0x01);
    driver.SetSensorRegister(0, 368, 0);

    ASSERT_EQ(sensor->WaitReady(), 1);
    ASSERT_EQ(sensor->ApplyDefaults(), 1);

    const emulator::SensorModel model = SensorAsEmulated();
    EXPECT_EQ(model.WindowY(), 0u);
    EXPECT_EQ(model.WindowHeight(), 1024u);
    EXPECT_EQ(model.GainCode(), 2);
    EXPECT_EQ(model.BlackLevel(), 8983u);
    EXPECT_FALSE(model.FlipV());
    EXPECT_FALSE(model.FlipH());
    EXPECT_FALSE(model.ShortExposure());
    EXPECT_EQ(driver.SensorRegister(0, 2) & 0x40, 0);  // hold released
    EXPECT_EQ(driver.FpgaRegister(0, 90), 1);          // horizontal flip off

    // The default 1080 lines: shutter 1 in the 1082-line frame.
    EXPECT_EQ(model.FrameLength(), 1082u);
    EXPECT_EQ(model.Shutter(), 1u);
    EXPECT_NEAR(model.ExposureUs(), 1080 * LineUs(), 1e-6);

    // The FPGA's copies of the frame and line lengths.
    const std::uint32_t fpgaFrame = driver.FpgaRegister(0, 80) | driver.FpgaRegister(0, 81) << 8 |
                                    driver.FpgaRegister(0, 82) << 16 |
                                    driver.FpgaRegister(0, 83) << 24;
    EXPECT_EQ(fpgaFrame, 1082u);
    EXPECT_EQ(driver.FpgaRegister(0, 84) | driver.FpgaRegister(0, 85) << 8, 1344);

    // What the driver reads back agrees.
    int value = 0;
    EXPECT_EQ(sensor->GetBlackLevel(&value), 1);
    EXPECT_EQ(value, 8983);
    EXPECT_EQ(sensor->GetGainMode(), 0);
    double degrees = 0;
    EXPECT_EQ(sensor->GetTemperature(&degrees), 1);
    EXPECT_NEAR(degrees, 34.21, 1e-9);
}

TEST_F(ZQ4410OnEmulator, TheSensorExposesForTheRequestedTimeWithinOneLine) {
    ASSERT_EQ(sensor->ApplyDefaults(), 1);
    // From 0.1 ms (two lines) through the frame boundary to 2 s, where the
    // frame is stretched.
    for (int tenths : {1, 3, 50, 392, 393, 401, 1000, 20000}) {
        SCOPED_TRACE(tenths);
        ASSERT_EQ(sensor->SetExposureTenths(tenths), 1);
        const double requestedUs = tenths * 100.0;
        EXPECT_NEAR(SensorAsEmulated().ExposureUs(), requestedUs, LineUs());
    }
    for (double seconds : {0.000037125, 0.0123456, 0.5}) {
        SCOPED_TRACE(seconds);
        ASSERT_EQ(sensor->SetExposureSeconds(seconds), 1);
        // The shortest exposure is one line, a little longer than asked.
        EXPECT_NEAR(SensorAsEmulated().ExposureUs(), seconds * 1e6, LineUs());
    }
}

TEST_F(ZQ4410OnEmulator, ExposureFollowsTheWindowHeight) {
    ASSERT_EQ(sensor->ApplyDefaults(), 1);
    ASSERT_EQ(sensor->SetExposureTenths(100), 1);  // 10 ms: 275 lines
    ASSERT_EQ(sensor->SetWindow(0, 1280, 256, 512, 0), 1);

    emulator::SensorModel model = SensorAsEmulated();
    EXPECT_EQ(model.WindowY(), 256u);
    EXPECT_EQ(model.WindowHeight(), 512u);
    EXPECT_EQ(model.FrameLength(), 540u);
    EXPECT_EQ(model.OperatingState(), 4);
    EXPECT_NEAR(model.ExposureUs(), 10000.0, model.LineTimeUs());

    // 30 ms no longer fits the 540-line frame: the frame stretches.
    ASSERT_EQ(sensor->SetExposureTenths(300), 1);
    model = SensorAsEmulated();
    EXPECT_GT(model.FrameLength(), 540u);
    EXPECT_NEAR(model.ExposureUs(), 30000.0, model.LineTimeUs());

    ASSERT_EQ(sensor->SetWindow(0, 1280, 0, 1024, 0), 1);
    model = SensorAsEmulated();
    EXPECT_EQ(model.WindowHeight(), 1024u);
    EXPECT_NEAR(model.ExposureUs(), 30000.0, model.LineTimeUs());
}

TEST_F(ZQ4410OnEmulator, FlipsGainModeAndShortExposureReachTheSensor) {
    ASSERT_EQ(sensor->ApplyDefaults(), 1);
    ASSERT_EQ(sensor->SetMirrorH(1), 1);
    ASSERT_EQ(sensor->SetMirrorV(1), 1);
    ASSERT_EQ(sensor->SetGainMode(1), 1);
    ASSERT_EQ(sensor->SetGain(40), 1);
    emulator::SensorModel model = SensorAsEmulated();
    EXPECT_TRUE(model.FlipH());
    EXPECT_TRUE(model.FlipV());
    EXPECT_TRUE(model.LowGainMode());
    EXPECT_EQ(model.GainCode(), 40);
    EXPECT_EQ(driver.FpgaRegister(0, 90), 0);
    EXPECT_EQ(sensor->GetGainMode(), 1);

    ASSERT_EQ(sensor->SetShortExposure(1), 1);
    EXPECT_TRUE(SensorAsEmulated().ShortExposure());
    double seconds = 0;
    EXPECT_EQ(sensor->GetExposureSeconds(&seconds), 1);
    EXPECT_NEAR(seconds * 1e6, SensorAsEmulated().ExposureUs(), 1e-3);
    ASSERT_EQ(sensor->SetShortExposure(0), 1);
    EXPECT_FALSE(SensorAsEmulated().ShortExposure());
}

TEST_F(ZQ4410OnEmulator, TriggeredOperationHandsTheExposureToTheFpga) {
    ASSERT_EQ(sensor->ApplyDefaults(), 1);
    platform::SetTimeSpeedup(1000);
    ASSERT_EQ(sensor->SetExposureTenths(100), 1);
    ASSERT_EQ(sensor->SetTriggerMode(1), 1);
    EXPECT_EQ(driver.SensorRegister(0, 0), 16);
    EXPECT_EQ(driver.FpgaRegister(0, 88), 1);
    int lines = 0;
    ASSERT_EQ(sensor->GetExposureLines(&lines), 1);
    const int fpgaLines = driver.FpgaRegister(0, 133) | driver.FpgaRegister(0, 134) << 8 |
                          driver.FpgaRegister(0, 155) << 16 | driver.FpgaRegister(0, 156) << 24;
    EXPECT_EQ(fpgaLines, lines);

    ASSERT_EQ(sensor->SetTriggerMode(0), 1);
    EXPECT_EQ(driver.SensorRegister(0, 0), 4);
    EXPECT_EQ(driver.FpgaRegister(0, 88), 0);
}

TEST_F(ZQ4410OnEmulator, ABusThatStaysBusyFailsTheVerifiedWrites) {
    emulator::FaultConfig faults = driver.Faults(0);
    faults.busBusy = true;
    driver.SetFaults(0, faults);
    EXPECT_EQ(sensor->SetGain(30), 0);
    EXPECT_EQ(sensor->Description().gainCurrent, 2);
    EXPECT_NE(driver.SensorRegister(0, 287), 30);
}

}  // namespace
}  // namespace nodrix
