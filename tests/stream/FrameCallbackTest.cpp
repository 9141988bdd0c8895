// The native frame callback through the exports: what it is handed, that
// it ends with the acquisition, that it cannot stop its own connection,
// that removing it and releasing the connection wait for a running call,
// and that a slow one costs overwritten frames, counted as such. Runs under
// ThreadSanitizer as well.
#include <atomic>
#include <thread>

#include "NodrixSdkEx.h"
#include "acquisition/AcquisitionFixture.h"
#include "platform/Time.h"

namespace nodrix::test {
namespace {

// What the callback saw and how it behaves; shared with the test thread.
struct Probe {
    std::atomic<int> calls{0};
    std::atomic<bool> inside{false};
    std::atomic<std::uint32_t> sleepMs{0};
    std::atomic<bool> wrongFrame{false};
    std::atomic<bool> haveNumber{false};
    std::atomic<std::uint32_t> lastFrameNumber{0};
    std::atomic<bool> numbersRose{true};
    // Calls the callback makes on its own handle, and their results.
    std::atomic<bool> tryOwnHandle{false};
    std::atomic<int> ownCallsFailedWithError1{-1};
    int bits = 8;
};

void NODRIX_CALL OnFrame(int handle, const NodrixExFrame* frame, void* user) {
    auto& probe = *static_cast<Probe*>(user);
    probe.inside = true;
    const NodrixExFrameMetadata& m = frame->metadata;
    const int bytesPerPixel = probe.bits / 8;
    const bool wrong = frame->size != sizeof(NodrixExFrame) || frame->width != 1280 ||
                       frame->height != 1024 || frame->bitsPerPixel != probe.bits ||
                       frame->stride != StrideOf(1280, probe.bits) || frame->topRowFirst != 1 ||
                       frame->bytes != static_cast<std::size_t>(frame->stride) * 1024 ||
                       m.width != 1280 || m.bitsPerPixel != probe.bits || bytesPerPixel == 0;
    if (wrong) probe.wrongFrame = true;
    const auto step = static_cast<std::int32_t>(m.frameNumber - probe.lastFrameNumber.load());
    if (probe.haveNumber.exchange(true) && step <= 0) probe.numbersRose = false;
    probe.lastFrameNumber = m.frameNumber;
    if (probe.tryOwnHandle.exchange(false)) {
        int failures = 0;
        const auto refused = [&](int result) {
            if (result == 0 && Nodrix_GetLastError(handle) == NODRIX_ERROR_NO_CORE) ++failures;
        };
        refused(Nodrix_StopPreview(handle));
        refused(Nodrix_Close(handle));
        refused(Nodrix_Release(handle));
        refused(NodrixEx_SetFrameCallback(handle, nullptr, nullptr));
        probe.ownCallsFailedWithError1 = failures == 4 ? 1 : 0;
    }
    if (probe.sleepMs.load() != 0) platform::SleepMs(probe.sleepMs.load());
    // Reading metadata from inside is allowed, even while a release waits.
    NodrixExFrameMetadata again = {};
    again.size = sizeof again;
    NodrixEx_GetFrameMetadata(handle, &again);
    ++probe.calls;
    probe.inside = false;
}

class FrameCallbackTest : public AcquisitionTest {
protected:
    FrameCallbackTest() : AcquisitionTest(emulator::Pace::Sensor) {}
    void SetUp() override {
        AcquisitionTest::SetUp();
        probe_.bits = bits_;
    }
    bool WaitFor(const std::atomic<int>& value, int atLeast) {
        const std::uint32_t start = platform::TickCount();
        while (value.load() < atLeast) {
            if (platform::TickCount() - start > 20000) return false;
            platform::SleepMs(2);
        }
        return true;
    }
    bool WaitInside() {
        const std::uint32_t start = platform::TickCount();
        while (!probe_.inside.load()) {
            if (platform::TickCount() - start > 20000) return false;
            platform::SleepMs(1);
        }
        return true;
    }
    Probe probe_;
};

TEST_F(FrameCallbackTest, PreviewAndTriggerFramesReachTheCallbackUntilTheStop) {
    ASSERT_EQ(NodrixEx_SetFrameCallback(handle_, OnFrame, &probe_), 1);
    ASSERT_EQ(Nodrix_StartPreview(handle_), 1);
    ASSERT_TRUE(WaitFor(probe_.calls, 3));
    probe_.tryOwnHandle = true;
    ASSERT_TRUE(WaitFor(probe_.calls, 5));
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    EXPECT_EQ(probe_.ownCallsFailedWithError1.load(), 1);
    const int calls = probe_.calls.load();
    platform::SleepMs(200);
    EXPECT_EQ(probe_.calls.load(), calls) << "called after the stop returned";

    // Triggered frames are numbered by the FPGA's trigger counter.
    probe_.haveNumber = false;
    std::vector<std::uint8_t> buffer(frameBytes_);
    ASSERT_EQ(Nodrix_Trigger(handle_, 0, buffer.data(), frameBytes_, 1), 1);
    for (int trigger = 1; trigger <= 2; ++trigger) {
        const std::uint32_t start = platform::TickCount();
        while (probe_.calls.load() < calls + trigger && platform::TickCount() - start < 20000) {
            Driver().Trigger(0, 1);
            platform::SleepMs(50);
        }
    }
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    EXPECT_GE(probe_.calls.load(), calls + 2);
    EXPECT_FALSE(probe_.wrongFrame.load());
    EXPECT_TRUE(probe_.numbersRose.load());
}

TEST_F(FrameCallbackTest, ASlowCallbackCostsOverwrittenFramesAndRemovingItWaits) {
    probe_.sleepMs = 150;
    ASSERT_EQ(NodrixEx_SetFrameCallback(handle_, OnFrame, &probe_), 1);
    ASSERT_EQ(Nodrix_StartPreview(handle_), 1);
    ASSERT_TRUE(WaitFor(probe_.calls, 4));
    ASSERT_TRUE(WaitInside());
    ASSERT_EQ(NodrixEx_SetFrameCallback(handle_, nullptr, nullptr), 1);
    EXPECT_FALSE(probe_.inside.load()) << "removed while a call was running";
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);

    NodrixExStreamStatistics s = {};
    s.size = sizeof s;
    ASSERT_EQ(NodrixEx_GetStreamStatistics(handle_, &s), 1);
    EXPECT_GE(s.lostOverwritten, 2u);
    EXPECT_EQ(s.framesReceived, s.framesDelivered + s.lostHeader + s.lostPayload + s.lostGap +
                                    s.lostOverwritten + s.lostBufferTooSmall);
}

TEST_F(FrameCallbackTest, ReleaseFromAnotherThreadWaitsForTheRunningCall) {
    probe_.sleepMs = 100;
    ASSERT_EQ(NodrixEx_SetFrameCallback(handle_, OnFrame, &probe_), 1);
    ASSERT_EQ(Nodrix_StartPreview(handle_), 1);
    ASSERT_TRUE(WaitInside());
    std::atomic<int> released{-1};
    std::thread other([&] { released = Nodrix_Release(handle_); });
    other.join();
    EXPECT_EQ(released.load(), 1);
    EXPECT_FALSE(probe_.inside.load());
    handle_ = 0;
}

}  // namespace
}  // namespace nodrix::test
