// The AVI header records, field by field.
#include "files/AviHeaders.h"

#include "files/AviBytes.h"

namespace nodrix::files::avi {
namespace {

// Writes consecutive little-endian fields into a record.
class FieldWriter {
public:
    explicit FieldWriter(std::uint8_t* at) : at_(at) {}
    void U32(std::uint32_t value) {
        PutLe32(at_, value);
        at_ += 4;
    }
    void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
    void U16(std::uint16_t value) {
        PutLe16(at_, value);
        at_ += 2;
    }

private:
    std::uint8_t* at_;
};

}  // namespace

std::uint32_t FrameStride(std::uint32_t width) { return (3 * width + 3) & ~3u; }

std::uint32_t FrameBytes(std::uint32_t width, std::uint32_t height) {
    return FrameStride(width) * height;
}

std::uint32_t MicroSecPerFrame(std::uint32_t rate) { return 100000000u / (rate != 0 ? rate : 1); }

std::uint32_t StreamScale(std::uint32_t rate) { return 1000000000u / (rate != 0 ? rate : 1); }

MainHeader StartMainHeader(std::uint32_t width, std::uint32_t height) {
    const std::uint32_t chunk = FrameBytes(width, height) + 8;
    MainHeader h;
    h.microSecPerFrame = MicroSecPerFrame(kStartRate);
    // The chunk size squared, as files of this recorder have always carried
    // it; players take the rate from the stream header.
    h.maxBytesPerSec = chunk * chunk;
    h.flags = kFlagHasIndex | kFlagIsCaptureFile;
    h.streams = 1;
    h.suggestedBufferSize = chunk;
    h.width = width;
    h.height = height;
    return h;
}

StreamHeader StartStreamHeader(std::uint32_t width, std::uint32_t height) {
    StreamHeader h;
    h.type = FourCc("vids");
    h.handler = FourCc("DIB ");
    h.scale = StreamScale(kStartRate);
    h.rate = 10000000;
    h.suggestedBufferSize = FrameBytes(width, height) + 8;
    return h;
}

StreamFormat StartStreamFormat(std::uint32_t width, std::uint32_t height) {
    StreamFormat f;
    f.size = kStreamFormatBytes;
    f.width = static_cast<std::int32_t>(width);
    f.height = static_cast<std::int32_t>(height);
    f.planes = 1;
    f.bitCount = 24;
    return f;
}

std::array<std::uint8_t, kMainHeaderBytes> Encode(const MainHeader& h) {
    std::array<std::uint8_t, kMainHeaderBytes> out{};
    FieldWriter w(out.data());
    w.U32(h.microSecPerFrame);
    w.U32(h.maxBytesPerSec);
    w.U32(h.paddingGranularity);
    w.U32(h.flags);
    w.U32(h.totalFrames);
    w.U32(h.initialFrames);
    w.U32(h.streams);
    w.U32(h.suggestedBufferSize);
    w.U32(h.width);
    w.U32(h.height);
    for (std::uint32_t word : h.reserved) w.U32(word);
    return out;
}

std::array<std::uint8_t, kStreamHeaderBytes> Encode(const StreamHeader& h) {
    std::array<std::uint8_t, kStreamHeaderBytes> out{};
    FieldWriter w(out.data());
    w.U32(h.type);
    w.U32(h.handler);
    w.U32(h.flags);
    w.U16(h.priority);
    w.U16(h.language);
    w.U32(h.initialFrames);
    w.U32(h.scale);
    w.U32(h.rate);
    w.U32(h.start);
    w.U32(h.length);
    w.U32(h.suggestedBufferSize);
    w.U32(h.quality);
    w.U32(h.sampleSize);
    for (std::int32_t value : h.frame) w.I32(value);
    return out;
}

std::array<std::uint8_t, kStreamFormatBytes> Encode(const StreamFormat& f) {
    std::array<std::uint8_t, kStreamFormatBytes> out{};
    FieldWriter w(out.data());
    w.U32(f.size);
    w.I32(f.width);
    w.I32(f.height);
    w.U16(f.planes);
    w.U16(f.bitCount);
    w.U32(f.compression);
    w.U32(f.imageSize);
    w.I32(f.xPelsPerMeter);
    w.I32(f.yPelsPerMeter);
    w.U32(f.colorsUsed);
    w.U32(f.colorsImportant);
    return out;
}

}  // namespace nodrix::files::avi
