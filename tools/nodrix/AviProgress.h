#pragma once
// What the tool reads back from an AVI file while the SDK records it: its
// size, the frames in it so far, and whether it is finished.

#include <cstdint>
#include <string>

namespace nodrix_tool {

struct AviState {
    bool readable = false;
    bool finished = false;     // the sizes are patched: the file is complete
    std::uint64_t bytes = 0;   // file size
    std::uint32_t frames = 0;  // frame count of a finished file, else an estimate
    std::uint32_t frameBytes = 0;
    std::uint32_t microSecPerFrame = 0;
};

AviState ReadAviState(const std::string& file);

// The largest AVI file the SDK writes.
inline constexpr std::uint64_t kAviSizeLimit = 0xFFFFFFFFull;

// Whether a finished file ended because the next frame would not fit.
bool EndedAtSizeLimit(const AviState& state);

}  // namespace nodrix_tool
