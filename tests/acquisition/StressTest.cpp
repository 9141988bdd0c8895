// Starting and stopping every mode in random order: no deadlock, no leak,
// no data race (this program also runs under ThreadSanitizer).
#include <random>
#include <vector>

#include "acquisition/AcquisitionFixture.h"

namespace nodrix::test {
namespace {

TEST_F(AcquisitionTest, TwoHundredRandomStartsAndStops) {
        std::vector<std::uint8_t> buffer(frameBytes_);
    std::mt19937 random(20261208);
    int last = -1;
    for (int cycle = 0; cycle < 200; ++cycle) {
        const int action = static_cast<int>(random() % 6);
        switch (action) {
            case 0: EXPECT_EQ(Nodrix_StartPreview(handle_), 1) << cycle; break;
            case 1:
                EXPECT_EQ(Nodrix_CallBackPreview(handle_, probe_->Window(), buffer.data(),
                                                 frameBytes_, 1),
                          1)
                    << cycle;
                break;
            case 2: EXPECT_EQ(Nodrix_Capture(handle_), 1) << cycle; break;
            case 3:
                EXPECT_EQ(Nodrix_SnapShot(handle_, buffer.data(), frameBytes_, 0), 1)
                    << cycle << " error " << Nodrix_GetLastError(handle_) << " after " << last;
                break;
            case 4:
                EXPECT_EQ(Nodrix_Trigger(handle_, probe_->Window(), buffer.data(), frameBytes_, 1),
                          1)
                    << cycle;
                Driver().Trigger(0, 1);
                break;
            default: break;
        }
        // Let the worker run a frame or two now and then.
        if (random() % 4 == 0) probe_->Next(5);
        if (random() % 3 == 0) {
            EXPECT_EQ(Nodrix_Close(handle_), 1);
        } else {
            EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
        }
        last = action;
        if (::testing::Test::HasFailure()) break;
    }
    EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
    probe_->Clear();
}

}  // namespace
}  // namespace nodrix::test
