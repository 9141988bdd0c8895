#pragma once
// The pixel content of one frame, computed on demand for any byte range of
// its payload, so that frames cost no allocation and reads of any size see
// the same bytes.

#include <cstdint>

#include "emulator/EmulatorConfig.h"

namespace nodrix::emulator {

// Everything a frame's payload depends on, frozen when its header is queued.
struct FrameSnapshot {
    Pattern pattern = Pattern::Ramp;
    std::uint32_t frameNumber = 0;
    std::uint32_t width = 0;   // payload samples per row (FPGA 68/69)
    std::uint32_t height = 0;  // payload rows (FPGA 64/65)
    std::uint32_t bytesPerSample = 1;
    std::uint32_t windowY = 0;       // first image row of the sensor window
    std::uint32_t windowHeight = 0;  // rows of the sensor window
    bool flipV = false;
    bool flipH = false;
    // Scene only: 12-bit level = black + scene * scale (fixed point, 1/65536).
    std::uint32_t sceneScale = 0;
    std::uint32_t sceneBlack = 0;

    std::uint64_t PayloadBytes() const {
        return static_cast<std::uint64_t>(width) * height * bytesPerSample;
    }
};

// The ramp value of image column x and image row y for frame n.
inline std::uint8_t RampValue8(std::uint32_t x, std::uint32_t y, std::uint32_t n) {
    return static_cast<std::uint8_t>((x + y + n) & 0xFF);
}
inline std::uint16_t RampValue16(std::uint32_t x, std::uint32_t y, std::uint32_t n) {
    return static_cast<std::uint16_t>((4 * x + y + n) & 0x0FFF);
}

// Writes payload bytes [offset, offset + count) of the frame into dest.
void GeneratePayload(const FrameSnapshot& frame, std::uint64_t offset, std::uint8_t* dest,
                     std::uint32_t count);

// The image row that payload row k shows: the sensor reads its window
// bottom-up, unless the vertical flip turns the readout around.
std::uint32_t ImageRowOfPayloadRow(const FrameSnapshot& frame, std::uint32_t k);

}  // namespace nodrix::emulator
