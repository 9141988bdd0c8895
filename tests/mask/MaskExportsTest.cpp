// The mask data through the exports on the emulated camera: saving and
// loading mask files, capturing planes from frames, and the mask and dot
// filters working from them.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "acquisition/AcquisitionFixture.h"
#include "mask/MaskTestFiles.h"
#include "parameters/RampChecks.h"

namespace nodrix::test {
namespace {

bool Interior(int x, int y, int margin) {
    return x >= margin && x < 1280 - margin && y >= margin && y < 1024 - margin;
}

class MaskExports : public AcquisitionTest {
protected:
    void SetUp() override {
        AcquisitionTest::SetUp();
        NeutralPipeline();
    }

    // The connection's four planes as a mask file.
    std::vector<std::uint8_t> SavedPlanes() {
        TempFile file("planes");
        EXPECT_EQ(Nodrix_SaveMaskFile(handle_, file.Name().c_str()), 1);
        return file.Read();
    }

    int LoadBytes(const std::vector<std::uint8_t>& bytes) {
        TempFile file("load");
        file.Write(bytes);
        return Nodrix_LoadMaskFile(handle_, file.Name().c_str());
    }
};

TEST_F(MaskExports, SavedRightAfterInitialisationHoldsTheNeutralPlanes) {
    TempFile file("neutral");
    ASSERT_EQ(Nodrix_SaveMaskFile(handle_, file.Name().c_str()), 1);
    const std::vector<std::uint8_t> bytes = file.Read();
    ASSERT_EQ(bytes.size(), kMaskFile);
    // The whole file, header fields included, is what a file of constant
    // planes 0, 255, 0 and 0x0FFF holds.
    EXPECT_TRUE(bytes == ConstantMaskFile(0, 255, 0, 0x0FFF));
    EXPECT_EQ(bytes[kPlaneOffset[3]], 0xFF);
    EXPECT_EQ(bytes[kPlaneOffset[3] + 1], 0x0F);
    EXPECT_EQ(Nodrix_LoadMaskFile(handle_, file.Name().c_str()), 1);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
}

TEST_F(MaskExports, LoadedPlanesRoundTripAndDriveTheFlatField) {
    const std::vector<std::uint8_t> crafted = ConstantMaskFile(10, 138, 0x100, 0x900);
    ASSERT_EQ(LoadBytes(crafted), 1);
    EXPECT_TRUE(SavedPlanes() == crafted);

    ASSERT_EQ(Nodrix_SetMaskFilter(handle_, 1), 1);
    // p' = (p - 10) * 256 / 128, clamped; the two-pixel border untouched.
    EXPECT_TRUE(MatchesTransformedRamp(Snap(8), 8, 1280, 1024, [](int r, int x, int y) {
        if (!Interior(x, y, 2)) return r;
        return std::clamp((r - 10) * 2, 0, 255);
    }));
    ASSERT_EQ(Nodrix_SetColorMode(handle_, 16), 1);
    EXPECT_TRUE(MatchesTransformedRamp(Snap(16), 16, 1280, 1024, [](int r, int x, int y) {
        if (!Interior(x, y, 2)) return r;
        return std::clamp((r - 0x100) * 2, 0, 4095) * 16;
    }));
}

TEST_F(MaskExports, RefusedFilesLeaveThePlanesAsTheyWere) {
    const std::vector<std::uint8_t> crafted = ConstantMaskFile(10, 138, 0x100, 0x900);
    ASSERT_EQ(LoadBytes(crafted), 1);

    std::vector<std::vector<std::uint8_t>> refused;
    for (std::size_t size : {std::size_t{0}, std::size_t{20}, std::size_t{40},
                             kPlaneOffset[1] + 5, kPlaneOffset[3], kMaskFile - 1}) {
        refused.emplace_back(crafted.begin(), crafted.begin() + static_cast<std::ptrdiff_t>(size));
    }
    refused.push_back(crafted);
    refused.back().push_back(0);  // one byte too many
    refused.push_back(ConstantMaskFile(1, 2, 3, 4));
    refused.back()[7] = 'X';  // magic
    refused.push_back(ConstantMaskFile(1, 2, 3, 4));
    PutLe32(refused.back(), 16, 1024);  // 1024 x 768
    PutLe32(refused.back(), 20, 768);
    refused.push_back(ConstantMaskFile(1, 2, 3, 4));
    PutLe32(refused.back(), 32, 0x140000);  // plane 2 announced 8-bit

    for (std::size_t i = 0; i < refused.size(); ++i) {
        EXPECT_EQ(LoadBytes(refused[i]), 0) << "file " << i;
        EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_MASK_FILE) << "file " << i;
    }
    TempFile missing("missing");
    EXPECT_EQ(Nodrix_LoadMaskFile(handle_, missing.Name().c_str()), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_MASK_FILE);
    EXPECT_EQ(Nodrix_LoadMaskFile(handle_, nullptr), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_MASK_FILE);

