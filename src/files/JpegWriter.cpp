// JPEG files through libjpeg: progressive, grey or RGB, 8 bits per sample.
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <new>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include "files/SampleBytes.h"
#include "files/StillImageWriters.h"
#include "imaging/SampleDepth.h"
#include "platform/FileHandle.h"
#include "platform/SystemError.h"

namespace nodrix::files {
namespace {

// libjpeg's own error manager ends the process on a fatal error; this one
// returns to the writer, which then fails the save.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf resume;
};

void JpegFatal(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->resume, 1);
}

// One picture row as JPEG samples: 16-bit samples give the top byte of
// their significant bits, colour is reordered from B G R to R G B, a fourth
// channel dropped.
void JpegRow(const imaging::CDibImage& image, int row, SampleLayout layout, std::uint8_t* out) {
    const std::uint8_t* in = image.Row(row);
    const int pixelBytes = layout.channels * layout.sampleBytes;
    const int width = image.Width();
    const int shift = imaging::TopByteShift(image.SignificantBits());
    const auto sample = [&](const std::uint8_t* p) {
        return layout.sampleBytes == 1 ? *p : imaging::TopByteAt(p, shift);
    };
    if (layout.channels == 1) {
        for (int x = 0; x < width; ++x) out[x] = sample(in + x * pixelBytes);
        return;
    }
    for (int x = 0; x < width; ++x) {
        const std::uint8_t* px = in + x * pixelBytes;
        out[3 * x + 0] = sample(px + 2 * layout.sampleBytes);
        out[3 * x + 1] = sample(px + layout.sampleBytes);
        out[3 * x + 2] = sample(px);
    }
}

// Only plain data lives in this frame, so leaving it by longjmp skips no
// destructor.
bool Compress(std::FILE* file, const imaging::CDibImage& image, int quality, SampleLayout layout,
              std::uint8_t* row) {
    jpeg_compress_struct cinfo{};
    JpegErrors errors{};
    cinfo.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JpegFatal;
    if (setjmp(errors.resume) != 0) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(image.Width());
    cinfo.image_height = static_cast<JDIMENSION>(image.Height());
    const bool grey = layout.channels == 1;
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    for (int y = 0; y < image.Height(); ++y) {
        JpegRow(image, y, layout, row);
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

bool WriteJpeg(const char* fileName, const imaging::CDibImage& image, int quality) {
    const SampleLayout layout = SampleLayoutOf(image.Bits());
    // JPEG dimensions stop at 65500 pixels.
    if (!layout.Valid() || image.Empty() || image.Width() > JPEG_MAX_DIMENSION ||
        image.Height() > JPEG_MAX_DIMENSION) {
        return false;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(image.Width()) * 3;
    std::unique_ptr<std::uint8_t[]> row(new (std::nothrow) std::uint8_t[rowBytes]);
    if (!row) return false;
    std::FILE* file = std::fopen(fileName, "wb");
    if (file == nullptr) return platform::NoteRuntimeError(), false;
    bool ok = Compress(file, image, quality, layout, row.get());
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
