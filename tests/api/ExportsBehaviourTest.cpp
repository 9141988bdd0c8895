// The exports' own behaviour on a live connection: handles, the error
// stack and its messages, the argument checks done before the connection is
// reached, the stubs and the UTF-16 forms.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "NodrixSdk.h"
#include "api/MessageProbe.h"
#include "settings/SdkSettingsSandbox.h"

namespace {

constexpr std::uint32_t kWait = 5000;

class Exports : public ::testing::Test {
protected:
    void SetUp() override {
        probe_ = nodrix::test::MakeMessageProbe();
        handle_ = Nodrix_Initialize(probe_->Window());
        ASSERT_NE(handle_, 0);
        DrainErrors();
    }
    void TearDown() override {
        if (handle_ != 0) Nodrix_Release(handle_);
    }
    void DrainErrors() {
        while (Nodrix_GetLastError(handle_) != 0) {
        }
        probe_->Clear();
    }
    // The codes of every 0x8003 message posted so far.
    std::vector<int> PostedCodes() {
        std::vector<int> codes;
        while (auto m = probe_->Next(200)) {
            if (m->message == NODRIX_WM_ERROR) {
                EXPECT_EQ(m->wParam, 0u);
                codes.push_back(static_cast<int>(m->lParam));
            }
        }
        return codes;
    }

    std::unique_ptr<nodrix::test::MessageProbe> probe_;
    int handle_ = 0;
};

TEST_F(Exports, FreshConnectionDefaults) {
    // No saved settings: the connection is the first start.
    ASSERT_EQ(Nodrix_Release(handle_), 1);
    nodrix::test::ResetSdkSettings();
    handle_ = Nodrix_Initialize(0);
    ASSERT_NE(handle_, 0);
    // No camera here: the connection says so, and has its defaults anyway.
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_NOT_PRESENT);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
    EXPECT_EQ(Nodrix_Width(handle_), 1280);
    EXPECT_EQ(Nodrix_Height(handle_), 1024);
    EXPECT_EQ(Nodrix_GetSubSample(handle_), 0);
    EXPECT_EQ(Nodrix_GetWaitTime(handle_), 10);
    int v[6] = {-1, -1, -1, -1, -1, -1};
    EXPECT_EQ(Nodrix_GetCaptureWindowEx(handle_, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 1);
    EXPECT_EQ(std::vector<int>(v, v + 6), (std::vector<int>{1280, 0, 1280, 1024, 0, 1024}));
    EXPECT_EQ(Nodrix_GetCaptureWindowEx(handle_, nullptr, nullptr, nullptr, nullptr, nullptr,
                                        nullptr),
              1);
}

TEST_F(Exports, ReleaseTwice) {
    const int h = Nodrix_Initialize(0);
    ASSERT_NE(h, 0);
    EXPECT_EQ(Nodrix_Release(h), 1);
    EXPECT_EQ(Nodrix_Release(h), 0);
}

TEST_F(Exports, TwoConnectionsHaveDistinctHandlesAndOutliveEachOther) {
    const int first = Nodrix_Initialize(0);
    const int second = Nodrix_Initialize(0);
    ASSERT_NE(first, 0);
    ASSERT_NE(second, 0);
    EXPECT_NE(first, second);
    EXPECT_NE(first, handle_);
    EXPECT_EQ(Nodrix_Release(first), 1);
    EXPECT_EQ(Nodrix_Width(second), 1280);
    const int waitTime = Nodrix_GetWaitTime(handle_);
    EXPECT_EQ(Nodrix_SetWaitTime(second, 33), 1);
    EXPECT_EQ(Nodrix_GetWaitTime(second), 33);
    EXPECT_EQ(Nodrix_GetWaitTime(handle_), waitTime);
    EXPECT_EQ(Nodrix_Release(second), 1);
}

TEST_F(Exports, ErrorStackKeepsTheTwentyNewestCodes) {
    // Calls that fail with a known code on any connection.
    const std::vector<std::pair<int, std::function<int()>>> failing = {
        {9, [&] { return Nodrix_SetFilterValue(handle_, 999, 1); }},
        {11, [&] { return Nodrix_SendText(handle_, "a", 1); }},
        {9, [&] { return Nodrix_GetDeviceName(handle_, 0, nullptr, 5); }},
        {11, [&] { return Nodrix_ReceiveText(handle_, nullptr, 0); }},
        {9, [&] { return Nodrix_GetChannelGain(handle_, 2, nullptr); }},
    };
    std::vector<int> pushed;
    for (int i = 0; i < 25; ++i) {
        const auto& [code, call] = failing[i % failing.size()];
        EXPECT_EQ(call(), 0);
        pushed.push_back(code);
    }
    EXPECT_EQ(PostedCodes(), pushed);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(Nodrix_GetLastError(handle_), pushed[24 - i]) << "entry " << i;
    }
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
}

