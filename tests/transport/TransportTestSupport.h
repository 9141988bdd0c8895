#pragma once
// What the transport tests share: a private shared-table name per test
// program (other programs on this machine use the real one at the same
// time), and a fixture that installs the scripted driver.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "platform/DriverPort.h"
#include "platform/Time.h"
#include "transport/DeviceTable.h"
#include "transport/FakeDriverPort.h"

namespace nodrix::testing {

inline std::string PrivateTableName() {
    static const std::string name = [] {
        std::random_device random;
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        char text[64];
        std::snprintf(text, sizeof(text), "U3T2-MemMap-test-%08x%08x", random(),
                      static_cast<unsigned>(now));
        return std::string(text);
    }();
    return name;
}

class FakePortTest : public ::testing::Test {
protected:
    void SetUp() override { transport::SetSharedTableName(PrivateTableName().c_str()); }
    void TearDown() override { platform::SetTimeSpeedup(1); }

    // The transports of a test are made over this port.
    FakeDriverPort port_;
};

}  // namespace nodrix::testing
