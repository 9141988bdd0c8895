#include "files/MaskFileLayout.h"

#include <cstring>

#include "platform/LittleEndian.h"

namespace nodrix::files {

namespace {

using platform::GetLe16;
using platform::GetLe32;
using platform::PutLe16;
using platform::PutLe32;

constexpr std::size_t kWidthOffset = 16;
constexpr std::size_t kHeightOffset = 20;
constexpr std::size_t kPlaneBytesOffset = 24;
constexpr int kPlaneBits[kMaskPlaneCount] = {8, 8, 16, 16};

// One plane row as the file holds it: bytes as they are, 16-bit samples
// little-endian.
void EncodeRow(const imaging::CDibImage& plane, int y, std::uint8_t* out) {
    const std::uint8_t* row = plane.Row(y);
    if (plane.Bits() == 8) {
        std::memcpy(out, row, kMaskWidth);
        return;
    }
    for (int x = 0; x < kMaskWidth; ++x) {
        std::uint16_t sample;
        std::memcpy(&sample, row + 2 * x, sizeof sample);
        PutLe16(out + 2 * x, sample);
    }
}

void DecodeRow(const std::uint8_t* in, imaging::CDibImage& plane, int y) {
    std::uint8_t* row = plane.Row(y);
    if (plane.Bits() == 8) {
        std::memcpy(row, in, kMaskWidth);
        return;
    }
    for (int x = 0; x < kMaskWidth; ++x) {
        const std::uint16_t sample = GetLe16(in + 2 * x);
        std::memcpy(row + 2 * x, &sample, sizeof sample);
    }
}

std::size_t RowBytes(int plane) { return static_cast<std::size_t>(kMaskWidth) * kPlaneBits[plane] / 8; }

}  // namespace

void WriteMaskHeader(const MaskFileHeader& header, std::uint8_t* out) {
    std::memcpy(out, header.magic.data(), kMaskMagicBytes);
    PutLe32(out + kWidthOffset, header.width);
    PutLe32(out + kHeightOffset, header.height);
    for (int i = 0; i < kMaskPlaneCount; ++i) {
        PutLe32(out + kPlaneBytesOffset + 4 * i, header.planeBytes[i]);
    }
}

MaskFileHeader ReadMaskHeader(const std::uint8_t* in) {
    MaskFileHeader header;
    std::memcpy(header.magic.data(), in, kMaskMagicBytes);
    header.width = GetLe32(in + kWidthOffset);
    header.height = GetLe32(in + kHeightOffset);
    for (int i = 0; i < kMaskPlaneCount; ++i) {
        header.planeBytes[i] = GetLe32(in + kPlaneBytesOffset + 4 * i);
    }
    return header;
}

bool MaskPlanesValid(const ConstMaskPlanes& planes) {
    for (int i = 0; i < kMaskPlaneCount; ++i) {
        const imaging::CDibImage* plane = planes[i];
        if (plane == nullptr || plane->Empty() || plane->Width() != kMaskWidth ||
            plane->Height() != kMaskHeight || plane->Bits() != kPlaneBits[i]) {
            return false;
        }
    }
    return true;
}

bool EncodeMaskFile(const ConstMaskPlanes& planes, std::vector<std::uint8_t>& file) {
    if (!MaskPlanesValid(planes)) return false;
    MaskFileHeader header;
    std::memcpy(header.magic.data(), kMaskMagic, kMaskMagicBytes);
    header.width = static_cast<std::uint32_t>(planes[0]->Width());
    header.height = static_cast<std::uint32_t>(planes[0]->Height());
    for (int i = 0; i < kMaskPlaneCount; ++i) {
        header.planeBytes[i] = static_cast<std::uint32_t>(RowBytes(i) * planes[i]->Height());
    }
    file.resize(kMaskFileBytes);
    WriteMaskHeader(header, file.data());
    std::uint8_t* out = file.data() + kMaskHeaderBytes;
    for (int i = 0; i < kMaskPlaneCount; ++i) {
        for (int y = 0; y < kMaskHeight; ++y, out += RowBytes(i)) EncodeRow(*planes[i], y, out);
    }
    return true;
}

MaskFileFault CheckMaskHeader(const MaskFileHeader& header) {
    // Compared as a zero-terminated text: bytes after the terminator do not
    // matter.
    if (std::memchr(header.magic.data(), '\0', kMaskMagicBytes) == nullptr ||
        std::strcmp(header.magic.data(), kMaskMagic) != 0) {
        return MaskFileFault::BadMagic;
    }
    if (header.width != kMaskWidth || header.height != kMaskHeight ||
        header.planeBytes != kMaskPlaneBytes) {
        return MaskFileFault::BadGeometry;
    }
    return MaskFileFault::None;
}

MaskFileFault CheckMaskFile(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < kMaskHeaderBytes) return MaskFileFault::Truncated;
    const MaskFileFault header = CheckMaskHeader(ReadMaskHeader(data));
    if (header != MaskFileFault::None) return header;
    if (size < kMaskFileBytes) return MaskFileFault::Truncated;
    if (size > kMaskFileBytes) return MaskFileFault::Oversized;
    return MaskFileFault::None;
}

bool DecodeMaskPlanes(const std::uint8_t* file, const MaskPlanes& planes) {
    const ConstMaskPlanes view = {planes[0], planes[1], planes[2], planes[3]};
    if (file == nullptr || !MaskPlanesValid(view)) return false;
    const std::uint8_t* in = file + kMaskHeaderBytes;
    for (int i = 0; i < kMaskPlaneCount; ++i) {
        for (int y = 0; y < kMaskHeight; ++y, in += RowBytes(i)) DecodeRow(in, *planes[i], y);
    }
    return true;
}

}  // namespace nodrix::files
