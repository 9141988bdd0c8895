/**
 * @file
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
 *   library fills at most that many bytes and leaves in `size` the number
 *   of bytes it filled, so a program built against this header keeps
 *   working when a later version grows the record, and a program built
 *   against a later header learns what an older library filled.
 * - Functions returning int return 1 on success and 0 on failure. With a
 *   handle that is not (or no longer) registered they return 0, record
 *   nothing and leave every out-parameter untouched. Other failures push an
 *   error code (NODRIX_ERROR_...) onto the connection's error stack, read by
 *   Nodrix_GetLastError, and leave the out-parameters untouched as well.
 * - All functions may be called from any thread, including from inside the
 *   frame callback (see NodrixExFrameCallback for what is refused there).
 * - The header compiles as C (C89 or later) and as C++ (C++98 or later).
 */
#ifndef NODRIX_SDK_EX_H
#define NODRIX_SDK_EX_H

#include "NodrixSdk.h"

/** Version of the extension API: major << 16 | minor. A minor step only
 *  adds functions or grows records at their end. */
#define NODRIXEX_API_VERSION 0x00010002

/* ---- Records ---------------------------------------------------------- */

/**
 * Metadata of one delivered frame. A frame is delivered when it reaches the
 * application: copied by Nodrix_SnapShot, converted by the preview or
 * trigger worker (and copied into the application's buffer when one is
 * set), or handed to the frame callback.
 */
typedef struct NodrixExFrameMetadata {
    uint32_t size;            /**< caller: sizeof(NodrixExFrameMetadata) */
    uint32_t frameNumber;     /**< the camera's frame number (frame header, or
                                   the FPGA frame counter in trigger mode);
                                   wraps after 0xFFFFFFFF */
    uint64_t timestampUs;     /**< host monotonic clock, microseconds, taken
                                   when the frame's payload completed */
    int32_t exposure10;       /**< exposure in effect, tenths of a millisecond
                                   (as Nodrix_GetRealExposureTime / 100) */
    int32_t gain;             /**< global gain code in effect */
    int32_t x;                /**< capture window: left column on the sensor */
    int32_t y;                /**< capture window: top row on the sensor */
    int32_t width;            /**< of the delivered image, pixels */
    int32_t height;           /**< of the delivered image, pixels */
    int32_t bitsPerPixel;     /**< of the delivered image: 8, 16, 24, ... 64 */
    int32_t significantBits;  /**< significant bits per sample: 8 in 8-bit
                                   samples; 12 (the camera's) in 16-bit
                                   samples, 16 once the flat field scaled
                                   them */
    uint32_t lostBefore;      /**< frames lost (any reason of the statistics)
                                   since the previously delivered frame on
                                   this handle; not cleared by a statistics
                                   reset */
    uint32_t reserved;        /**< 0 */
} NodrixExFrameMetadata;

/**
 * Stream statistics of one connection since it opened or since the last
 * NodrixEx_ResetStreamStatistics. Every frame that enters the library and
 * does not reach the application is counted under exactly one lost...
 * reason, so
 *
 *     framesReceived == framesDelivered + the sum of the lost... counters
 *                       + the frames in flight.
 *
 * Frames in flight are those completed but not yet delivered or lost (the
 * frames that arrived since the worker last took one, which it counts as
 * overwritten or delivers when it takes the next, and the frame it is
 * converting; in the stream, the frames filled but not yet handed out by
 * a wait, and the one being converted), plus failed header tries whose
 * cost is known only when the next header's frame number arrives. Once the
 * acquisition has stopped
 * (Nodrix_StopPreview, NodrixEx_StreamStop or a Nodrix_SnapShot returned)
 * nothing is in flight and the equation holds exactly; a stop counts frames
 * left untaken in the ring, and filled stream buffers no wait handed out,
 * as overwritten. A reset keeps the frames in flight as
 * received (framesReceived restarts from their number), so the equation
 * holds exactly after a reset as well.
 */
