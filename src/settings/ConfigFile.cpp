#include "settings/ConfigFile.h"

#include "files/CBinaryFile.h"

namespace nodrix::settings {

namespace {
std::int32_t Int32At(const std::uint8_t* bytes) {
    const std::uint32_t v = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                            std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
    return static_cast<std::int32_t>(v);
}
}  // namespace

bool ReadConfigFile(const char* fileName, std::vector<ConfigPair>& pairs) {
    if (fileName == nullptr || fileName[0] == '\0') return false;
    files::CBinaryFile file;
    if (!file.ReadWholeFile(fileName)) return false;
    std::vector<ConfigPair> read;
    read.reserve(file.DataSize() / 8);
    std::uint8_t record[8];
    while (file.Read(record, sizeof record)) {
        read.emplace_back(Int32At(record), Int32At(record + 4));
    }
    pairs = std::move(read);
    return true;
}

}  // namespace nodrix::settings
