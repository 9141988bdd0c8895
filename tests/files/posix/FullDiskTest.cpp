// A save that runs out of space must fail, not report a truncated file as
// written. /dev/full accepts the open and refuses every write.
#include <gtest/gtest.h>

#include <filesystem>

#include "files/PatternImage.h"
#include "files/StillImage.h"

namespace nodrix::files {
namespace {

TEST(StillImageOnAFullDisk, EveryKindFailsAndTheDeviceStays) {
    const char* full = "/dev/full";
    if (!std::filesystem::exists(full)) GTEST_SKIP() << "no /dev/full here";
    // Large enough to get past every library's output buffer.
    auto image = nodrix::testing::PatternImage(512, 256, 24);
    for (int kind = kStillBmp; kind <= kStillTiff; ++kind) {
        EXPECT_EQ(SaveStillImage(full, *image, kind), 0) << kind;
    }
    EXPECT_TRUE(std::filesystem::is_character_file(full));
}

}  // namespace
}  // namespace nodrix::files
