#pragma once
// Test support: an emulated driver installed as the process's driver port,
// a camera core opened on it, and helpers that read the request log.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "api/DriverPortChoice.h"
#include "core/CNodrixUSB3T2SimpleSdk.h"
#include "emulator/EmulatedDriver.h"
#include "emulator/RequestLog.h"
#include "platform/DriverPort.h"
#include "platform/Time.h"
#if NODRIX_TEST_USB
#include <cstdlib>
#include <cstring>

#include "platform/posix/usb/UsbDriverPort.h"
#include "usb/UsbTestbed.h"
#endif

namespace nodrix::testing {

inline emulator::EmulatorConfig CamerasOf(std::vector<std::uint16_t> products,
                                          emulator::Pace pace = emulator::Pace::Max) {
    emulator::EmulatorConfig config;
    for (std::size_t i = 0; i < products.size(); ++i) {
        emulator::CameraSettings camera;
        camera.productId = products[i];
        camera.serial = emulator::SerialForCamera("T520EMU", i);
        config.cameras.push_back(camera);
    }
    config.pace = pace;
    return config;
}

// Installs the emulated driver for the lifetime of the object. With
// NODRIX_TEST_DRIVER=usb in a program built for it and run with umockdev's
// preload library, the same cameras sit on a mocked USB bus instead and the
// library reaches them through its libusb port: one suite, two drivers.
class InstalledEmulator {
public:
    explicit InstalledEmulator(const emulator::EmulatorConfig& config)
        : driver_(std::make_unique<emulator::EmulatedDriver>(config)) {
#if NODRIX_TEST_USB
        const char* choice = std::getenv("NODRIX_TEST_DRIVER");
        if (choice != nullptr && std::strcmp(choice, "usb") == 0 && UsbTestbed::Available()) {
            bed_ = std::make_unique<UsbTestbed>(*driver_);
            usbPort_ = std::make_unique<platform::usb::UsbDriverPort>();
            api::InstallDriverPort(usbPort_.get());
            return;
        }
#endif
        api::InstallDriverPort(driver_.get());
    }
    ~InstalledEmulator() {
        api::InstallDriverPort(nullptr);
    }
    emulator::EmulatedDriver& Driver() {
        return *driver_;
    }

private:
    std::unique_ptr<emulator::EmulatedDriver> driver_;
#if NODRIX_TEST_USB
    // Destroyed before the driver: the port lets go of its devices first.
    std::unique_ptr<UsbTestbed> bed_;
    std::unique_ptr<platform::usb::UsbDriverPort> usbPort_;
#endif
};

// Restores real time when a test that ran time faster ends.
class TimeSpeedup {
public:
    explicit TimeSpeedup(std::uint32_t factor) { platform::SetTimeSpeedup(factor); }
    ~TimeSpeedup() { platform::SetTimeSpeedup(1); }
};

// A core with product 0x33B0 set up on the installed emulator.
inline std::unique_ptr<CNodrixUSB3T2SimpleSdk> SetUpCore() {
    auto core = std::make_unique<CNodrixUSB3T2SimpleSdk>();
    core->SetProductId(0x33B0);
    core->Setup(api::ActiveDriverPort(), nullptr, nullptr);
    return core;
}

// FPGA register writes (I2cWrite of 3 bytes to bus address 0x40) to one
// register in the request log.
inline int CountFpgaWrites(emulator::EmulatedDriver& driver, std::uint8_t reg) {
    int count = 0;
    for (const auto& entry : driver.Requests()) {
        emulator::ControlSetup setup;
        if (emulator::DecodeControlRequest(entry, setup) && setup.request == 0x30 &&
            setup.index == 0x40 && setup.value == 3 && setup.data[0] == reg) {
            ++count;
        }
    }
    return count;
}

// FPGA register reads (the address written alone, I2cWrite of 1 byte to
// bus address 0x40) of one register in the request log.
inline int CountFpgaReads(emulator::EmulatedDriver& driver, std::uint8_t reg) {
    int count = 0;
    for (const auto& entry : driver.Requests()) {
        emulator::ControlSetup setup;
        if (emulator::DecodeControlRequest(entry, setup) && setup.request == 0x30 &&
            setup.index == 0x40 && setup.value == 1 && setup.data[0] == reg) {
            ++count;
        }
    }
    return count;
}

inline int CountVendorRequests(emulator::EmulatedDriver& driver, std::uint8_t request) {
    int count = 0;
    for (const auto& entry : driver.Requests()) {
        emulator::ControlSetup setup;
        if (emulator::DecodeControlRequest(entry, setup) && setup.request == request) {
            ++count;
        }
    }
    return count;
}

}  // namespace nodrix::testing
