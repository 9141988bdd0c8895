#include "StillKind.h"

#include <cctype>

#include "NodrixSdk.h"

namespace nodrix_tool {

int StillKindFor(const std::string& name, int jpegQuality) {
    const std::size_t dot = name.find_last_of('.');
    const std::size_t slash = name.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return kUnknownFile;
    std::string ext = name.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "pgm") return kPgmFile;
    if (ext == "bmp") return NODRIX_IMAGE_BMP;
    if (ext == "raw") return NODRIX_IMAGE_RAW;
    if (ext == "jpg" || ext == "jpeg") {
        if (jpegQuality == 100) return NODRIX_IMAGE_JPEG_100;
        if (jpegQuality == 70) return NODRIX_IMAGE_JPEG_70;
        if (jpegQuality == 20) return NODRIX_IMAGE_JPEG_20;
        return kUnknownFile;
    }
    if (ext == "png") return NODRIX_IMAGE_PNG;
    if (ext == "tif" || ext == "tiff") return NODRIX_IMAGE_TIFF;
    return kUnknownFile;
}

}  // namespace nodrix_tool
