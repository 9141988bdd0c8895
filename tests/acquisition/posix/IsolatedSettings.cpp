// The tests keep their settings in a file of their own, not the user's.
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

const bool kIsolated = [] {
    const char* dir = std::getenv("TMPDIR");
    const std::string file = std::string(dir != nullptr && *dir ? dir : "/tmp") +
                             "/nodrix-acquisition-test-settings." + std::to_string(getpid());
    return setenv("NODRIX_SETTINGS_FILE", file.c_str(), 1) == 0;
}();

}  // namespace