typedef struct NodrixExStreamStatistics {
    uint32_t size;              /**< caller: sizeof(NodrixExStreamStatistics) */
    uint32_t reserved;          /**< 0 */
    uint64_t framesReceived;    /**< frames the camera sent, as far as known:
                                     completed ones and every one lost below */
    uint64_t framesDelivered;   /**< frames handed to the application */
    uint64_t lostHeader;        /**< failed, short or timed-out frame headers
                                     that cost a frame */
    uint64_t lostPayload;       /**< failed or short payloads, time-outs */
    uint64_t lostGap;           /**< frame numbers the camera skipped (frames
                                     it dropped, or lost on the way unseen) */
    uint64_t lostOverwritten;   /**< replaced in the ring by a newer frame, or
                                     discarded by a stop, before anyone took
                                     them (a slow reader or callback) */
    uint64_t lostBufferTooSmall;/**< not delivered: the application's buffer
                                     was too small (error 5) */
    uint64_t recoveries;        /**< times the stream completed a frame again
                                     after failed reads */
    double receivedRate;        /**< frames per second over the last second
                                     (the time so far in the first second);
                                     0 a second after the last frame */
    double deliveredRate;       /**< likewise for delivered frames */
    uint64_t notRecorded;       /**< delivered while a recording ran but not
                                     recorded: the disk could not keep up and
                                     the recording's queue was full. Counted
                                     apart from the lost... reasons (these
                                     frames were delivered). Since API 1.1. */
    uint64_t lostNoBuffer;      /**< not delivered by the stream: no empty
                                     buffer was queued (the newest frame was
                                     dropped), or, with
                                     NODRIXEX_STREAM_RECYCLE_OLDEST, the
                                     oldest filled buffer was taken back for
                                     a newer frame. Since API 1.2. */
} NodrixExStreamStatistics;

/** Recording formats of NodrixEx_SetRecordFormat. */
/** 24-bit bottom-up bitmap frames in one RIFF of at most 4 GiB, indexed when
 *  the recording ends: the file Nodrix_Record writes unless told otherwise,
 *  byte for byte. Any colour mode. */
#define NODRIXEX_RECORD_CLASSIC 0
/** 24-bit bottom-up bitmap frames in a file of any length (OpenDML: the
 *  first RIFF reads as a plain AVI file, later ones are AVIX RIFFs).
 *  Any colour mode. */
#define NODRIXEX_RECORD_BGR24 1
/** 8-bit grey frames with a grey colour table, any length; a third of the
 *  bytes of 24-bit frames. 16-bit samples keep the top eight of their
 *  significant bits. Colour modes 8 and 16. */
#define NODRIXEX_RECORD_GREY8 2
/** 16-bit grey samples as they are (little-endian, rows top first) under
 *  the four-character code 'Y' '1' 0 16, any length. Readers of raw
 *  samples take them as 16-bit grey (ffmpeg: give -c:v rawvideo before
 *  -i). Colour mode 16. */
#define NODRIXEX_RECORD_GREY16 3

/**
 * The state of the connection's recording (the running one, or the last).
 * Frames reach a recording through a queue in the order the camera sent
 * them; a frame is left out only when the queue is full because the disk
 * cannot keep up (framesDropped, and notRecorded of the statistics).
 */
typedef struct NodrixExRecordStatus {
    uint32_t size;            /**< caller: sizeof(NodrixExRecordStatus) */
    int32_t recording;        /**< 1 while it runs; 0 once its file is complete */
    uint64_t framesWritten;   /**< frames in the file */
    uint64_t framesDropped;   /**< frames left out: the queue was full */
    uint64_t bytesWritten;    /**< bytes of the file written so far */
    int32_t error;            /**< 0, or what ended it early: NODRIX_ERROR_FILE
                                   (a write failed: full disk, size limit;
                                   NodrixEx_GetLastSystemError tells why) */
    int32_t format;           /**< its NODRIXEX_RECORD_ format */
} NodrixExRecordStatus;

