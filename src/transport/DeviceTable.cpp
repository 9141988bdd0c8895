#include "transport/DeviceTable.h"

#include <cstring>

#include "transport/LittleEndian.h"

namespace nodrix::transport {
namespace {

constexpr std::size_t kEntryVendorOffset = 0;
constexpr std::size_t kEntryProductOffset = 2;
constexpr std::size_t kEntryInstanceOffset = 4;
constexpr std::size_t kEntryPathOffset = 8;

std::string& NameOverride() {
    static std::string name;
    return name;
}

// Instance numbers count earlier devices of one product in a 32-entry table.
bool PlausibleInstance(std::int32_t instance) {
    return instance >= -1 && instance < kMaxDevices;
}

}  // namespace

void DeviceTable::Clear() {
    for (DeviceEntry& entry : entries) {
        entry.vendorId = 0;
        entry.productId = 0;
        entry.instance = -1;
        std::memset(entry.path, 0, sizeof(entry.path));
    }
    deviceCount = 0;
}

DeviceTable& ProcessDeviceTable() {
    // Never destroyed: transport objects may outlive static destruction order.
    static DeviceTable* table = new DeviceTable();
    return *table;
}

platform::RecursiveLock& ProcessDeviceTableLock() {
    static platform::RecursiveLock* lock = new platform::RecursiveLock();
    return *lock;
}

bool LoadSharedTable(const std::uint8_t* shared, DeviceTable* table) {
    bool intact = true;
    std::int32_t users = static_cast<std::int32_t>(GetLe32(shared + kSharedUserCountOffset));
    if (users < 0 || users > kMaxSharedUsers) {
        users = 0;
        intact = false;
    }
    table->userCount = users;

    for (int i = 0; i < kMaxDevices; ++i) {
        const std::uint8_t* at = shared + kSharedEntriesOffset + i * kDeviceEntrySize;
        DeviceEntry& entry = table->entries[i];
        entry.vendorId = GetLe16(at + kEntryVendorOffset);
        entry.productId = GetLe16(at + kEntryProductOffset);
        entry.instance = static_cast<std::int32_t>(GetLe32(at + kEntryInstanceOffset));
        if (!PlausibleInstance(entry.instance)) {
            entry.instance = -1;
            intact = false;
        }
        std::memcpy(entry.path, at + kEntryPathOffset, kDevicePathSize);
        if (std::memchr(entry.path, 0, kDevicePathSize) == nullptr) intact = false;
        entry.path[kDevicePathSize - 1] = '\0';
    }

    std::int32_t count = static_cast<std::int32_t>(GetLe32(shared + kSharedDeviceCountOffset));
    if (count < 0 || count > kMaxDevices) {
        count = count < 0 ? 0 : kMaxDevices;
        intact = false;
    }
    table->deviceCount = count;
    return intact;
}

void StoreSharedTable(const DeviceTable& table, std::uint8_t* shared) {
    PutLe32(shared + kSharedUserCountOffset, static_cast<std::uint32_t>(table.userCount));
    for (int i = 0; i < kMaxDevices; ++i) {
        std::uint8_t* at = shared + kSharedEntriesOffset + i * kDeviceEntrySize;
        const DeviceEntry& entry = table.entries[i];
        PutLe16(at + kEntryVendorOffset, entry.vendorId);
        PutLe16(at + kEntryProductOffset, entry.productId);
        PutLe32(at + kEntryInstanceOffset, static_cast<std::uint32_t>(entry.instance));
        std::memcpy(at + kEntryPathOffset, entry.path, kDevicePathSize);
    }
    PutLe32(shared + kSharedDeviceCountOffset, static_cast<std::uint32_t>(table.deviceCount));
}

void SetSharedTableName(const char* name) {
    NameOverride() = name != nullptr ? name : "";
}

std::string SharedTableName() {
    return NameOverride().empty() ? std::string(kSharedTableName) : NameOverride();
}

std::string SharedTableMutexName() {
    return SharedTableName() + "-Lock";
}

}  // namespace nodrix::transport
