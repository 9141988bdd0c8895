// The AVI writer's bytes: headers at the start and after the end, frame
// chunks, the index, and files that end early (full, failing writes).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "files/CAviWriter.h"
#include "files/TempFolder.h"
#include "recording/AviFileParse.h"

namespace nodrix::test {
namespace {

using files::CAviWriter;

// A file in memory whose writes can be made to fail.
class MemorySink : public files::AviSink {
public:
    bool Write(const void* data, std::uint32_t size) override {
        if (failAfter_ >= 0 && writes_++ >= failAfter_) {
            // Half of the block reaches the medium, as on a full disk.
            Put(data, size / 2);
            return false;
        }
        Put(data, size);
        return true;
    }
    bool Seek(std::uint32_t offset) override {
        at_ = offset;
        return true;
    }
    bool Truncate(std::uint32_t size) override {
        if (size < bytes.size()) bytes.resize(size);
        return true;
    }
    void Close() override { closed_ = true; }

    // Writes from the nth on (counted from now) fail.
    void FailFrom(int nth) {
        failAfter_ = nth;
        writes_ = 0;
    }
    void Heal() { failAfter_ = -1; }
    std::vector<std::uint8_t> bytes;
    bool closed_ = false;

private:
    void Put(const void* data, std::uint32_t size) {
        if (bytes.size() < at_ + size) bytes.resize(at_ + size);
        std::memcpy(bytes.data() + at_, data, size);
        at_ += size;
    }
    std::size_t at_ = 0;
    int failAfter_ = -1;
    int writes_ = 0;
};

// A frame whose every byte tells its frame and position.
std::vector<std::uint8_t> Frame(std::uint32_t bytes, int number) {
    std::vector<std::uint8_t> frame(bytes);
    for (std::uint32_t i = 0; i < bytes; ++i) {
        frame[i] = static_cast<std::uint8_t>(i * 7 + number * 31);
    }
    return frame;
}

TEST(CAviWriter, ShortRecordingHasEveryHeaderFieldAndFrameInPlace) {
    testing::TempFolder folder;
    const std::string name = folder.File("short.avi");
    CAviWriter writer;
    // Ten pixels make 30 bytes of colour and 2 of padding per row.
    writer.SetFormat(10, 3, 16);
    ASSERT_EQ(writer.FrameBytes(), 32u * 3);
    ASSERT_EQ(writer.Open(name.c_str()), 1);

    std::vector<std::vector<std::uint8_t>> frames;
    for (int i = 0; i < 31; ++i) {
        frames.push_back(Frame(writer.FrameBytes(), i));
        ASSERT_EQ(writer.AddFrame(frames.back().data()), CAviWriter::AddResult::kAdded);
    }
    // 31 frames over 1000 ms.
    writer.SetRate(3100);
    ASSERT_EQ(writer.Finish(), 1);
    EXPECT_FALSE(writer.IsOpen());

    const ParsedAvi avi = ReadAvi(name);
    ASSERT_EQ(CheckConsistent(avi), "");
    const std::uint32_t chunk = 96 + 8;
    EXPECT_EQ(avi.bytes.size(), 232u + 31 * chunk + 8 + 16 * 31);
    EXPECT_EQ(avi.hdrlSize, 200u);
    EXPECT_EQ(avi.microSecPerFrame, 32258u);
    EXPECT_EQ(avi.maxBytesPerSec, chunk * chunk);
    EXPECT_EQ(avi.padding, 0u);
    EXPECT_EQ(avi.flags, 0x10010u);
    EXPECT_EQ(avi.totalFrames, 31u);
    EXPECT_EQ(avi.initialFrames, 0u);
    EXPECT_EQ(avi.streams, 1u);
    EXPECT_EQ(avi.suggestedBuffer, chunk);
    EXPECT_EQ(avi.width, 10u);
    EXPECT_EQ(avi.height, 3u);
    EXPECT_EQ(avi.strlSize, 124u);
    EXPECT_EQ(avi.streamType, "vids");
    EXPECT_EQ(avi.handler, "DIB ");
    EXPECT_EQ(avi.streamFlags, 0u);
    EXPECT_EQ(avi.priorityLanguage, 0u);
    EXPECT_EQ(avi.streamInitialFrames, 0u);
    EXPECT_EQ(avi.scale, 322580u);
    EXPECT_EQ(avi.rate, 10000000u);
    EXPECT_EQ(avi.start, 0u);
    EXPECT_EQ(avi.length, 31u);
    EXPECT_EQ(avi.streamSuggestedBuffer, chunk);
    EXPECT_EQ(avi.quality, 0u);
    EXPECT_EQ(avi.sampleSize, 0u);
    for (std::uint32_t v : avi.frameRect) EXPECT_EQ(v, 0u);
    EXPECT_EQ(avi.formatSize, 40u);
    EXPECT_EQ(avi.formatWidth, 10);
    EXPECT_EQ(avi.formatHeight, 3);
    EXPECT_EQ(avi.planes, 1);
    EXPECT_EQ(avi.bitCount, 24);
    EXPECT_EQ(avi.compression, 0u);
    EXPECT_EQ(avi.imageSize, 0u);
    for (std::uint32_t v : avi.formatTail) EXPECT_EQ(v, 0u);
    ASSERT_EQ(avi.frames.size(), 31u);
    EXPECT_EQ(avi.index[0].offset, 4u);
    EXPECT_EQ(avi.index[1].offset, 4u + chunk);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(std::memcmp(avi.frames[i].data, frames[i].data(), frames[i].size()), 0) << i;
    }
}

TEST(CAviWriter, StandardSizeRecordingHasTheDocumentedSizes) {
    MemorySink sink;
    CAviWriter writer;
    writer.SetFormat(640, 480, 8);
    ASSERT_EQ(writer.Open(sink), 1);
    // Before the end: start values, sizes still open.
    const ParsedAvi start = ParseAvi(sink.bytes);
    ASSERT_EQ(start.problem, "");
    EXPECT_EQ(start.bytes.size(), 232u);
    EXPECT_EQ(start.riffSize, 0u);
    EXPECT_EQ(start.moviSize, 0u);
    EXPECT_EQ(start.microSecPerFrame, 33333u);
    EXPECT_EQ(start.maxBytesPerSec, 921608u * 921608u);  // truncated to 32 bits
    EXPECT_EQ(start.scale, 333333u);
    EXPECT_EQ(start.totalFrames, 0u);
    EXPECT_EQ(start.length, 0u);

    const std::vector<std::uint8_t> frame(writer.FrameBytes(), 0x5A);
    for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(writer.AddFrame(frame.data()), CAviWriter::AddResult::kAdded);
    }
    writer.SetRate(3000);
    ASSERT_EQ(writer.Finish(), 1);
    EXPECT_TRUE(sink.closed_);
    const ParsedAvi avi = ParseAvi(sink.bytes);
    ASSERT_EQ(CheckConsistent(avi), "");
    EXPECT_EQ(avi.frames[0].size, 921600u);
    EXPECT_EQ(avi.moviSize, 4u + 30u * 921608u);
    EXPECT_EQ(avi.indexSize, 480u);
    EXPECT_EQ(avi.riffSize, sink.bytes.size() - 8);
}