/**
 * A delivered frame as the frame callback sees it: the connection's output
 * image in the colour format of Nodrix_SetColorMode, read-only, valid only
 * for the duration of the call.
 */
typedef struct NodrixExFrame {
    uint32_t size;            /**< sizeof(NodrixExFrame) of the library */
    int32_t width;            /**< pixels */
    int32_t height;           /**< pixels */
    int32_t bitsPerPixel;     /**< 8, 16, 24, 32, 48 or 64 */
    int32_t stride;           /**< bytes from one row to the next (positive) */
    int32_t topRowFirst;      /**< 1: the first row in memory is the top row
                                   of the picture; 0: the bottom row */
    const void *pixels;       /**< first row in memory */
    size_t bytes;             /**< stride x height */
    NodrixExFrameMetadata metadata; /**< of this frame */
} NodrixExFrame;

/**
 * The frame callback. Called on the library's worker thread for every frame
 * delivered in preview or trigger mode (after the frame was copied into the
 * buffer of Nodrix_CallBackPreview or Nodrix_Trigger, when one is set, and
 * before the next frame is taken), on Windows and natively alike. It must
 * not block for long: frames that arrive meanwhile are counted as
 * overwritten. It is never called after Nodrix_StopPreview, Nodrix_Close or
 * Nodrix_Release has returned.
 *
 * A stop waits for the callback, so from inside it every call on the same
 * handle that would start or stop an acquisition or wait for the callback
 * fails with error NODRIX_ERROR_NO_CORE instead of deadlocking:
 * Nodrix_StopPreview, Nodrix_Close, Nodrix_Release,
 * NodrixEx_SetFrameCallback, Nodrix_Preview, Nodrix_CallBackPreview,
 * Nodrix_StartPreview, Nodrix_Capture, Nodrix_SnapShot, Nodrix_Trigger and
 * Nodrix_Record. Everything else (Nodrix_GetImage,
 * NodrixEx_GetFrameMetadata, the parameters, other handles) works.
 *
 * @param handle the handle the callback was installed on.
 * @param frame the frame and its metadata; valid for the call only.
 * @param user the pointer given to NodrixEx_SetFrameCallback.
 */
typedef void(NODRIX_CALL *NodrixExFrameCallback)(int handle, const NodrixExFrame *frame,
                                                 void *user);

/* ---- Stream ----------------------------------------------------------- */

