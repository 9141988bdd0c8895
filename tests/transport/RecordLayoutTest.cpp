// The byte layouts the driver and the camera read: transfer record, control
// request, memory command, device paths and the shared device table.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "transport/DevicePath.h"
#include "transport/DeviceTable.h"
#include "transport/LittleEndian.h"
#include "transport/MemoryCommand.h"
#include "transport/TransferRecord.h"

namespace nodrix::transport {
namespace {

TEST(RecordLayout, ControlRequestFieldByField) {
    const std::uint8_t data[4] = {0xDE, 0xAD, 0xBE, 0xEF};
    std::uint8_t out[kControlRequestSize];
    std::memset(out, 0xCC, sizeof(out));
    ASSERT_TRUE(BuildControlRequest({0x40, 0xD0, 0x0001, 0x1234}, data, 4, out));
    const std::uint8_t expectedRecord[38] = {
        0x40, 0xD0, 0x01, 0x00, 0x34, 0x12, 102, 0,   // type, request, value, index, length
        3,    0,    0,    0,                          // time-out seconds
        0,    0,                                      // reserved, endpoint
        0,    0,    0,    0,    0,    0,    0,   0,   // driver and USB status
        0,    0,    0,    0,    0,    0,    0,   0,   // packet offset and length
        38,   0,    0,    0,    64,   0,    0,   0};  // data offset and length
    EXPECT_EQ(0, std::memcmp(out, expectedRecord, 38));
    EXPECT_EQ(0, std::memcmp(out + 38, data, 4));
    for (std::size_t i = 42; i < kControlRequestSize; ++i) EXPECT_EQ(0, out[i]) << i;

    std::uint8_t tooMuch[65] = {};
    EXPECT_FALSE(BuildControlRequest({0x40, 0x30, 65, 0x40}, tooMuch, 65, out));
}

TEST(RecordLayout, RecordsOfQueuedAndDirectTransfers) {
    std::uint8_t out[kTransferRecordSize];
    WriteTransferRecord(QueuedTransferRecord(0x81), out);
    for (std::size_t i = 0; i < kTransferRecordSize; ++i)
        EXPECT_EQ(i == 13 ? 0x81 : 0, out[i]) << i;

    WriteTransferRecord(DirectTransferRecord(0x83, 0x01020304), out);
    EXPECT_EQ(0x83, out[13]);
    EXPECT_EQ(38u, GetLe32(out + 30));
    EXPECT_EQ(0x01020304u, GetLe32(out + 34));

    PutLe32(out + 14, 0xC0000001);
    PutLe32(out + 18, 7);
    const TransferRecord back = ReadTransferRecord(out);
    EXPECT_EQ(0xC0000001u, back.driverStatus);
    EXPECT_EQ(7u, back.usbStatus);
}

TEST(RecordLayout, ControlAnswerCountsTheRecord) {
    EXPECT_EQ(64u, ControlDataBytes(102));
    EXPECT_EQ(0u, ControlDataBytes(38));
    EXPECT_EQ(10u, ControlDataBytes(10));
}

TEST(RecordLayout, MemoryCommand) {
    std::uint8_t out[kMemoryCommandSize];
    BuildMemoryCommand(MemoryDirection::Write, 0x0000000123456000ull, 0x1000, out);
    const std::uint8_t expected[32] = {'A',  'U',  '3',  'W', 2, 0, 0,    0,    0x00, 0x60,
                                       0x45, 0x23, 0x01, 0,   0, 0, 0x00, 0x10, 0,    0};
    EXPECT_EQ(0, std::memcmp(out, expected, 32));
    BuildMemoryCommand(MemoryDirection::Read, 0, 1, out);
    EXPECT_EQ('R', out[3]);
}

TEST(RecordLayout, IdentifiersFromDevicePaths) {
    const char* path = "\\\\?\\usb#vid_04b4&pid_33B0#5&1a2b3c#{guid}";
    EXPECT_EQ(0x04B4, HexFieldAt(path, kPathVendorPosition));
    EXPECT_EQ(0x33B0, HexFieldAt(path, kPathProductPosition));
    // A short path is not read past its end.
    EXPECT_EQ(0, HexFieldAt("\\\\?\\usb#", kPathProductPosition));
    EXPECT_EQ(0xAB, HexFieldAt("\\\\?\\usb#vid_ab", kPathVendorPosition));
}

TEST(SharedTableLayout, FieldsAtTheirOffsets) {
    DeviceTable table;
    table.Clear();
    table.userCount = 2;
    table.deviceCount = 2;
    table.entries[1].vendorId = 0x04B4;
    table.entries[1].productId = 0x33B0;
    table.entries[1].instance = 1;
    std::strcpy(table.entries[1].path, "path-one");
    std::vector<std::uint8_t> shared(kSharedTableSize, 0xEE);
    StoreSharedTable(table, shared.data());

    EXPECT_EQ(8584u, kSharedTableSize);
    EXPECT_EQ(2u, GetLe32(shared.data()));
    EXPECT_EQ(2u, GetLe32(shared.data() + 8580));
    const std::uint8_t* entry1 = shared.data() + 4 + 268;
    EXPECT_EQ(0x04B4, GetLe16(entry1));
    EXPECT_EQ(0x33B0, GetLe16(entry1 + 2));
    EXPECT_EQ(1u, GetLe32(entry1 + 4));
    EXPECT_STREQ("path-one", reinterpret_cast<const char*>(entry1 + 8));
    EXPECT_EQ(0xFFFFFFFFu, GetLe32(shared.data() + 4 + 4));  // empty entry: instance -1

    DeviceTable back;
    EXPECT_TRUE(LoadSharedTable(shared.data(), &back));
    EXPECT_EQ(2, back.deviceCount);
    EXPECT_EQ(1, back.entries[1].instance);
    EXPECT_STREQ("path-one", back.entries[1].path);
}

TEST(SharedTableLayout, DamageIsRepairedNotReadPast) {
    std::vector<std::uint8_t> shared(kSharedTableSize, 'X');  // no terminator anywhere
    PutLe32(shared.data(), static_cast<std::uint32_t>(-4));
    PutLe32(shared.data() + 8580, 1000);
    PutLe32(shared.data() + 4 + 4, 0x7FFFFFFF);
    DeviceTable table;
    EXPECT_FALSE(LoadSharedTable(shared.data(), &table));
    EXPECT_EQ(0, table.userCount);
    EXPECT_EQ(32, table.deviceCount);
    for (const DeviceEntry& entry : table.entries) {
        EXPECT_EQ(kDevicePathSize - 1, std::strlen(entry.path));
        EXPECT_EQ(-1, entry.instance);  // 0x58585858 is no instance number either
    }
    PutLe32(shared.data() + 8580, static_cast<std::uint32_t>(-1));
    LoadSharedTable(shared.data(), &table);
    EXPECT_EQ(0, table.deviceCount);
}

TEST(SharedTableLayout, ImplausibleUserCountsAreNotBelieved) {
    for (const std::uint32_t users : {0x7FFFFFFFu, 0x10001u, 0x80000000u}) {
        std::vector<std::uint8_t> shared(kSharedTableSize, 0);
        PutLe32(shared.data(), users);
        DeviceTable table;
        EXPECT_FALSE(LoadSharedTable(shared.data(), &table)) << users;
        EXPECT_EQ(0, table.userCount) << users;
    }
}

}  // namespace
}  // namespace nodrix::transport
