/* Every frame, in order, into buffers of our own: announce them to the
 * connection's stream, queue them, start, and take each filled buffer with
 * a wait that has a time-out; queue it again once done with it.
 *
 *   stream [FRAMES]
 */
#include <NodrixSdkEx.h>
#include <stdio.h>
#include <stdlib.h>

#define BUFFERS 8

int main(int argc, char** argv) {
    const long wanted = argc > 1 ? atol(argv[1]) : 50;
    void* memory[BUFFERS] = {0};
    int ids[BUFFERS] = {0};
    NodrixExStreamInfo info;
    NodrixExStreamBuffer buffer;
    long frames = 0, lost = 0, sum = 0;
    int handle, i, ok = 1;

    handle = Nodrix_Initialize(0);
    if (handle == 0 || !Nodrix_SetDeviceNumber(handle, 0)) {
        fprintf(stderr, "stream: no camera\n");
        if (handle != 0) Nodrix_Release(handle);
        return 1;
    }
    Nodrix_SetColorMode(handle, NODRIX_BITS_GREY8);

    /* Frames come packed, top row first: payloadBytes = stride x height. */
    info.size = sizeof info;
    if (!NodrixEx_StreamGetInfo(handle, &info)) ok = 0;
    for (i = 0; ok && i < BUFFERS; ++i) {
        memory[i] = malloc((size_t)info.payloadBytes);
        /* The library fills queued buffers in place; ours until queued. */
        ok = memory[i] != NULL &&
             NodrixEx_StreamAnnounceBuffer(handle, memory[i], (size_t)info.payloadBytes, NULL,
                                           &ids[i]) &&
             NodrixEx_StreamQueueBuffer(handle, ids[i]);
    }
    if (ok) ok = NodrixEx_StreamStart(handle, 0);
    if (ok) printf("%d x %d, %d bits per pixel\n", info.width, info.height, info.bitsPerPixel);

    while (ok && frames < wanted) {
        buffer.size = sizeof buffer;
        /* One second at most: a stop, a cancel or a lost camera end it too. */
        switch (NodrixEx_StreamWaitBuffer(handle, 1000, &buffer)) {
            case NODRIXEX_WAIT_BUFFER:
                /* Ours until queued again: read it, then hand it back. */
                ++frames;
                lost += (long)buffer.metadata.lostBefore;
                sum += ((const unsigned char*)buffer.pixels)[buffer.bytes / 2];
                ok = NodrixEx_StreamQueueBuffer(handle, buffer.id);
                break;
            case NODRIXEX_WAIT_TIMEOUT:
                fprintf(stderr, "stream: no frame within a second\n");
                ok = 0;
                break;
            default:
                ok = 0;
                break;
        }
    }
    if (!ok) fprintf(stderr, "stream: failed (error %d)\n", Nodrix_GetLastError(handle));

    /* Stop returns every buffer to us; revoked, it may be freed. */
    NodrixEx_StreamStop(handle);
    for (i = 0; i < BUFFERS; ++i) {
        if (ids[i] != 0) NodrixEx_StreamRevokeBuffer(handle, ids[i], NULL, NULL);
        free(memory[i]);
    }
    Nodrix_Release(handle);
    printf("%ld frames, %ld lost on the way, mean centre pixel %ld\n", frames, lost,
           frames > 0 ? sum / frames : 0);
    return ok ? 0 : 1;
}
