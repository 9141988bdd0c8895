#pragma once
// File names for snapshots and recordings that never overwrite a file, and
// the still formats the library writes.

#include <cstdint>
#include <string>

namespace nodrix_viewer {

struct StillFormat {
    const char* label;
    const char* extension;
    int code;  // NODRIX_IMAGE_...
};

const StillFormat* StillFormats();
int StillFormatCount();

// folder/nodrix-YYYYMMDD-HHMMSS.ext, with -2, -3, ... added when taken.
std::string UniqueFileName(const std::string& folder, const char* extension);

// Bytes of a file, or 0 when it cannot be read.
std::uint64_t FileBytes(const std::string& path);

}  // namespace nodrix_viewer
