// Hostile arguments and camera faults through the exports: every call
// returns within a bounded time, a failure leaves an error code, and the
// same handle works again once the fault is gone.
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <string>

#include "acquisition/AcquisitionFixture.h"
#include "platform/Time.h"

namespace nodrix::test {
namespace {

TEST_F(AcquisitionTest, PreviewWindowOfUnallocatableSizeIsRefused) {
    const NodrixHwnd parent = reinterpret_cast<NodrixHwnd>(probe_->Window());
    EXPECT_EQ(Nodrix_SetPreviewWindow(handle_, parent, 0, 0, INT_MAX, INT_MAX), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_INVALID_ARGUMENT);
    // The placement before it stays, and preview runs with it.
    EXPECT_EQ(Nodrix_Preview(handle_), 1);
    EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
}

TEST_F(AcquisitionTest, ExposureSecondsThatAreNoExposureAreRefused) {
    int ok = 0;
    const double before = Nodrix_GetExposureTimeEx(handle_, &ok);
    ASSERT_EQ(ok, 1);
    for (const double seconds : {std::nan(""), std::numeric_limits<double>::infinity(),
                                 -std::numeric_limits<double>::infinity(), 1e300, -1.0}) {
        EXPECT_EQ(Nodrix_SetExposureTimeEx(handle_, seconds), 0) << seconds;
        EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_INVALID_ARGUMENT) << seconds;
        EXPECT_EQ(Nodrix_GetExposureTimeEx(handle_, &ok), before) << seconds;
    }
}

TEST_F(AcquisitionTest, UnpluggedCameraEndsTriggerModeWithTheLostCameraCode) {
    testing::TimeSpeedup faster(10);  // the transport's retries take seconds
    ASSERT_EQ(Nodrix_Trigger(handle_, probe_->Window(), nullptr, 0, 1), 1);
    ASSERT_TRUE(Driver().Unplug(0));
    const auto message = NextMessage(NODRIX_WM_FRAME, 60000);
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->wParam, 0u);
    EXPECT_EQ(message->lParam, NODRIX_ERROR_CAMERA_LOST);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_CAMERA_LOST);
    EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
}

// Triggered frames into an 8-bit buffer, the camera unplugged between two
// of them: the lost camera is reported every time, long before a frame
// wait of its own would run out. The connection has no recipient window,
// so no removal notice can tell it instead.
TEST_F(AcquisitionTest, UnplugBetweenTriggeredFramesIsReportedEveryTime) {
    constexpr std::uint32_t kWellBeforeTheFrameWait = 30000;
    for (int run = 0; run < 4; ++run) {
        SCOPED_TRACE(run);
        Nodrix_Release(handle_);
        if (run > 0) {
            ASSERT_TRUE(Driver().Replug(0));
        }
        handle_ = Nodrix_Initialize(0);
        ASSERT_NE(handle_, 0);
        ASSERT_EQ(Nodrix_SetPreviewWindow(handle_, 0, 0, 0, 0, 0), 1);
        ASSERT_TRUE(SetBits(8));
        while (Nodrix_GetLastError(handle_) != 0) {
        }
        Driver().SetTriggerIntervalMs(0, 50);
        probe_->Clear();
        const int bytes = StrideOf(1280, 8) * 1024;
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(bytes));
        ASSERT_EQ(Nodrix_Trigger(handle_, probe_->Window(), buffer.data(), bytes, 1), 1);
        for (int frame = 0; frame < 2; ++frame) {
            const auto message = NextMessage(NODRIX_WM_FRAME, 60000);
            ASSERT_TRUE(message.has_value());
            ASSERT_NE(message->wParam, 0u) << "error " << message->lParam;
        }
        ASSERT_TRUE(Driver().Unplug(0));
        std::optional<ProbedMessage> lost;
        do {
            lost = NextMessage(NODRIX_WM_FRAME, kWellBeforeTheFrameWait);
        } while (lost.has_value() && lost->wParam != 0);
        ASSERT_TRUE(lost.has_value());
        EXPECT_EQ(lost->lParam, NODRIX_ERROR_CAMERA_LOST);
        EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_CAMERA_LOST);
        EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
    }
}

TEST_F(AcquisitionTest, SnapshotOnABusyRegisterBusFailsWithACode) {
    testing::TimeSpeedup faster(10);  // the bus retries take seconds
    emulator::FaultConfig busy;
    busy.busBusy = true;
    Driver().SetFaults(0, busy);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(frameBytes_));
    EXPECT_EQ(Nodrix_SnapShot(handle_, buffer.data(), frameBytes_, 0), 0);
    const int code = Nodrix_GetLastError(handle_);
    EXPECT_TRUE(code == NODRIX_ERROR_NOT_PRESENT || code == NODRIX_ERROR_FRAME) << code;
    Driver().SetFaults(0, {});
}

// The fault matrix: each fault of the emulated camera against each
// acquisition mode.
struct Fault {
    const char* name;
    std::function<void(emulator::FaultConfig&)> set;  // null: unplug
};

