// Device open, sensor selection, start-up and shutdown of the camera core
// against the emulated camera.

#include <gtest/gtest.h>

#include <cstring>

#include "EmulatedCameraFixture.h"
#include "api/DriverPortChoice.h"
#include "platform/Time.h"
#include "sensors/CSensorBase.h"
#include "transport/CNodrixCy3.h"

namespace nodrix {
namespace {

using testing::CamerasOf;
using testing::InstalledEmulator;
using testing::SetUpCore;

TEST(CoreDevice, OpensTheOneCameraAndProgramsTheSensor) {
    InstalledEmulator emulator(CamerasOf({0x33B0}));
    auto core = SetUpCore();
    EXPECT_EQ(core->CountCameras(0x33B0), 1);
    EXPECT_EQ(core->IsCameraPresent(0), 1);
    ASSERT_EQ(core->OpenCamera(0), 1);
    ASSERT_NE(core->Sensor(), nullptr);
    EXPECT_EQ(core->Sensor()->ModelCode(), 114);
    EXPECT_EQ(core->Sensor()->BusAddress(), 72);
    EXPECT_EQ(core->GetMaxWidth(), 1280);
    EXPECT_EQ(core->GetMaxHeight(), 1024);
    EXPECT_EQ(core->GetCameraIndex(), 0);
    EXPECT_TRUE(core->BuffersNeedSetup());
    // The sensor runs free after the FPGA reported ready.
    EXPECT_EQ(emulator.Driver().SensorRegister(0, 0), 4);
    EXPECT_EQ(core->HasTemperature(), 1);
    EXPECT_EQ(core->HasPeltier(), 0);
    EXPECT_EQ(core->SupportsColorOutput(), 0);
}

TEST(CoreDevice, UnknownDeviceNumberLeavesTheSensorDriverAlone) {
    InstalledEmulator emulator(CamerasOf({0x33B0}));
    auto core = SetUpCore();
    ASSERT_EQ(core->OpenCamera(0), 1);
    CSensorBase* before = core->Sensor();
    EXPECT_EQ(core->OpenCamera(5), 0);
    EXPECT_EQ(core->Sensor(), before);
    EXPECT_EQ(core->GetCameraIndex(), 0);
    EXPECT_EQ(core->Reopen(7), -1);
    EXPECT_EQ(core->Sensor(), before);
}

TEST(CoreDevice, SecondCameraOfTheModelPastAnotherProduct) {
    InstalledEmulator emulator(CamerasOf({0x33B0, 0x3020, 0x33B0}));
    auto core = SetUpCore();
    EXPECT_EQ(core->CountCameras(0x33B0), 2);
    ASSERT_EQ(core->OpenCamera(1), 1);
    const int index = core->Transport()->FindDevice(0x33B0, 1);
    ASSERT_GE(index, 0);
    EXPECT_EQ(core->Transport()->SelectedIndex(), index);
    transport::DeviceEntry entry;
    ASSERT_TRUE(core->Transport()->GetEntry(index, &entry));
    EXPECT_STREQ(entry.path, emulator.Driver().DevicePath(2).c_str());
    EXPECT_EQ(core->GetCameraIndex(), 1);
}

TEST(CoreDevice, OtherProductsHaveNoDriver) {
    InstalledEmulator emulator(CamerasOf({0x3020}));
    auto core = std::make_unique<CNodrixUSB3T2SimpleSdk>();
    core->SetProductId(0x3020);
    core->Setup(api::ActiveDriverPort(), nullptr, nullptr);
    EXPECT_EQ(core->CountCameras(0x3020), 1);
    EXPECT_EQ(core->OpenCamera(0), 0);
    EXPECT_EQ(core->Sensor(), nullptr);
}

TEST(CoreDevice, FpgaNeverReadyPollsFortyTimesThenAsksTheSensor) {
    emulator::EmulatorConfig config = CamerasOf({0x33B0});
    config.faults.fpgaNeverReady = true;
    InstalledEmulator emulator(config);
    testing::TimeSpeedup faster(200);
    auto core = SetUpCore();
    emulator.Driver().ClearRequests();
    // How long the polls took is no test matter (the tick count is coarse
    // under Wine and time runs faster here); their number is.
    const int opened = core->OpenCamera(0);
    (void)opened;
    EXPECT_EQ(testing::CountVendorRequests(emulator.Driver(), 0xC3), 40);
    // After the last poll the sensor driver asked for a reset and then ran
    // its own readiness check, which reads FPGA register 19 or 33.
    const auto requests = emulator.Driver().Requests();
    std::size_t lastPoll = 0;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        emulator::ControlSetup setup;
        if (emulator::DecodeControlRequest(requests[i], setup) && setup.request == 0xC3) {
            lastPoll = i;
        }
    }
    bool readinessChecked = false;
    for (std::size_t i = lastPoll + 1; i < requests.size(); ++i) {
        emulator::ControlSetup setup;
        if (emulator::DecodeControlRequest(requests[i], setup) && setup.request == 0x30 &&
            setup.index == 0x40 && setup.value == 1 &&
            (setup.data[0] == 19 || setup.data[0] == 33)) {
            readinessChecked = true;
        }
    }
    EXPECT_TRUE(readinessChecked);
    EXPECT_NE(core->Sensor(), nullptr);
}

TEST(CoreDevice, ForwardingOperationsAreNeutralAfterShutdown) {
    InstalledEmulator emulator(CamerasOf({0x33B0}));
    auto core = SetUpCore();
    ASSERT_EQ(core->OpenCamera(0), 1);
    ASSERT_NE(core->GetGainMax(), 0);
    core->Shutdown();
    EXPECT_EQ(core->Sensor(), nullptr);
    EXPECT_EQ(core->Transport(), nullptr);
    int ok = 1;
    EXPECT_EQ(core->GetGain(&ok), 0);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(core->GetGainMax(), 0);
    EXPECT_EQ(core->SetGain(10), 0);
    EXPECT_EQ(core->GetExposureTenthsMax(), 0);
    EXPECT_EQ(core->GetExposureSecondsMax(), 0.0);
    EXPECT_EQ(core->HasBlackLevel(), 0);
    EXPECT_EQ(core->HasTemperature(), 0);
    EXPECT_EQ(core->GetTemperature(&ok), 0.0);
    EXPECT_EQ(core->ReadRegister(0, &ok), 0);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(core->GetMaxWidth(), 0);
    EXPECT_EQ(core->GetDescription(nullptr), 0);
    EXPECT_EQ(core->GetGainMode(), -1);
    EXPECT_EQ(core->GetOutputSelect(), -1);
    EXPECT_EQ(core->Supports8BitOutput(), 1);
    EXPECT_EQ(core->Supports16BitOutput(), 1);
    EXPECT_EQ(core->SupportsColorOutput(), 1);
    EXPECT_EQ(core->HasFirmwareFeature(), 1);
    EXPECT_EQ(core->EnableFirmwareFeature(), 1);
    EXPECT_EQ(core->ReadFpgaRegister(7, &ok), 0);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(core->WaitFrame(0), 2);
    EXPECT_EQ(core->StartTransfer(0), 0);
    EXPECT_EQ(core->OpenCamera(0), 0);
}

TEST(CoreDevice, OneByOneWindowCapacity) {
    InstalledEmulator emulator(CamerasOf({0x33B0}));
    auto core = SetUpCore();
    ASSERT_EQ(core->OpenCamera(0), 1);
    // The window fields are the core's to write; the driver itself refuses
    // windows this small.
    SensorDescription& description = core->Sensor()->Description();
    description.windowWidth = 1;
    description.windowHeight = 1;
    ASSERT_EQ(core->PrepareBuffers(), 1);
    EXPECT_EQ(core->TransferCapacity(), 24576u);
    EXPECT_EQ(core->FrameSize(), 1u);
    EXPECT_FALSE(core->BuffersNeedSetup());
    // The image size went to the FPGA.
    EXPECT_EQ(emulator.Driver().FpgaRegister(0, 68), 1);
    EXPECT_EQ(emulator.Driver().FpgaRegister(0, 64), 1);
}

TEST(CoreDevice, SerialNumberAndSettingsByte) {
    InstalledEmulator emulator(CamerasOf({0x33B0}));
    auto core = SetUpCore();
    ASSERT_EQ(core->OpenCamera(0), 1);
    ASSERT_EQ(core->WriteSettingsByte(0x5A), 1);
    std::uint8_t value = 0;
    ASSERT_EQ(core->ReadSettingsByte(&value), 1);
    EXPECT_EQ(value, 0x5A);
    EXPECT_EQ(emulator.Driver().EepromByte(0, 0x1080), 0x5A);
    EXPECT_EQ(core->ReceiveText(reinterpret_cast<char*>(&value), 1), 0);
    EXPECT_EQ(core->SendText("x", 1), 0);
}

}  // namespace
}  // namespace nodrix
