#include "files/ImageDecoders.h"

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include <csetjmp>
#include <cstdio>

namespace nodrix::testing {
namespace {

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf resume;
};

void JpegFatal(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->resume, 1);
}

bool ReadPng(std::FILE* file, DecodedPng& out) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    out.width = png_get_image_width(png, info);
    out.height = png_get_image_height(png, info);
    out.bitDepth = png_get_bit_depth(png, info);
    out.colorType = png_get_color_type(png, info);
    out.rows.assign(out.height, std::vector<std::uint8_t>(png_get_rowbytes(png, info)));
    for (auto& row : out.rows) png_read_row(png, row.data(), nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool ReadJpeg(std::FILE* file, DecodedJpeg& out) {
    jpeg_decompress_struct cinfo{};
    JpegErrors errors{};
    cinfo.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JpegFatal;
    if (setjmp(errors.resume) != 0) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    out.progressive = cinfo.progressive_mode != 0;
    jpeg_start_decompress(&cinfo);
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    out.components = cinfo.output_components;
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height * out.components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.pixels.data() +
                       static_cast<std::size_t>(cinfo.output_scanline) * out.width * out.components;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

}  // namespace

DecodedPng DecodePng(const std::string& name) {
    DecodedPng out;
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (file == nullptr) return out;
    out.ok = ReadPng(file, out);
    std::fclose(file);
    return out;
}

DecodedJpeg DecodeJpeg(const std::string& name) {
    DecodedJpeg out;
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (file == nullptr) return out;
    out.ok = ReadJpeg(file, out);
    std::fclose(file);
    return out;
}

DecodedTiff DecodeTiff(const std::string& name) {
    DecodedTiff out;
    // No strip chopping: the strips are the ones in the file.
    TIFF* tiff = TIFFOpen(name.c_str(), "rc");
    if (tiff == nullptr) return out;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &out.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &out.height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &out.bitsPerSample);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &out.samplesPerPixel);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &out.photometric);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &out.compression);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &out.planar);
    out.littleEndian = !TIFFIsBigEndian(tiff);
    out.strips = TIFFNumberOfStrips(tiff);
    out.strip.resize(static_cast<std::size_t>(TIFFStripSize(tiff)));
    out.ok =
        TIFFReadEncodedStrip(tiff, 0, out.strip.data(), static_cast<tmsize_t>(out.strip.size())) ==
        static_cast<tmsize_t>(out.strip.size());
    TIFFClose(tiff);
    return out;
}

}  // namespace nodrix::testing
