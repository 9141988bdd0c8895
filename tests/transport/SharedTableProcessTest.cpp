// The device table seen from a second process: it joins the table the
// first one holds and finds the same entries without scanning; once every
// user has left, the next one starts with an empty table.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "emulator/EmulatorEnvironment.h"
#include "platform/SystemDriverPort.h"
#include "transport/CNodrixCy3.h"
#include "transport/TransportTestSupport.h"

namespace nodrix::testing {
namespace {

const char kChildOption[] = "--transport-child-report=";
const char kTableOption[] = "--transport-table=";

std::string OptionValue(const std::string& option) {
    for (const std::string& arg : ::testing::internal::GetArgvs()) {
        if (arg.rfind(option, 0) == 0) return arg.substr(option.size());
    }
    return {};
}

// The port a library would choose in this process: the emulated driver the
// environment selects, else the system's.
platform::DriverPort& EnvironmentPort() {
    if (platform::DriverPort* emulated = emulator::DriverFromEnvironment()) return *emulated;
    return platform::detail::SystemDriverPort();
}

// Runs in the child only: joins the table named on the command line and
// writes what it sees, one line per registered entry.
TEST(SharedTableChild, Report) {
    const std::string report = OptionValue(kChildOption);
    if (report.empty()) GTEST_SKIP() << "runs as the second process of SharedTableProcess";
    transport::SetSharedTableName(OptionValue(kTableOption).c_str());
    CNodrixCy3 transport{EnvironmentPort()};
    std::ofstream out(report);
    out << transport.DeviceCount() << "\n";
    for (int i = 0; i < transport.DeviceCount(); ++i) {
        transport::DeviceEntry entry;
        transport.GetEntry(i, &entry);
        out << i << " " << std::hex << entry.productId << std::dec << " " << entry.instance << " "
            << entry.path << "\n";
    }
}

std::vector<std::string> RunChild() {
    const std::string report = "transport-child-" + PrivateTableName() + ".txt";
    std::remove(report.c_str());
    const std::string exe = ::testing::internal::GetArgvs().at(0);
    const std::string command = "\"" + exe + "\" --gtest_filter=SharedTableChild.Report " +
                                kChildOption + report + " " + kTableOption + PrivateTableName();
    EXPECT_EQ(0, std::system(command.c_str())) << command;
    std::vector<std::string> lines;
    std::ifstream in(report);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::remove(report.c_str());
    return lines;
}

class SharedTableProcess : public FakePortTest {};

TEST_F(SharedTableProcess, SecondProcessSeesTheSameTable) {
    const std::string a = DevicePathFor(0x04B4, 0x33B0, 1);
    const std::string other = DevicePathFor(0x04B4, 0x3020, 2);
    const std::string b = DevicePathFor(0x04B4, 0x33B0, 3);
    port_.AddDevice(a);
    port_.AddDevice(other);
    port_.AddDevice(b);
    {
        CNodrixCy3 transport{port_};
        ASSERT_EQ(3, transport.Enumerate());
        const std::vector<std::string> seen = RunChild();
        ASSERT_EQ(4u, seen.size());
        EXPECT_EQ("3", seen[0]);
        EXPECT_EQ("0 33b0 0 " + a, seen[1]);
        EXPECT_EQ("1 3020 0 " + other, seen[2]);
        EXPECT_EQ("2 33b0 1 " + b, seen[3]);
    }
    // Nobody holds the table any more: the next user starts empty.
    const std::vector<std::string> after = RunChild();
    ASSERT_FALSE(after.empty());
    EXPECT_EQ("0", after[0]);
}

// With NODRIX_EMULATION set the cameras come from the emulated driver the
// environment selects, as for an application.
TEST(SharedTableProcessEmulated, SecondProcessSeesTheSameCameras) {
    const char* emulation = std::getenv("NODRIX_EMULATION");
    if (emulation == nullptr || *emulation == '\0') GTEST_SKIP() << "NODRIX_EMULATION is not set";
    transport::SetSharedTableName(PrivateTableName().c_str());
    {
        CNodrixCy3 transport{EnvironmentPort()};
        ASSERT_EQ(2, transport.Enumerate());
        transport::DeviceEntry first;
        transport::DeviceEntry second;
        ASSERT_TRUE(transport.GetEntry(0, &first));
        ASSERT_TRUE(transport.GetEntry(1, &second));
        const std::vector<std::string> seen = RunChild();
        ASSERT_EQ(3u, seen.size());
        EXPECT_EQ("2", seen[0]);
        EXPECT_EQ("0 33b0 0 " + std::string(first.path), seen[1]);
        EXPECT_EQ("1 33b0 1 " + std::string(second.path), seen[2]);
    }
    const std::vector<std::string> after = RunChild();
    ASSERT_FALSE(after.empty());
    EXPECT_EQ("0", after[0]);
}

}  // namespace
}  // namespace nodrix::testing
