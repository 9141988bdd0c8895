#include "settings/ConfigFile.h"

#include <cstdio>
#include <memory>

namespace nodrix::settings {

namespace {
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::int32_t Int32At(const std::uint8_t* bytes) {
    const std::uint32_t v = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                            std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
    return static_cast<std::int32_t>(v);
}
}  // namespace

bool ReadConfigFile(const char* fileName, std::vector<ConfigPair>& pairs) {
    if (fileName == nullptr || fileName[0] == '\0') return false;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName, "rb"));
    if (!file) return false;
    std::vector<ConfigPair> read;
    std::uint8_t record[8];
    for (;;) {
        const std::size_t got = std::fread(record, 1, sizeof record, file.get());
        if (got < sizeof record) {
            if (std::ferror(file.get())) return false;
            break;
        }
        read.emplace_back(Int32At(record), Int32At(record + 4));
    }
    pairs = std::move(read);
    return true;
}

}  // namespace nodrix::settings