TEST_F(Exports, PushedCodeIsPostedToTheRecipient) {
    EXPECT_EQ(Nodrix_SetConfigFilter(handle_, 1, 1), -1);
    auto m = probe_->Next(kWait);
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->message, 0x8003u);
    EXPECT_EQ(m->wParam, 0u);
    EXPECT_EQ(m->lParam, 11);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 11);
    EXPECT_EQ(Nodrix_GetConfigFilter(handle_, 1, nullptr), -1);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 11);
}

TEST_F(Exports, NegativeWaitTimeIsRefusedWithoutACode) {
    ASSERT_EQ(Nodrix_SetWaitTime(handle_, 40), 1);
    EXPECT_EQ(Nodrix_SetWaitTime(handle_, -1), 0);
    EXPECT_EQ(Nodrix_GetWaitTime(handle_), 40);
    EXPECT_EQ(Nodrix_SetWaitTime(handle_, 0), 1);
    EXPECT_EQ(Nodrix_GetWaitTime(handle_), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
    EXPECT_TRUE(PostedCodes().empty());
}

TEST_F(Exports, ChannelsOutsideOneToFourAreRefusedBeforeTheConnection) {
    int ok = 7;
    for (int channel : {0, 5, -1}) {
        EXPECT_EQ(Nodrix_SetChannelGain(handle_, channel, 10), 0);
        EXPECT_EQ(Nodrix_SetChannelOffset(handle_, channel, 10), 0);
        EXPECT_EQ(Nodrix_GetChannelGain(handle_, channel, &ok), 0);
        EXPECT_EQ(Nodrix_GetChannelOffset(handle_, channel, &ok), 0);
    }
    EXPECT_EQ(ok, 7);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
    EXPECT_TRUE(PostedCodes().empty());
}

TEST_F(Exports, ChannelsMapOntoCodesTheConnectionDoesNotKnow) {
    // Channels 1-4 reach the generic pair as codes 29-36, which the
    // connection refuses as unknown: the same answer as the direct call.
    for (int channel = 1; channel <= 4; ++channel) {
        int ok = 7;
        EXPECT_EQ(Nodrix_SetChannelGain(handle_, channel, 10), 0);
        EXPECT_EQ(Nodrix_GetLastError(handle_), 9);
        EXPECT_EQ(Nodrix_GetChannelOffset(handle_, channel, &ok), 0);
        EXPECT_EQ(ok, 0);
        EXPECT_EQ(Nodrix_GetLastError(handle_), 9);
    }
    EXPECT_EQ(Nodrix_SetFilterValue(handle_, 36, 1), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 9);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
}

TEST_F(Exports, NamedParameterAndGenericGetterAgree) {
    int ok1 = 7, ok2 = 7;
    EXPECT_EQ(Nodrix_GetBayerGainAuto(handle_, &ok1), Nodrix_GetFilterValue(handle_, 10, &ok2));
    EXPECT_EQ(ok1, ok2);
    EXPECT_EQ(Nodrix_GetLastError(handle_), Nodrix_GetLastError(handle_));
}

TEST_F(Exports, TemperatureCodeIsNeverSupported) {
    int ok = 7;
    EXPECT_EQ(Nodrix_GetTemperature(handle_, &ok), -1);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 11);
}

TEST_F(Exports, HalfClockAndItsAliasesOnlyPost) {
    int ok = 7;
    EXPECT_EQ(Nodrix_GetHalfClock(handle_, &ok), 0);
    EXPECT_EQ(Nodrix_SetHalfClock(handle_, 1), 0);
    EXPECT_EQ(Nodrix_Fps(handle_), 0);
    EXPECT_EQ(Nodrix_GetInternalCorrection(handle_, &ok), 0);
    EXPECT_EQ(Nodrix_SetInternalCorrection(handle_, 1), 0);
    EXPECT_EQ(Nodrix_SetCrossbar(handle_, 1, 2), 0);
    EXPECT_EQ(ok, 7);
    EXPECT_EQ(PostedCodes(), std::vector<int>(6, 11));
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
}

