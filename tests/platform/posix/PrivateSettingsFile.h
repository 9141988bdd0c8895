#pragma once
// A settings file in a fresh folder of this test program's own, named in
// NODRIX_SETTINGS_FILE and removed with its folder when the program ends.
// A name made from the process id is not enough: process ids come round
// again within one test run, and a later program would start from the
// settings an earlier one left behind.

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace nodrix::testing_support {

class PrivateSettingsFile {
public:
    PrivateSettingsFile() {
        std::string pattern = TempRoot() + "/nodrix-settings-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) folder_ = pattern;
        setenv("NODRIX_SETTINGS_FILE", File().c_str(), 1);
    }
    ~PrivateSettingsFile() {
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }
    PrivateSettingsFile(const PrivateSettingsFile&) = delete;
    PrivateSettingsFile& operator=(const PrivateSettingsFile&) = delete;

    std::string File() const { return (folder_.empty() ? TempRoot() : folder_) + "/settings.reg"; }

private:
    static std::string TempRoot() {
        const char* dir = std::getenv("TMPDIR");
        return dir != nullptr && *dir != '\0' ? dir : "/tmp";
    }

    std::string folder_;
};

// The program's one private settings file, made on first use.
inline const PrivateSettingsFile& ProgramSettingsFile() {
    static const PrivateSettingsFile file;
    return file;
}

}  // namespace nodrix::testing_support
