/* The first picture: open the camera, take one frame into a buffer of our
 * own, and save it as a PNG file.
 *
 *   snapshot [FILE.png]
 */
#include <stdio.h>
#include <stdlib.h>

#include <NodrixSdk.h>

int main(int argc, char **argv) {
    const char *fileName = argc > 1 ? argv[1] : "snapshot.png";
    int handle, width, height, stride, size, ok = 0;
    unsigned char *pixels;

    /* No window receives error messages; errors are read from the stack. */
    handle = Nodrix_Initialize(0);
    if (handle == 0) {
        fprintf(stderr, "snapshot: the library could not be initialised\n");
        return 1;
    }
    /* The first camera found (with exactly one camera attached it is
     * already open). */
    if (!Nodrix_SetDeviceNumber(handle, 0)) {
        fprintf(stderr, "snapshot: no camera (error %d)\n", Nodrix_GetLastError(handle));
        Nodrix_Release(handle);
        return 1;
    }
    Nodrix_SetColorMode(handle, NODRIX_BITS_GREY8);

    /* Rows are padded to a multiple of 4 bytes. */
    width = Nodrix_Width(handle);
    height = Nodrix_Height(handle);
    stride = (width * NODRIX_BITS_GREY8 / 8 + 3) / 4 * 4;
    size = stride * height;
    pixels = (unsigned char *)malloc((size_t)size);
    if (pixels == NULL) {
        Nodrix_Release(handle);
        return 1;
    }

    /* Row order 1: the top row of the picture comes first in the buffer. */
    if (Nodrix_SnapShot(handle, pixels, size, 1)) {
        printf("%d x %d, top-left pixel %d, centre pixel %d\n", width, height, pixels[0],
               pixels[(height / 2) * stride + width / 2]);
        /* The frame just taken, written by the library. */
        ok = Nodrix_SaveImage(handle, fileName, NODRIX_IMAGE_PNG);
        if (ok) printf("saved %s\n", fileName);
    }
    if (!ok) fprintf(stderr, "snapshot: failed (error %d)\n", Nodrix_GetLastError(handle));

    free(pixels);
    Nodrix_Release(handle);
    return ok ? 0 : 1;
}
