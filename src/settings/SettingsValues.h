#pragma once
// Reading and writing the 32-bit signed values and the little-endian double
// of a settings key. A value that is missing leaves the field as it was.

#include <cstdint>
#include <string>

#include "platform/SettingsStore.h"

namespace nodrix::settings {

inline bool ReadInt(const platform::SettingsKey& key, const char* name, std::int32_t* field) {
    std::uint32_t raw = 0;
    if (!key.ReadDword(name, &raw)) return false;
    *field = static_cast<std::int32_t>(raw);
    return true;
}

inline bool WriteInt(platform::SettingsKey& key, const char* name, std::int32_t value) {
    return key.WriteDword(name, static_cast<std::uint32_t>(value));
}

// Eight bytes, the IEEE 754 bit pattern least significant byte first.
bool ReadDouble(const platform::SettingsKey& key, const char* name, double* field);
bool WriteDouble(platform::SettingsKey& key, const char* name, double value);

}  // namespace nodrix::settings
