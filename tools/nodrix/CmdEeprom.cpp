// nodrix eeprom read [ADDRESS|FIRST..LAST] and
// nodrix eeprom write ADDRESS=VALUE... --confirm-write
#include <cstdio>

#include "AddressList.h"
#include "Commands.h"
#include "NodrixSdk.h"

namespace nodrix_tool {
namespace {

constexpr long kLastAddress = 0xFFF;

int Dump(Session& session, const AddressItem& item) {
    const int handle = session.Handle();
    for (long row = item.first & ~0xFL; row <= item.last; row += 16) {
        std::printf("%03lX:", row);
        for (long address = row; address < row + 16; ++address) {
            if (address < item.first || address > item.last) {
                std::printf("   ");
                continue;
            }
            int ok = 0;
            const int value = Nodrix_ReadSromID(handle, static_cast<int>(address), &ok);
            if (!ok) {
                std::printf("\n");
                std::fprintf(stderr, "nodrix: reading the EEPROM at 0x%03lX failed\n", address);
                return kExitFailed;
            }
            std::printf(" %02X", value & 0xFF);
        }
        std::printf("\n");
    }
    return kExitOk;
}

}  // namespace

int Eeprom(Session& session, const Options& options) {
    const std::vector<std::string>& args = options.args;
    const bool write = !args.empty() && args[0] == "write";
    if (args.empty() || (args[0] != "read" && !write) || (write && args.size() < 2)) {
        std::fprintf(stderr,
                     "nodrix: eeprom needs read [ADDRESS|FIRST..LAST] or "
                     "write ADDRESS=VALUE... --confirm-write\n");
        return kExitUsage;
    }
    if (!write) {
        AddressItem item;
        item.last = 0xFF;
        if (args.size() > 1 && !ParseAddressItem(args[1], kLastAddress, 0xFF, &item)) {
            return kExitUsage;
        }
        if (item.write) {
            std::fprintf(stderr, "nodrix: eeprom read takes addresses; writes are eeprom write\n");
            return kExitUsage;
        }
        return Dump(session, item);
    }
    std::vector<AddressItem> items(args.size() - 1);
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (!ParseAddressItem(args[i], kLastAddress, 0xFF, &items[i - 1]) || !items[i - 1].write) {
            if (!items[i - 1].write)
                std::fprintf(stderr, "nodrix: eeprom write takes ADDRESS=VALUE\n");
            return kExitUsage;
        }
    }
    if (!options.confirmWrite) {
        std::fprintf(stderr,
                     "nodrix: writing the EEPROM changes the camera for good (its serial "
                     "number and calibration live there); add --confirm-write\n");
        return kExitUsage;
    }
    for (const AddressItem& item : items) {
        if (!Nodrix_WriteSromID(session.Handle(), static_cast<int>(item.first),
                                static_cast<int>(item.value))) {
            std::fprintf(stderr, "nodrix: writing the EEPROM at 0x%03lX failed\n", item.first);
            return kExitFailed;
        }
        std::printf("eeprom 0x%03lX <- 0x%02lX\n", item.first, item.value);
    }
    return kExitOk;
}

}  // namespace nodrix_tool