TEST_F(Exports, StatusAndSamplingRate) {
    EXPECT_EQ(Nodrix_GetStatus(handle_, 123), 0);
    int rate = 5, format = 6;
    EXPECT_EQ(Nodrix_GetSamplingRate(handle_, &rate), 0);
    EXPECT_EQ(Nodrix_GetVideoFormat(handle_, &format), 0);
    EXPECT_EQ(rate, 0);
    EXPECT_EQ(format, 0);
    EXPECT_EQ(Nodrix_GetSamplingRate(handle_, nullptr), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
}

TEST_F(Exports, SubsamplingAcceptsOnlyNone) {
    EXPECT_EQ(Nodrix_SetSubSample(handle_, 0), 1);
    EXPECT_EQ(Nodrix_SetSubSample(handle_, 1), 0);
    EXPECT_EQ(Nodrix_SetSubSample(handle_, 17), 0);
    EXPECT_EQ(Nodrix_GetSubSample(handle_), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
}

TEST_F(Exports, AutoIrisModes) {
    int ok = 0;
    EXPECT_EQ(Nodrix_SetAutoIris(handle_, 2), 1);
    EXPECT_EQ(Nodrix_GetAutoIris(handle_, &ok), 2);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(Nodrix_SetAutoIris(handle_, 3), 0);
    EXPECT_EQ(Nodrix_GetAutoIris(handle_, nullptr), 2);
    // Refused modes are only posted.
    EXPECT_EQ(PostedCodes(), std::vector<int>{9});
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
}

TEST_F(Exports, DeviceNameBufferTooSmallForTheNameIsRefusedUntouched) {
    for (int size : {0, 10, 11, 12, 13}) {
        char name[16];
        std::memset(name, 'Q', sizeof name);
        EXPECT_EQ(Nodrix_GetDeviceName(handle_, 0, name, size), 0);
        EXPECT_EQ(Nodrix_GetLastError(handle_), 9) << "size " << size;
        for (char ch : name) EXPECT_EQ(ch, 'Q');
    }
}

TEST_F(Exports, SerialNumberBufferBelowThirtyTwoIsRefused) {
    char buffer[40];
    EXPECT_EQ(Nodrix_ReadSerialNumberA(handle_, buffer, 31), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 9);
}

std::vector<NodrixWChar> WideText(std::size_t units, NodrixWChar unit) {
    std::vector<NodrixWChar> text(units, unit);
    text.push_back(0);
    return text;
}

TEST_F(Exports, WideNamesThatDoNotFitTheNarrowBufferAreErrorTwelve) {
    // 1100 characters do not fit 1024 bytes in any code page.
    const auto tooLong = WideText(1100, 'a');
    EXPECT_EQ(Nodrix_RecordW(handle_, tooLong.data(), 100, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 12);
    EXPECT_EQ(Nodrix_SaveImageW(handle_, tooLong.data(), 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 12);
    EXPECT_EQ(Nodrix_LoadConfigFileW(handle_, tooLong.data()), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 12);
    EXPECT_EQ(Nodrix_LoadMaskFileW(handle_, tooLong.data()), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 12);
    EXPECT_EQ(Nodrix_SaveMaskFileW(handle_, tooLong.data()), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 12);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
    // 1023 characters and the terminator fit exactly: the narrow form runs
    // and fails for its own reason (no camera to record from) before it
    // reports that the recording could not start.
    const auto fits = WideText(1023, 'a');
    EXPECT_EQ(Nodrix_RecordW(handle_, fits.data(), 100, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 12);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_NOT_PRESENT);
}

TEST_F(Exports, RecordRefusesAnEmptyName) {
    EXPECT_EQ(Nodrix_Record(handle_, "", 100, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 9);
    EXPECT_EQ(Nodrix_RecordW(handle_, nullptr, 100, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 9);
}

TEST_F(Exports, CloseAlwaysSucceeds) {
    EXPECT_EQ(Nodrix_Close(handle_), 1);
    EXPECT_EQ(Nodrix_Close(handle_), 1);
}

}  // namespace
