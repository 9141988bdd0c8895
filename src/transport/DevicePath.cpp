#include "transport/DevicePath.h"

namespace nodrix::transport {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::uint16_t HexFieldAt(const char* path, int position) {
    for (int i = 0; i < position; ++i) {
        if (path[i] == '\0') return 0;
    }
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) {
        const int digit = HexDigit(path[position + i]);
        if (digit < 0) break;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<std::uint16_t>(value);
}

}  // namespace nodrix::transport
