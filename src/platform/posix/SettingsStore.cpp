#include "platform/SettingsStore.h"

#include <cstring>

#include "platform/posix/SettingsFile.h"

namespace nodrix::platform {

using detail::LoadSettings;
using detail::SettingsTree;
using detail::SettingsValue;
using detail::SettingsValueType;
using detail::UpdateSettings;

// A key is its normalised path; every read loads the file afresh so that
// another process's writes are seen as they would be in the registry.
struct SettingsKey::Impl {
    std::string path;
    KeyAccess access = KeyAccess::Read;
};

namespace {

bool ValidValueName(const std::string& name) {
    return name.find_first_of("\r\n") == std::string::npos;
}

bool WriteValue(const std::string& path, const SettingsValue& value) {
    if (!ValidValueName(value.name)) return false;
    return UpdateSettings([&](SettingsTree& tree) { return tree.SetValue(path, value); });
}

}  // namespace

SettingsKey::SettingsKey() = default;
SettingsKey::~SettingsKey() = default;
SettingsKey::SettingsKey(SettingsKey&&) noexcept = default;
SettingsKey& SettingsKey::operator=(SettingsKey&&) noexcept = default;

bool SettingsKey::Open(const std::string& path, KeyAccess access) {
    Close();
    std::string normalised;
    if (!SettingsTree::NormalisePath(path, &normalised) || !LoadSettings().HasKey(normalised)) {
        return false;
    }
    impl_ = std::make_unique<Impl>(Impl{normalised, access});
    return true;
}

bool SettingsKey::Create(const std::string& path) {
    Close();
    std::string normalised;
    if (!SettingsTree::NormalisePath(path, &normalised)) return false;
    const bool created = UpdateSettings([&](SettingsTree& tree) {
        tree.CreateKey(normalised);
        return true;
    });
    if (!created) return false;
    impl_ = std::make_unique<Impl>(Impl{normalised, KeyAccess::AllAccess});
    return true;
}

bool SettingsKey::IsOpen() const { return impl_ != nullptr; }

void SettingsKey::Close() { impl_.reset(); }

bool SettingsKey::ReadDword(const std::string& name, std::uint32_t* value) const {
    if (!impl_ || !value) return false;
    const SettingsTree tree = LoadSettings();
    const SettingsValue* stored = tree.FindValue(impl_->path, name);
    if (!stored || stored->type != SettingsValueType::Dword || stored->data.size() != 4) {
        return false;
    }
    *value = stored->data[0] | (stored->data[1] << 8) | (stored->data[2] << 16) |
             (static_cast<std::uint32_t>(stored->data[3]) << 24);
    return true;
}

bool SettingsKey::WriteDword(const std::string& name, std::uint32_t value) {
    if (!impl_ || impl_->access != KeyAccess::AllAccess) return false;
    return WriteValue(impl_->path,
                      {name, SettingsValueType::Dword,
                       {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                        static_cast<std::uint8_t>(value >> 16),
                        static_cast<std::uint8_t>(value >> 24)}});
}

bool SettingsKey::ReadBinary(const std::string& name, void* data, std::size_t size) const {
    if (!impl_ || (!data && size)) return false;
    const SettingsTree tree = LoadSettings();
    const SettingsValue* stored = tree.FindValue(impl_->path, name);
    if (!stored || stored->type != SettingsValueType::Binary || stored->data.size() != size) {
        return false;
    }
    if (size) std::memcpy(data, stored->data.data(), size);
    return true;
}

bool SettingsKey::WriteBinary(const std::string& name, const void* data, std::size_t size) {
    if (!impl_ || impl_->access != KeyAccess::AllAccess || (!data && size)) return false;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return WriteValue(impl_->path,
                      {name, SettingsValueType::Binary, std::vector<std::uint8_t>(bytes, bytes + size)});
}

bool DeleteSettingsTree(const std::string& path) {
    std::string normalised;
    // Never the whole store, as RegDeleteTreeA is never handed the root.
    if (!SettingsTree::NormalisePath(path, &normalised) || normalised.empty()) return false;
    return UpdateSettings([&](SettingsTree& tree) { return tree.DeleteTree(normalised); });
}

bool SettingsKeyExists(const std::string& path) {
    std::string normalised;
    return SettingsTree::NormalisePath(path, &normalised) && LoadSettings().HasKey(normalised);
}

}  // namespace nodrix::platform
