// TIFF files through libtiff: uncompressed, one strip, samples in the
// buffer's little-endian order.
#include <tiffio.h>

#include <cstring>
#include <memory>
#include <new>

#include "files/SampleBytes.h"
#include "files/StillImageWriters.h"
#include "platform/FileHandle.h"
#include "platform/SystemError.h"

namespace nodrix::files {
namespace {

// Fills the strip: rows without padding, colour as R G B, a fourth channel
// 0 for 8-bit samples and 0xFFFF for 16-bit ones.
void FillStrip(const imaging::CDibImage& image, SampleLayout layout, std::uint8_t* strip) {
    const int width = image.Width();
    const int s = layout.sampleBytes;
    const std::size_t pixelBytes = static_cast<std::size_t>(layout.channels) * s;
    const std::size_t rowBytes = pixelBytes * width;
    for (int y = 0; y < image.Height(); ++y) {
        const std::uint8_t* in = image.Row(y);
        std::uint8_t* out = strip + rowBytes * y;
        if (layout.channels == 1) {
            std::memcpy(out, in, rowBytes);
            continue;
        }
        for (int x = 0; x < width; ++x, in += pixelBytes, out += pixelBytes) {
            std::memcpy(out, in + 2 * s, s);
            std::memcpy(out + s, in + s, s);
            std::memcpy(out + 2 * s, in, s);
            if (layout.channels == 4) std::memset(out + 3 * s, s == 2 ? 0xFF : 0x00, s);
        }
    }
}

}  // namespace

bool WriteTiff(const char* fileName, const imaging::CDibImage& image) {
    const SampleLayout layout = SampleLayoutOf(image.Bits());
    if (!layout.Valid() || image.Empty()) return false;
    const std::uint64_t stripBytes = static_cast<std::uint64_t>(image.Width()) * image.Height() *
                                     layout.channels * layout.sampleBytes;
    // A classic TIFF addresses its strip with 32-bit offsets.
    if (stripBytes >= UINT32_MAX) return false;
    std::unique_ptr<std::uint8_t[]> strip(new (std::nothrow)
                                              std::uint8_t[static_cast<std::size_t>(stripBytes)]);
    if (!strip) return false;
    FillStrip(image, layout, strip.get());

    TIFF* tiff = TIFFOpen(fileName, "w");
    if (tiff == nullptr) return platform::NoteRuntimeError(), false;
    const bool grey = layout.channels == 1;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(image.Width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(image.Height()));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, static_cast<std::uint16_t>(8 * layout.sampleBytes));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, static_cast<std::uint16_t>(layout.channels));
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, static_cast<std::uint16_t>(COMPRESSION_NONE));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                 static_cast<std::uint16_t>(grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB));
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, static_cast<std::uint16_t>(PLANARCONFIG_CONTIG));
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(image.Height()));
    if (layout.channels == 4) {
        // The fourth channel is padding, not transparency.
        std::uint16_t extra[1] = {EXTRASAMPLE_UNSPECIFIED};
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    const auto size = static_cast<tmsize_t>(stripBytes);
    bool ok = TIFFWriteEncodedStrip(tiff, 0, strip.get(), size) == size;
    ok = ok && TIFFWriteDirectory(tiff) != 0;
    if (!ok) platform::NoteRuntimeError();
    TIFFClose(tiff);
    if (!ok) platform::RemoveFile(fileName);
    return ok;
}

}  // namespace nodrix::files
