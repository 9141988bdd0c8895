// The stream's waits, cancels, stops, restarts and the release, from
// several threads at once; meant for ThreadSanitizer. Passing means no
// thread hangs, nothing crashes and no race is reported.
#include <atomic>
#include <thread>
#include <vector>

#include "NodrixSdkEx.h"
#include "acquisition/AcquisitionFixture.h"
#include "platform/Time.h"

namespace nodrix::test {
namespace {

class BufferStreamStressTest : public AcquisitionTest {
protected:
    BufferStreamStressTest() : AcquisitionTest(emulator::Pace::Sensor) {}
};

TEST_F(BufferStreamStressTest, WaitsCancelsStopsAndReleaseFromSeveralThreads) {
    NeutralPipeline();
    NodrixExStreamInfo info = {};
    info.size = sizeof info;
    ASSERT_EQ(NodrixEx_StreamGetInfo(handle_, &info), 1);
    std::vector<int> ids(8);
    for (int& id : ids) {
        ASSERT_EQ(NodrixEx_StreamAnnounceBuffer(
                      handle_, nullptr, static_cast<std::size_t>(info.payloadBytes), nullptr, &id),
                  1);
    }
    const auto queueAll = [&] {
        for (const int id : ids) NodrixEx_StreamQueueBuffer(handle_, id);  // some are queued
    };
    queueAll();
    ASSERT_EQ(NodrixEx_StreamStart(handle_, NODRIXEX_STREAM_RECYCLE_OLDEST), 1);

    const int handle = handle_;
    std::atomic<bool> done{false};
    std::atomic<int> handedOut{0};
    std::vector<std::thread> threads;
    for (int w = 0; w < 3; ++w) {
        threads.emplace_back([&, handle] {
            while (!done.load()) {
                NodrixExStreamBuffer b = {};
                b.size = sizeof b;
                const int result = NodrixEx_StreamWaitBuffer(handle, 50, &b);
                if (result == NODRIXEX_WAIT_BUFFER) {
                    ++handedOut;
                    NodrixEx_StreamQueueBuffer(handle, b.id);
                } else if (result != NODRIXEX_WAIT_TIMEOUT) {
                    platform::SleepMs(1);
                }
            }
        });
    }
    threads.emplace_back([&, handle] {
        while (!done.load()) {
            NodrixEx_StreamCancelWaits(handle, 1);
            platform::SleepMs(1);
            NodrixEx_StreamCancelWaits(handle, 0);
            platform::SleepMs(5);
            NodrixExStreamStatistics s = {};
            s.size = sizeof s;
            NodrixEx_GetStreamStatistics(handle, &s);
        }
    });
    for (int round = 0; round < 6; ++round) {
        platform::SleepMs(150);
        ASSERT_EQ(NodrixEx_StreamStop(handle_), 1);
        queueAll();
        ASSERT_EQ(
            NodrixEx_StreamStart(handle_, round % 2 == 0 ? 0 : NODRIXEX_STREAM_RECYCLE_OLDEST), 1);
    }
    platform::SleepMs(150);
    // The release ends every wait; later calls find the handle unknown.
    ASSERT_EQ(Nodrix_Release(handle_), 1);
    handle_ = 0;
    done = true;
    for (std::thread& thread : threads) thread.join();
    EXPECT_GT(handedOut.load(), 0);
}

}  // namespace
}  // namespace nodrix::test