/*
 * The stream hands every frame, in the order the camera sent it, to
 * buffers the application announced, without going through the ring of
 * four frames the classic acquisition reads newest-first.
 *
 * Life of a buffer, and who owns its memory at every moment:
 *   announced  NodrixEx_StreamAnnounceBuffer: known to the stream, owned by
 *              the application (it may read and write it; the library does
 *              not touch it).
 *   queued     NodrixEx_StreamQueueBuffer: owned by the library until a
 *              wait hands it back filled, or NodrixEx_StreamStop returns
 *              it. The application must neither read, write nor free it.
 *   filled     holds a frame, waiting in the output queue for
 *              NodrixEx_StreamWaitBuffer; still owned by the library.
 *   handed out NodrixEx_StreamWaitBuffer returned it: owned by the
 *              application until it queues it again.
 * NodrixEx_StreamStop returns every queued and filled buffer to the
 * application (announced). NodrixEx_StreamRevokeBuffer forgets an announced
 * or handed-out buffer; a queued or filled one is refused. Nodrix_Release
 * stops the stream and forgets every buffer; memory the library allocated
 * is freed then, the application's own memory is never freed by the
 * library.
 *
 * Frames: rows top first, packed (stride = width x bytes per pixel), in the
 * colour format of Nodrix_SetColorMode, the same pixels Nodrix_SnapShot
 * gives in the same settings. In a grey colour mode (8 or 16 bits) with no
 * pipeline step and no software mirror the camera's bulk reads land in the
 * queued buffer itself; otherwise the frame is converted once, into it.
 * Which of the two a stream takes is decided when it starts: a setting
 * changed while it runs that would choose the other (a pipeline step
 * switched on or off, a mirror) takes effect at the next start. Image
 * settings that keep the path take effect at once. Nodrix_SetColorMode is
 * refused (NODRIX_ERROR_NO_CORE) while the stream runs.
 *
 * With no empty buffer queued when a frame arrives, the newest frame is
 * dropped; with NODRIXEX_STREAM_RECYCLE_OLDEST the oldest filled buffer not
 * yet handed out takes the new frame instead. Either way the frame given
 * up is counted in lostNoBuffer of the statistics and in lostBefore of the
 * next frame's metadata. No frame is dropped while an empty buffer is
 * queued.
 *
 * Threads: the stream runs on a thread of its own per connection. Every
 * call may come from any thread. Several threads may wait at once; each
 * filled buffer goes to one of them. The frame callback
 * (NodrixEx_SetFrameCallback) is called for every frame the stream
 * delivers, on the stream's thread, with the buffer's pixels, before the
 * buffer is handed out; from inside it the stream calls that start, stop
 * or wait fail with NODRIX_ERROR_NO_CORE. The callback's metadata is the
 * metadata the wait then hands out with the buffer, field for field; its
 * lostBefore counts from the frame before that the stream completed. Only
 * a frame the callback saw but no wait handed out (recycled with
 * NODRIXEX_STREAM_RECYCLE_OLDEST, or discarded by a stop) makes them
 * differ: the next buffer's lostBefore then counts that frame and the
 * frames lost before it as well.
 *
 * The stream is an acquisition mode: while it runs, Nodrix_Preview,
 * Nodrix_CallBackPreview, Nodrix_StartPreview, Nodrix_Capture,
 * Nodrix_SnapShot, Nodrix_Trigger and Nodrix_Record fail with
 * NODRIX_ERROR_NO_CORE, and the stream does not start while one of them
 * runs. Nodrix_StopPreview stops the stream as well. Nodrix_GetImage fails
 * with NODRIX_ERROR_NO_CORE too: the stream's frames are in the
 * application's buffers, each handed out once, and the connection keeps no
 * image of them (after a stop, Nodrix_GetImage gives the frame of the last
 * other acquisition, as before the stream started).
 *
 * Nodrix_SetCameraDlg pauses a running stream while the dialog is open, as
 * it pauses a preview: the camera stops, frames read before are handed
 * out, waits go on waiting and queued buffers stay queued. When the dialog
 * closes, the stream goes on in the same buffers, frames in the camera's
 * order; the frames the camera made meanwhile are not counted as lost. If
 * the dialog changed the frame the buffers were shaped for (its size or
 * format), the stream ends instead, as NodrixEx_StreamStop ends it (waits
 * return NODRIXEX_WAIT_STOPPED, every buffer is the application's again):
 * read NodrixEx_StreamGetInfo and start it again. The dialog leaves no error
 * for this on the error stack; buffers too small for the new frame are
 * refused by that start (error 5).
 */

/** NodrixEx_StreamStart flags. */
/** Free-running frames (no flag) or, with this flag, a frame per trigger
 *  (the trigger mode of Nodrix_Trigger). */
#define NODRIXEX_STREAM_TRIGGER 0x1
/** With no empty buffer queued, recycle the oldest filled buffer not yet
 *  handed out for the new frame, instead of dropping the new frame. */
#define NODRIXEX_STREAM_RECYCLE_OLDEST 0x2

/** NodrixEx_StreamWaitBuffer time-out that waits for ever. */
#define NODRIXEX_WAIT_INFINITE (-1)

/** Results of NodrixEx_StreamWaitBuffer. */
#define NODRIXEX_WAIT_FAILED 0    /**< an error code was pushed (see the call) */
#define NODRIXEX_WAIT_BUFFER 1    /**< a filled buffer was handed out */
#define NODRIXEX_WAIT_TIMEOUT 2   /**< no frame within the time-out */
#define NODRIXEX_WAIT_CANCELLED 3 /**< NodrixEx_StreamCancelWaits woke it */
#define NODRIXEX_WAIT_STOPPED 4   /**< the stream is not running, or was
                                       stopped, or the handle released,
                                       while it waited */

