#include "FrameSource.h"

#include <cstring>
#include <utility>

namespace nodrix_viewer {

bool FrameSource::Start(int handle) {
    Stop();
    received_ = 0;
    wanted_ = true;
    if (!NodrixEx_SetFrameCallback(handle, &FrameSource::OnFrame, this)) return false;
    if (!Nodrix_StartPreview(handle)) {
        NodrixEx_SetFrameCallback(handle, nullptr, nullptr);
        return false;
    }
    handle_ = handle;
    return true;
}

void FrameSource::Stop() {
    if (handle_ == 0) return;
    Nodrix_StopPreview(handle_);
    // Waits for a running call; none comes afterwards.
    NodrixEx_SetFrameCallback(handle_, nullptr, nullptr);
    handle_ = 0;
}

void NODRIX_CALL FrameSource::OnFrame(int, const NodrixExFrame* frame, void* user) {
    if (frame == nullptr || user == nullptr) return;
    static_cast<FrameSource*>(user)->Keep(*frame);
}

void FrameSource::Keep(const NodrixExFrame& frame) {
    received_.fetch_add(1);
    if (!wanted_.load(std::memory_order_relaxed)) return;
    if (frame.width <= 0 || frame.height <= 0 || frame.pixels == nullptr) return;
    const int rowBytes = frame.width * (frame.bitsPerPixel / 8);
    if (rowBytes > frame.stride || frame.bytes < static_cast<std::size_t>(frame.stride) *
                                                     static_cast<std::size_t>(frame.height)) {
        return;
    }
    Frame& out = back_;
    out.width = frame.width;
    out.height = frame.height;
    out.bitsPerPixel = frame.bitsPerPixel;
    out.significantBits = frame.metadata.significantBits > 0 ? frame.metadata.significantBits : 8;
    out.stride = rowBytes;
    out.frameNumber = frame.metadata.frameNumber;
    out.timestampUs = frame.metadata.timestampUs;
    out.exposureMs = frame.metadata.exposure10 / 10.0;
    out.gain = frame.metadata.gain;
    const std::size_t total = static_cast<std::size_t>(rowBytes) * frame.height;
    if (out.pixels.size() != total) out.pixels.resize(total);
    const auto* source = static_cast<const std::uint8_t*>(frame.pixels);
    for (int row = 0; row < frame.height; ++row) {
        const int sourceRow = frame.topRowFirst ? row : frame.height - 1 - row;
        std::memcpy(&out.pixels[static_cast<std::size_t>(row) * rowBytes],
                    source + static_cast<std::size_t>(sourceRow) * frame.stride,
                    static_cast<std::size_t>(rowBytes));
    }
    std::lock_guard<std::mutex> guard(lock_);
    std::swap(back_, newest_);
    fresh_ = true;
    wanted_ = false;
}

bool FrameSource::TakeNewest(Frame& frame) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!fresh_) return false;
    std::swap(frame, newest_);
    fresh_ = false;
    wanted_ = true;
    return true;
}

}  // namespace nodrix_viewer
