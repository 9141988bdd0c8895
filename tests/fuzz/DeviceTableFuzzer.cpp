// The shared device table can be written by any process: whatever its
// bytes, loading repairs it into a table that stores and loads back intact.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "transport/DeviceTable.h"

using namespace nodrix::transport;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> shared(kSharedTableSize, 0);
    std::memcpy(shared.data(), data, size < shared.size() ? size : shared.size());
    DeviceTable table;
    LoadSharedTable(shared.data(), &table);
    if (table.userCount < 0 || table.userCount > kMaxSharedUsers) std::abort();
    if (table.deviceCount < 0 || table.deviceCount > kMaxDevices) std::abort();
    // Joining as one more user must not overflow.
    if (table.userCount < kMaxSharedUsers) ++table.userCount;
    std::vector<std::uint8_t> stored(kSharedTableSize, 0);
    StoreSharedTable(table, stored.data());
    DeviceTable again;
    if (!LoadSharedTable(stored.data(), &again)) std::abort();
    return 0;
}
