// BMP and raw files, written through CBinaryFile.
#include <cstdint>

#include "files/CBinaryFile.h"
#include "files/StillImageWriters.h"
#include "platform/FileHandle.h"
#include "platform/LittleEndian.h"

namespace nodrix::files {
namespace {

using platform::PutLe16;
using platform::PutLe32;

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kColorTableBytes = 256 * 4;

// Pixel bytes of the whole image, or 0 when they do not fit 32 bits.
std::uint32_t PixelBytes(const imaging::CDibImage& image) {
    const std::uint64_t bytes =
        static_cast<std::uint64_t>(image.Stride()) * static_cast<std::uint64_t>(image.Height());
    return bytes > UINT32_MAX ? 0 : static_cast<std::uint32_t>(bytes);
}

// Closes the file; on failure removes what was written of it.
bool Finish(CBinaryFile& file, const char* fileName, bool ok) {
    file.Close();
    if (!ok) platform::RemoveFile(fileName);
    return ok;
}

}  // namespace

std::vector<std::uint8_t> BmpHeaders(const imaging::CDibImage& image) {
    const bool withTable = image.Bits() <= 8;
    const std::uint32_t offset =
        kFileHeaderBytes + kInfoHeaderBytes + (withTable ? kColorTableBytes : 0);
    const std::uint32_t pixels = PixelBytes(image);
    if (image.Empty() || pixels == 0 || pixels > UINT32_MAX - offset) return {};

    std::vector<std::uint8_t> out(offset, 0);
    std::uint8_t* p = out.data();
    p[0] = 'B';
    p[1] = 'M';
    PutLe32(p + 2, offset + pixels);
    PutLe16(p + 6, 0);
    PutLe16(p + 8, 0);
    PutLe32(p + 10, offset);

    // The info header as the image declares itself: bottom-up, uncompressed.
    const imaging::DibInfoHeader& h = image.Info().header;
    std::uint8_t* i = p + kFileHeaderBytes;
    PutLe32(i + 0, kInfoHeaderBytes);
    PutLe32(i + 4, static_cast<std::uint32_t>(image.Width()));
    PutLe32(i + 8, static_cast<std::uint32_t>(image.Height()));
    PutLe16(i + 12, 1);
    PutLe16(i + 14, static_cast<std::uint16_t>(image.Bits()));
    PutLe32(i + 16, h.biCompression);
    PutLe32(i + 20, h.biSizeImage);
    PutLe32(i + 24, static_cast<std::uint32_t>(h.biXPelsPerMeter));
    PutLe32(i + 28, static_cast<std::uint32_t>(h.biYPelsPerMeter));
    PutLe32(i + 32, h.biClrUsed);
    PutLe32(i + 36, h.biClrImportant);

    if (withTable) {
        std::uint8_t* t = i + kInfoHeaderBytes;
        for (const imaging::DibRgbQuad& q : image.Info().colors) {
            t[0] = q.rgbBlue;
            t[1] = q.rgbGreen;
            t[2] = q.rgbRed;
            t[3] = q.rgbReserved;
            t += 4;
        }
    }
    return out;
}

bool WriteBmp(const char* fileName, const imaging::CDibImage& image) {
    const std::vector<std::uint8_t> headers = BmpHeaders(image);
    if (headers.empty()) return false;
    CBinaryFile file;
    if (!file.OpenForWriting(fileName)) return false;
    bool ok = file.Write(headers.data(), static_cast<std::uint32_t>(headers.size()));
    // A BMP is stored bottom row first; the buffer holds the top row first.
    const auto stride = static_cast<std::uint32_t>(image.Stride());
    for (int row = image.Height() - 1; ok && row >= 0; --row) {
        ok = file.Write(image.Row(row), stride);
    }
    return Finish(file, fileName, ok);
}

bool WriteRaw(const char* fileName, const imaging::CDibImage& image) {
    const std::uint32_t bytes = PixelBytes(image);
    if (image.Empty() || bytes == 0) return false;
    CBinaryFile file;
    if (!file.OpenForWriting(fileName)) return false;
    return Finish(file, fileName, file.Write(image.Pixels(), bytes));
}

}  // namespace nodrix::files
