// Discovery, numbering and the process-wide device table, against the
// scripted driver.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/SharedMemory.h"
#include "transport/CNodrixCy3.h"
#include "transport/LittleEndian.h"
#include "transport/TransportTestSupport.h"

namespace nodrix::testing {
namespace {

constexpr std::uint16_t kVendor = 0x04B4;
constexpr std::uint16_t kCamera = 0x33B0;
constexpr std::uint16_t kOther = 0x3020;

using Discovery = FakePortTest;

TEST_F(Discovery, NumbersCamerasOfOneProductInScanOrder) {
    const std::string first = DevicePathFor(kVendor, kCamera, 1);
    const std::string other = DevicePathFor(kVendor, kOther, 2);
    const std::string second = DevicePathFor(kVendor, kCamera, 3);
    port_.AddDevice(first);
    port_.AddDevice(other);
    port_.AddDevice(second);

    CNodrixCy3 transport{port_};
    ASSERT_EQ(3, transport.Enumerate());
    EXPECT_EQ(0, transport.FindDevice(kCamera, 0));
    EXPECT_EQ(1, transport.FindDevice(kOther, 0));
    EXPECT_EQ(2, transport.FindDevice(kCamera, 1));
    EXPECT_EQ(-1, transport.FindDevice(kCamera, 2));
    transport::DeviceEntry entry;
    ASSERT_TRUE(transport.GetEntry(2, &entry));
    EXPECT_EQ(kVendor, entry.vendorId);
    EXPECT_EQ(1, entry.instance);
    EXPECT_EQ(second, entry.path);

    // Scanning again adds nothing.
    EXPECT_EQ(3, transport.Enumerate());

    // The first camera goes away: it keeps its place and number, and so does the second.
    port_.SetPresent(first, false);
    EXPECT_EQ(3, transport.Enumerate());
    EXPECT_EQ(0, transport.FindDevice(kCamera, 0));
    EXPECT_EQ(2, transport.FindDevice(kCamera, 1));
    EXPECT_FALSE(transport.IsDevicePresent(0));
    EXPECT_TRUE(transport.IsDevicePresent(2));
    EXPECT_EQ(0, transport.SelectDevice(0));
    EXPECT_EQ(1, transport.SelectDevice(2));
    EXPECT_EQ(2, transport.SelectedIndex());
    EXPECT_EQ(0, port_.OpenHandles());
}

TEST_F(Discovery, FullTableRefusesTheThirtyThirdDevice) {
    CNodrixCy3 transport{port_};
    for (int i = 0; i < 32; ++i) port_.AddDevice(DevicePathFor(kVendor, kCamera, i));
    ASSERT_EQ(32, transport.Enumerate());
    // One scan looks at 32 interfaces; the 33rd arrives when another has gone.
    port_.SetPresent(DevicePathFor(kVendor, kCamera, 0), false);
    port_.AddDevice(DevicePathFor(kVendor, kCamera, 32));
    EXPECT_EQ(32, transport.Enumerate());
    EXPECT_EQ(-1, transport.FindDevice(kCamera, 32));
    EXPECT_EQ(31, transport.FindDevice(kCamera, 31));
    EXPECT_EQ(platform::kInvalidDriverHandle, transport.OpenDevice(32, false));
    EXPECT_EQ(platform::kInvalidDriverHandle, transport.OpenDevice(-1, false));
}

TEST_F(Discovery, SkipsDevicesThatDoNotFitOrDoNotOpen) {
    const std::string huge = DevicePathFor(kVendor, kCamera, 1);
    const std::string longPath = DevicePathFor(kVendor, kCamera, 2) + std::string(220, 'x');
    const std::string good = DevicePathFor(kVendor, kCamera, 3);
    port_.AddDevice(huge);
    port_.SetDetailSize(huge, 1001);
    port_.AddDevice(longPath);
    port_.AddDevice(good);
    ASSERT_GE(longPath.size(), 260u);

    CNodrixCy3 transport{port_};
    EXPECT_EQ(1, transport.Enumerate());
    EXPECT_EQ(0, transport.FindDevice(kCamera, 0));
    transport::DeviceEntry entry;
    ASSERT_TRUE(transport.GetEntry(0, &entry));
    EXPECT_EQ(good, entry.path);
}

TEST_F(Discovery, ModelNamesOnlyForOtherModels) {
    port_.AddDevice(DevicePathFor(kVendor, kOther, 1));
    port_.AddDevice(DevicePathFor(kVendor, kCamera, 2));
    CNodrixCy3 transport{port_};
    ASSERT_EQ(2, transport.Enumerate());
    char name[32];
    ASSERT_TRUE(transport.GetDeviceName(0, name, sizeof(name)));
    EXPECT_STREQ("Nodrix-3020_00", name);
    EXPECT_FALSE(transport.GetDeviceName(0, name, 5));  // does not fit
    EXPECT_FALSE(transport.GetDeviceName(1, name, sizeof(name)));
    EXPECT_FALSE(transport.GetDeviceName(2, name, sizeof(name)));
}

TEST_F(Discovery, ObjectsOfAProcessShareTheTableUntilTheLastLeaves) {
    port_.AddDevice(DevicePathFor(kVendor, kCamera, 1));
    auto first = std::make_unique<CNodrixCy3>(port_);
    ASSERT_TRUE(first->HasSharedTable());
    ASSERT_EQ(1, first->Enumerate());
    {
        CNodrixCy3 second{port_};  // joins without scanning
        EXPECT_EQ(1, second.DeviceCount());
        EXPECT_EQ(0, second.FindDevice(kCamera, 0));
    }
    EXPECT_EQ(1, first->DeviceCount());
    first.reset();
    CNodrixCy3 fresh{port_};
    EXPECT_EQ(0, fresh.DeviceCount());
    EXPECT_EQ(-1, fresh.FindDevice(kCamera, 0));
}

TEST_F(Discovery, SharedBlockCarriesUsersEntriesAndCount) {
    port_.AddDevice(DevicePathFor(kVendor, kCamera, 1));
    CNodrixCy3 a{port_};
    CNodrixCy3 b{port_};
    ASSERT_EQ(1, a.Enumerate());
    platform::SharedMemory view;
    bool existed = false;
    ASSERT_TRUE(
        view.OpenOrCreate(transport::SharedTableName(), transport::kSharedTableSize, &existed));
    EXPECT_TRUE(existed);
    const std::uint8_t* data = view.Data();
    EXPECT_EQ(2u, transport::GetLe32(data));
    EXPECT_EQ(1u, transport::GetLe32(data + 8580));
    EXPECT_EQ(kCamera, transport::GetLe16(data + 4 + 2));
    EXPECT_EQ(0u, transport::GetLe32(data + 4 + 4));
    EXPECT_EQ(DevicePathFor(kVendor, kCamera, 1), reinterpret_cast<const char*>(data + 4 + 8));
}

TEST_F(Discovery, DamagedSharedTableIsNeitherTrustedNorReadPast) {
    platform::SharedMemory view;
    bool existed = false;
    ASSERT_TRUE(
        view.OpenOrCreate(transport::SharedTableName(), transport::kSharedTableSize, &existed));
    std::uint8_t* data = view.Data();
    std::memset(data, 'Z', transport::kSharedTableSize);  // paths without terminator
    transport::PutLe32(data, 3);                          // users still there
    transport::PutLe32(data + 8580, 1000);                // count past the table
    transport::PutLe32(data + 4 + 31 * 268 + 4, static_cast<std::uint32_t>(-77));

    port_.AddDevice(DevicePathFor(kVendor, kCamera, 1));
    {
        CNodrixCy3 transport{port_};
        EXPECT_EQ(32, transport.DeviceCount());
        EXPECT_EQ(-1, transport.FindDevice(kCamera, 0));
        EXPECT_EQ(32, transport.Enumerate());  // full: nothing added, nothing overrun
        EXPECT_FALSE(transport.IsDevicePresent(31));
        char name[32];
        EXPECT_FALSE(transport.GetDeviceName(31, name, sizeof(name)));
        // What went back to the shared block is repaired.
        EXPECT_EQ(32u, transport::GetLe32(data + 8580));
        EXPECT_EQ(0, data[4 + 268 + 8 + 259]);
        EXPECT_EQ(4u, transport::GetLe32(data));
    }
    EXPECT_EQ(3u, transport::GetLe32(data));

    // A negative user count counts as nobody: the next user starts afresh.
    transport::PutLe32(data, static_cast<std::uint32_t>(-5));
    CNodrixCy3 transport{port_};
    EXPECT_EQ(0, transport.DeviceCount());
    EXPECT_EQ(1, transport.Enumerate());
    EXPECT_EQ(1u, transport::GetLe32(data));
    transport::PutLe32(data, 1);  // leave as the only user
}

TEST_F(Discovery, EntryBeyondTheCountIsOverwritten) {
    // Another process left an entry past its device count: the next device
    // takes that place all the same.
    platform::SharedMemory view;
    bool existed = false;
    ASSERT_TRUE(
        view.OpenOrCreate(transport::SharedTableName(), transport::kSharedTableSize, &existed));
    {
        transport::DeviceTable table;
        table.Clear();
        table.userCount = 1;
        table.deviceCount = 0;
        table.entries[0].vendorId = kVendor;
        table.entries[0].productId = kOther;
        table.entries[0].instance = 0;
        std::strcpy(table.entries[0].path, "stale");
        transport::StoreSharedTable(table, view.Data());
    }
    port_.AddDevice(DevicePathFor(kVendor, kCamera, 1));
    CNodrixCy3 transport{port_};
    ASSERT_EQ(1, transport.Enumerate());
    transport::DeviceEntry entry;
    ASSERT_TRUE(transport.GetEntry(0, &entry));
    EXPECT_EQ(kCamera, entry.productId);
    EXPECT_EQ(0, entry.instance);
    EXPECT_EQ(DevicePathFor(kVendor, kCamera, 1), entry.path);
    transport::PutLe32(view.Data(), 1);  // leave as the only user
}

TEST_F(Discovery, DefaultSharedTableName) {
    transport::SetSharedTableName(nullptr);
    EXPECT_EQ("U3T2-MemMap", transport::SharedTableName());
    CNodrixCy3 transport{port_};
    EXPECT_TRUE(transport.HasSharedTable());
}

}  // namespace
}  // namespace nodrix::testing
