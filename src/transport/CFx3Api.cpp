#include "transport/CFx3Api.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/DebugOutput.h"
#include "transport/DevicePath.h"
#include "transport/InterfaceClass.h"
#include "transport/LittleEndian.h"

namespace nodrix {

using transport::DeviceEntry;
using transport::DeviceTable;
using transport::kMaxDevices;

namespace {

// The interface detail record: a 32-bit size field (5, as the 32-bit setup
// library expects it) and the NUL-terminated path.
constexpr std::uint32_t kDetailBufferSize = 1000;
constexpr std::uint32_t kDetailSizeField = 5;
constexpr std::size_t kDetailPathOffset = 4;

// "Should never get here", in the code page the debugger output expects.
constexpr char kOverwriteDiagnostic[] =
    "\x82\xb1\x82\xb1\x82\xc9\x82\xcd\x93\xfc\x82\xc1\x82\xc4\x82\xb1\x82\xc8\x82\xa2"
    "\x82\xcd\x82\xb8\r\n";

// Other camera models that carry a name of their own.
constexpr std::uint16_t kNamedProducts[] = {0x3020, 0x3030, 0x3040, 0x3042, 0x3050, 0x3090, 0x30B0,
                                            0x30C0, 0x30F0, 0x3100, 0x3110, 0x3120, 0x3130, 0x3140};

// Holds the process's table and, when it exists, the mutex that guards the
// shared block against other processes, for one read-modify-write.
class TableGuard {
public:
    TableGuard(platform::NamedMutex* shared)
        : process_(transport::ProcessDeviceTableLock()), shared_(shared) {
        if (shared_ != nullptr) shared_->lock();
    }
    ~TableGuard() {
        if (shared_ != nullptr) shared_->unlock();
    }
    TableGuard(const TableGuard&) = delete;
    TableGuard& operator=(const TableGuard&) = delete;

private:
    platform::LockGuard process_;
    platform::NamedMutex* shared_;
};

}  // namespace

CFx3Api::CFx3Api(platform::DriverPort& port, const platform::Guid* interfaceClass)
    : port_(&port),
      interfaceClass_(interfaceClass != nullptr ? *interfaceClass
                                                : transport::kCameraInterfaceClass) {
    JoinSharedTable();
}

CFx3Api::~CFx3Api() {
    LeaveSharedTable();
}

void CFx3Api::JoinSharedTable() {
    hasSharedLock_ = sharedLock_.Open(transport::SharedTableMutexName());
    TableGuard guard(hasSharedLock_ ? &sharedLock_ : nullptr);
    DeviceTable& table = transport::ProcessDeviceTable();

    bool existed = false;
    hasShared_ =
        shared_.OpenOrCreate(transport::SharedTableName(), transport::kSharedTableSize, &existed) &&
        shared_.Data() != nullptr && shared_.Size() >= transport::kSharedTableSize;
    if (hasShared_) {
        // A block made just now is all zero, which reads as "no users".
        transport::LoadSharedTable(shared_.Data(), &table);
    }
    if (table.userCount == 0) table.Clear();
    if (table.userCount < transport::kMaxSharedUsers) ++table.userCount;
    if (hasShared_) transport::StoreSharedTable(table, shared_.Data());
}

void CFx3Api::LeaveSharedTable() {
    {
        TableGuard guard(hasSharedLock_ ? &sharedLock_ : nullptr);
        DeviceTable& table = transport::ProcessDeviceTable();
        // Other processes may have added devices since this one last looked.
        if (hasShared_) transport::LoadSharedTable(shared_.Data(), &table);
        if (table.userCount > 0) --table.userCount;
        if (hasShared_) transport::StoreSharedTable(table, shared_.Data());
    }
    shared_.Close();
    hasShared_ = false;
}

int CFx3Api::Enumerate() {
    platform::DriverPort& port = Port();
    const platform::DeviceInfoSet set = port.GetClassDevices(interfaceClass_);
    if (set == platform::kInvalidDeviceInfoSet) return 0;

    std::vector<std::uint8_t> detail(kDetailBufferSize);
    TableGuard guard(hasSharedLock_ ? &sharedLock_ : nullptr);
    DeviceTable& table = transport::ProcessDeviceTable();
    if (hasShared_) transport::LoadSharedTable(shared_.Data(), &table);

    for (std::uint32_t member = 0; member < static_cast<std::uint32_t>(kMaxDevices); ++member) {
        if (!port.EnumDeviceInterface(set, interfaceClass_, member)) continue;
        std::uint32_t required = 0;
        port.GetDeviceInterfaceDetail(set, interfaceClass_, member, nullptr, 0, &required);
        // A record that does not fit the buffer cannot hold a usable path.
        if (required == 0 || required > kDetailBufferSize) continue;
        std::memset(detail.data(), 0, detail.size());
        transport::PutLe32(detail.data(), kDetailSizeField);
        if (!port.GetDeviceInterfaceDetail(set, interfaceClass_, member, detail.data(),
                                           kDetailBufferSize, &required)) {
            continue;
        }
        const char* path = reinterpret_cast<const char*>(detail.data() + kDetailPathOffset);
        const std::size_t room = kDetailBufferSize - kDetailPathOffset;
        const void* end = std::memchr(path, 0, room);
        if (end == nullptr) continue;
        const std::size_t length = static_cast<const char*>(end) - path;
        if (length == 0 || length >= transport::kDevicePathSize) continue;

        const platform::DriverHandle probe = port.Open(path, true);
        if (probe == platform::kInvalidDriverHandle) continue;
        port.Close(probe);

        RegisterDevice(path);
    }

    port.DestroyDeviceInfoList(set);
    if (hasShared_) transport::StoreSharedTable(table, shared_.Data());
    return table.deviceCount;
}

void CFx3Api::RegisterDevice(const char* path) {
    DeviceTable& table = transport::ProcessDeviceTable();
    const std::uint16_t vendorId = transport::HexFieldAt(path, transport::kPathVendorPosition);
    const std::uint16_t productId = transport::HexFieldAt(path, transport::kPathProductPosition);

    int sameProduct = 0;
    for (const DeviceEntry& entry : table.entries) {
        if (entry.vendorId != vendorId || entry.productId != productId) continue;
        if (std::strcmp(entry.path, path) == 0) return;  // known already
        ++sameProduct;
    }
    if (table.deviceCount >= kMaxDevices) return;

    DeviceEntry& slot = table.entries[table.deviceCount];
    if (slot.productId != 0) platform::DebugOutput(kOverwriteDiagnostic);
    slot.vendorId = vendorId;
    slot.productId = productId;
    slot.instance = sameProduct;
    std::memset(slot.path, 0, sizeof(slot.path));
    std::memcpy(slot.path, path, std::strlen(path));
    ++table.deviceCount;
}

int CFx3Api::FindDevice(std::uint16_t productId, int instance) const {
    platform::LockGuard guard(transport::ProcessDeviceTableLock());
    const DeviceTable& table = transport::ProcessDeviceTable();
    for (int i = 0; i < kMaxDevices; ++i) {
        if (table.entries[i].productId == productId && table.entries[i].instance == instance) {
            return i;
        }
    }
    return -1;
}

platform::DriverHandle CFx3Api::OpenDevice(int tableIndex, bool overlapped) const {
    char path[transport::kDevicePathSize];
    {
        platform::LockGuard guard(transport::ProcessDeviceTableLock());
        const DeviceTable& table = transport::ProcessDeviceTable();
        if (tableIndex < 0 || tableIndex >= kMaxDevices || tableIndex >= table.deviceCount) {
            return platform::kInvalidDriverHandle;
        }
        std::memcpy(path, table.entries[tableIndex].path, sizeof(path));
    }
    path[sizeof(path) - 1] = '\0';
    return Port().Open(path, overlapped);
}

bool CFx3Api::IsDevicePresent(int tableIndex) const {
    const platform::DriverHandle handle = OpenDevice(tableIndex, false);
    if (handle == platform::kInvalidDriverHandle) return false;
    Port().Close(handle);
    return true;
}

bool CFx3Api::GetDeviceName(int tableIndex, char* text, std::size_t textSize) const {
    if (text == nullptr || textSize == 0 || !IsDevicePresent(tableIndex)) return false;
    DeviceEntry entry;
    if (!GetEntry(tableIndex, &entry)) return false;
    for (std::uint16_t named : kNamedProducts) {
        if (named != entry.productId) continue;
        char name[32];
        const int length = std::snprintf(name, sizeof(name), "Nodrix-%04X_%02d",
                                         static_cast<unsigned>(named), entry.instance);
        if (length < 0 || static_cast<std::size_t>(length) >= textSize) return false;
        std::memcpy(text, name, static_cast<std::size_t>(length) + 1);
        return true;
    }
    return false;
}

int CFx3Api::DeviceCount() const {
    platform::LockGuard guard(transport::ProcessDeviceTableLock());
    return transport::ProcessDeviceTable().deviceCount;
}

bool CFx3Api::GetEntry(int tableIndex, DeviceEntry* entry) const {
    if (entry == nullptr || tableIndex < 0 || tableIndex >= kMaxDevices) return false;
    platform::LockGuard guard(transport::ProcessDeviceTableLock());
    *entry = transport::ProcessDeviceTable().entries[tableIndex];
    return true;
}

bool CFx3Api::HasSharedTable() const {
    return hasShared_;
}

}  // namespace nodrix
