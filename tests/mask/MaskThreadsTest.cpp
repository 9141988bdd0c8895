// The mask data changed by application threads while a preview worker
// corrects every frame with it (this program also runs under
// ThreadSanitizer).
#include <atomic>
#include <thread>
#include <vector>

#include "acquisition/AcquisitionFixture.h"
#include "mask/MaskTestFiles.h"

namespace nodrix::test {
namespace {

constexpr int kRounds = 4;
constexpr std::uint32_t kFrameWaitMs = 30000;

class MaskThreads : public AcquisitionTest {
protected:
    void SetUp() override {
        AcquisitionTest::SetUp();
        Nodrix_SetMaskFilter(handle_, 0);
        Nodrix_SetDotFilter(handle_, 0);
        buffer_.resize(static_cast<std::size_t>(frameBytes_));
    }

    void StartPreview() {
        ASSERT_EQ(Nodrix_CallBackPreview(handle_, probe_->Window(), buffer_.data(), frameBytes_, 1),
                  1);
        // Planes are taken from the raw frame, so one must have arrived.
        ASSERT_TRUE(NextMessage(NODRIX_WM_FRAME, kFrameWaitMs).has_value());
    }

    // Load and save the file kRounds times on a thread of its own.
    std::thread FileRounds(const TempFile& file, std::atomic<int>& succeeded, bool save) {
        return std::thread([this, &file, &succeeded, save] {
            for (int i = 0; i < kRounds; ++i) {
                succeeded += Nodrix_LoadMaskFile(handle_, file.Name().c_str());
                if (save) succeeded += Nodrix_SaveMaskFile(handle_, file.Name().c_str());
            }
        });
    }

    std::vector<std::uint8_t> buffer_;
};

// Planes captured, loaded and saved while the flat field reads them.
TEST_F(MaskThreads, CaptureLoadAndSaveWhileTheMaskFilterRuns) {
    TempFile file("threads");
    ASSERT_EQ(Nodrix_SaveMaskFile(handle_, file.Name().c_str()), 1);
    ASSERT_EQ(Nodrix_SetMaskFilter(handle_, 1), 1);
    StartPreview();

    std::atomic<int> updated{0};
    std::atomic<int> filed{0};
    std::thread updater([&] {
        for (int i = 0; i < kRounds; ++i) updated += Nodrix_UpdateMaskData(handle_, i % 2);
    });
    std::thread filer = FileRounds(file, filed, true);
    for (int i = 0; i < kRounds; ++i) {
        EXPECT_EQ(Nodrix_SetMaskFilter(handle_, (i + 1) % 2), 1);
        EXPECT_TRUE(NextMessage(NODRIX_WM_FRAME, kFrameWaitMs).has_value()) << "frame " << i;
    }
    updater.join();
    filer.join();
    EXPECT_EQ(updated.load(), kRounds);
    EXPECT_EQ(filed.load(), 2 * kRounds);
    EXPECT_TRUE(NextMessage(NODRIX_WM_FRAME, kFrameWaitMs).has_value());
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    EXPECT_EQ(file.Read().size(), kMaskFile);
    probe_->Clear();
}

// Defect maps rebuilt by loading while the dot filter reads them. The file
// marks a few defects only: planes taken from the ramp would mark a quarter
// of the frame, which the dot filter crawls through.
TEST_F(MaskThreads, LoadWhileTheDotFilterRuns) {
    TempFile file("dots");
    std::vector<std::uint8_t> bytes = ConstantMaskFile(0, 255, 0, 0x0FFF);
    for (int i = 0; i < 16; ++i) bytes[kPlaneOffset[1] + (100 + 40 * i) * 1280 + 300 + 50 * i] = 0;
    file.Write(bytes);
    ASSERT_EQ(Nodrix_SetMaskFilter(handle_, 1), 1);
    ASSERT_EQ(Nodrix_SetDotFilter(handle_, 1), 1);
    StartPreview();

    std::atomic<int> loaded{0};
    std::thread loader = FileRounds(file, loaded, false);
    for (int i = 0; i < kRounds; ++i) {
        EXPECT_TRUE(NextMessage(NODRIX_WM_FRAME, kFrameWaitMs).has_value()) << "frame " << i;
    }
    loader.join();
    EXPECT_EQ(loaded.load(), kRounds);
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    probe_->Clear();
}

}  // namespace
}  // namespace nodrix::test