/**
 * What the stream would deliver in the connection's present settings, and
 * the state of its buffers.
 */
typedef struct NodrixExStreamInfo {
    uint32_t size;         /**< caller: sizeof(NodrixExStreamInfo) */
    int32_t running;       /**< 1 while the stream runs */
    uint64_t payloadBytes; /**< bytes a buffer needs for one frame:
                                stride x height */
    int32_t width;         /**< pixels */
    int32_t height;        /**< pixels */
    int32_t bitsPerPixel;  /**< 8, 16, 24, 32, 48 or 64 */
    int32_t stride;        /**< bytes from one row to the next: width x
                                bytes per pixel */
    int32_t announced;     /**< buffers announced, in any state */
    int32_t queued;        /**< buffers queued and empty */
    int32_t filled;        /**< buffers filled, not yet handed out */
    int32_t flags;         /**< NODRIXEX_STREAM_ flags of the running stream */
} NodrixExStreamInfo;

/**
 * A filled buffer as NodrixEx_StreamWaitBuffer hands it out.
 */
typedef struct NodrixExStreamBuffer {
    uint32_t size;         /**< caller: sizeof(NodrixExStreamBuffer) */
    int32_t id;            /**< the buffer's identifier from
                                NodrixEx_StreamAnnounceBuffer */
    void *pixels;          /**< the buffer's memory: the top row first */
    void *user;            /**< as announced */
    size_t capacity;       /**< bytes of the buffer, as announced */
    size_t bytes;          /**< bytes of the frame: stride x height */
    int32_t width;         /**< pixels */
    int32_t height;        /**< pixels */
    int32_t bitsPerPixel;  /**< 8, 16, 24, 32, 48 or 64 */
    int32_t stride;        /**< width x bytes per pixel */
    NodrixExFrameMetadata metadata; /**< of this frame */
} NodrixExStreamBuffer;


