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

bool HasQuality(int kind) {
    return kind == NODRIX_IMAGE_JPEG_100 || kind == NODRIX_IMAGE_JPEG_70 ||
           kind == NODRIX_IMAGE_JPEG_20;
}

int FileBits(int kind, int frameBits) {
    return HasQuality(kind) ? 8 : frameBits;
}

const char* KindName(int kind) {
    switch (kind) {
        case kPgmFile:
            return "PGM";
        case NODRIX_IMAGE_BMP:
            return "BMP";
        case NODRIX_IMAGE_RAW:
            return "raw";
        case NODRIX_IMAGE_JPEG_100:
            return "JPEG, quality 100";
        case NODRIX_IMAGE_JPEG_70:
            return "JPEG, quality 70";
        case NODRIX_IMAGE_JPEG_20:
            return "JPEG, quality 20";
        case NODRIX_IMAGE_PNG:
            return "PNG";
        case NODRIX_IMAGE_TIFF:
            return "TIFF";
        default:
            return "unknown";
    }
}

}  // namespace nodrix_tool
