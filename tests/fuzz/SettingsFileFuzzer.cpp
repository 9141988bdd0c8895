// The native settings file may be edited by hand or damaged: any text
// parses, and what is kept of it survives being written and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/posix/SettingsFile.h"

using nodrix::platform::detail::SettingsTree;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string once = SettingsTree::Parse(text).Serialise();
    if (SettingsTree::Parse(once).Serialise() != once) std::abort();
    return 0;
}
