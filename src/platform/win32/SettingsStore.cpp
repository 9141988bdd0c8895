#include "platform/SettingsStore.h"

#include <windows.h>

namespace nodrix::platform {

struct SettingsKey::Impl {
    HKEY key = nullptr;
};

SettingsKey::SettingsKey() = default;

SettingsKey::~SettingsKey() { Close(); }

SettingsKey::SettingsKey(SettingsKey&&) noexcept = default;

SettingsKey& SettingsKey::operator=(SettingsKey&& other) noexcept {
    if (this != &other) {
        Close();
        impl_ = std::move(other.impl_);
    }
    return *this;
}

bool SettingsKey::Open(const std::string& path, KeyAccess access) {
    Close();
    HKEY key = nullptr;
    const REGSAM sam = access == KeyAccess::Read ? KEY_READ : KEY_ALL_ACCESS;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, sam, &key) != ERROR_SUCCESS) {
        return false;
    }
    impl_ = std::make_unique<Impl>(Impl{key});
    return true;
}

bool SettingsKey::Create(const std::string& path) {
    Close();
    HKEY key = nullptr;
    char emptyClass[] = "";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, emptyClass, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    impl_ = std::make_unique<Impl>(Impl{key});
    return true;
}

bool SettingsKey::IsOpen() const { return impl_ && impl_->key; }

void SettingsKey::Close() {
    if (impl_ && impl_->key) RegCloseKey(impl_->key);
    impl_.reset();
}

bool SettingsKey::ReadDword(const std::string& name, std::uint32_t* value) const {
    if (!IsOpen() || !value) return false;
    DWORD type = 0;
    DWORD stored = 0;
    DWORD size = sizeof stored;
    if (RegQueryValueExA(impl_->key, name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&stored), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof stored) {
        return false;
    }
    *value = stored;
    return true;
}

bool SettingsKey::WriteDword(const std::string& name, std::uint32_t value) {
    if (!IsOpen()) return false;
    const DWORD stored = value;
    return RegSetValueExA(impl_->key, name.c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&stored), sizeof stored) == ERROR_SUCCESS;
}

bool SettingsKey::ReadBinary(const std::string& name, void* data, std::size_t size) const {
    if (!IsOpen() || (!data && size) || size > MAXDWORD) return false;
    DWORD type = 0;
    DWORD stored = static_cast<DWORD>(size);
    // A longer value fails with ERROR_MORE_DATA; a shorter one is caught
    // by the size check.
    return RegQueryValueExA(impl_->key, name.c_str(), nullptr, &type, static_cast<BYTE*>(data),
                            &stored) == ERROR_SUCCESS &&
           type == REG_BINARY && stored == size;
}

bool SettingsKey::WriteBinary(const std::string& name, const void* data, std::size_t size) {
    if (!IsOpen() || (!data && size) || size > MAXDWORD) return false;
    return RegSetValueExA(impl_->key, name.c_str(), 0, REG_BINARY,
                          static_cast<const BYTE*>(data), static_cast<DWORD>(size)) ==
           ERROR_SUCCESS;
}

bool DeleteSettingsTree(const std::string& path) {
    if (path.empty()) return false;  // never the whole of HKEY_CURRENT_USER
    return RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str()) == ERROR_SUCCESS;
}

bool SettingsKeyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

}  // namespace nodrix::platform
