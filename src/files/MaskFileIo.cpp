#include "files/MaskFileIo.h"

#include "files/CBinaryFile.h"
#include "files/MaskFileLayout.h"
#include "platform/FileHandle.h"

namespace nodrix::files {

bool ReadMaskFileBytes(const char* fileName, std::vector<std::uint8_t>& bytes) {
    if (fileName == nullptr || fileName[0] == '\0') return false;
    // Read through a bounded buffer rather than whole: a file of any size may
    // be named here, and only one of the mask file's size is of use.
    platform::FileHandle file;
    if (!file.OpenForReading(fileName)) return false;
    std::vector<std::uint8_t> read(kMaskFileBytes + 1);
    std::size_t total = 0;
    while (total < read.size()) {
        std::uint32_t got = 0;
        if (!file.Read(read.data() + total, static_cast<std::uint32_t>(read.size() - total), &got)) {
            return false;
        }
        if (got == 0) break;
        total += got;
    }
    read.resize(total);
    bytes = std::move(read);
    return true;
}

bool WriteMaskFileBytes(const char* fileName, const std::vector<std::uint8_t>& bytes) {
    if (fileName == nullptr || fileName[0] == '\0') return false;
    CBinaryFile file;
    if (!file.OpenForWriting(fileName)) return false;
    const bool written = file.Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    file.Close();
    // A partial mask file would only be refused when loaded.
    if (!written) platform::RemoveFile(fileName);
    return written;
}

}  // namespace nodrix::files
