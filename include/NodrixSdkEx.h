/*
 * NodrixSdkEx.h - extension API of the NodrixT520 USB 3.0 camera SDK.
 *
 * Functions named NodrixEx_ are exported by the same library as the
 * Nodrix_ functions of NodrixSdk.h (NodrixSdk_T520_USB3.dll, libnodrix.so)
 * and take the same connection handles. They add what the classic interface
 * has no room for: per-frame metadata, stream statistics, a plain function
 * callback for every delivered frame, and error texts.
 *
 * Conventions:
 * - Every record begins with its own size in bytes. The caller sets `size`
 *   before the call (sizeof the record as this header declares it); the
 *   library fills at most that many bytes, so a program built against this
 *   header keeps working when a later version grows the record.
 * - Functions returning int return 1 on success and 0 on failure. With a
 *   handle that is not (or no longer) registered they return 0, record
 *   nothing and leave every out-parameter untouched. Other failures push an
 *   error code (NODRIX_ERROR_...) onto the connection's error stack, read by
 *   Nodrix_GetLastError.
 * - The header compiles as C (C89 or later) and as C++ (C++98 or later).
 */
#ifndef NODRIX_SDK_EX_H
#define NODRIX_SDK_EX_H

#include "NodrixSdk.h"

/* Version of the extension API: major << 16 | minor. A minor step only
 * adds functions or grows records at their end. */
#define NODRIXEX_API_VERSION 0x00010000

/* ---- Records ---------------------------------------------------------- */

/* Metadata of one delivered frame. */
typedef struct NodrixExFrameMetadata {
    uint32_t size;            /* caller: sizeof(NodrixExFrameMetadata) */
    uint32_t frameNumber;     /* the camera's frame number (frame header, or
                                 the FPGA frame counter in trigger mode);
                                 wraps after 0xFFFFFFFF */
    uint64_t timestampUs;     /* host monotonic clock, microseconds, taken
                                 when the frame's payload completed */
    int32_t exposure10;       /* exposure in effect, tenths of a millisecond */
    int32_t gain;             /* gain in effect */
    int32_t x;                /* capture window: left column */
    int32_t y;                /* capture window: top row */
    int32_t width;            /* pixels */
    int32_t height;           /* pixels */
    int32_t bitsPerPixel;     /* of the delivered image: 8, 16, 24, ... 64 */
    int32_t significantBits;  /* significant bits per sample: 8, 12 or 16 */
    uint32_t lostBefore;      /* frames lost since the previously delivered
                                 frame on this handle */
    uint32_t reserved;        /* 0 */
} NodrixExFrameMetadata;

/* Stream statistics of one connection since it opened or since the last
 * NodrixEx_ResetStreamStatistics. Every frame that enters the library and
 * does not reach the application is counted under exactly one lost...
 * reason, so framesReceived == framesDelivered + the sum of the lost...
 * counters, up to the frames in flight at the moment of reading. */
typedef struct NodrixExStreamStatistics {
    uint32_t size;              /* caller: sizeof(NodrixExStreamStatistics) */
    uint32_t reserved;          /* 0 */
    uint64_t framesReceived;    /* frames the camera sent, as far as known */
    uint64_t framesDelivered;   /* frames handed to the application */
    uint64_t lostHeader;        /* failed or short frame headers */
    uint64_t lostPayload;       /* failed or short payloads, time-outs */
    uint64_t lostGap;           /* gaps in the camera's frame numbers */
    uint64_t lostOverwritten;   /* replaced by a newer frame before anyone
                                   took them */
    uint64_t lostBufferTooSmall;/* not delivered: the application's buffer
                                   was too small */
    uint64_t recoveries;        /* acquisition restarts after failures */
    double receivedRate;        /* frames per second, recent */
    double deliveredRate;       /* frames per second, recent */
} NodrixExStreamStatistics;

/* A delivered frame as the frame callback sees it: read-only, valid only
 * for the duration of the call. */
typedef struct NodrixExFrame {
    uint32_t size;            /* sizeof(NodrixExFrame) of the library */
    int32_t width;            /* pixels */
    int32_t height;           /* pixels */
    int32_t bitsPerPixel;     /* 8, 16, 24, 32, 48 or 64 */
    int32_t stride;           /* bytes from one row to the next (positive) */
    int32_t topRowFirst;      /* 1: the first row in memory is the top row of
                                 the picture; 0: the bottom row */
    const void *pixels;       /* first row in memory */
    size_t bytes;             /* stride x height */
    NodrixExFrameMetadata metadata;
} NodrixExFrame;

/* Called on the library's worker thread for every frame delivered in
 * preview or trigger mode. It must not block for long: frames that arrive
 * meanwhile are counted as overwritten. Calling Nodrix_StopPreview,
 * Nodrix_Release or NodrixEx_SetFrameCallback on the same handle from
 * inside the callback fails (error NODRIX_ERROR_NO_CORE) instead of
 * deadlocking. */
typedef void(NODRIX_CALL *NodrixExFrameCallback)(int handle, const NodrixExFrame *frame,
                                                 void *user);

#ifdef __cplusplus
extern "C" {
#endif

/* The extension API's version, NODRIXEX_API_VERSION of the library. */
NODRIX_API int NODRIX_CALL NodrixEx_GetApiVersion(void);

/* A one-line English description of an error code (NODRIX_ERROR_...), or
 * "unknown error code" for a value that is none. Never NULL; the text is
 * static. */
NODRIX_API const char *NODRIX_CALL NodrixEx_ErrorText(int code);

/* Metadata of the frame most recently delivered on this handle (by
 * Nodrix_SnapShot, Nodrix_GetImage, the preview copy or a callback).
 * Fails with NODRIX_ERROR_INVALID_ARGUMENT when metadata is NULL or its
 * size is below 8, and with NODRIX_ERROR_FRAME when no frame was delivered
 * yet. */
NODRIX_API int NODRIX_CALL NodrixEx_GetFrameMetadata(int handle,
                                                     NodrixExFrameMetadata *metadata);

/* Stream statistics of the connection. Fails with
 * NODRIX_ERROR_INVALID_ARGUMENT when statistics is NULL or its size is
 * below 8. */
NODRIX_API int NODRIX_CALL NodrixEx_GetStreamStatistics(int handle,
                                                        NodrixExStreamStatistics *statistics);

/* Sets every counter and rate of the statistics to 0. */
NODRIX_API int NODRIX_CALL NodrixEx_ResetStreamStatistics(int handle);

/* Installs (or, with callback NULL, removes) the frame callback. Removing
 * or replacing it waits for a running call to return. */
NODRIX_API int NODRIX_CALL NodrixEx_SetFrameCallback(int handle, NodrixExFrameCallback callback,
                                                     void *user);

#ifdef __cplusplus
}
#endif

#endif /* NODRIX_SDK_EX_H */
