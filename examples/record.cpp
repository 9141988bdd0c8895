// Records an AVI file from the running camera: ten seconds unless told
// otherwise.
//
//   record [FILE.avi [SECONDS]]
#include <NodrixSdk.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
    const char* fileName = argc > 1 ? argv[1] : "record.avi";
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;

    const int handle = Nodrix_Initialize(0);
    if (handle == 0 || !Nodrix_SetDeviceNumber(handle, 0)) {
        std::fprintf(stderr, "record: no camera\n");
        if (handle) Nodrix_Release(handle);
        return 1;
    }
    Nodrix_SetColorMode(handle, NODRIX_BITS_GREY8);
    // No preview window: placement all zero.
    Nodrix_SetPreviewWindow(handle, 0, 0, 0, 0, 0);

    // Recording starts a preview and a recording thread, and returns at once.
    if (!Nodrix_Record(handle, fileName, seconds * 1000, 0)) {
        std::fprintf(stderr, "record: failed to start (error %d)\n", Nodrix_GetLastError(handle));
        Nodrix_Release(handle);
        return 1;
    }
    std::printf("recording %d s into %s\n", seconds, fileName);
    // The recording ends by itself after its duration (counted from its
    // first frame); the preview keeps running until it is stopped. A little
    // more time lets the file be finished.
    std::this_thread::sleep_for(std::chrono::seconds(seconds) + std::chrono::milliseconds(1500));
    Nodrix_StopPreview(handle);

    int error = 0;
    while (const int code = Nodrix_GetLastError(handle)) error = code;
    Nodrix_Release(handle);
    if (error) {
        std::fprintf(stderr, "record: error %d\n", error);
        return 1;
    }
    std::printf("done\n");
    return 0;
}
