// Sets the exposure time and the gain, reads both back, and shows that a
// longer exposure gives a brighter picture.
//
//   exposure_gain [MICROSECONDS [GAIN]]
#include <NodrixSdk.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Mean grey level of one 8-bit snapshot.
double MeanLevel(int handle) {
    const int width = Nodrix_Width(handle);
    const int height = Nodrix_Height(handle);
    const int stride = (width + 3) / 4 * 4;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(stride) * height);
    if (!Nodrix_SnapShot(handle, pixels.data(), static_cast<int>(pixels.size()), 1)) return -1;
    double sum = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) sum += pixels[static_cast<std::size_t>(y) * stride + x];
    return sum / (static_cast<double>(width) * height);
}

}  // namespace

int main(int argc, char** argv) {
    const int exposureUs = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int gain = argc > 2 ? std::atoi(argv[2]) : 16;

    const int handle = Nodrix_Initialize(0);
    if (handle == 0 || !Nodrix_SetDeviceNumber(handle, 0)) {
        std::fprintf(stderr, "exposure_gain: no camera\n");
        if (handle) Nodrix_Release(handle);
        return 1;
    }
    Nodrix_SetColorMode(handle, NODRIX_BITS_GREY8);

    // The ranges the camera accepts.
    NodrixCameraInfo info{};
    info.size = NODRIX_CAMERA_INFO_FULL_SIZE;
    if (Nodrix_GetCameraInfo(handle, &info)) {
        std::printf("gain %d to %d; exposure %.6f s to %.3f s\n", info.gainMin, info.gainMax,
                    info.exposureSecondsMin, info.exposureSecondsMax);
    }

    int failures = 0;
    // Exposure in microseconds; the camera keeps it in steps of 100 us.
    if (!Nodrix_SetRealExposureTime(handle, exposureUs)) ++failures;
    if (!Nodrix_SetGlobalGain(handle, gain)) ++failures;
    if (failures) {
        std::fprintf(stderr, "exposure_gain: refused (error %d)\n", Nodrix_GetLastError(handle));
        Nodrix_Release(handle);
        return 1;
    }

    int ok = 0;
    const int exposureRead = Nodrix_GetRealExposureTime(handle, &ok);
    int gainOk = 0;
    const int gainRead = Nodrix_GetGlobalGain(handle, &gainOk);
    std::printf("exposure set %d us, read %d us; gain set %d, read %d\n", exposureUs,
                exposureRead, gain, gainRead);
    if (!ok || !gainOk || exposureRead != exposureUs / 100 * 100 || gainRead != gain) {
        std::fprintf(stderr, "exposure_gain: the values read back differ\n");
        Nodrix_Release(handle);
        return 1;
    }

    const double at = MeanLevel(handle);
    Nodrix_SetRealExposureTime(handle, exposureUs / 4);
    const double quarter = MeanLevel(handle);
    std::printf("mean level %.1f at %d us, %.1f at %d us\n", at, exposureUs, quarter,
                exposureUs / 4);
    Nodrix_Release(handle);
    return at >= 0 && quarter >= 0 ? 0 : 1;
}
