// Configuration files come from disk: any length and content reads as the
// whole records it holds.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/ConfigFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/nodrix-fuzz-config-" + std::to_string(getpid());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    std::vector<nodrix::settings::ConfigPair> pairs;
    if (nodrix::settings::ReadConfigFile(path.c_str(), pairs) && pairs.size() != size / 8) {
        std::abort();
    }
    std::remove(path.c_str());
    return 0;
}
