// Flat-field correction: take a dark frame as mask data, save the mask to a
// file, load it back into a second connection and switch the mask filter
// on there.
//
//   mask [FILE.msk]
#include <NodrixSdk.h>

#include <cstdio>

namespace {

int Open() {
    const int handle = Nodrix_Initialize(0);
    if (handle != 0 && !Nodrix_SetDeviceNumber(handle, 0)) {
        Nodrix_Release(handle);
        return 0;
    }
    return handle;
}

int Fail(int handle, const char* what) {
    std::fprintf(stderr, "mask: %s failed (error %d)\n", what, Nodrix_GetLastError(handle));
    Nodrix_Release(handle);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const char* fileName = argc > 1 ? argv[1] : "camera.msk";

    int handle = Open();
    if (handle == 0) {
        std::fprintf(stderr, "mask: no camera\n");
        return 1;
    }
    // The mask planes are full-sensor frames: take one at full size, with
    // the lens covered for the dark plane (which 0).
    Nodrix_SetColorMode(handle, NODRIX_BITS_GREY8);
    if (!Nodrix_SnapShot(handle, nullptr, 0, 1)) return Fail(handle, "the snapshot");
    if (!Nodrix_UpdateMaskData(handle, 0)) return Fail(handle, "taking the dark frame");
    if (!Nodrix_SaveMaskFile(handle, fileName)) return Fail(handle, "saving the mask");
    std::printf("saved %s\n", fileName);
    Nodrix_Release(handle);

    // Later, or in another program: load the mask and correct every frame.
    handle = Open();
    if (handle == 0) return 1;
    if (!Nodrix_LoadMaskFile(handle, fileName)) return Fail(handle, "loading the mask");
    if (!Nodrix_SetMaskFilter(handle, 1)) return Fail(handle, "switching the filter on");
    if (!Nodrix_SnapShot(handle, nullptr, 0, 1)) return Fail(handle, "the corrected snapshot");
    int ok = 0;
    std::printf("loaded %s; mask filter %d\n", fileName, Nodrix_GetMaskFilter(handle, &ok));
    Nodrix_Release(handle);
    return ok ? 0 : 1;
}
