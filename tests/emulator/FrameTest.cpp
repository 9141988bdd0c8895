// Frame headers and payloads on endpoint 0x81: the ramp in 8 and 16 bits,
// windows, flips, frame numbers, triggered frames and the stream reset.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HandBuiltRequests.h"
#include "platform/Time.h"

namespace nodrix::emulator::test {
namespace {

struct Frame {
    bool ok = false;
    std::array<std::uint8_t, 64> header{};
    std::vector<std::uint8_t> payload;
    std::uint32_t Size() const { return GetLe32(&header[16]); }
    std::uint32_t Number() const { return GetLe32(&header[32]); }
};

// 0xC2, the header, then the payload in pieces of the given size.
Frame ReadFrame(EmulatedDriver& d, platform::DriverHandle h, std::uint32_t piece = 0x80000,
                std::uint32_t timeoutMs = 3000) {
    Frame f;
    if (!SendHeaderRequest(d, h)) return f;
    BulkResult r = BulkRead(d, h, f.header.data(), 64, timeoutMs);
    if (!r.ok || r.bytes != 64) return f;
    f.payload.resize(f.Size());
    std::uint32_t done = 0;
    while (done < f.Size()) {
        const std::uint32_t n = std::min(piece, f.Size() - done);
        r = BulkRead(d, h, f.payload.data() + done, n, timeoutMs);
        if (!r.ok || r.bytes != n) return f;
        done += n;
    }
    f.ok = true;
    return f;
}

EmulatorConfig FastConfig() {
    EmulatorConfig c = EmulatedDriver::DefaultConfig();
    c.pace = Pace::Max;
    return c;
}

void SetWindow(EmulatedDriver& d, std::uint32_t y, std::uint32_t h) {
    const std::uint32_t s = 1024 - y - h;
    const std::uint32_t h2 = h + 2;
    ASSERT_TRUE(WriteSensor(d, 0, 22, static_cast<std::uint8_t>(s & 0xFF)));
    ASSERT_TRUE(WriteSensor(d, 0, 23, static_cast<std::uint8_t>(((h2 & 0x1F) << 3) | (s >> 8))));
    ASSERT_TRUE(WriteSensor(d, 0, 24, static_cast<std::uint8_t>((h2 >> 5) & 0x3F)));
    ASSERT_TRUE(WriteFpga(d, 0, 64, static_cast<std::uint8_t>(h)));
    ASSERT_TRUE(WriteFpga(d, 0, 65, static_cast<std::uint8_t>(h >> 8)));
}

TEST(Frames, FullRamp8IsReadBottomUp) {
    EmulatedDriver d(FastConfig());
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    Frame f = ReadFrame(d, h);
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.Size(), 1280u * 1024u);
    EXPECT_EQ(f.Number(), 0xFFFFFF00u);
    EXPECT_EQ(GetLe16(&f.header[0]), 1280);
    EXPECT_EQ(GetLe16(&f.header[2]), 1024);
    const std::uint32_t n = f.Number();
    for (std::uint32_t k = 0; k < 1024; ++k) {
        const std::uint32_t y = 1023 - k;  // payload row k holds image row H - 1 - k
        for (std::uint32_t x = 0; x < 1280; ++x) {
            ASSERT_EQ(f.payload[k * 1280 + x], (x + y + n) & 0xFF) << "row " << k << " col " << x;
        }
    }
    d.Close(h);
}

TEST(Frames, Ramp16WithWindowAndBothFlipsInOddPieces) {
    EmulatedDriver d(FastConfig());
    ASSERT_TRUE(WriteFpga(d, 0, 60, 2));
    SetWindow(d, 200, 100);
    ASSERT_TRUE(WriteSensor(d, 0, 1, 0x40));  // vertical flip
    ASSERT_TRUE(WriteSensor(d, 0, 2, 0x01));  // horizontal flip
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    Frame f = ReadFrame(d, h, 1001);  // pieces that split samples and rows
    ASSERT_TRUE(f.ok);
    ASSERT_EQ(f.Size(), 1280u * 100u * 2u);
    const std::uint32_t n = f.Number();
    // The application's window row i shows image row y + H - 1 - i; it is
    // payload row H - 1 - i, so payload row k shows image row y + k.
    for (std::uint32_t k = 0; k < 100; ++k) {
        for (std::uint32_t x = 0; x < 1280; ++x) {
            const std::uint8_t* p = &f.payload[(k * 1280 + x) * 2];
            const std::uint32_t expected = (4 * (1279 - x) + (200 + k) + n) & 0x0FFF;
            ASSERT_EQ(GetLe16(p), expected) << "row " << k << " col " << x;
        }
    }
}

TEST(Frames, Ramp8WithWindowAndBothFlips) {
    EmulatedDriver d(FastConfig());
    SetWindow(d, 300, 64);
    ASSERT_TRUE(WriteSensor(d, 0, 1, 0x40));
    ASSERT_TRUE(WriteSensor(d, 0, 2, 0x01));
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    Frame f = ReadFrame(d, h, 4096);
    ASSERT_TRUE(f.ok);
    ASSERT_EQ(f.Size(), 1280u * 64u);
    for (std::uint32_t k = 0; k < 64; ++k) {
        for (std::uint32_t x = 0; x < 1280; ++x) {
            ASSERT_EQ(f.payload[k * 1280 + x], ((1279 - x) + (300 + k) + f.Number()) & 0xFF)
                << "row " << k << " col " << x;
        }
    }
}

TEST(Frames, Ramp8WindowWithoutFlips) {
    EmulatedDriver d(FastConfig());
    SetWindow(d, 10, 8);
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    Frame f = ReadFrame(d, h);
    ASSERT_TRUE(f.ok);
    ASSERT_EQ(f.Size(), 1280u * 8u);
    for (std::uint32_t k = 0; k < 8; ++k) {
        const std::uint32_t y = 10 + 8 - 1 - k;
        EXPECT_EQ(f.payload[k * 1280 + 5], (5 + y + f.Number()) & 0xFF);
    }
}

TEST(Frames, FrameNumbersCountUpAndWrap) {
    EmulatedDriver d(FastConfig());
    d.SetNextFrameNumber(0, 0xFFFFFFFFu);
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    Frame a = ReadFrame(d, h);
    Frame b = ReadFrame(d, h);
    ASSERT_TRUE(a.ok && b.ok);
    EXPECT_EQ(a.Number(), 0xFFFFFFFFu);
    EXPECT_EQ(b.Number(), 0u);
    EXPECT_EQ(b.payload[0], (0 + 1023 + 0) & 0xFF);
}

// Consecutive full frames are at least a period apart (time stamps in whole
// ms): the sensor's, about 39 ms; the SuperSpeed link's, 64 + 1280 x 1024 x
// bytes per sample at 380 MB/s.
struct PaceCase {
    const char* name;
    Pace pace;
    std::uint8_t bytesPerSample;
    std::uint32_t minimumMs;
};

class FramePace : public testing::TestWithParam<PaceCase> {};

TEST_P(FramePace, IsNeverFasterThanItsPeriod) {
    EmulatorConfig c = EmulatedDriver::DefaultConfig();
    c.pace = GetParam().pace;
    EmulatedDriver d(c);
    ASSERT_TRUE(WriteFpga(d, 0, 60, GetParam().bytesPerSample));
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    Frame a = ReadFrame(d, h);
    Frame b = ReadFrame(d, h);
    ASSERT_TRUE(a.ok && b.ok);
    ASSERT_EQ(b.Size(), 1280u * 1024u * GetParam().bytesPerSample);
    const std::uint32_t dt = GetLe32(&b.header[8]) - GetLe32(&a.header[8]);
    EXPECT_GE(dt, GetParam().minimumMs);
}

INSTANTIATE_TEST_SUITE_P(Frames, FramePace,
                         testing::Values(PaceCase{"SensorPace", Pace::Sensor, 1, 38},
                                         PaceCase{"LinkPace8Bits", Pace::Link, 1, 3},
                                         PaceCase{"LinkPace16Bits", Pace::Link, 2, 6}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Frames, TriggeredFramesComeOnlyOnATriggerAndAdvanceRegister8) {
    EmulatedDriver d(FastConfig());
    ASSERT_TRUE(WriteFpga(d, 0, 88, 1));
    EXPECT_EQ(ReadFpga(d, 0, 8), 0);
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    ASSERT_TRUE(SendHeaderRequest(d, h));
    std::array<std::uint8_t, 64> header{};
    BulkResult r = BulkRead(d, h, header.data(), 64, 100);
    EXPECT_FALSE(r.completed);  // no trigger, no frame
    EXPECT_EQ(d.PendingTransferCount(), 0u);

    ASSERT_TRUE(d.Trigger(0));
    EXPECT_EQ(ReadFpga(d, 0, 8), 1);
    Frame f = ReadFrame(d, h);  // the request stands; the triggered frame comes
    ASSERT_TRUE(f.ok);
    ASSERT_TRUE(d.Trigger(0, 2));
    EXPECT_EQ(ReadFpga(d, 0, 8), 3);
    Frame g = ReadFrame(d, h);  // two triggers, one frame: the newest
    ASSERT_TRUE(g.ok);
    EXPECT_EQ(g.Number(), f.Number() + 1);
    EXPECT_EQ(GetLe32(&g.header[36]), 3u);
    ASSERT_TRUE(SendHeaderRequest(d, h));
    EXPECT_FALSE(BulkRead(d, h, header.data(), 64, 50).completed);  // nothing stale left

    // Free-running again: triggers are ignored.
    ASSERT_TRUE(WriteFpga(d, 0, 88, 0));
    EXPECT_FALSE(d.Trigger(0));
    EXPECT_EQ(ReadFpga(d, 0, 8), 3);
}

TEST(Frames, AutomaticTriggerInterval) {
    EmulatorConfig c = FastConfig();
    c.triggerIntervalMs = 20;
    EmulatedDriver d(c);
    ASSERT_TRUE(WriteFpga(d, 0, 88, 1));
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    Frame f = ReadFrame(d, h);
    ASSERT_TRUE(f.ok);
    EXPECT_GE(ReadFpga(d, 0, 8), 1);
}

TEST(Frames, StreamResetDropsAPartlyReadFrame) {
    EmulatedDriver d(FastConfig());
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    ASSERT_TRUE(SendHeaderRequest(d, h));
    std::array<std::uint8_t, 64> header{};
    ASSERT_TRUE(BulkRead(d, h, header.data(), 64, 1000).ok);
    std::vector<std::uint8_t> piece(4096);
    ASSERT_TRUE(BulkRead(d, h, piece.data(), 4096, 1000).ok);
    ASSERT_TRUE(WriteFpga(d, 0, 108, 1));
    ASSERT_TRUE(WriteFpga(d, 0, 108, 0));
    // Nothing is left of the old frame; the next request gets a whole new one.
    EXPECT_FALSE(BulkRead(d, h, piece.data(), 4096, 50).ok);
    Frame f = ReadFrame(d, h);
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.Number(), GetLe32(&header[32]) + 1);
}

TEST(Frames, LongExposureSurvivesHeaderRetriesWithResetPulses) {
    struct Speedup {
        Speedup() { platform::SetTimeSpeedup(5); }
        ~Speedup() { platform::SetTimeSpeedup(1); }
    } speedup;
    EmulatedDriver d;
    // The longest frame the sensor allows, about 2.4 s (half a second of
    // real time): making the first payload, slow in a sanitizer build on a
    // busy machine, must not take the next frame's header with it.
    const std::uint32_t lines = 0xFFFF;
    ASSERT_TRUE(WriteSensor(d, 0, 5, lines & 0xFF));
    ASSERT_TRUE(WriteSensor(d, 0, 6, lines >> 8));
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    Frame first = ReadFrame(d, h);  // aligns with the sensor's frame period
    ASSERT_TRUE(first.ok);
    ASSERT_TRUE(SendHeaderRequest(d, h));
    std::array<std::uint8_t, 64> header{};
    int tries = 0;
    bool got = false;
    while (!got && tries < 30) {
        ++tries;
        got = BulkRead(d, h, header.data(), 64, 200).ok;
        if (!got) {
            ASSERT_TRUE(WriteFpga(d, 0, 108, 1));
            ASSERT_TRUE(WriteFpga(d, 0, 108, 0));
            platform::SleepMs(10);
            ASSERT_TRUE(SendHeaderRequest(d, h));
        }
    }
    EXPECT_TRUE(got);
    EXPECT_GT(tries, 1);
    // The exposure carried on through the pulses: the next frame, or the one
    // after it when the next was finished just as a read gave up and the
    // following pulse flushed its header from the endpoint (a slow machine).
    const std::uint32_t number = GetLe32(&header[32]);
    EXPECT_TRUE(number == first.Number() + 1 || number == first.Number() + 2) << number;
}

TEST(Frames, SceneFollowsExposureAndGain) {
    EmulatorConfig c = FastConfig();
    c.pattern = Pattern::Scene;
    EmulatedDriver d(c);
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    auto mean = [](const Frame& f) {
        std::uint64_t s = 0;
        for (std::uint8_t v : f.payload) s += v;
        return static_cast<double>(s) / f.payload.size();
    };
    Frame base = ReadFrame(d, h);
    ASSERT_TRUE(base.ok);
    ASSERT_TRUE(WriteSensor(d, 0, 287, 4));  // twice the gain
    Frame brighter = ReadFrame(d, h);
    ASSERT_TRUE(brighter.ok);
    EXPECT_GT(mean(brighter), mean(base) * 1.5);
    // A short exposure: shutter close to the frame length.
    ASSERT_TRUE(WriteSensor(d, 0, 11, 0x00));
    ASSERT_TRUE(WriteSensor(d, 0, 12, 0x04));  // shutter 1024 of 1054 lines
    Frame darker = ReadFrame(d, h);
    ASSERT_TRUE(darker.ok);
    EXPECT_LT(mean(darker), mean(base) * 0.2);
}

}  // namespace
}  // namespace nodrix::emulator::test