    EXPECT_TRUE(SavedPlanes() == crafted);
}

TEST_F(MaskExports, SavingIntoAMissingFolderFails) {
    TempFile file("folder");
    const std::string name = (file.Path() / "inside.msk").string();
    EXPECT_EQ(Nodrix_SaveMaskFile(handle_, name.c_str()), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_MASK_FILE);
}

// Dark plane from an 8-bit frame, white plane from a 16-bit one, each then
// used by the flat field on the next frame.
TEST_F(MaskExports, PlanesCapturedFromFramesCorrectTheNextFrames) {
    const std::vector<std::uint8_t> dark = Snap(8);
    ASSERT_EQ(Nodrix_UpdateMaskData(handle_, 0), 1);
    std::vector<std::uint8_t> saved = SavedPlanes();
    ASSERT_EQ(saved.size(), kMaskFile);
    EXPECT_TRUE(std::equal(dark.begin(), dark.end(), saved.begin() + kPlaneOffset[0]));

    ASSERT_EQ(Nodrix_SetMaskFilter(handle_, 1), 1);
    EXPECT_TRUE(MatchesTransformedRamp(Snap(8), 8, 1280, 1024, [&](int r, int x, int y) {
        const int d = SampleAt(dark, 8, 1280, x, y);
        if (!Interior(x, y, 2) || d == 255) return r;
        return std::clamp((r - d) * 256 / (255 - d), 0, 255);
    }));

    ASSERT_EQ(Nodrix_SetMaskFilter(handle_, 0), 1);
    ASSERT_EQ(Nodrix_SetColorMode(handle_, 16), 1);
    const std::vector<std::uint8_t> white = Snap(16);
    ASSERT_EQ(Nodrix_UpdateMaskData(handle_, 1), 1);
    saved = SavedPlanes();
    ASSERT_EQ(saved.size(), kMaskFile);
    EXPECT_TRUE(std::equal(white.begin(), white.end(), saved.begin() + kPlaneOffset[3]));
    // The 8-bit dark plane is kept.
    EXPECT_TRUE(std::equal(dark.begin(), dark.end(), saved.begin() + kPlaneOffset[0]));

    ASSERT_EQ(Nodrix_SetMaskFilter(handle_, 1), 1);
    EXPECT_TRUE(MatchesTransformedRamp(Snap(16), 16, 1280, 1024, [&](int r, int x, int y) {
        const int l = SampleAt(white, 16, 1280, x, y);
        if (!Interior(x, y, 2) || l == 0) return r;
        return std::clamp(r * 4096 / l, 0, 4095) * 16;
    }));
}

TEST_F(MaskExports, UpdateRefusesOtherPlanesAndPartialWindows) {
    const std::vector<std::uint8_t> before = SavedPlanes();
    Snap(8);
    EXPECT_EQ(Nodrix_UpdateMaskData(handle_, 2), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_TEXT);
    EXPECT_EQ(Nodrix_UpdateMaskData(handle_, -1), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_TEXT);

    // This sensor windows rows only: a 1280 x 480 frame is no plane.
    ASSERT_TRUE(SetWindow(0, 100, 1280, 480));
    std::vector<std::uint8_t> small(StrideOf(1280, 8) * 480);
    ASSERT_EQ(Nodrix_SnapShot(handle_, small.data(), static_cast<int>(small.size()), 1), 1);
    EXPECT_EQ(Nodrix_UpdateMaskData(handle_, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_TEXT);
    // The settings keep the window; the next test starts from the full one.
    EXPECT_TRUE(SetWindow(0, 0, 1280, 1024));
    EXPECT_TRUE(SavedPlanes() == before);
}

// A white plane with two dark pixels side by side: loading derives their
// defect map, and the dot filter replaces both by the mean of the nearest
// good pixels left, right, above and below.
TEST_F(MaskExports, DotFilterUsesTheDefectsOfALoadedPlane) {
    constexpr int kX = 600;
    constexpr int kY = 100;
    std::vector<std::uint8_t> bytes = ConstantMaskFile(0, 255, 0, 0x0FFF);
    bytes[kPlaneOffset[1] + kY * 1280 + kX] = 10;
    bytes[kPlaneOffset[1] + kY * 1280 + kX + 1] = 10;
    ASSERT_EQ(LoadBytes(bytes), 1);
    ASSERT_EQ(Nodrix_SetDotFilter(handle_, 1), 1);

    const std::vector<std::uint8_t> frame = Snap(8);
    const int n = (SampleAt(frame, 8, 1280, 0, 0)) & 0xFF;
    auto ramp = [n](int x, int y) { return (x + y + n) & 0xFF; };
    // Away from where the ramp wraps (there the threshold marks pixels too).
    bool wraps = false;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 2; ++dx) {
            const int v = ramp(kX + dx, kY + dy);
            wraps = wraps || v < 2 || v > 253;
        }
    }
    if (wraps) GTEST_SKIP() << "ramp wraps at the defects in this frame";
    const int left = ramp(kX - 1, kY);
    const int right = ramp(kX + 2, kY);
    EXPECT_EQ(SampleAt(frame, 8, 1280, kX, kY),
              (left + right + ramp(kX, kY - 1) + ramp(kX, kY + 1)) / 4);
    EXPECT_EQ(SampleAt(frame, 8, 1280, kX + 1, kY),
              (left + right + ramp(kX + 1, kY - 1) + ramp(kX + 1, kY + 1)) / 4);
    EXPECT_EQ(SampleAt(frame, 8, 1280, kX + 1, kY), ramp(kX + 1, kY) - 1);
    EXPECT_EQ(SampleAt(frame, 8, 1280, kX + 2, kY), ramp(kX + 2, kY));
}

TEST_F(MaskExports, WideNamesReachTheSameFile) {
    TempFile file(std::filesystem::temp_directory_path() /
                  std::filesystem::path(u"masque-\u00e9t\u00e9-plan.msk"));
    const std::u16string wide = file.Path().u16string();
    const auto* name = reinterpret_cast<const NodrixWChar*>(wide.c_str());
    ASSERT_EQ(Nodrix_SaveMaskFileW(handle_, name), 1) << Nodrix_GetLastError(handle_);
    EXPECT_TRUE(std::filesystem::exists(file.Path()));
    EXPECT_EQ(file.Read().size(), kMaskFile);
    EXPECT_EQ(Nodrix_LoadMaskFileW(handle_, name), 1) << Nodrix_GetLastError(handle_);

    // A name longer than the narrow buffer is a text error.
    const std::u16string longName(1100, u'a');
    EXPECT_EQ(Nodrix_SaveMaskFileW(handle_, reinterpret_cast<const NodrixWChar*>(longName.c_str())),
              0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_TEXT);
}

}  // namespace
}  // namespace nodrix::test
