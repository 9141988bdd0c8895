// PNG files through libpng: grey, RGB or RGB with alpha, 8 or 16 bits per
// sample, straight from the output buffer (libpng's transformations do the
// reordering, the byte swap and the alpha inversion row by row).
#include <png.h>

#include <cstdio>
#include <memory>
#include <new>

#include "files/SampleBytes.h"
#include "files/StillImageWriters.h"
#include "platform/FileHandle.h"
#include "platform/SystemError.h"

namespace nodrix::files {
namespace {

struct PngFormat {
    int colorType = -1;
    int bitDepth = 0;
    // The fourth byte of a 32-bit pixel is 0 for an opaque pixel; PNG alpha
    // is its complement.
    bool invertAlpha = false;
};

PngFormat PngFormatOf(int bits) {
    switch (bits) {
        case 8:
            return {PNG_COLOR_TYPE_GRAY, 8, false};
        case 16:
            return {PNG_COLOR_TYPE_GRAY, 16, false};
        case 24:
            return {PNG_COLOR_TYPE_RGB, 8, false};
        case 32:
            return {PNG_COLOR_TYPE_RGB_ALPHA, 8, true};
        case 48:
            return {PNG_COLOR_TYPE_RGB, 16, false};
        case 64:
            return {PNG_COLOR_TYPE_RGB_ALPHA, 16, false};
        default:
            return {};
    }
}

void PngFatal(png_structp png, png_const_charp message) {
    std::fprintf(stderr, "libpng error: %s\n", message);
    png_longjmp(png, 1);
}

// Only plain data lives in this frame, so leaving it by longjmp skips no
// destructor.
bool Encode(std::FILE* file, const imaging::CDibImage& image, PngFormat format, png_bytep* rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFatal, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.Width()),
                 static_cast<png_uint_32>(image.Height()), format.bitDepth, format.colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (format.colorType != PNG_COLOR_TYPE_GRAY) png_set_bgr(png);
    // The buffer's 16-bit samples are little-endian; PNG stores them high
    // byte first.
    if (format.bitDepth == 16) png_set_swap(png);
    if (format.invertAlpha) png_set_invert_alpha(png);
    png_write_image(png, rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WritePng(const char* fileName, const imaging::CDibImage& image) {
    const PngFormat format = PngFormatOf(image.Bits());
    if (format.bitDepth == 0 || image.Empty()) return false;
    const auto height = static_cast<std::size_t>(image.Height());
    std::unique_ptr<png_bytep[]> rows(new (std::nothrow) png_bytep[height]);
    if (!rows) return false;
    // libpng only reads the rows; its interface is not const.
    auto* pixels = const_cast<std::uint8_t*>(image.Pixels());
    for (std::size_t y = 0; y < height; ++y) rows[y] = pixels + y * image.Stride();

    std::FILE* file = std::fopen(fileName, "wb");
    if (file == nullptr) return platform::NoteRuntimeError(), false;
    bool ok = Encode(file, image, format, rows.get());
    ok = std::ferror(file) == 0 && ok;
    if (!ok) platform::NoteRuntimeError();
    // Buffered bytes that find no room fail only here.
    if (std::fclose(file) != 0 && ok) {
        platform::NoteRuntimeError();
        ok = false;
    }
    if (!ok) platform::RemoveFile(fileName);
    return ok;
}

}  // namespace nodrix::files
