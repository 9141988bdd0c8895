// The exposure in effect reads back the same through every getter and in
// the metadata of the next frame, whichever setter chose it.
#include <cmath>
#include <functional>
#include <vector>

#include "NodrixSdkEx.h"
#include "acquisition/AcquisitionFixture.h"

namespace nodrix::test {
namespace {

struct ExposureCase {
    const char* setter;
    std::function<int(int)> set;
    int tenths;  // what every form must report afterwards
};

TEST_F(AcquisitionTest, ExposureReadsBackInEveryFormWhicheverSetterChoseIt) {
    const std::vector<ExposureCase> cases = {
        {"SetExposureTimeEx 0.02 s", [](int h) { return Nodrix_SetExposureTimeEx(h, 0.02); }, 200},
        {"SetExposureTimeEx 0.0153 s", [](int h) { return Nodrix_SetExposureTimeEx(h, 0.0153); },
         153},
        {"SetExposureTimeEx 1.5 s", [](int h) { return Nodrix_SetExposureTimeEx(h, 1.5); }, 15000},
        {"SetRealExposureTime 30000 us", [](int h) { return Nodrix_SetRealExposureTime(h, 30000); },
         300},
        {"SetExposureTime 450", [](int h) { return Nodrix_SetExposureTime(h, 450); }, 450},
        {"SetFilterValue 18", [](int h) { return Nodrix_SetFilterValue(h, 18, 120); }, 120},
    };
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(frameBytes_));
    for (const ExposureCase& c : cases) {
        SCOPED_TRACE(c.setter);
        ASSERT_EQ(c.set(handle_), 1);
        int ok = 0;
        EXPECT_EQ(Nodrix_GetRealExposureTime(handle_, &ok), c.tenths * 100);
        EXPECT_EQ(Nodrix_GetExposureTime(handle_, &ok), c.tenths);
        EXPECT_EQ(Nodrix_GetFilterValue(handle_, 18, &ok), c.tenths);
        const double seconds = Nodrix_GetExposureTimeEx(handle_, &ok);
        EXPECT_EQ(ok, 1);
        EXPECT_EQ(static_cast<int>(seconds * 10000 + 1e-6), c.tenths) << seconds;

        ASSERT_EQ(Nodrix_SnapShot(handle_, frame.data(), frameBytes_, 1), 1);
        NodrixExFrameMetadata metadata = {};
        metadata.size = sizeof metadata;
        ASSERT_EQ(NodrixEx_GetFrameMetadata(handle_, &metadata), 1);
        EXPECT_EQ(metadata.exposure10, c.tenths);
    }
}

}  // namespace
}  // namespace nodrix::test
