#pragma once
// The native settings store's file: the tree of keys with their DWORD and
// BINARY values, as text, one file per user. Readers load the whole file;
// writers change it under an inter-process lock and replace it atomically,
// so that a process killed mid-write leaves either the old or the new file.
//
//   NodrixSettings 1
//   [Software\Maker\Product\Camera_00]
//   "Size"=dword:00000003
//   "ExposureEx"=hex:00,00,00,00,00,00,f0,3f

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace nodrix::platform::detail {

enum class SettingsValueType : std::uint32_t { Binary = 3, Dword = 4 };

struct SettingsValue {
    std::string name;
    SettingsValueType type = SettingsValueType::Dword;
    std::vector<std::uint8_t> data;
};

struct SettingsKeyData {
    std::string path;  // as first created
    std::vector<SettingsValue> values;
};

// Key paths and value names compare without regard to ASCII case, as in the
// registry. A path is normalised to components joined by one backslash;
// the empty path is the root, which always exists.
class SettingsTree {
public:
    static bool NormalisePath(const std::string& path, std::string* normalised);

    bool HasKey(const std::string& path) const;
    // Creates the key and its parents.
    void CreateKey(const std::string& path);
    // Removes the key and every key below it; false when it does not exist.
    bool DeleteTree(const std::string& path);
    const SettingsValue* FindValue(const std::string& path, const std::string& name) const;
    // False when the key does not exist.
    bool SetValue(const std::string& path, const SettingsValue& value);

    std::string Serialise() const;
    // Reads what Serialise wrote; malformed lines are skipped.
    static SettingsTree Parse(const std::string& text);

private:
    std::map<std::string, SettingsKeyData> keys_;  // by lower-case path
};

// NODRIX_SETTINGS_FILE, else $XDG_CONFIG_HOME/nodrix/settings.reg, else
// ~/.config/nodrix/settings.reg.
std::string SettingsFilePath();
// The stored tree (empty when there is no file yet).
SettingsTree LoadSettings();
// Runs change on the stored tree under the inter-process lock and, when it
// returns true, replaces the file with the result. False when change
// declines or the file cannot be written.
bool UpdateSettings(const std::function<bool(SettingsTree&)>& change);

}  // namespace nodrix::platform::detail
