#include "AddressList.h"

#include <cstdio>
#include <cstdlib>

namespace nodrix_tool {
namespace {

bool Number(const std::string& text, long max, long* value) {
    char* end = nullptr;
    *value = std::strtol(text.c_str(), &end, 0);
    return !text.empty() && *end == '\0' && *value >= 0 && *value <= max;
}

}  // namespace

bool ParseAddressItem(const std::string& text, long maxAddress, long maxValue, AddressItem* item) {
    const std::size_t equals = text.find('=');
    const std::size_t dots = text.find("..");
    bool good = false;
    if (equals != std::string::npos) {
        item->write = true;
        good = Number(text.substr(0, equals), maxAddress, &item->first) &&
               Number(text.substr(equals + 1), maxValue, &item->value);
        item->last = item->first;
    } else if (dots != std::string::npos) {
        good = Number(text.substr(0, dots), maxAddress, &item->first) &&
               Number(text.substr(dots + 2), maxAddress, &item->last) && item->first <= item->last;
    } else {
        good = Number(text, maxAddress, &item->first);
        item->last = item->first;
    }
    if (!good) {
        std::fprintf(stderr,
                     "nodrix: '%s' is not ADDRESS, FIRST..LAST or ADDRESS=VALUE "
                     "(addresses 0 to 0x%lX, values 0 to 0x%lX)\n",
                     text.c_str(), maxAddress, maxValue);
    }
    return good;
}

}  // namespace nodrix_tool
