#pragma once
// Register and EEPROM arguments: ADDRESS, FIRST..LAST or ADDRESS=VALUE, in
// decimal or 0x hexadecimal.

#include <string>

namespace nodrix_tool {

struct AddressItem {
    long first = 0;
    long last = 0;  // == first for a single address
    bool write = false;
    long value = 0;
};

// false (after saying why on stderr) when the text is none of the forms or
// an address or value lies outside 0..maxAddress / 0..maxValue.
bool ParseAddressItem(const std::string& text, long maxAddress, long maxValue, AddressItem* item);

}  // namespace nodrix_tool
