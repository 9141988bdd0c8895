#pragma once
// The byte layout of a mask file: a 40-byte header (magic, geometry of the
// first plane, byte size of each plane) followed by the four correction
// planes of the full sensor, 8-bit dark and white, then 16-bit dark and white
// as little-endian samples. Rows follow each other without padding, in the
// planes' buffer order.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "catalogue/CameraCatalogue.h"
#include "imaging/CDibImage.h"

namespace nodrix::files {

inline constexpr int kMaskPlaneCount = 4;
// The planes cover the whole sensor of the model a connection opens.
inline constexpr int kMaskWidth = catalogue::kConnectionSensor.width;
inline constexpr int kMaskHeight = catalogue::kConnectionSensor.height;
inline constexpr std::size_t kMaskMagicBytes = 16;
// 15 characters and the terminating zero.
inline constexpr char kMaskMagic[kMaskMagicBytes] = "VELMOR MASK1000";
inline constexpr std::size_t kMaskHeaderBytes = 40;
inline constexpr std::array<std::uint32_t, kMaskPlaneCount> kMaskPlaneBytes = {
    0x140000, 0x140000, 0x280000, 0x280000};
inline constexpr std::size_t kMaskFileBytes =
    kMaskHeaderBytes + 2 * std::size_t{0x140000} + 2 * std::size_t{0x280000};

// Header fields at offsets 0, 16, 20 and 24-36.
struct MaskFileHeader {
    std::array<char, kMaskMagicBytes> magic{};
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::array<std::uint32_t, kMaskPlaneCount> planeBytes{};
};

// The planes in file order: dark8, white8, dark16, white16.
using MaskPlanes = std::array<imaging::CDibImage*, kMaskPlaneCount>;
using ConstMaskPlanes = std::array<const imaging::CDibImage*, kMaskPlaneCount>;

// Why a file was refused.
enum class MaskFileFault {
    None,
    Truncated,     // shorter than the header and the planes it announces
    Oversized,     // bytes follow the last plane
    BadMagic,      // magic is not the zero-terminated mask text
    BadGeometry,   // width, height or a plane size other than the sensor's
};

void WriteMaskHeader(const MaskFileHeader& header, std::uint8_t* out);
MaskFileHeader ReadMaskHeader(const std::uint8_t* in);

// Whether the planes are the four sensor-sized planes a file holds (8, 8, 16
// and 16 bits, 1280 x 1024).
bool MaskPlanesValid(const ConstMaskPlanes& planes);

// The whole file for the planes: header then plane bytes. False (file
// untouched) when the planes are not valid.
bool EncodeMaskFile(const ConstMaskPlanes& planes, std::vector<std::uint8_t>& file);

// Checks a header: the magic as a zero-terminated text, the sensor's
// geometry and the four plane sizes.
MaskFileFault CheckMaskHeader(const MaskFileHeader& header);
// Checks a whole file's bytes: its header and its exact length.
MaskFileFault CheckMaskFile(const std::uint8_t* data, std::size_t size);

// Copies the plane bytes of a file already accepted by CheckMaskFile into
// valid planes. False (planes untouched) when the planes are not valid.
bool DecodeMaskPlanes(const std::uint8_t* file, const MaskPlanes& planes);

}  // namespace nodrix::files
