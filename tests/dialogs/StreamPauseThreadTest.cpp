// The camera dialog over a running stream: the stream's thread, the
// acquisition thread and a thread waiting for frames all go on while the
// dialog pauses the camera (rerun under ThreadSanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "NodrixSdkEx.h"
#include "api/DriverPortChoice.h"
#include "connection/CNodrix.h"
#include "core/EmulatedCameraFixture.h"
#include "dialogs/ScriptedDialogHost.h"
#include "settings/SdkSettingsSandbox.h"

namespace nodrix {
namespace {

using settings::CCameraDlg;
using settings::kDialogOk;

void NODRIX_CALL CountFrame(int, const NodrixExFrame*, void* user) {
    ++*static_cast<std::atomic<int>*>(user);
}

// A running stream is paused around the dialog, not stopped: a thread
// waiting meanwhile sees no stop, the queued buffers stay queued, frames
// still with the stream's thread (a frame callback is installed) reach it,
// and the frames after the dialog go on in order in the same buffers. A
// dialog that changes the frame's shape ends the stream as a stop does,
// leaving nothing on the error stack: a shape the buffers cannot take is
// refused when the application starts the stream again.
TEST(StreamPause, CameraDialogPausesTheStream) {
    test::ResetSdkSettings();
    testing::InstalledEmulator emulator(testing::CamerasOf({0x33B0}));
    test::ScriptedDialogHost host;
    auto connection = std::make_unique<CNodrix>(api::ActiveDriverPort());
    connection->Initialize(0);
    ASSERT_TRUE(connection->HasCore());
    std::atomic<int> calledBack{0};
    ASSERT_EQ(connection->Acquiring().Frames().SetFrameCallback(1, CountFrame, &calledBack), 1);
    // 0: the shape kept; then a smaller frame, then one the buffers of the
    // smaller cannot hold.
    for (const int newHeight : {0, 480, 1024}) {
        const bool newShape = newHeight != 0;
        NodrixExStreamInfo info = {};
        info.size = sizeof info;
        ASSERT_EQ(connection->Acquiring().Stream().StreamGetInfo(&info), 1);
        std::vector<std::vector<std::uint8_t>> memory(4);
        std::vector<int> ids(memory.size());
        for (std::size_t i = 0; i < memory.size(); ++i) {
            memory[i].resize(static_cast<std::size_t>(info.payloadBytes));
            ASSERT_EQ(connection->Acquiring().Stream().StreamAnnounceBuffer(
                          memory[i].data(), memory[i].size(), nullptr, &ids[i]),
                      1);
            ASSERT_EQ(connection->Acquiring().Stream().StreamQueueBuffer(ids[i]), 1);
        }
        ASSERT_EQ(connection->Acquiring().Stream().StreamStart(0), 1);
        // Takes frames until a wait ends otherwise, or 12 came after the
        // dialog.
        std::atomic<bool> dialogDone{false};
        auto waiter = std::async(std::launch::async, [&] {
            std::vector<std::uint32_t> numbers;
            for (int after = 0;;) {
                NodrixExStreamBuffer b = {};
                b.size = sizeof b;
                const int result =
                    connection->Acquiring().Stream().StreamWaitBuffer(NODRIXEX_WAIT_INFINITE, &b);
                if (result != NODRIXEX_WAIT_BUFFER) return std::make_pair(result, numbers);
                numbers.push_back(b.metadata.frameNumber);
                connection->Acquiring().Stream().StreamQueueBuffer(b.id);
                if (dialogDone && ++after == 12) return std::make_pair(result, numbers);
            }
        });
        host.camera = [&](CCameraDlg& d) {
            EXPECT_EQ(connection->AcquisitionMode(), kStreaming);
            EXPECT_FALSE(connection->Core()->Acquiring());
            NodrixExStreamInfo during = {};
            during.size = sizeof during;
            EXPECT_EQ(connection->Acquiring().Stream().StreamGetInfo(&during), 1);
            EXPECT_EQ(during.running, 1);
            // The waiter holds at most one between its wait and its queue.
            EXPECT_GE(during.queued + during.filled, 3);
            if (newShape) {
                d.SelectSize(1);  // "Custom"
                d.EditField(CCameraDlg::kHeight, std::to_string(newHeight));
                EXPECT_TRUE(d.Ok());
            }
            return kDialogOk;
        };
        EXPECT_EQ(connection->Dialogs().SetCameraDlg(0), 1);
        EXPECT_EQ(connection->Errors().PopError(), 0);
        dialogDone = true;
        ASSERT_EQ(waiter.wait_for(std::chrono::seconds(60)), std::future_status::ready);
        const auto [result, numbers] = waiter.get();
        if (newShape) {
            EXPECT_EQ(result, NODRIXEX_WAIT_STOPPED);
            EXPECT_EQ(connection->AcquisitionMode(), kIdle);
            ASSERT_EQ(connection->Acquiring().Stream().StreamGetInfo(&info), 1);
            EXPECT_EQ(info.running, 0);
            EXPECT_EQ(info.queued, 0);
            EXPECT_EQ(info.height, newHeight);
            if (newHeight > 480) {  // more than the buffers hold
                EXPECT_EQ(connection->Acquiring().Stream().StreamStart(0), 0);
                EXPECT_EQ(connection->Errors().PopError(), NODRIX_ERROR_MEMORY);
                for (const int id : ids) {
                    EXPECT_EQ(connection->Acquiring().Stream().StreamRevokeBuffer(id, nullptr, nullptr), 1);
                }
                continue;
            }
            // Started again, the same buffers take frames of the new shape.
            for (const int id : ids)
                ASSERT_EQ(connection->Acquiring().Stream().StreamQueueBuffer(id), 1);
            ASSERT_EQ(connection->Acquiring().Stream().StreamStart(0), 1);
            NodrixExStreamBuffer b = {};
            b.size = sizeof b;
            ASSERT_EQ(connection->Acquiring().Stream().StreamWaitBuffer(20000, &b),
                      NODRIXEX_WAIT_BUFFER);
            EXPECT_EQ(b.height, 480);
        } else {
            EXPECT_EQ(result, NODRIXEX_WAIT_BUFFER);
            EXPECT_EQ(connection->AcquisitionMode(), kStreaming);
            EXPECT_TRUE(connection->Core()->Acquiring());
        }
        for (std::size_t i = 1; i < numbers.size(); ++i) {
            EXPECT_GT(numbers[i], numbers[i - 1]) << "frame " << i;
        }
        ASSERT_EQ(connection->Acquiring().Stream().StreamStop(), 1);
        for (const int id : ids)
            EXPECT_EQ(connection->Acquiring().Stream().StreamRevokeBuffer(id, nullptr, nullptr), 1);
    }
    ASSERT_EQ(connection->Acquiring().Frames().SetFrameCallback(1, nullptr, nullptr), 1);
    EXPECT_GT(calledBack.load(), 0);
    connection.reset();
    test::ResetSdkSettings();
}

}  // namespace
}  // namespace nodrix
