// Several application threads on one handle, and a Release from another
// thread while their calls are in flight: no call touches a destroyed
// connection, every call returns, later calls find the handle unknown.
// Also the rare last reference let go on the connection's own worker.
// This program also runs under ThreadSanitizer.
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "NodrixSdkEx.h"
#include "acquisition/AcquisitionFixture.h"
#include "api/CSdkChain.h"
#include "platform/ThreadLocal.h"
#include "platform/Time.h"

namespace nodrix::test {
namespace {

using Action = std::function<int(int handle, std::vector<std::uint8_t>& buffer)>;

// What the four threads do, one table row per thread; each row's calls run
// in turn until the handle is gone.
std::vector<std::vector<Action>> ThreadActions(const std::string& file) {
    return {
        {[](int h, auto&) { return Nodrix_SetExposureTimeEx(h, 0.002); },
         [](int h, auto&) { return Nodrix_SetGlobalGain(h, 20); },
         [](int h, auto&) { return Nodrix_SetMirrorH(h, 1); },
         [](int h, auto&) { return Nodrix_SetBrightness(h, 10); }},
        {[](int h, auto&) {
             int ok = 0;
             return static_cast<int>(Nodrix_GetExposureTimeEx(h, &ok) * 1000);
         },
         // The worker's automatic exposure, of the exposure and of the gain
         // in turn, writes the camera while the first thread's setters do.
         [round = 0](int h, auto&) mutable { return Nodrix_SetAutoIris(h, 1 + round++ % 2); },
         [](int h, auto&) {
             int ok = 0;
             return Nodrix_GetGlobalGain(h, &ok);
         },
         [](int h, auto&) {
             char serial[64];
             return Nodrix_ReadSerialNumberA(h, serial, sizeof serial);
         }},
        {[](int h, auto& b) { return Nodrix_SnapShot(h, b.data(), static_cast<int>(b.size()), 0); },
         [](int h, auto& b) { return Nodrix_GetImage(h, b.data(), static_cast<int>(b.size()), 1); },
         [file](int h, auto&) { return Nodrix_SaveImage(h, file.c_str(), NODRIX_IMAGE_RAW); }},
        {[](int h, auto&) { return Nodrix_StartPreview(h); },
         [](int h, auto&) { return Nodrix_Capture(h); },
         [](int h, auto&) { return Nodrix_StopPreview(h); }},
    };
}

// Runs the four threads on each handle for a while, then releases every
// handle from a fifth thread while the calls go on.
void HammerThenRelease(const std::vector<int>& handles, int frameBytes) {
    std::atomic<int> running{0};
    std::vector<std::thread> threads;
    std::vector<std::string> files;
    for (std::size_t n = 0; n < handles.size(); ++n) {
        files.push_back(::testing::TempDir() + "release_" + std::to_string(n) + ".raw");
        for (const auto& actions : ThreadActions(files.back())) {
            ++running;
            threads.emplace_back([&running, actions, h = handles[n], frameBytes] {
                std::vector<std::uint8_t> buffer(static_cast<std::size_t>(frameBytes));
                // Until the handle is gone: its calls then fail at once.
                while (Nodrix_GetWaitTime(h) != -1) {
                    for (const Action& action : actions) action(h, buffer);
                }
                --running;
            });
        }
    }
    platform::SleepMs(1500);
    EXPECT_EQ(running.load(), static_cast<int>(threads.size()));  // nobody stuck or crashed
    std::thread releaser([&] {
        for (int h : handles) EXPECT_EQ(Nodrix_Release(h), 1);
    });
    releaser.join();
    for (auto& thread : threads) thread.join();
    for (const std::string& file : files) std::remove(file.c_str());
    for (int h : handles) {
        EXPECT_EQ(Nodrix_Release(h), 0);
        EXPECT_EQ(Nodrix_SnapShot(h, nullptr, 0, 0), 0);
    }
}

TEST_F(AcquisitionTest, ReleaseWhileFourThreadsCallOnTheHandle) {
    HammerThenRelease({handle_}, frameBytes_);
    handle_ = 0;
}

// The last reference to a connection let go inside its own frame callback,
// as when Release stopped waiting for an export called from there.
struct LastReference {
    std::shared_ptr<CNodrix> connection;
    std::atomic<bool> armed{false};
    std::atomic<bool> threadEnded{false};
};

// Destroyed as the thread that made it ends.
struct EndOfThread {
    std::atomic<bool>* ended = nullptr;
    ~EndOfThread() {
        if (ended != nullptr) *ended = true;
    }
};

void NODRIX_CALL LetGoInsideCallback(int, const NodrixExFrame*, void* user) {
    auto* last = static_cast<LastReference*>(user);
    if (!last->armed.exchange(false)) return;
    static platform::ThreadLocal<EndOfThread> end;
    end.Get().ended = &last->threadEnded;
    last->connection.reset();
}

// The worker stops once the callback returns and destroys the connection
// itself, without joining itself or touching it afterwards; its thread ends.
TEST_F(AcquisitionTest, LastReferenceLetGoInsideItsOwnFrameCallback) {
    LastReference last;
    last.connection = SdkChain().Lookup(handle_);
    ASSERT_NE(last.connection, nullptr);
    ASSERT_EQ(NodrixEx_SetFrameCallback(handle_, LetGoInsideCallback, &last), 1);
    ASSERT_EQ(Nodrix_StartPreview(handle_), 1);
    ASSERT_TRUE(SdkChain().Remove(handle_));  // the callback's reference is the last
    handle_ = 0;
    last.armed = true;
    const std::uint32_t start = platform::TickCount();
    while (!last.threadEnded && platform::TickCount() - start < 60000) platform::SleepMs(5);
    EXPECT_TRUE(last.threadEnded);
}

class TwoCameras : public ::testing::Test {
protected:
    testing::InstalledEmulator emulator_{testing::CamerasOf({0x33B0, 0x33B0})};
};

TEST_F(TwoCameras, ReleaseWhileThreadsCallOnTwoHandles) {
    std::vector<int> handles;
    for (int camera = 0; camera < 2; ++camera) {
        const int h = Nodrix_Initialize(0);
        ASSERT_NE(h, 0);
        ASSERT_EQ(Nodrix_SetDeviceNumber(h, camera), 1);
        ASSERT_EQ(Nodrix_SetPreviewWindow(h, 0, 0, 0, 0, 0), 1);
        handles.push_back(h);
    }
    HammerThenRelease(handles, StrideOf(1280, 16) * 1024);
}

}  // namespace
}  // namespace nodrix::test
