#include "settings/SettingsValues.h"

#include <cstring>

namespace nodrix::settings {

bool ReadDouble(const platform::SettingsKey& key, const char* name, double* field) {
    std::uint8_t bytes[8];
    if (!key.ReadBinary(name, bytes, sizeof bytes)) return false;
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | bytes[i];
    std::memcpy(field, &bits, sizeof bits);
    return true;
}

bool WriteDouble(platform::SettingsKey& key, const char* name, double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    std::uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    return key.WriteBinary(name, bytes, sizeof bytes);
}

}  // namespace nodrix::settings
