// Recordings started and stopped from two threads at once, with the preview
// converting frames meanwhile: no deadlock, no data race (this program also
// runs under ThreadSanitizer), and every file left behind is whole.
#include <filesystem>
#include <thread>
#include <vector>

#include "recording/RecordingFixture.h"

namespace nodrix::test {
namespace {

TEST_F(RecordingTest, RecordAndStopRaceFromTwoThreads) {
    std::vector<std::string> files;
    for (int round = 0; round < 12; ++round) {
        files.push_back(folder_.File("race" + std::to_string(2 * round) + ".avi"));
        files.push_back(folder_.File("race" + std::to_string(2 * round + 1) + ".avi"));
        ASSERT_EQ(Nodrix_Record(handle_, files[2 * round].c_str(), round % 3 == 0 ? 0 : 60000, 0), 1);
        if (round % 2 == 0) WaitForFrames(files[2 * round], 1, 10000);
        std::thread other([&, round] {
            // Refused while the first runs, started when the stop came first.
            Nodrix_Record(handle_, files[2 * round + 1].c_str(), 60000, 0);
        });
        std::vector<std::uint8_t> image(static_cast<std::size_t>(StrideOf(1280, bits_) * kWindowHeight));
        Nodrix_GetImage(handle_, image.data(), static_cast<int>(image.size()), 0);
        EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
        other.join();
        EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
        EXPECT_FALSE(Recording());
    }
    while (Nodrix_GetLastError(handle_) != 0) {
    }
    for (const std::string& file : files) {
        if (!std::filesystem::exists(file)) continue;
        EXPECT_EQ(CheckConsistent(ReadAvi(file)), "") << file;
    }
}

}  // namespace
}  // namespace nodrix::test