TEST(CAviWriter, RateOfZeroAndEmptyRecordingsStillMakeAWholeFile) {
    MemorySink sink;
    CAviWriter writer;
    writer.SetFormat(4, 2, 24);
    ASSERT_EQ(writer.Open(sink), 1);
    // No frame at all, and no measurable rate.
    writer.SetRate(0);
    ASSERT_EQ(writer.Finish(), 1);
    const ParsedAvi avi = ParseAvi(sink.bytes);
    ASSERT_EQ(CheckConsistent(avi), "");
    EXPECT_EQ(avi.frames.size(), 0u);
    EXPECT_EQ(avi.microSecPerFrame, 100000000u);  // taken as 0.01 frames per second
    EXPECT_EQ(avi.scale, 1000000000u);
    // Nothing is open any more.
    EXPECT_EQ(writer.Finish(), 0);
    const std::vector<std::uint8_t> frame(writer.FrameBytes());
    EXPECT_EQ(writer.AddFrame(frame.data()), CAviWriter::AddResult::kFailed);
}

TEST(CAviWriter, RefusesEmptyFormatsAndUnwritablePlaces) {
    testing::TempFolder folder;
    CAviWriter writer;
    EXPECT_EQ(writer.Open(folder.File("none.avi").c_str()), 0);  // no format yet
    writer.SetFormat(8, 8, 8);
    EXPECT_EQ(writer.Open(folder.File("missing/folder.avi").c_str()), 0);
    EXPECT_EQ(writer.Open(""), 0);
    EXPECT_FALSE(writer.IsOpen());
}