#ifdef __cplusplus
extern "C" {
#endif

/**
 * The extension API's version.
 * @return NODRIXEX_API_VERSION of the library, major << 16 | minor; compare
 *         its major part with the header's. Cannot fail.
 */
NODRIX_API int NODRIX_CALL NodrixEx_GetApiVersion(void);

/**
 * A one-line English description of an error code.
 * @param code an error code (NODRIX_ERROR_..., as Nodrix_GetLastError
 *        returns it).
 * @return the description, without a final period or line break, or
 *         "unknown error code" for a value that is none. Never NULL; the
 *         text is static and never freed. Cannot fail.
 */
NODRIX_API const char *NODRIX_CALL NodrixEx_ErrorText(int code);

/**
 * Metadata of the frame most recently delivered on this handle (by
 * Nodrix_SnapShot, the preview or trigger worker, or the callback), or of
 * the frame that Nodrix_GetImage copied out last if that came later.
 * @param handle connection handle from Nodrix_Initialize.
 * @param metadata the caller's record, its size set (see Conventions).
 * @return 1/0. 0 for an unknown handle (nothing recorded). Errors:
 *         NODRIX_ERROR_INVALID_ARGUMENT (metadata NULL or its size below 8),
 *         NODRIX_ERROR_FRAME (no frame delivered on this handle yet).
 */
NODRIX_API int NODRIX_CALL NodrixEx_GetFrameMetadata(int handle,
                                                     NodrixExFrameMetadata *metadata);

/**
 * Stream statistics of the connection (see NodrixExStreamStatistics).
 * @param handle connection handle from Nodrix_Initialize.
 * @param statistics the caller's record, its size set (see Conventions).
 * @return 1/0. 0 for an unknown handle (nothing recorded). Errors:
 *         NODRIX_ERROR_INVALID_ARGUMENT (statistics NULL or its size below
 *         8), NODRIX_ERROR_NO_CORE (the connection has no camera core).
 */
NODRIX_API int NODRIX_CALL NodrixEx_GetStreamStatistics(int handle,
                                                        NodrixExStreamStatistics *statistics);

/**
 * Sets every counter and rate of the statistics to 0; the acquisition goes
 * on undisturbed. lostBefore of the next frame's metadata still counts the
 * frames lost before the reset.
 * @param handle connection handle from Nodrix_Initialize.
 * @return 1/0. 0 for an unknown handle (nothing recorded). Errors:
 *         NODRIX_ERROR_NO_CORE (the connection has no camera core).
 */
NODRIX_API int NODRIX_CALL NodrixEx_ResetStreamStatistics(int handle);

/**
 * Installs the frame callback (replacing any other) or removes it. It may
 * be set before or during an acquisition and stays installed across
 * acquisitions until removed or the handle is released. Removing or
 * replacing it waits for a running call to return, so that afterwards the
 * old callback is not running and is never called again.
 * @param handle connection handle from Nodrix_Initialize.
 * @param callback the function to call for every delivered frame, or NULL
 *        to remove the callback.
 * @param user handed to every call unchanged; the library never touches it.
 * @return 1/0. 0 for an unknown handle (nothing recorded). Errors:
 *         NODRIX_ERROR_NO_CORE (called from inside this handle's own
 *         callback).
 */
NODRIX_API int NODRIX_CALL NodrixEx_SetFrameCallback(int handle, NodrixExFrameCallback callback,
                                                     void *user);

/**
 * The SDK's release as text, "MAJOR.MINOR.PATCH" (e.g. "1.0.0"): the
 * version the packages, the CMake package, pkg-config, the nodrix tool and
 * the Python package carry. Nodrix_GetDllVersion keeps its own number.
 * Added in extension API 1.1.
 * @return the version text. Never NULL; the text is static and never
 *         freed. Cannot fail.
 */
NODRIX_API const char *NODRIX_CALL NodrixEx_GetVersionText(void);

/**
 * Whether the connection stores the selected camera's settings when it ends
 * (Nodrix_Release) or selects another camera (Nodrix_SetDeviceNumber): the
 * camera group (gains, colour gains, exposure in tenths and in seconds,
 * mirrors, automatic exposure mode, gain mode, black level), the image
 * group (brightness, contrast, hue, saturation, sharpness, Bayer gains,
 * gamma, Bayer mode) and the grey group (grey mode, gains and offsets). On
 * by default. With 0 the stored settings stay as they were, so that what a
 * test or a one-off program sets does not become the start of every later
 * program. The first connection on a machine without stored settings still
 * writes the defaults it starts from; the camera dialog still stores what
 * its OK confirms. Added in extension API 1.1.
 * @param handle connection handle from Nodrix_Initialize.
 * @param save 1 to store the settings (the default), 0 to leave them.
 * @return 1, or 0 for an unknown handle (nothing recorded).
 */
NODRIX_API int NODRIX_CALL NodrixEx_SetSaveOnRelease(int handle, int save);

/**
 * The system's reason for the connection's last failed file read or write
 * (the one that pushed NODRIX_ERROR_FILE), as the operating system words it
 * ("No such file or directory", "No space left on device"), or what the
 * library found when the system had no reason to give.
 * @param handle connection handle from Nodrix_Initialize.
 * @param text the caller's buffer; receives the text and its terminating
 *        zero, or an empty text when no file failure has happened.
 * @param size bytes of text.
 * @return 1/0. 0 for an unknown handle (nothing recorded). Errors:
 *         NODRIX_ERROR_INVALID_ARGUMENT (text NULL or size below 1),
 *         NODRIX_ERROR_MEMORY (the text and its zero do not fit size; the
 *         buffer is left untouched).
 */
NODRIX_API int NODRIX_CALL NodrixEx_GetLastSystemError(int handle, char *text, int size);

/**
 * Chooses the format of the connection's next recordings (Nodrix_Record);
 * a recording that runs keeps its own. The choice stays until changed or
 * the handle is released; NODRIXEX_RECORD_CLASSIC until then.
 * Every format but the classic one records any length, and brings its
 * headers and indexes up to date at least once a second, so a file whose
 * program was killed plays every frame up to the last update. Nodrix_Record
 * refuses (NODRIX_ERROR_INVALID_ARGUMENT) a format the colour mode cannot
 * give.
 * @param handle connection handle from Nodrix_Initialize.
 * @param format a NODRIXEX_RECORD_ format.
 * @return 1/0. 0 for an unknown handle (nothing recorded). Errors:
 *         NODRIX_ERROR_INVALID_ARGUMENT (no such format).
 */
NODRIX_API int NODRIX_CALL NodrixEx_SetRecordFormat(int handle, int format);

/**
 * The state of the running recording, or of the last one.
 * @param handle connection handle from Nodrix_Initialize.
 * @param status the caller's record, its size set (see Conventions).
 * @return 1/0. 0 for an unknown handle (nothing recorded). Errors:
 *         NODRIX_ERROR_INVALID_ARGUMENT (status NULL or its size below 8).
 */
NODRIX_API int NODRIX_CALL NodrixEx_GetRecordStatus(int handle, NodrixExRecordStatus *status);

/**
 * The frame size and layout the stream would deliver now, and its buffers'
 * states (see NodrixExStreamInfo). Added in extension API 1.2.
 * @param handle connection handle from Nodrix_Initialize.
 * @param info the caller's record, its size set (see Conventions).
 * @return 1/0. 0 for an unknown handle (nothing recorded). Errors:
 *         NODRIX_ERROR_INVALID_ARGUMENT (info NULL or its size below 8),
 *         NODRIX_ERROR_NO_CORE (the connection has no camera core).
 */
NODRIX_API int NODRIX_CALL NodrixEx_StreamGetInfo(int handle, NodrixExStreamInfo *info);

/**
 * Makes a buffer known to the connection's stream (announced, owned by the
 * application). Buffers may be announced while the stream runs.
 * @param handle connection handle from Nodrix_Initialize.
 * @param memory the application's memory of bytes bytes, which must stay
 *        valid until the buffer is revoked or the handle released; or NULL
 *        for memory the library allocates (and frees at revoke or release).
 * @param bytes the buffer's size; at least payloadBytes of the stream info
 *        when the stream starts or the buffer is queued into a running
 *        stream.
 * @param user handed back with the buffer; the library never touches it.
 * @param id receives the buffer's identifier (above 0).
 * @return 1/0. 0 for an unknown handle (nothing recorded). Errors:
 *         NODRIX_ERROR_INVALID_ARGUMENT (id NULL, bytes 0, or more than
 *         4096 buffers), NODRIX_ERROR_MEMORY (the library could not
 *         allocate them).
 */
NODRIX_API int NODRIX_CALL NodrixEx_StreamAnnounceBuffer(int handle, void *memory, size_t bytes,
                                                         void *user, int *id);

/**
 * Forgets an announced or handed-out buffer; frees the memory the library
 * allocated for it.
 * @param handle connection handle from Nodrix_Initialize.
 * @param id the buffer's identifier.
 * @param memory receives the buffer's memory (NULL for memory the library
 *        allocated, now freed); may be NULL.
 * @param user receives the user pointer; may be NULL.
 * @return 1/0. 0 for an unknown handle (nothing recorded). Errors:
 *         NODRIX_ERROR_INVALID_ARGUMENT (no such buffer),
 *         NODRIX_ERROR_NO_CORE (the buffer is queued or filled: the library
 *         owns it; stop the stream first).
 */
NODRIX_API int NODRIX_CALL NodrixEx_StreamRevokeBuffer(int handle, int id, void **memory,
                                                       void **user);

/**
 * Queues an announced or handed-out buffer to be filled (the library owns
 * it from now on). Buffers are filled in the order they were queued.
 * @param handle connection handle from Nodrix_Initialize.
 * @param id the buffer's identifier.
 * @return 1/0. 0 for an unknown handle (nothing recorded). Errors:
 *         NODRIX_ERROR_INVALID_ARGUMENT (no such buffer, or it is queued or
 *         filled already), NODRIX_ERROR_MEMORY (the stream runs and the
 *         buffer is smaller than a frame).
 */
NODRIX_API int NODRIX_CALL NodrixEx_StreamQueueBuffer(int handle, int id);

/**
 * Starts the stream: prepares the camera as Nodrix_StartPreview does and
 * begins filling the queued buffers (none need be queued yet).
 * @param handle connection handle from Nodrix_Initialize.
 * @param flags 0, or NODRIXEX_STREAM_ flags.
 * @return 1/0. 0 for an unknown handle (nothing recorded). Errors:
 *         NODRIX_ERROR_NO_CORE (another acquisition mode runs, or called
 *         from inside the frame callback), NODRIX_ERROR_INVALID_ARGUMENT
 *         (unknown flags), NODRIX_ERROR_MEMORY (an announced buffer is
 *         smaller than a frame in the present settings; nothing started),
 *         and the errors of Nodrix_StartPreview.
 */
NODRIX_API int NODRIX_CALL NodrixEx_StreamStart(int handle, int flags);

/**
 * Stops the stream and returns every queued and filled buffer to the
 * application (announced). Waiting threads return NODRIXEX_WAIT_STOPPED.
 * Returns within a bounded time whatever the camera does (unplugged, no
 * trigger coming). Stopping a stream that does not run succeeds.
 * @param handle connection handle from Nodrix_Initialize.
 * @return 1/0. 0 for an unknown handle (nothing recorded). Errors:
 *         NODRIX_ERROR_NO_CORE (called from inside the frame callback).
 */
NODRIX_API int NODRIX_CALL NodrixEx_StreamStop(int handle);

/**
 * Waits for the next filled buffer and hands it out (the application owns
 * it until it queues it again).
 * @param handle connection handle from Nodrix_Initialize.
 * @param timeoutMs milliseconds to wait: 0 only looks,
 *        NODRIXEX_WAIT_INFINITE waits until a frame, a cancel, a stop, a
 *        release or the loss of the camera.
 * @param buffer the caller's record, its size set (see Conventions);
 *        filled only with NODRIXEX_WAIT_BUFFER.
 * @return a NODRIXEX_WAIT_ result. NODRIXEX_WAIT_FAILED for an unknown
 *         handle (nothing recorded), and with an error pushed:
 *         NODRIX_ERROR_INVALID_ARGUMENT (buffer NULL or its size below 8,
 *         timeoutMs below -1), NODRIX_ERROR_CAMERA_LOST (the camera was
 *         lost; the stream has ended, every buffer it held is announced
 *         again), NODRIX_ERROR_NO_CORE (called from inside the frame
 *         callback).
 */
NODRIX_API int NODRIX_CALL NodrixEx_StreamWaitBuffer(int handle, int timeoutMs,
                                                     NodrixExStreamBuffer *buffer);

/**
 * Wakes the threads waiting in NodrixEx_StreamWaitBuffer on this handle
 * (they return NODRIXEX_WAIT_CANCELLED) and, with cancel 1, makes every
 * later wait return NODRIXEX_WAIT_CANCELLED at once until called with
 * cancel 0. The stream itself goes on filling buffers.
 * @param handle connection handle from Nodrix_Initialize.
 * @param cancel 1 to cancel waits from now on, 0 to allow them again.
 * @return 1, or 0 for an unknown handle (nothing recorded).
 */
NODRIX_API int NODRIX_CALL NodrixEx_StreamCancelWaits(int handle, int cancel);

#ifdef __cplusplus
}
#endif

#endif /* NODRIX_SDK_EX_H */
