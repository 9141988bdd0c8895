#pragma once
// The table of known cameras: 32 entries, kept once per process and
// mirrored in the named shared memory block that every process loading the
// library joins, so that all of them see the same devices in the same
// places with the same instance numbers.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/RecursiveLock.h"

namespace nodrix::transport {

inline constexpr int kMaxDevices = 32;
// More transport objects than any machine runs at once: a larger user count
// in the shared block was written by something else and is not believed.
inline constexpr std::int32_t kMaxSharedUsers = 0x10000;
inline constexpr std::size_t kDevicePathSize = 260;
inline constexpr std::size_t kDeviceEntrySize = 268;

// Shared memory layout: user count, the 32 entries, device count.
inline constexpr const char* kSharedTableName = "U3T2-MemMap";
inline constexpr std::size_t kSharedUserCountOffset = 0;
inline constexpr std::size_t kSharedEntriesOffset = 4;
inline constexpr std::size_t kSharedDeviceCountOffset =
    kSharedEntriesOffset + kMaxDevices * kDeviceEntrySize;                     // 8580
inline constexpr std::size_t kSharedTableSize = kSharedDeviceCountOffset + 4;  // 8584

struct DeviceEntry {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;  // 0: empty
    // Devices of the same vendor and product already registered when this
    // one was added; -1 in an empty entry.
    std::int32_t instance = -1;
    char path[kDevicePathSize] = {};  // always NUL-terminated
};
static_assert(sizeof(DeviceEntry) == kDeviceEntrySize, "DeviceEntry must stay 268 bytes");

struct DeviceTable {
    DeviceEntry entries[kMaxDevices];
    std::int32_t deviceCount = 0;  // 0..32
    std::int32_t userCount = 0;    // transport objects alive in all processes

    // Every entry empty, no devices (the user count is kept).
    void Clear();
};

// The process's copy, shared by all transport objects of the process, and
// the lock that every reader and writer of it holds.
DeviceTable& ProcessDeviceTable();
platform::RecursiveLock& ProcessDeviceTableLock();

// Reads the shared block (kSharedTableSize bytes) into table. Another
// process may have written anything there: a device count outside 0..32 is
// clamped, a path without terminator is cut at its last byte, an instance
// number outside -1..31 becomes -1 (the entry can no longer be found) and a
// user count below zero counts as zero. Returns false when it found damage.
bool LoadSharedTable(const std::uint8_t* shared, DeviceTable* table);
// Writes user count, entries and device count into the shared block.
void StoreSharedTable(const DeviceTable& table, std::uint8_t* shared);

// The name of the shared block and of the mutex guarding it. Test programs
// running beside other users of the library may pick a private name before
// creating any transport object; nullptr restores the default.
void SetSharedTableName(const char* name);
std::string SharedTableName();
std::string SharedTableMutexName();

}  // namespace nodrix::transport
