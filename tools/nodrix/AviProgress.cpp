#include "AviProgress.h"

#include <fstream>

namespace nodrix_tool {
namespace {

std::uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

AviState ReadAviState(const std::string& file) {
    AviState state;
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    unsigned char header[72] = {};
    if (!in) return state;
    state.bytes = static_cast<std::uint64_t>(in.tellg());
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return state;
    state.readable = true;
    // RIFF size, then the main header: microseconds per frame at 32, total
    // frames at 48, suggested buffer (one frame) at 60.
    state.finished = Le32(header + 4) != 0;
    state.microSecPerFrame = Le32(header + 32);
    state.frameBytes = Le32(header + 60);
    const std::uint64_t moviData = 12 + 8 + Le32(header + 16) + 12;
    if (state.finished) {
        state.frames = Le32(header + 48);
    } else if (state.frameBytes != 0 && state.bytes > moviData) {
        state.frames =
            static_cast<std::uint32_t>((state.bytes - moviData) / (8 + state.frameBytes));
    }
    return state;
}

bool EndedAtSizeLimit(const AviState& state) {
    // One more frame chunk and its index entry would have passed the limit.
    return state.finished && state.bytes + 8 + state.frameBytes + 16 > kAviSizeLimit;
}

}  // namespace nodrix_tool
