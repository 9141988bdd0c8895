#pragma once
// The per-user settings store: the registry under HKEY_CURRENT_USER on
// Windows; natively a file in the user's config folder holding the same
// tree of keys with DWORD and BINARY values, replaced atomically on every
// change so that a crash mid-write keeps either the old or the new content.
// Key paths use backslashes, relative to HKEY_CURRENT_USER, e.g.
// "Software\\Velmor\\NodrixT520U3T2Sdk\\Camera_00".

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nodrix::platform {

enum class KeyAccess { Read, AllAccess };

class SettingsKey {
public:
    SettingsKey();
    ~SettingsKey();
    SettingsKey(SettingsKey&&) noexcept;
    SettingsKey& operator=(SettingsKey&&) noexcept;

    // RegOpenKeyExA: fails when the key does not exist.
    bool Open(const std::string& path, KeyAccess access);
    // RegCreateKeyExA with KEY_ALL_ACCESS: opens or creates (with parents).
    bool Create(const std::string& path);
    bool IsOpen() const;
    void Close();

    bool ReadDword(const std::string& name, std::uint32_t* value) const;
    bool WriteDword(const std::string& name, std::uint32_t value);
    // Reads a REG_BINARY value of exactly size bytes.
    bool ReadBinary(const std::string& name, void* data, std::size_t size) const;
    bool WriteBinary(const std::string& name, const void* data, std::size_t size);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// RegDeleteTreeA: removes the key and everything below it.
bool DeleteSettingsTree(const std::string& path);
bool SettingsKeyExists(const std::string& path);

}  // namespace nodrix::platform
