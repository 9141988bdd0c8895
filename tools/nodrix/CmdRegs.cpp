// nodrix regs fpga|sensor ADDRESS|FIRST..LAST|ADDRESS=VALUE...
#include <cstdio>
#include <cstring>

#include "AddressList.h"
#include "Commands.h"
#include "Json.h"
#include "NodrixSdk.h"

namespace nodrix_tool {
namespace {

struct RegisterValue {
    long address;
    long value;
    bool written;
};

bool ReadOne(int handle, bool fpga, long address, long* value) {
    // The FPGA read writes its flag only on failure.
    int ok = 1;
    *value = fpga ? Nodrix_Fpga_ReadRegister(handle, static_cast<int>(address), &ok)
                  : Nodrix_ReadRegisterEx(handle, static_cast<int>(address), &ok);
    return ok != 0;
}

bool WriteOne(int handle, bool fpga, long address, long value) {
    return (fpga ? Nodrix_Fpga_WriteRegister(handle, static_cast<int>(address),
                                             static_cast<int>(value))
                 : Nodrix_WriteRegisterEx(handle, static_cast<int>(address),
                                          static_cast<int>(value))) != 0;
}

}  // namespace

int Regs(Session& session, const Options& options) {
    const std::vector<std::string>& args = options.args;
    if (args.size() < 2 || (args[0] != "fpga" && args[0] != "sensor")) {
        std::fprintf(stderr,
                     "nodrix: regs needs fpga|sensor and ADDRESS, FIRST..LAST or "
                     "ADDRESS=VALUE\n");
        return kExitUsage;
    }
    const bool fpga = args[0] == "fpga";
    std::vector<AddressItem> items(args.size() - 1);
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (!ParseAddressItem(args[i], fpga ? 0xFF : 0xFFFF, 0xFFFF, &items[i - 1])) {
            return kExitUsage;
        }
    }
    const int handle = session.Handle();
    std::vector<RegisterValue> values;
    for (const AddressItem& item : items) {
        if (item.write) {
            if (!WriteOne(handle, fpga, item.first, item.value)) {
                return Fail(session, "writing the register");
            }
            values.push_back({item.first, item.value, true});
            continue;
        }
        for (long address = item.first; address <= item.last; ++address) {
            long value = 0;
            if (!ReadOne(handle, fpga, address, &value))
                return Fail(session, "reading the register");
            values.push_back({address, value, false});
        }
    }
    if (options.json) {
        JsonWriter json;
        json.BeginObject().String("kind", args[0]).BeginArray("registers");
        for (const RegisterValue& v : values) {
            json.BeginObject()
                .Number("address", static_cast<double>(v.address))
                .Number("value", static_cast<double>(v.value))
                .Bool("written", v.written)
                .EndObject();
        }
        json.EndArray().EndObject().Print();
        return kExitOk;
    }
    for (const RegisterValue& v : values) {
        std::printf("%s 0x%04lX (%4ld) %s 0x%04lX (%ld)\n", args[0].c_str(), v.address, v.address,
                    v.written ? "<-" : "=", v.value, v.value);
    }
    return kExitOk;
}

}  // namespace nodrix_tool