TEST(CAviWriter, FailedWriteLeavesTheWholeFramesBeforeItFinishable) {
    MemorySink sink;
    CAviWriter writer;
    writer.SetFormat(6, 5, 8);
    ASSERT_EQ(writer.Open(sink), 1);
    const auto frame = Frame(writer.FrameBytes(), 3);
    ASSERT_EQ(writer.AddFrame(frame.data()), CAviWriter::AddResult::kAdded);
    ASSERT_EQ(writer.AddFrame(frame.data()), CAviWriter::AddResult::kAdded);
    // The pixel block of the third frame breaks off halfway.
    sink.FailFrom(2);
    EXPECT_EQ(writer.AddFrame(frame.data()), CAviWriter::AddResult::kFailed);
    // Once failed, the writer takes no more frames.
    sink.Heal();
    EXPECT_EQ(writer.AddFrame(frame.data()), CAviWriter::AddResult::kFailed);
    writer.SetRate(1000);
    // The file is whole again, but the recording is reported as failed.
    EXPECT_EQ(writer.Finish(), 0);

    ParsedAvi avi = ParseAvi(sink.bytes);
    ASSERT_EQ(avi.problem, "");
    EXPECT_EQ(avi.frames.size(), 2u);
    EXPECT_EQ(avi.totalFrames, 2u);
    EXPECT_EQ(avi.index.size(), 2u);
    // The index overwrote the broken chunk; the file ends with the RIFF.
    EXPECT_EQ(avi.riffSize, 232u - 8 + 2 * (8 + writer.FrameBytes()) + 8 + 32);
    EXPECT_EQ(sink.bytes.size(), avi.riffSize + 8);
    EXPECT_EQ(CheckConsistent(avi), "");
}

TEST(CAviWriter, FrameThatWouldPassTheSizeLimitIsRefusedWhole) {
    MemorySink sink;
    CAviWriter writer;
    writer.SetFormat(4, 4, 8);  // 48-byte frames, 56-byte chunks
    // Headers, two chunks and the index of two: exactly full.
    writer.SetSizeLimit(232 + 2 * 56 + 8 + 2 * 16);
    ASSERT_EQ(writer.Open(sink), 1);
    const auto frame = Frame(writer.FrameBytes(), 4);
    EXPECT_EQ(writer.AddFrame(frame.data()), CAviWriter::AddResult::kAdded);
    EXPECT_EQ(writer.AddFrame(frame.data()), CAviWriter::AddResult::kAdded);
    EXPECT_EQ(writer.AddFrame(frame.data()), CAviWriter::AddResult::kFull);
    writer.SetRate(3000);
    ASSERT_EQ(writer.Finish(), 1);
    const ParsedAvi avi = ParseAvi(sink.bytes);
    ASSERT_EQ(CheckConsistent(avi), "");
    EXPECT_EQ(avi.frames.size(), 2u);
    EXPECT_EQ(sink.bytes.size(), 232u + 2 * 56 + 8 + 2 * 16);
}

}  // namespace
}  // namespace nodrix::test