const Fault kFaults[] = {
    {"failHeaderReads", [](auto& f) { f.failHeaderReads = 3; }},
    {"failPayloadReads", [](auto& f) { f.failPayloadReads = 3; }},
    {"truncateHeaderReads", [](auto& f) { f.truncateHeaderReads = 3; }},
    {"truncatePayloadReads", [](auto& f) { f.truncatePayloadReads = 3; }},
    {"delayHeaderReads", [](auto& f) { f.delayHeaderReads = 2, f.delayMs = 2000; }},
    {"delayPayloadReads", [](auto& f) { f.delayPayloadReads = 2, f.delayMs = 2000; }},
    {"nakBusTransfers", [](auto& f) { f.nakBusTransfers = 1000; }},
    {"fpgaNeverReady", [](auto& f) { f.fpgaNeverReady = true; }},
    {"sensorNeverReady", [](auto& f) { f.sensorNeverReady = true; }},
    {"busBusy", [](auto& f) { f.busBusy = true; }},
    {"unplugged", nullptr},
};

class FaultMatrix : public AcquisitionTest,
                    public ::testing::WithParamInterface<std::tuple<int, std::string>> {
protected:
    bool Run(const std::string& mode, std::vector<std::uint8_t>& buffer) {
        const int size = static_cast<int>(buffer.size());
        if (mode == "snapshot") return Nodrix_SnapShot(handle_, buffer.data(), size, 0) == 1;
        if (mode == "capture") {
            const bool started = Nodrix_Capture(handle_) == 1;
            const bool got = started && Nodrix_GetImage(handle_, buffer.data(), size, 0) == 1;
            return Nodrix_StopPreview(handle_) == 1 && got;
        }
        if (mode == "record") {
            const std::string file = ::testing::TempDir() + "fault.avi";
            const bool started = Nodrix_Record(handle_, file.c_str(), 100, 0) == 1;
            platform::SleepMs(300);
            const bool stopped = Nodrix_StopPreview(handle_) == 1;
            std::remove(file.c_str());
            return started && stopped;
        }
        const bool trigger = mode == "trigger";
        const int started =
            trigger ? Nodrix_Trigger(handle_, probe_->Window(), buffer.data(), size, 1)
                    : Nodrix_CallBackPreview(handle_, probe_->Window(), buffer.data(), size, 1);
        // Until the worker has read the trigger counter a trigger may go
        // unseen, and a faulty read uses one up: fire every half second
        // until a frame (or a failure) comes, for a minute at most as for
        // the one wait of the other modes. A mode that did not start sends
        // nothing to wait for.
        std::optional<ProbedMessage> message;
        const int attempts = trigger ? 120 : 1;
        const std::uint32_t waitMs = trigger ? 500 : 3000;
        for (int attempt = 0; started == 1 && attempt < attempts && !message; ++attempt) {
            if (trigger) Driver().Trigger(0, 1);
            message = NextMessage(NODRIX_WM_FRAME, waitMs);
        }
        const bool framed = message.has_value() && message->wParam != 0;
        return Nodrix_StopPreview(handle_) == 1 && started == 1 && framed;
    }
};

TEST_P(FaultMatrix, CallsReturnFailuresCarryACodeAndTheHandleRecovers) {
    const Fault& fault = kFaults[std::get<0>(GetParam())];
    const std::string mode = std::get<1>(GetParam());
    testing::TimeSpeedup faster(10);  // retries and waits take seconds otherwise
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(frameBytes_));
    if (fault.set) {
        emulator::FaultConfig config;
        fault.set(config);
        Driver().SetFaults(0, config);
    } else {
        ASSERT_TRUE(Driver().Unplug(0));
    }
    const std::uint32_t start = platform::TickCount();
    if (!Run(mode, buffer)) {
        EXPECT_NE(Nodrix_GetLastError(handle_), 0) << "failed without a code";
    }
    EXPECT_LT(platform::TickCount() - start, 120000u * 10);

    Driver().SetFaults(0, {});
    if (!fault.set) {
        ASSERT_TRUE(Driver().Replug(0));
        Nodrix_SetDeviceNumber(handle_, 0);
    }
    while (Nodrix_GetLastError(handle_) != 0) {
    }
    // Frames of spare triggers from the faulty run must not count for this one.
    probe_->Clear();
    EXPECT_TRUE(Run(mode, buffer)) << "error " << Nodrix_GetLastError(handle_);
}

INSTANTIATE_TEST_SUITE_P(
    Emulator, FaultMatrix,
    ::testing::Combine(::testing::Range(0, static_cast<int>(std::size(kFaults))),
                       ::testing::Values("snapshot", "capture", "preview", "trigger", "record")),
    [](const auto& info) {
        return std::string(kFaults[std::get<0>(info.param)].name) + "_" + std::get<1>(info.param);
    });

}  // namespace
}  // namespace nodrix::test
