#pragma once
// A ZQ4410 driver on a fake controller, with time running fast so that the
// retry waits of the register bus cost little.

#include <gtest/gtest.h>

#include <vector>

#include "platform/Time.h"
#include "sensors/CSensorZQ4410.h"
#include "sensors/FakeController.h"

namespace nodrix::test {

using Kind = Transaction::Kind;

class ZQ4410Test : public ::testing::Test {
protected:
    void SetUp() override { platform::SetTimeSpeedup(100); }
    void TearDown() override { platform::SetTimeSpeedup(1); }

    // Sensor register writes (address, value) in the order they were made.
    std::vector<std::pair<int, int>> SensorWrites() const {
        std::vector<std::pair<int, int>> out;
        for (const auto& t : fake.log) {
            if (t.kind == Kind::SensorWrite) out.emplace_back(t.address, t.value);
        }
        return out;
    }
    // FPGA register writes (address, value) in the order they were made.
    std::vector<std::pair<int, int>> FpgaWrites() const {
        std::vector<std::pair<int, int>> out;
        for (const auto& t : fake.log) {
            if (t.kind == Kind::FpgaWrite) out.emplace_back(t.address, t.value);
        }
        return out;
    }
    std::uint32_t SensorFrameLength() const { return fake.SensorMultiByte(5, 4); }
    std::uint32_t Shutter() const { return fake.SensorMultiByte(11, 4); }
    std::uint32_t FpgaFrameLength() const { return fake.FpgaMultiByte({80, 81, 82, 83}); }
    std::uint32_t FpgaTriggerExposure() const { return fake.FpgaMultiByte({133, 134, 155, 156}); }

    FakeController fake;
    CSensorZQ4410 sensor{&fake, CSensorZQ4410::kBusAddress};
};

}  // namespace nodrix::test
