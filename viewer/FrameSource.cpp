#include "FrameSource.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "ThreadName.h"

namespace nodrix_viewer {
namespace {

// Copies rows of width x bytes per pixel into frame, top row first.
void CopyInto(Frame& out, const std::uint8_t* pixels, int width, int height, int bitsPerPixel,
              int stride, bool topRowFirst, const NodrixExFrameMetadata& metadata) {
    const int rowBytes = width * (bitsPerPixel / 8);
    out.width = width;
    out.height = height;
    out.bitsPerPixel = bitsPerPixel;
    out.significantBits = metadata.significantBits > 0 ? metadata.significantBits : 8;
    out.stride = rowBytes;
    out.frameNumber = metadata.frameNumber;
    out.timestampUs = metadata.timestampUs;
    out.exposureMs = metadata.exposure10 / 10.0;
    out.gain = metadata.gain;
    const std::size_t total = static_cast<std::size_t>(rowBytes) * height;
    if (out.pixels.size() != total) out.pixels.resize(total);
    for (int row = 0; row < height; ++row) {
        const int sourceRow = topRowFirst ? row : height - 1 - row;
        std::memcpy(&out.pixels[static_cast<std::size_t>(row) * rowBytes],
                    pixels + static_cast<std::size_t>(sourceRow) * stride,
                    static_cast<std::size_t>(rowBytes));
    }
}

bool Fits(int width, int height, int bitsPerPixel, int stride, std::size_t bytes) {
    return width > 0 && height > 0 && bitsPerPixel >= 8 && width * (bitsPerPixel / 8) <= stride &&
           bytes >= static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
}

// The stream fills the queued buffers while the viewer-frames thread waits
// for a processor to take them, and on a busy machine that wait can last
// tens of milliseconds: a frame finding no empty buffer is lost. So the
// buffers hold kQueueSeconds of frames at the fastest rate the camera's
// link (SuperSpeed USB) carries them, whatever rate the camera is set to,
// plus two: the newest, kept for the window, and the one the window
// copies. Their memory is bounded: the link's bytes in kQueueSeconds
// (about 19 MB) and those two, or kMinBuffers frames where frames are
// larger; small frames are bounded by kMaxBuffers. At full size that is
// 17 buffers (22 MB) at 8 bits and 10 (26 MB) at 16 bits.
constexpr double kLinkBytesPerSecond = 380e6;
constexpr double kQueueSeconds = 0.05;
constexpr std::uint64_t kQueueBytes =
    static_cast<std::uint64_t>(kLinkBytesPerSecond * kQueueSeconds);
constexpr std::uint64_t kMinBuffers = 6;

int BufferCount(std::uint64_t payloadBytes, std::uint64_t maxBuffers) {
    const std::uint64_t frame = std::max<std::uint64_t>(payloadBytes, 1);
    const std::uint64_t queued = (kQueueBytes + frame - 1) / frame;
    return static_cast<int>(std::clamp<std::uint64_t>(queued + 2, kMinBuffers, maxBuffers));
}

}  // namespace

bool FrameSource::Start(int handle) {
    Stop();
    received_ = 0;
    NodrixExStreamInfo info{};
    info.size = sizeof info;
    if (!NodrixEx_StreamGetInfo(handle, &info)) return false;
    handle_ = handle;
    const int count = BufferCount(info.payloadBytes, kMaxBuffers);
    for (announced_ = 0; announced_ < count; ++announced_) {
        int id = 0;
        if (!NodrixEx_StreamAnnounceBuffer(handle, nullptr, info.payloadBytes, nullptr, &id) ||
            !NodrixEx_StreamQueueBuffer(handle, id)) {
            if (id != 0) ids_[static_cast<std::size_t>(announced_++)] = id;
            Release();
            return false;
        }
        ids_[static_cast<std::size_t>(announced_)] = id;
    }
    if (!NodrixEx_StreamStart(handle, 0)) {
        Release();
        return false;
    }
    streaming_ = true;
    {
        std::lock_guard<std::mutex> guard(lock_);
        streamHandle_ = handle;
    }
    waiter_ = std::thread([this] { Wait(); });
    return true;
}

bool FrameSource::StartPreview(int handle) {
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
    if (streaming_) {
        // The waiter returns with NODRIXEX_WAIT_STOPPED.
        NodrixEx_StreamStop(handle_);
        if (waiter_.joinable()) waiter_.join();
        streaming_ = false;
        Release();
    } else {
        Nodrix_StopPreview(handle_);
        // Waits for a running call; none comes afterwards.
        NodrixEx_SetFrameCallback(handle_, nullptr, nullptr);
    }
    handle_ = 0;
}

void FrameSource::Release() {
    // Every buffer is the application's again after the stop: forgotten,
    // and its memory freed by the library (none while the window copies one).
    std::lock_guard<std::mutex> copying(copying_);
    std::lock_guard<std::mutex> guard(lock_);
    NodrixEx_StreamStop(handle_);
    for (int i = 0; i < announced_; ++i) {
        NodrixEx_StreamRevokeBuffer(handle_, ids_[static_cast<std::size_t>(i)], nullptr, nullptr);
    }
    announced_ = 0;
    newest_ = NodrixExStreamBuffer{};
    streamHandle_ = 0;
    handle_ = 0;
}

void FrameSource::Wait() {
    NameThisThread("viewer-frames");
    for (;;) {
        NodrixExStreamBuffer buffer{};
        buffer.size = sizeof buffer;
        const int result = NodrixEx_StreamWaitBuffer(handle_, 250, &buffer);
        if (result == NODRIXEX_WAIT_TIMEOUT) continue;
        // Stopped, or failed (the camera lost: its code is on the error
        // stack for the camera worker).
        if (result != NODRIXEX_WAIT_BUFFER) return;
        received_.fetch_add(1);
        std::lock_guard<std::mutex> guard(lock_);
        if (newest_.id != 0) NodrixEx_StreamQueueBuffer(streamHandle_, newest_.id);
        newest_ = buffer;
    }
}

void NODRIX_CALL FrameSource::OnFrame(int, const NodrixExFrame* frame, void* user) {
    if (frame == nullptr || user == nullptr) return;
    static_cast<FrameSource*>(user)->Keep(*frame);
}

void FrameSource::Keep(const NodrixExFrame& frame) {
    received_.fetch_add(1);
    if (!wanted_.load(std::memory_order_relaxed)) return;
    if (frame.pixels == nullptr ||
        !Fits(frame.width, frame.height, frame.bitsPerPixel, frame.stride, frame.bytes)) {
        return;
    }
    CopyInto(back_, static_cast<const std::uint8_t*>(frame.pixels), frame.width, frame.height,
             frame.bitsPerPixel, frame.stride, frame.topRowFirst != 0, frame.metadata);
    std::lock_guard<std::mutex> guard(lock_);
    std::swap(back_, fresh_);
    hasFresh_ = true;
    wanted_ = false;
}

bool FrameSource::TakeNewest(Frame& frame) {
    std::lock_guard<std::mutex> copying(copying_);
    NodrixExStreamBuffer b{};
    int handle = 0;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (hasFresh_) {
            std::swap(frame, fresh_);
            hasFresh_ = false;
            wanted_ = true;
            return true;
        }
        if (newest_.id == 0) return false;
        // Handed out to this class: the library leaves it alone until it is
        // queued again, and Release waits for copying_ before revoking it.
        b = newest_;
        handle = streamHandle_;
        newest_ = NodrixExStreamBuffer{};
    }
    const bool ok =
        b.pixels != nullptr && Fits(b.width, b.height, b.bitsPerPixel, b.stride, b.bytes);
    if (ok) {
        CopyInto(frame, static_cast<const std::uint8_t*>(b.pixels), b.width, b.height,
                 b.bitsPerPixel, b.stride, true, b.metadata);
    }
    NodrixEx_StreamQueueBuffer(handle, b.id);
    return ok;
}

}  // namespace nodrix_viewer
