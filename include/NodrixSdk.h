/**
 * @file
 * NodrixSdk.h - public C interface of the NodrixT520 USB 3.0 camera SDK.
 *
 * Every function uses the C calling convention. A connection is named by a
 * 32-bit handle returned by Nodrix_Initialize; every function except
 * Nodrix_Initialize and Nodrix_GetDllVersion takes it as its first argument.
 * Results marked 1/0 are 1 on success and 0 on failure. Getters that take an
 * `int *ok` write 1 or 0 there (ok may be NULL).
 *
 * With a handle that is not (or no longer) registered every function returns
 * 0, except Nodrix_GetColorMode, Nodrix_GetSubSample and Nodrix_GetWaitTime
 * (-1) and Nodrix_GetExposureTimeEx and Nodrix_GetTemperatureEx (0.0);
 * nothing is recorded and out-parameters are left untouched.
 *
 * Failures inside a connection push an error code (NODRIX_ERROR_...) onto
 * the connection's error stack, read newest first by Nodrix_GetLastError,
 * and post it to the recipient window as message NODRIX_WM_ERROR.
 *
 * Windows: link against NodrixSdk_T520_USB3.lib. Natively (Linux): link
 * against libnodrix.so; window arguments are integers of pointer size and
 * posted messages are delivered to the library's message sink.
 *
 * The header compiles as C (C89 or later) and as C++ (C++98 or later).
 */
#ifndef NODRIX_SDK_H
#define NODRIX_SDK_H

#include <stddef.h>
#include <stdint.h>

#ifdef _WIN32
#include <wchar.h>
#endif

/* ---- Calling convention and symbol visibility ------------------------ */

#ifdef _WIN32
#define NODRIX_CALL __cdecl
#if defined(NODRIX_BUILDING_SDK)
/* The library's .def file is the one authority on its exports (names and
 * aliases), so nothing is marked for export in the sources. */
#define NODRIX_API
#else
#define NODRIX_API __declspec(dllimport)
#endif
#else
#define NODRIX_CALL
/* The library is built with hidden visibility; only these functions show. */
#define NODRIX_API __attribute__((visibility("default")))
#endif

/* C linkage from C++, the import or visibility attribute and the calling
 * convention of every exported function, in one macro:
 * NODRIX_EXPORT(int) Nodrix_Width(int handle); */
#ifdef __cplusplus
#define NODRIX_EXTERN_C extern "C"
#else
#define NODRIX_EXTERN_C extern
#endif
#define NODRIX_EXPORT(type) NODRIX_EXTERN_C NODRIX_API type NODRIX_CALL

/* ---- Platform types -------------------------------------------------- */

#ifdef _WIN32
#ifndef _WINDEF_
/* The same declaration <windows.h> makes (STRICT handles); repeating it is
 * allowed in C11 and C++, so either header may come first. */
struct HWND__;
typedef struct HWND__* HWND;
#endif
/* A window handle. */
typedef HWND NodrixHwnd;
/* One UTF-16 code unit of the wide-string functions. */
typedef wchar_t NodrixWChar;
#else
/* A window handle: an integer of pointer size. */
typedef intptr_t NodrixHwnd;
#if defined(__cplusplus) && __cplusplus >= 201103L
typedef char16_t NodrixWChar;
#else
/* C, and C++ before C++11 (no char16_t): the same 16-bit unsigned unit. */
typedef uint16_t NodrixWChar;
#endif
#endif

/* ---- Constants ------------------------------------------------------- */

/* Result of Nodrix_GetDllVersion. */
#define NODRIX_DLL_VERSION 36242721

/* Window messages posted to the application (WM_APP + 2, WM_APP + 3). */
/* To the callback window: wParam = address of the FrameInfo record and
 * lParam = 0 for a delivered frame; wParam = 0 and lParam = an error code
 * (NODRIX_ERROR_FRAME, NODRIX_ERROR_MEMORY, NODRIX_ERROR_CAMERA_LOST)
 * otherwise. */
#define NODRIX_WM_FRAME 0x8002
/* To the recipient window: wParam = 0, lParam = error code. */
#define NODRIX_WM_ERROR 0x8003

/* Error codes (Nodrix_GetLastError, lParam of NODRIX_WM_ERROR). */
#define NODRIX_ERROR_NONE 0             /* success record / empty stack */
#define NODRIX_ERROR_NO_CORE 1          /* no camera, or not allowed in this mode */
#define NODRIX_ERROR_NOT_PRESENT 2      /* camera not present or not opened */
#define NODRIX_ERROR_THREAD 3           /* worker thread, event or memory unavailable */
#define NODRIX_ERROR_WINDOW 4           /* preview window / size preset missing */
#define NODRIX_ERROR_MEMORY 5           /* image memory missing or too small */
#define NODRIX_ERROR_CAMERA_REQUEST 6   /* the camera refused or did not answer */
#define NODRIX_ERROR_CAPTURE_WINDOW 7   /* capture window outside the sensor */
#define NODRIX_ERROR_FRAME 8            /* a frame could not be acquired */
#define NODRIX_ERROR_INVALID_ARGUMENT 9 /* invalid argument */
/* 10 is not used. */
#define NODRIX_ERROR_NOT_SUPPORTED 11 /* not supported by camera or library */
#define NODRIX_ERROR_TEXT 12          /* text conversion / string too long */
#define NODRIX_ERROR_CAMERA_LOST 13   /* the camera was lost during preview */
#define NODRIX_ERROR_MASK_FILE 14     /* mask file unreadable or invalid */
#define NODRIX_ERROR_FILE 15          /* a file could not be read or written; the
                                         system's reason: NodrixEx_GetLastSystemError */

/* Colour modes (internal index) and the bits per pixel that
 * Nodrix_SetColorMode takes and Nodrix_GetColorMode returns. */
#define NODRIX_COLOR_MODE_GREY8 0
#define NODRIX_COLOR_MODE_GREY16 1
#define NODRIX_COLOR_MODE_RGB24 2
#define NODRIX_COLOR_MODE_RGB32 3
#define NODRIX_COLOR_MODE_RGB48 4
#define NODRIX_COLOR_MODE_RGB64 5
#define NODRIX_BITS_GREY8 8
#define NODRIX_BITS_GREY16 16
#define NODRIX_BITS_RGB24 24
#define NODRIX_BITS_RGB32 32
#define NODRIX_BITS_RGB48 48
#define NODRIX_BITS_RGB64 64

/* Parameter codes of Nodrix_SetFilterValue / Nodrix_GetFilterValue. */
#define NODRIX_FILTER_BRIGHTNESS 1
#define NODRIX_FILTER_CONTRAST 2
#define NODRIX_FILTER_HUE 3
#define NODRIX_FILTER_SATURATION 4
#define NODRIX_FILTER_SHARPNESS 5
#define NODRIX_FILTER_BAYER_GAIN_RGB 6 /* red bits 0-7, green 8-15, blue 16-23 */
#define NODRIX_FILTER_BAYER_GAIN_RED 7
#define NODRIX_FILTER_BAYER_GAIN_GREEN 8
#define NODRIX_FILTER_BAYER_GAIN_BLUE 9
#define NODRIX_FILTER_BAYER_GAIN_AUTO 10
#define NODRIX_FILTER_GAMMA 11
#define NODRIX_FILTER_BAYER_MODE 12
#define NODRIX_FILTER_GLOBAL_GAIN 13
#define NODRIX_FILTER_COLOR_GAIN_RED 14
#define NODRIX_FILTER_COLOR_GAIN_GREEN1 15
#define NODRIX_FILTER_COLOR_GAIN_GREEN2 16
#define NODRIX_FILTER_COLOR_GAIN_BLUE 17
#define NODRIX_FILTER_EXPOSURE_TIME 18
#define NODRIX_FILTER_GRAY_MODE 19
#define NODRIX_FILTER_GRAY_GAIN_R 20
#define NODRIX_FILTER_GRAY_GAIN_G1 21
#define NODRIX_FILTER_GRAY_GAIN_G2 22
#define NODRIX_FILTER_GRAY_GAIN_B 23
#define NODRIX_FILTER_GRAY_OFFSET_R 24
#define NODRIX_FILTER_GRAY_OFFSET_G1 25
#define NODRIX_FILTER_GRAY_OFFSET_G2 26
#define NODRIX_FILTER_GRAY_OFFSET_B 27
#define NODRIX_FILTER_AUTO_GRAY_GAIN 28
#define NODRIX_FILTER_CHANNEL_GAIN_1 29   /* 29-32: channel gains 1-4 */
#define NODRIX_FILTER_CHANNEL_OFFSET_1 33 /* 33-36: channel offsets 1-4 */
#define NODRIX_FILTER_PELTIER 100
#define NODRIX_FILTER_TEMPERATURE 101
#define NODRIX_FILTER_DOT_FILTER 102
#define NODRIX_FILTER_MASK_FILTER 103
#define NODRIX_FILTER_GAIN_MODE 104
#define NODRIX_FILTER_SHORT_EXPOSURE 105
#define NODRIX_FILTER_BLACK_LEVEL 106

/* File kinds of Nodrix_SaveImage. */
#define NODRIX_IMAGE_BMP 0
#define NODRIX_IMAGE_RAW 1
#define NODRIX_IMAGE_JPEG_100 2
#define NODRIX_IMAGE_JPEG_70 3
#define NODRIX_IMAGE_JPEG_20 4
#define NODRIX_IMAGE_PNG 5
#define NODRIX_IMAGE_TIFF 6

/* Nodrix_EnumDevice(W) fills 10 slots of 256 characters each. */
#define NODRIX_ENUM_SLOTS 10
#define NODRIX_ENUM_SLOT_CHARS 256

/* ---- Records ---------------------------------------------------------- */

/* Handed to the callback window (wParam of NODRIX_WM_FRAME). Owned by the
 * connection: valid until Nodrix_Release, rewritten with every frame. In the
 * 32-bit DLL these are six 32-bit values. */
typedef struct FrameInfo {
    int32_t reserved;     /* always 0 */
    int32_t width;        /* pixels */
    int32_t height;       /* pixels */
    int32_t bitsPerPixel; /* 8, 16, 24, 32, 48 or 64 */
    int32_t frameRate10;  /* frames per second x 10; 0 in trigger mode */
    void* buffer;         /* the application buffer, or NULL */
} FrameInfo;

/* Filled by Nodrix_GetCameraInfo. The caller sets size (in bytes) first:
 * at least 36 fills maxWidth to exposureMax, at least 56 also the exposure
 * limits in seconds. reserved is never written. */
typedef struct NodrixCameraInfo {
    int32_t size;              /* byte 0 */
    int32_t maxWidth;          /* byte 4: 1280 */
    int32_t maxHeight;         /* byte 8: 1024 */
    int32_t gainMin;           /* byte 12 */
    int32_t gainMax;           /* byte 16 */
    int32_t colorGainMin;      /* byte 20 */
    int32_t colorGainMax;      /* byte 24 */
    int32_t exposureMin;       /* byte 28: tenths of a millisecond */
    int32_t exposureMax;       /* byte 32 */
    int32_t reserved;          /* byte 36 */
    double exposureSecondsMin; /* byte 40 */
    double exposureSecondsMax; /* byte 48 */
} NodrixCameraInfo;

#define NODRIX_CAMERA_INFO_BASIC_SIZE 36
#define NODRIX_CAMERA_INFO_FULL_SIZE 56

/* ---- Lifecycle and errors -------------------------------------------- */

/**
 * Opens a connection and sets up the camera core; must come first.
 * With exactly one camera attached it is opened; otherwise choose one with
 * Nodrix_SetDeviceNumber. Saved settings (colour mode, parameters, capture
 * window) are loaded.
 * @param recipient window that receives NODRIX_WM_ERROR for every error code
 *        and device arrival/removal notifications; 0 for none.
 * @return the new handle (nonzero, also when no camera was found or the setup
 *         failed: then Nodrix_GetLastError tells why), or 0 when no handle
 *         could be made. Errors: NODRIX_ERROR_MEMORY.
 */
NODRIX_EXPORT(int) Nodrix_Initialize(NodrixHwnd recipient);
/**
 * Ends a connection: stops every acquisition, saves the camera's settings,
 * closes the camera and frees the handle, which is invalid afterwards. Safe
 * while other threads are inside calls on the same handle: the handle is
 * unknown at once, and the connection closes when the last of those calls
 * has returned (waited for up to 15 s here, else by that call).
 * @param handle connection handle from Nodrix_Initialize.
 * @return 1, or 0 for an unknown handle.
 */
NODRIX_EXPORT(int) Nodrix_Release(int handle);
/**
 * Stops acquisition (as Nodrix_StopPreview) and destroys the preview window.
 * The connection stays usable.
 * @param handle connection handle from Nodrix_Initialize.
 * @return 1.
 */
NODRIX_EXPORT(int) Nodrix_Close(int handle);
/**
 * Pops the newest error code from the connection's error stack (20 codes
 * deep). Call repeatedly to read older codes.
 * @param handle connection handle from Nodrix_Initialize.
 * @return a NODRIX_ERROR_ code, or NODRIX_ERROR_NONE (0) when the stack is empty.
 */
NODRIX_EXPORT(int) Nodrix_GetLastError(int handle);
/**
 * The library's version constant; needs no handle.
 * @return NODRIX_DLL_VERSION (36242721).
 */
NODRIX_EXPORT(int) Nodrix_GetDllVersion(void);
/**
 * Always 0 for a known handle.
 * @param handle connection handle from Nodrix_Initialize.
 * @param reserved ignored.
 * @return 0.
 */
NODRIX_EXPORT(int) Nodrix_GetStatus(int handle, int reserved);

/* ---- Device selection and identity ----------------------------------- */

/**
 * Lists the attached cameras by name ("NodrixT520_01", "NodrixT520_02", ...).
 * @param handle connection handle from Nodrix_Initialize.
 * @param names NODRIX_ENUM_SLOTS x NODRIX_ENUM_SLOT_CHARS chars (10 x 256):
 *        one terminated name per camera, remaining slots empty. At most 10
 *        names are written.
 * @return the number of cameras found.
 */
NODRIX_EXPORT(int) Nodrix_EnumDevice(int handle, char* names);
/**
 * As Nodrix_EnumDevice, in UTF-16.
 * @param handle connection handle from Nodrix_Initialize.
 * @param names 10 x 256 UTF-16 units.
 * @return the number of cameras found.
 */
NODRIX_EXPORT(int) Nodrix_EnumDeviceW(int handle, NodrixWChar* names);
/**
 * Selects and opens a camera: saves the settings of the camera open so far,
 * opens the camera at index, loads and applies its saved settings. Allowed at
 * any time while idle.
 * @param handle connection handle from Nodrix_Initialize.
 * @param index 0-based position in the Nodrix_EnumDevice list.
 * @return 1/0. Errors: NODRIX_ERROR_NOT_PRESENT (no such camera),
 *         NODRIX_ERROR_NO_CORE.
 */
NODRIX_EXPORT(int) Nodrix_SetDeviceNumber(int handle, int index);
/**
 * The name of the camera at an index ("NodrixT520_01" for index 0).
 * @param handle connection handle from Nodrix_Initialize.
 * @param index 0-based camera index, below 32.
 * @param name receives the terminated name (14 bytes with the terminator).
 * @param size bytes at name; must be above 10.
 * @return 1/0. Errors: NODRIX_ERROR_INVALID_ARGUMENT (size),
 *         NODRIX_ERROR_NOT_PRESENT (no camera at index).
 */
NODRIX_EXPORT(int) Nodrix_GetDeviceName(int handle, int index, char* name, int size);
/**
 * As Nodrix_GetDeviceName, in UTF-16.
 * @param handle connection handle from Nodrix_Initialize.
 * @param index 0-based camera index.
 * @param name receives the name.
 * @param size UTF-16 units at name.
 * @return 1/0. Errors: as Nodrix_GetDeviceName; NODRIX_ERROR_TEXT when the name
 *         does not fit.
 */
NODRIX_EXPORT(int) Nodrix_GetDeviceNameW(int handle, int index, NodrixWChar* name, int size);
/**
 * Fills the camera information record: sensor size, gain, colour gain and
 * exposure ranges.
 * @param handle connection handle from Nodrix_Initialize.
 * @param info record whose size member the caller sets first:
 *        NODRIX_CAMERA_INFO_BASIC_SIZE (36) fills up to exposureMax,
 *        NODRIX_CAMERA_INFO_FULL_SIZE (56) also the exposure limits in seconds.
 * @return 1/0. Errors: NODRIX_ERROR_INVALID_ARGUMENT (NULL),
 *         NODRIX_ERROR_MEMORY (size below 36), NODRIX_ERROR_NO_CORE.
 */
NODRIX_EXPORT(int) Nodrix_GetCameraInfo(int handle, NodrixCameraInfo* info);
/**
 * Reads the camera's serial number from its configuration memory.
 * @param handle connection handle from Nodrix_Initialize.
 * @param buffer receives the terminated serial number (at most 31 characters);
 *        left untouched when the camera has none.
 * @param size bytes at buffer, at least 32.
 * @return 1/0. Errors: NODRIX_ERROR_INVALID_ARGUMENT (size), NODRIX_ERROR_NO_CORE.
 */
NODRIX_EXPORT(int) Nodrix_ReadSerialNumberA(int handle, char* buffer, int size);
/**
 * As Nodrix_ReadSerialNumberA, in UTF-16.
 * @param handle connection handle from Nodrix_Initialize.
 * @param buffer receives the serial number.
 * @param size UTF-16 units at buffer.
 * @return 1/0. Errors: as Nodrix_ReadSerialNumberA; NODRIX_ERROR_TEXT when it
 *         does not fit.
 */
NODRIX_EXPORT(int) Nodrix_ReadSerialNumberW(int handle, NodrixWChar* buffer, int size);
/**
 * Reads one byte of the camera's configuration memory.
 * @param handle connection handle from Nodrix_Initialize.
 * @param address byte address; only address & 0xFFF is used.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the byte (0 to 255). On failure NODRIX_ERROR_NO_CORE is posted to
 *         the recipient window but not pushed.
 */
NODRIX_EXPORT(int) Nodrix_ReadSromID(int handle, int address, int* ok);
/**
 * Writes one byte of the camera's configuration memory and verifies it
 * (rewritten up to 10 times until it reads back).
 * @param handle connection handle from Nodrix_Initialize.
 * @param address byte address; only address & 0xFFF is used.
 * @param value byte to write (low 8 bits).
 * @return 1 once the write was accepted, else 0 (NODRIX_ERROR_NO_CORE posted,
 *         not pushed).
 */
NODRIX_EXPORT(int) Nodrix_WriteSromID(int handle, int address, int value);

/* ---- Acquisition ----------------------------------------------------- */

/**
 * Starts preview mode: a worker thread reads, converts and draws every
 * frame into the preview window (created when Nodrix_SetPreviewWindow gave a
 * parent or a non-zero rectangle). Needs idle or preview mode; excluded by
 * capture and trigger mode.
 * @param handle connection handle from Nodrix_Initialize.
 * @return 1/0. Errors: NODRIX_ERROR_WINDOW, NODRIX_ERROR_FRAME (start failed;
 *         the earlier code tells why: NODRIX_ERROR_NO_CORE, _NOT_PRESENT,
 *         _CAPTURE_WINDOW, _MEMORY, _CAMERA_REQUEST, _THREAD).
 */
NODRIX_EXPORT(int) Nodrix_Preview(int handle);
/**
 * Starts preview mode as Nodrix_Preview, and for every frame copies the
 * converted picture into buffer and posts NODRIX_WM_FRAME (wParam: address of
 * the FrameInfo record) to window. Problems are posted with wParam 0 and the
 * code in lParam (NODRIX_ERROR_FRAME, _MEMORY, _CAMERA_LOST). Keep buffer
 * alive until Nodrix_StopPreview or Nodrix_Release. Natively, messages go to
 * the library's message sink: poll with Nodrix_GetImage instead.
 * @param handle connection handle from Nodrix_Initialize.
 * @param window callback window: receives NODRIX_WM_FRAME for every frame (0: none).
 * @param buffer application memory for the image, or NULL.
 * @param size bytes at buffer: at least stride x height, where stride is
 *        width x (bits per pixel / 8) rounded up to a multiple of 4
 *        (Nodrix_Width, Nodrix_Height, Nodrix_GetColorMode).
 * @param rowOrder nonzero: the top row of the picture first in the buffer;
 *        0: the bottom row first (bottom-up DIB order).
 * @return 1/0. Errors: as Nodrix_Preview.
 */
NODRIX_EXPORT(int)
Nodrix_CallBackPreview(int handle, NodrixHwnd window, void* buffer, int size, int rowOrder);
/**
 * Enters capture mode: the camera is prepared and each Nodrix_SnapShot then
 * reads one frame of a transfer left running. Needs idle mode (returns 1 when
 * already capturing); excluded by preview and trigger mode.
 * @param handle connection handle from Nodrix_Initialize.
 * @return 1/0. Errors: NODRIX_ERROR_NO_CORE (no camera, or another mode runs),
 *         NODRIX_ERROR_NOT_PRESENT, NODRIX_ERROR_CAPTURE_WINDOW,
 *         NODRIX_ERROR_MEMORY.
 */
NODRIX_EXPORT(int) Nodrix_Capture(int handle);
/**
 * Acquires one frame, converts it and copies it into buffer. From idle
 * mode the camera is prepared for this one frame and stopped afterwards; in
 * capture mode the transfer keeps running. Excluded by preview and trigger
 * mode. The frame stays available to Nodrix_GetImage and Nodrix_SaveImage.
 * Waits up to 3 s for the frame.
 * @param handle connection handle from Nodrix_Initialize.
 * @param buffer application memory for the image, or NULL.
 * @param size bytes at buffer: at least stride x height, where stride is
 *        width x (bits per pixel / 8) rounded up to a multiple of 4
 *        (Nodrix_Width, Nodrix_Height, Nodrix_GetColorMode).
 * @param rowOrder nonzero: the top row of the picture first in the buffer;
 *        0: the bottom row first (bottom-up DIB order).
 *        With buffer NULL or size 0 nothing is copied.
 * @return 1/0. Errors: NODRIX_ERROR_NO_CORE, NODRIX_ERROR_NOT_PRESENT,
 *         NODRIX_ERROR_CAPTURE_WINDOW, NODRIX_ERROR_FRAME (time-out, transfer
 *         error, or a sensor that did not take the camera's settings),
 *         NODRIX_ERROR_MEMORY (buffer too small: pushed twice).
 */
NODRIX_EXPORT(int) Nodrix_SnapShot(int handle, void* buffer, int size, int rowOrder);
/**
 * Copies the most recently converted frame (of a snapshot, preview or
 * trigger) into buffer; the way to poll a running preview natively.
 * @param handle connection handle from Nodrix_Initialize.
 * @param buffer application memory for the image, or NULL.
 * @param size bytes at buffer: at least stride x height, where stride is
 *        width x (bits per pixel / 8) rounded up to a multiple of 4
 *        (Nodrix_Width, Nodrix_Height, Nodrix_GetColorMode).
 * @param rowOrder nonzero: the top row of the picture first in the buffer;
 *        0: the bottom row first (bottom-up DIB order).
 * @return 1/0. Errors: NODRIX_ERROR_MEMORY (buffer NULL or too small, or no
 *         frame yet), NODRIX_ERROR_NO_CORE (no output image yet).
 */
NODRIX_EXPORT(int) Nodrix_GetImage(int handle, void* buffer, int size, int rowOrder);
/**
 * Starts trigger mode: a worker delivers one frame per external trigger,
 * copied into buffer and announced to window with NODRIX_WM_FRAME (frame rate
 * 0). Waits up to 6 s per frame. Needs idle mode; excluded by preview and
 * capture mode.
 * @param handle connection handle from Nodrix_Initialize.
 * @param window callback window: receives NODRIX_WM_FRAME for every frame (0: none).
 * @param buffer application memory for the image, or NULL.
 * @param size bytes at buffer: at least stride x height, where stride is
 *        width x (bits per pixel / 8) rounded up to a multiple of 4
 *        (Nodrix_Width, Nodrix_Height, Nodrix_GetColorMode).
 * @param rowOrder nonzero: the top row of the picture first in the buffer;
 *        0: the bottom row first (bottom-up DIB order).
 * @return 1/0. Errors: NODRIX_ERROR_NO_CORE, NODRIX_ERROR_WINDOW,
 *         NODRIX_ERROR_THREAD, and those of the preparation (as Nodrix_Capture).
 */
NODRIX_EXPORT(int)
Nodrix_Trigger(int handle, NodrixHwnd window, void* buffer, int size, int rowOrder);
/**
 * Starts the preview worker without creating a window (frames are
 * converted; read them with Nodrix_GetImage). Returns 1 at once when preview
 * already runs; excluded by capture and trigger mode.
 * @param handle connection handle from Nodrix_Initialize.
 * @return 1/0. Errors: NODRIX_ERROR_NO_CORE, NODRIX_ERROR_NOT_PRESENT,
 *         NODRIX_ERROR_CAPTURE_WINDOW, NODRIX_ERROR_MEMORY,
 *         NODRIX_ERROR_CAMERA_REQUEST, NODRIX_ERROR_THREAD.
 */
NODRIX_EXPORT(int) Nodrix_StartPreview(int handle);
/**
 * Stops every mode (preview, capture, trigger, recording) and returns to
 * idle; waits for the worker threads (up to the frame time-out: 3 s in
 * preview, 60 s in trigger mode).
 * @param handle connection handle from Nodrix_Initialize.
 * @return 1, or 0 with NODRIX_ERROR_NO_CORE without a camera.
 */
NODRIX_EXPORT(int) Nodrix_StopPreview(int handle);
/**
 * Starts preview and records every new frame as 24-bit frames of an AVI
 * file. Returns at once; the recording ends by itself after durationMs,
 * counted from its first frame, and the file is finished with the measured
 * frame rate. The preview keeps running until Nodrix_StopPreview.
 * @param handle connection handle from Nodrix_Initialize.
 * @param fileName AVI file to create (system code page).
 * @param durationMs recording length in milliseconds.
 * @param showWindow nonzero: show the preview window while recording.
 * @return 1/0. Errors: NODRIX_ERROR_INVALID_ARGUMENT (empty name, or a
 *         recording format of NodrixSdkEx.h that the colour mode cannot
 *         give), NODRIX_ERROR_WINDOW, NODRIX_ERROR_TEXT (the preview could
 *         not start; in capture or trigger mode the preview is refused and
 *         that mode ends), NODRIX_ERROR_FILE (the file could not be created),
 *         NODRIX_ERROR_THREAD. A write that fails during the recording (a
 *         full disk) ends it: the frames written so far stay a whole file,
 *         and NODRIX_ERROR_FILE is pushed.
 */
NODRIX_EXPORT(int) Nodrix_Record(int handle, const char* fileName, int durationMs, int showWindow);
/**
 * As Nodrix_Record with a UTF-16 file name.
 * @param handle connection handle from Nodrix_Initialize.
 * @param fileName AVI file to create.
 * @param durationMs recording length in milliseconds.
 * @param showWindow nonzero: show the preview window.
 * @return 1/0. Errors: as Nodrix_Record; NODRIX_ERROR_TEXT (name conversion).
 */
NODRIX_EXPORT(int)
Nodrix_RecordW(int handle, const NodrixWChar* fileName, int durationMs, int showWindow);
/**
 * Sets the preview worker's pause per cycle.
 * @param handle connection handle from Nodrix_Initialize.
 * @param milliseconds 0 or more (10 for a new connection; the first start
 *        stores 1 for the camera, which later starts load).
 * @return 1; 0 for a negative value (nothing recorded).
 */
NODRIX_EXPORT(int) Nodrix_SetWaitTime(int handle, int milliseconds);
/**
 * The preview worker's pause per cycle.
 * @param handle connection handle from Nodrix_Initialize.
 * @return milliseconds, or -1 for an unknown handle.
 */
NODRIX_EXPORT(int) Nodrix_GetWaitTime(int handle);

/* ---- Preview window and capture geometry ----------------------------- */

/**
 * Places the preview window that Nodrix_Preview, Nodrix_CallBackPreview,
 * Nodrix_Trigger and Nodrix_Record create: a child of parent at x, y, width x
 * height (pixels). All zero: no preview window. Takes effect at the next
 * start.
 * @param handle connection handle from Nodrix_Initialize.
 * @param parent parent window, or 0.
 * @param x left edge, pixels.
 * @param y top edge, pixels.
 * @param width pixels, at most 16384.
 * @param height pixels, at most 16384.
 * @return 1/0. Errors: NODRIX_ERROR_NO_CORE, NODRIX_ERROR_INVALID_ARGUMENT
 *         (a size no window can be made with; the placement is kept).
 */
NODRIX_EXPORT(int)
Nodrix_SetPreviewWindow(int handle, NodrixHwnd parent, int x, int y, int width, int height);
/**
 * Selects a stored capture-window preset by its size.
 * @param handle connection handle from Nodrix_Initialize.
 * @param width preset width in pixels (1280 on this camera).
 * @param height preset height in pixels.
 * @return 1/0. Errors: NODRIX_ERROR_WINDOW (no preset of that size),
 *         NODRIX_ERROR_CAPTURE_WINDOW.
 */
NODRIX_EXPORT(int) Nodrix_SetCaptureWindow(int handle, int width, int height);
/**
 * Sets the capture window directly. This camera reads whole rows: the
 * window is a band of full-width rows (width 1280, horizontal start 0); any
 * other width is refused. Takes effect at the next acquisition start; not
 * while acquiring.
 * @param handle connection handle from Nodrix_Initialize.
 * @param horizontalTotal stored only (1280).
 * @param horizontalStart first column: 0.
 * @param width pixels: 1280.
 * @param verticalTotal stored only (1024).
 * @param verticalStart first row, 0 to 1024 - height.
 * @param height rows, up to 1024.
 * @return 1/0. Errors: NODRIX_ERROR_INVALID_ARGUMENT (width other than 1280),
 *         NODRIX_ERROR_CAPTURE_WINDOW (outside the 1280 x 1024 sensor, or
 *         refused by the camera), NODRIX_ERROR_NO_CORE.
 */
NODRIX_EXPORT(int)
Nodrix_SetCaptureWindowEx(int handle, int horizontalTotal, int horizontalStart, int width,
                          int verticalTotal, int verticalStart, int height);
/**
 * Reads the capture window back; every pointer may be NULL.
 * @param handle connection handle from Nodrix_Initialize.
 * @param horizontalTotal receives it.
 * @param horizontalStart receives it.
 * @param width receives it.
 * @param verticalTotal receives it.
 * @param verticalStart receives it.
 * @param height receives it.
 * @return 1.
 */
NODRIX_EXPORT(int)
Nodrix_GetCaptureWindowEx(int handle, int* horizontalTotal, int* horizontalStart, int* width,
                          int* verticalTotal, int* verticalStart, int* height);
/**
 * Capture window width in pixels (the width of every delivered image).
 * @param handle connection handle from Nodrix_Initialize.
 * @return pixels (1280), or 0 for an unknown handle.
 */
NODRIX_EXPORT(int) Nodrix_Width(int handle);
/**
 * Capture window height in pixels (the height of every delivered image).
 * @param handle connection handle from Nodrix_Initialize.
 * @return pixels, or 0 for an unknown handle.
 */
NODRIX_EXPORT(int) Nodrix_Height(int handle);
/**
 * Selects the output format of delivered images; takes effect at the next
 * acquisition start.
 * @param handle connection handle from Nodrix_Initialize.
 * @param bitsPerPixel 8 (grey, 8 significant bits) or 16 (grey, the sensor's
 *        samples) on this monochrome camera; 24, 32, 48 or 64 (colour) for
 *        colour cameras.
 * @return 1/0. Errors: NODRIX_ERROR_INVALID_ARGUMENT (a format the camera
 *         cannot deliver).
 */
NODRIX_EXPORT(int) Nodrix_SetColorMode(int handle, int bitsPerPixel);
/**
 * The output format.
 * @param handle connection handle from Nodrix_Initialize.
 * @return bits per pixel (8, 16, 24, 32, 48 or 64), or -1 for an unknown handle.
 */
NODRIX_EXPORT(int) Nodrix_GetColorMode(int handle);
/**
 * Sets the subsampling mode; only 0 (none) is available.
 * @param handle connection handle from Nodrix_Initialize.
 * @param mode 0.
 * @return 1; 0 for any other mode (nothing recorded).
 */
NODRIX_EXPORT(int) Nodrix_SetSubSample(int handle, int mode);
/**
 * The subsampling mode.
 * @param handle connection handle from Nodrix_Initialize.
 * @return 0, or -1 for an unknown handle.
 */
NODRIX_EXPORT(int) Nodrix_GetSubSample(int handle);
/**
 * Mirrors the image left to right in the camera; the setting is saved.
 * @param handle connection handle from Nodrix_Initialize.
 * @param on nonzero: mirrored.
 * @return 1/0. Errors: NODRIX_ERROR_NO_CORE, NODRIX_ERROR_CAMERA_REQUEST (the
 *         sensor did not take it).
 */
NODRIX_EXPORT(int) Nodrix_SetMirrorH(int handle, int on);
/**
 * Mirrors the image top to bottom in the camera; the setting is saved.
 * @param handle connection handle from Nodrix_Initialize.
 * @param on nonzero: mirrored.
 * @return 1/0; without a camera NODRIX_ERROR_NO_CORE is posted, not pushed.
 *         Errors: NODRIX_ERROR_CAMERA_REQUEST (the sensor did not take it).
 */
NODRIX_EXPORT(int) Nodrix_SetMirrorV(int handle, int on);
/**
 * The horizontal mirror setting.
 * @param handle connection handle from Nodrix_Initialize.
 * @return 0 or 1. Errors: NODRIX_ERROR_NO_CORE.
 */
NODRIX_EXPORT(int) Nodrix_GetMirrorH(int handle);
/**
 * The vertical mirror setting.
 * @param handle connection handle from Nodrix_Initialize.
 * @return 0 or 1; without a camera NODRIX_ERROR_NO_CORE is posted, not pushed.
 */
NODRIX_EXPORT(int) Nodrix_GetMirrorV(int handle);

/* ---- Exposure, gain, automatic control ------------------------------- */

/**
 * Sets the exposure time in seconds.
 * @param handle connection handle from Nodrix_Initialize.
 * @param seconds from exposureSecondsMin to exposureSecondsMax of
 *        Nodrix_GetCameraInfo.
 * @return 1/0. Errors: NODRIX_ERROR_INVALID_ARGUMENT (not a finite number,
 *         or outside the range; nothing is changed), NODRIX_ERROR_CAMERA_REQUEST
 *         (the sensor did not take it), NODRIX_ERROR_NOT_SUPPORTED (camera
 *         without exposure in seconds), NODRIX_ERROR_NO_CORE.
 */
NODRIX_EXPORT(int) Nodrix_SetExposureTimeEx(int handle, double seconds);
/**
 * The exposure time in seconds.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return seconds; -1.0 when unsupported (NODRIX_ERROR_NOT_SUPPORTED); 0.0 for
 *         an unknown handle.
 */
NODRIX_EXPORT(double) Nodrix_GetExposureTimeEx(int handle, int* ok);
/**
 * Sets the exposure time in microseconds (kept in steps of 100 us, the
 * camera's unit of a tenth of a millisecond).
 * @param handle connection handle from Nodrix_Initialize.
 * @param microseconds within exposureMin..exposureMax x 100 of
 *        Nodrix_GetCameraInfo.
 * @return 1/0. Errors: NODRIX_ERROR_INVALID_ARGUMENT (out of range),
 *         NODRIX_ERROR_NO_CORE.
 */
NODRIX_EXPORT(int) Nodrix_SetRealExposureTime(int handle, int microseconds);
/**
 * The exposure time in microseconds (a multiple of 100): the exposure in
 * effect whichever setter chose it, an exposure set in seconds truncated to
 * whole 100 us.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return microseconds.
 */
NODRIX_EXPORT(int) Nodrix_GetRealExposureTime(int handle, int* ok);
/**
 * Automatic exposure control.
 * @param handle connection handle from Nodrix_Initialize.
 * @param mode 0 off, 1 adjusts the exposure, 2 adjusts the gain.
 * @return 1/0; another mode posts NODRIX_ERROR_INVALID_ARGUMENT without
 *         pushing it.
 */
NODRIX_EXPORT(int) Nodrix_SetAutoIris(int handle, int mode);
/**
 * The automatic exposure mode (0, 1 or 2).
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok always receives 1; may be NULL.
 * @return the mode.
 */
NODRIX_EXPORT(int) Nodrix_GetAutoIris(int handle, int* ok);
/**
 * Sets a channel gain (filter codes 29-32). This camera has no channel gains or offsets.
 * @param handle connection handle from Nodrix_Initialize.
 * @param channel 1 to 4; another channel returns 0 and records nothing.
 * @param value the value.
 * @return 0 here. Errors: NODRIX_ERROR_INVALID_ARGUMENT.
 */
NODRIX_EXPORT(int) Nodrix_SetChannelGain(int handle, int channel, int value);
/**
 * Sets a channel offset (filter codes 33-36). This camera has no channel gains or offsets.
 * @param handle connection handle from Nodrix_Initialize.
 * @param channel 1 to 4; another channel returns 0 and records nothing.
 * @param value the value.
 * @return 0 here. Errors: NODRIX_ERROR_INVALID_ARGUMENT.
 */
NODRIX_EXPORT(int) Nodrix_SetChannelOffset(int handle, int channel, int value);
/**
 * Reads a channel gain (filter codes 29-32). This camera has none.
 * @param handle connection handle from Nodrix_Initialize.
 * @param channel 1 to 4; another channel returns 0 and records nothing.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return 0 here. Errors: NODRIX_ERROR_INVALID_ARGUMENT.
 */
NODRIX_EXPORT(int) Nodrix_GetChannelGain(int handle, int channel, int* ok);
/**
 * Reads a channel offset (filter codes 33-36). This camera has none.
 * @param handle connection handle from Nodrix_Initialize.
 * @param channel 1 to 4; another channel returns 0 and records nothing.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return 0 here. Errors: NODRIX_ERROR_INVALID_ARGUMENT.
 */
NODRIX_EXPORT(int) Nodrix_GetChannelOffset(int handle, int channel, int* ok);

/* ---- Generic parameter access ---------------------------------------- */

/**
 * Sets the parameter named by a NODRIX_FILTER_ code; every named
 * Nodrix_Set... parameter function calls this. Camera parameters (gain,
 * exposure, options) go to the camera at once; image parameters apply to the
 * next converted frame. The settings are saved with the camera's.
 * @param handle connection handle from Nodrix_Initialize.
 * @param code NODRIX_FILTER_ code (docs/getting-started.md lists each range).
 * @param value new value, within the code's range.
 * @return 1/0. Errors: NODRIX_ERROR_INVALID_ARGUMENT (unknown code or value out
 *         of range), NODRIX_ERROR_NOT_SUPPORTED (option the camera lacks),
 *         NODRIX_ERROR_CAMERA_REQUEST, NODRIX_ERROR_NO_CORE.
 */
NODRIX_EXPORT(int) Nodrix_SetFilterValue(int handle, int code, int value);
/**
 * Reads the parameter named by a NODRIX_FILTER_ code; every named
 * Nodrix_Get... parameter function calls this.
 * @param handle connection handle from Nodrix_Initialize.
 * @param code NODRIX_FILTER_ code.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value. Errors: NODRIX_ERROR_INVALID_ARGUMENT (unknown code),
 *         NODRIX_ERROR_NOT_SUPPORTED.
 */
NODRIX_EXPORT(int) Nodrix_GetFilterValue(int handle, int code, int* ok);

/* ---- Named parameters (each calls the generic pair with its code) ---- */

/**
 * Sets the brightness, -255 to 255 (0: unchanged): Nodrix_SetFilterValue with
 * NODRIX_FILTER_BRIGHTNESS.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetBrightness(int handle, int value);
/**
 * Reads the brightness: Nodrix_GetFilterValue with NODRIX_FILTER_BRIGHTNESS.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetBrightness(int handle, int* ok);
/**
 * Sets the contrast, -127 to 127 (0: unchanged): Nodrix_SetFilterValue with NODRIX_FILTER_CONTRAST.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetContrast(int handle, int value);
/**
 * Reads the contrast: Nodrix_GetFilterValue with NODRIX_FILTER_CONTRAST.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetContrast(int handle, int* ok);
/**
 * Sets the hue of colour output, -360 to 360 degrees: Nodrix_SetFilterValue with NODRIX_FILTER_HUE.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetHue(int handle, int value);
/**
 * Reads the hue of colour output: Nodrix_GetFilterValue with NODRIX_FILTER_HUE.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetHue(int handle, int* ok);
/**
 * Sets the saturation of colour output, -255 to 255: Nodrix_SetFilterValue with
 * NODRIX_FILTER_SATURATION.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetSaturation(int handle, int value);
/**
 * Reads the saturation of colour output: Nodrix_GetFilterValue with NODRIX_FILTER_SATURATION.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetSaturation(int handle, int* ok);
/**
 * Sets the sharpening, 0 (off) to 30: Nodrix_SetFilterValue with NODRIX_FILTER_SHARPNESS.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetSharpness(int handle, int value);
/**
 * Reads the sharpening: Nodrix_GetFilterValue with NODRIX_FILTER_SHARPNESS.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetSharpness(int handle, int* ok);
/**
 * Sets the the three Bayer gains packed: red bits 0-7, green 8-15, blue 16-23:
 * Nodrix_SetFilterValue with NODRIX_FILTER_BAYER_GAIN_RGB.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetBayerGainRGB(int handle, int value);
/**
 * Reads the the three Bayer gains packed: red bits 0-7: Nodrix_GetFilterValue with
 * NODRIX_FILTER_BAYER_GAIN_RGB.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetBayerGainRGB(int handle, int* ok);
/**
 * Sets the white-balance gain red, 0 to 400: Nodrix_SetFilterValue with
 * NODRIX_FILTER_BAYER_GAIN_RED.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetBayerGainRed(int handle, int value);
/**
 * Reads the white-balance gain red: Nodrix_GetFilterValue with NODRIX_FILTER_BAYER_GAIN_RED.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetBayerGainRed(int handle, int* ok);
/**
 * Sets the white-balance gain green, 0 to 400: Nodrix_SetFilterValue with
 * NODRIX_FILTER_BAYER_GAIN_GREEN.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetBayerGainGreen(int handle, int value);
/**
 * Reads the white-balance gain green: Nodrix_GetFilterValue with NODRIX_FILTER_BAYER_GAIN_GREEN.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetBayerGainGreen(int handle, int* ok);
/**
 * Sets the white-balance gain blue, 0 to 400: Nodrix_SetFilterValue with
 * NODRIX_FILTER_BAYER_GAIN_BLUE.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetBayerGainBlue(int handle, int value);
/**
 * Reads the white-balance gain blue: Nodrix_GetFilterValue with NODRIX_FILTER_BAYER_GAIN_BLUE.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetBayerGainBlue(int handle, int* ok);
/**
 * Sets the automatic white balance, 0 or 1: Nodrix_SetFilterValue with
 * NODRIX_FILTER_BAYER_GAIN_AUTO.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetBayerGainAuto(int handle, int value);
/**
 * Reads the automatic white balance: Nodrix_GetFilterValue with NODRIX_FILTER_BAYER_GAIN_AUTO.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetBayerGainAuto(int handle, int* ok);
/**
 * Sets the gamma x 100, 0 to 200 (100: unchanged): Nodrix_SetFilterValue with NODRIX_FILTER_GAMMA.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetGamma(int handle, int value);
/**
 * Reads the gamma x 100: Nodrix_GetFilterValue with NODRIX_FILTER_GAMMA.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetGamma(int handle, int* ok);
/**
 * Sets the colour phase of the sensor pattern, 0 to 3: Nodrix_SetFilterValue with
 * NODRIX_FILTER_BAYER_MODE.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetBayerMode(int handle, int value);
/**
 * Reads the colour phase of the sensor pattern: Nodrix_GetFilterValue with
 * NODRIX_FILTER_BAYER_MODE.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetBayerMode(int handle, int* ok);
/**
 * Sets the sensor gain, gainMin to gainMax of Nodrix_GetCameraInfo: Nodrix_SetFilterValue with
 * NODRIX_FILTER_GLOBAL_GAIN.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetGlobalGain(int handle, int value);
/**
 * Reads the sensor gain: Nodrix_GetFilterValue with NODRIX_FILTER_GLOBAL_GAIN.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetGlobalGain(int handle, int* ok);
/**
 * Sets the red gain, colorGainMin to colorGainMax: Nodrix_SetFilterValue with
 * NODRIX_FILTER_COLOR_GAIN_RED.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetColorGainRed(int handle, int value);
/**
 * Reads the red gain: Nodrix_GetFilterValue with NODRIX_FILTER_COLOR_GAIN_RED.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetColorGainRed(int handle, int* ok);
/**
 * Sets the green-1 gain, colorGainMin to colorGainMax: Nodrix_SetFilterValue with
 * NODRIX_FILTER_COLOR_GAIN_GREEN1.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetColorGainGreen1(int handle, int value);
/**
 * Reads the green-1 gain: Nodrix_GetFilterValue with NODRIX_FILTER_COLOR_GAIN_GREEN1.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetColorGainGreen1(int handle, int* ok);
/**
 * Sets the green-2 gain, colorGainMin to colorGainMax: Nodrix_SetFilterValue with
 * NODRIX_FILTER_COLOR_GAIN_GREEN2.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetColorGainGreen2(int handle, int value);
/**
 * Reads the green-2 gain: Nodrix_GetFilterValue with NODRIX_FILTER_COLOR_GAIN_GREEN2.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetColorGainGreen2(int handle, int* ok);
/**
 * Sets the blue gain, colorGainMin to colorGainMax: Nodrix_SetFilterValue with
 * NODRIX_FILTER_COLOR_GAIN_BLUE.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetColorGainBlue(int handle, int value);
/**
 * Reads the blue gain: Nodrix_GetFilterValue with NODRIX_FILTER_COLOR_GAIN_BLUE.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetColorGainBlue(int handle, int* ok);
/**
 * Sets the exposure in tenths of a millisecond, exposureMin to exposureMax: Nodrix_SetFilterValue
 * with NODRIX_FILTER_EXPOSURE_TIME.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetExposureTime(int handle, int value);
/**
 * Reads the exposure in tenths of a millisecond: Nodrix_GetFilterValue with
 * NODRIX_FILTER_EXPOSURE_TIME.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetExposureTime(int handle, int* ok);
/**
 * Sets the grey correction: 0 none, 1 per channel, 2 demosaic and back: Nodrix_SetFilterValue with
 * NODRIX_FILTER_GRAY_MODE.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetGrayMode(int handle, int value);
/**
 * Reads the grey correction: 0 none: Nodrix_GetFilterValue with NODRIX_FILTER_GRAY_MODE.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetGrayMode(int handle, int* ok);
/**
 * Sets the grey gain red, 0 to 255: Nodrix_SetFilterValue with NODRIX_FILTER_GRAY_GAIN_R.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetGrayGainR(int handle, int value);
/**
 * Reads the grey gain red: Nodrix_GetFilterValue with NODRIX_FILTER_GRAY_GAIN_R.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetGrayGainR(int handle, int* ok);
/**
 * Sets the grey gain green 1, 0 to 255: Nodrix_SetFilterValue with NODRIX_FILTER_GRAY_GAIN_G1.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetGrayGainG1(int handle, int value);
/**
 * Reads the grey gain green 1: Nodrix_GetFilterValue with NODRIX_FILTER_GRAY_GAIN_G1.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetGrayGainG1(int handle, int* ok);
/**
 * Sets the grey gain green 2, 0 to 255: Nodrix_SetFilterValue with NODRIX_FILTER_GRAY_GAIN_G2.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetGrayGainG2(int handle, int value);
/**
 * Reads the grey gain green 2: Nodrix_GetFilterValue with NODRIX_FILTER_GRAY_GAIN_G2.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetGrayGainG2(int handle, int* ok);
/**
 * Sets the grey gain blue, 0 to 255: Nodrix_SetFilterValue with NODRIX_FILTER_GRAY_GAIN_B.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetGrayGainB(int handle, int value);
/**
 * Reads the grey gain blue: Nodrix_GetFilterValue with NODRIX_FILTER_GRAY_GAIN_B.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetGrayGainB(int handle, int* ok);
/**
 * Sets the grey offset red, -255 to 255: Nodrix_SetFilterValue with NODRIX_FILTER_GRAY_OFFSET_R.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetGrayOffsetR(int handle, int value);
/**
 * Reads the grey offset red: Nodrix_GetFilterValue with NODRIX_FILTER_GRAY_OFFSET_R.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetGrayOffsetR(int handle, int* ok);
/**
 * Sets the grey offset green 1, -255 to 255: Nodrix_SetFilterValue with
 * NODRIX_FILTER_GRAY_OFFSET_G1.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetGrayOffsetG1(int handle, int value);
/**
 * Reads the grey offset green 1: Nodrix_GetFilterValue with NODRIX_FILTER_GRAY_OFFSET_G1.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetGrayOffsetG1(int handle, int* ok);
/**
 * Sets the grey offset green 2, -255 to 255: Nodrix_SetFilterValue with
 * NODRIX_FILTER_GRAY_OFFSET_G2.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetGrayOffsetG2(int handle, int value);
/**
 * Reads the grey offset green 2: Nodrix_GetFilterValue with NODRIX_FILTER_GRAY_OFFSET_G2.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetGrayOffsetG2(int handle, int* ok);
/**
 * Sets the grey offset blue, -255 to 255: Nodrix_SetFilterValue with NODRIX_FILTER_GRAY_OFFSET_B.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetGrayOffsetB(int handle, int value);
/**
 * Reads the grey offset blue: Nodrix_GetFilterValue with NODRIX_FILTER_GRAY_OFFSET_B.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetGrayOffsetB(int handle, int* ok);
/**
 * Sets the Peltier cooling, 0 off or 1 on (NODRIX_ERROR_NOT_SUPPORTED without a cooler):
 * Nodrix_SetFilterValue with NODRIX_FILTER_PELTIER.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetPeltier(int handle, int value);
/**
 * Reads the Peltier cooling: Nodrix_GetFilterValue with NODRIX_FILTER_PELTIER.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetPeltier(int handle, int* ok);
/**
 * Sets the defect-pixel (dot) filter, 0 or 1: Nodrix_SetFilterValue with NODRIX_FILTER_DOT_FILTER.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetDotFilter(int handle, int value);
/**
 * Reads the defect-pixel (dot) filter: Nodrix_GetFilterValue with NODRIX_FILTER_DOT_FILTER.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetDotFilter(int handle, int* ok);
/**
 * Sets the flat-field correction with the mask data, 0 or 1: Nodrix_SetFilterValue with
 * NODRIX_FILTER_MASK_FILTER.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value the new value.
 * @return 1/0. Errors: as Nodrix_SetFilterValue.
 */
NODRIX_EXPORT(int) Nodrix_SetMaskFilter(int handle, int value);
/**
 * Reads the flat-field correction with the mask data: Nodrix_GetFilterValue with
 * NODRIX_FILTER_MASK_FILTER.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value.
 */
NODRIX_EXPORT(int) Nodrix_GetMaskFilter(int handle, int* ok);

/* ---- Registers and I/O port ------------------------------------------ */

/**
 * Reads a sensor register.
 * @param handle connection handle from Nodrix_Initialize.
 * @param address register address; low 8 bits used.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value. Errors: NODRIX_ERROR_CAMERA_REQUEST, NODRIX_ERROR_NO_CORE.
 */
NODRIX_EXPORT(int) Nodrix_ReadRegister(int handle, int address, int* ok);
/**
 * As Nodrix_ReadRegister with the full 32-bit address.
 * @param handle connection handle from Nodrix_Initialize.
 * @param address register address.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return the value. Errors: NODRIX_ERROR_CAMERA_REQUEST.
 */
NODRIX_EXPORT(int) Nodrix_ReadRegisterEx(int handle, int address, int* ok);
/**
 * Writes a sensor register. Bypasses the library's settings: use with care.
 * @param handle connection handle from Nodrix_Initialize.
 * @param address low 8 bits used.
 * @param value low 16 bits used.
 * @return 1/0. Errors: NODRIX_ERROR_CAMERA_REQUEST, NODRIX_ERROR_NO_CORE.
 */
NODRIX_EXPORT(int) Nodrix_WriteRegister(int handle, int address, int value);
/**
 * As Nodrix_WriteRegister with address and value unmasked.
 * @param handle connection handle from Nodrix_Initialize.
 * @param address register address.
 * @param value the value.
 * @return 1/0. Errors: NODRIX_ERROR_CAMERA_REQUEST.
 */
NODRIX_EXPORT(int) Nodrix_WriteRegisterEx(int handle, int address, int value);
/**
 * Reads an FPGA register.
 * @param handle connection handle from Nodrix_Initialize.
 * @param reg register number; low 8 bits used.
 * @param ok receives 0 on failure and is left untouched on success; may be NULL.
 * @return the 16-bit value. Errors: NODRIX_ERROR_CAMERA_REQUEST.
 */
NODRIX_EXPORT(int) Nodrix_Fpga_ReadRegister(int handle, int reg, int* ok);
/**
 * Writes an FPGA register.
 * @param handle connection handle from Nodrix_Initialize.
 * @param reg low 8 bits used.
 * @param value low 16 bits used.
 * @return 1/0. Errors: NODRIX_ERROR_CAMERA_REQUEST.
 */
NODRIX_EXPORT(int) Nodrix_Fpga_WriteRegister(int handle, int reg, int value);
/**
 * Sets the camera's digital output port (FPGA register 7).
 * @param handle connection handle from Nodrix_Initialize.
 * @param value low 8 bits.
 * @return 1/0; without a camera NODRIX_ERROR_NO_CORE is posted, not pushed.
 */
NODRIX_EXPORT(int) Nodrix_SetIOPort(int handle, int value);
/**
 * Reads the camera's digital I/O port (FPGA register 7).
 * @param handle connection handle from Nodrix_Initialize.
 * @param value receives the port byte.
 * @param reserved1 ignored.
 * @param reserved2 ignored.
 * @return 1/0; a NULL value or a failed read posts
 *         NODRIX_ERROR_INVALID_ARGUMENT, no camera NODRIX_ERROR_NO_CORE (posted,
 *         not pushed).
 */
NODRIX_EXPORT(int) Nodrix_GetIOPort(int handle, unsigned char* value, int reserved1, int reserved2);
/**
 * Has no effect on this camera.
 * @param handle connection handle from Nodrix_Initialize.
 * @param rate ignored.
 * @return 0.
 */
NODRIX_EXPORT(int) Nodrix_SetSamplingRate(int handle, int rate);
/**
 * Has no meaning on this camera.
 * @param handle connection handle from Nodrix_Initialize.
 * @param rate receives 0 (may be NULL).
 * @return 0.
 */
NODRIX_EXPORT(int) Nodrix_GetSamplingRate(int handle, int* rate);
/**
 * Same function as Nodrix_GetSamplingRate.
 * @param handle connection handle from Nodrix_Initialize.
 * @param format receives 0 (may be NULL).
 * @return 0.
 */
NODRIX_EXPORT(int) Nodrix_GetVideoFormat(int handle, int* format);

/* ---- Temperature ----------------------------------------------------- */

/**
 * The sensor temperature, where the camera has a sensor for it.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 1 on success, 0 on failure; may be NULL.
 * @return degrees Celsius; 0.0 on failure. Errors: NODRIX_ERROR_NOT_SUPPORTED
 *         (no temperature sensor: this camera), NODRIX_ERROR_TEXT (read
 *         failed), NODRIX_ERROR_NO_CORE; NODRIX_ERROR_NONE is pushed on success.
 */
NODRIX_EXPORT(double) Nodrix_GetTemperatureEx(int handle, int* ok);
/**
 * Not supported (filter code 101); use Nodrix_GetTemperatureEx.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok receives 0; may be NULL.
 * @return -1. Errors: NODRIX_ERROR_NOT_SUPPORTED.
 */
NODRIX_EXPORT(int) Nodrix_GetTemperature(int handle, int* ok);

/* ---- Dialogs --------------------------------------------------------- */

/**
 * Shows the modal camera property dialog (camera, capture window, colour mode); returns when it
 * closes. Windows only: natively it returns 0 with NODRIX_ERROR_NOT_SUPPORTED.
 * @param handle connection handle from Nodrix_Initialize.
 * @param parent owner window, or 0.
 * @return 1/0.
 */
NODRIX_EXPORT(int) Nodrix_SetCameraDlg(int handle, NodrixHwnd parent);
/**
 * Shows the modal image property dialog (brightness, contrast, gamma, grey correction, ...);
 * returns when it closes. Windows only: natively it returns 0 with NODRIX_ERROR_NOT_SUPPORTED.
 * @param handle connection handle from Nodrix_Initialize.
 * @param parent owner window, or 0.
 * @return 1/0.
 */
NODRIX_EXPORT(int) Nodrix_SetImageDlg(int handle, NodrixHwnd parent);
/**
 * Shows the modal analog property dialog (gain and exposure); returns when it closes. Windows only:
 * natively it returns 0 with NODRIX_ERROR_NOT_SUPPORTED.
 * @param handle connection handle from Nodrix_Initialize.
 * @param parent owner window, or 0.
 * @return 1/0.
 */
NODRIX_EXPORT(int) Nodrix_SetAnalogDlg(int handle, NodrixHwnd parent);

/* ---- Files ----------------------------------------------------------- */

/**
 * Writes the most recently converted frame to a file in the output format.
 * JPEG files of 16-bit output hold the top eight significant bits of each
 * sample (the camera's 12-bit samples shifted right by 4; after the flat
 * field, by 8); PNG, TIFF and raw files keep the samples exactly.
 * 16-bit BMP files hold the raw 16-bit samples, which ordinary viewers show
 * as colour: for a viewable BMP use 8-bit output (Nodrix_SetColorMode 8).
 * @param handle connection handle from Nodrix_Initialize.
 * @param fileName file to write (system code page).
 * @param format NODRIX_IMAGE_BMP, _RAW (pixels only), _JPEG_100, _JPEG_70,
 *        _JPEG_20, _PNG or _TIFF.
 * @return 1/0. Errors: NODRIX_ERROR_INVALID_ARGUMENT (unknown format),
 *         NODRIX_ERROR_NO_CORE (no camera, or no frame converted yet),
 *         NODRIX_ERROR_FILE (no name, or the file cannot be written: a missing
 *         folder, no permission, a full disk; no partial file is left).
 */
NODRIX_EXPORT(int) Nodrix_SaveImage(int handle, const char* fileName, int format);
/**
 * As Nodrix_SaveImage with a UTF-16 file name.
 * @param handle connection handle from Nodrix_Initialize.
 * @param fileName file to write.
 * @param format NODRIX_IMAGE_ kind.
 * @return 1/0. Errors: as Nodrix_SaveImage; NODRIX_ERROR_TEXT (conversion).
 */
NODRIX_EXPORT(int) Nodrix_SaveImageW(int handle, const NodrixWChar* fileName, int format);
/**
 * Reads a configuration file of integer pairs and keeps them in the
 * connection, replacing those read before. A file of n bytes holds n / 8
 * pairs; a remainder is ignored. A file that cannot be read keeps the
 * previous pairs.
 * @param handle connection handle from Nodrix_Initialize.
 * @param fileName file to read (system code page).
 * @return 1/0. Errors: NODRIX_ERROR_FILE (no name, missing or unreadable).
 */
NODRIX_EXPORT(int) Nodrix_LoadConfigFileA(int handle, const char* fileName);
/**
 * As Nodrix_LoadConfigFileA with a UTF-16 file name.
 * @param handle connection handle from Nodrix_Initialize.
 * @param fileName file to read.
 * @return 1/0. Errors: NODRIX_ERROR_TEXT (conversion).
 */
NODRIX_EXPORT(int) Nodrix_LoadConfigFileW(int handle, const NodrixWChar* fileName);
/**
 * Loads the mask data (dark and white frames) used by the mask filter.
 * The whole file is checked first: on any fault the mask in use is unchanged.
 * @param handle connection handle from Nodrix_Initialize.
 * @param fileName mask file (system code page).
 * @return 1/0. Errors: NODRIX_ERROR_MASK_FILE (missing, unreadable or not a
 *         mask file; a file that could not be read pushes NODRIX_ERROR_FILE
 *         first, with its reason), NODRIX_ERROR_NO_CORE.
 */
NODRIX_EXPORT(int) Nodrix_LoadMaskFile(int handle, const char* fileName);
/**
 * As Nodrix_LoadMaskFile with a UTF-16 file name.
 * @param handle connection handle from Nodrix_Initialize.
 * @param fileName mask file.
 * @return 1/0. Errors: as Nodrix_LoadMaskFile; NODRIX_ERROR_TEXT.
 */
NODRIX_EXPORT(int) Nodrix_LoadMaskFileW(int handle, const NodrixWChar* fileName);
/**
 * Saves the mask data to a file.
 * @param handle connection handle from Nodrix_Initialize.
 * @param fileName file to write (system code page).
 * @return 1/0. Errors: NODRIX_ERROR_MASK_FILE (the file cannot be written;
 *         NODRIX_ERROR_FILE with its reason pushed first),
 *         NODRIX_ERROR_MEMORY, NODRIX_ERROR_NO_CORE.
 */
NODRIX_EXPORT(int) Nodrix_SaveMaskFile(int handle, const char* fileName);
/**
 * As Nodrix_SaveMaskFile with a UTF-16 file name.
 * @param handle connection handle from Nodrix_Initialize.
 * @param fileName file to write.
 * @return 1/0. Errors: as Nodrix_SaveMaskFile; NODRIX_ERROR_TEXT.
 */
NODRIX_EXPORT(int) Nodrix_SaveMaskFileW(int handle, const NodrixWChar* fileName);
/**
 * Takes the most recent frame as mask data. The frame must be a full
 * 1280 x 1024 frame (8- or 16-bit).
 * @param handle connection handle from Nodrix_Initialize.
 * @param which 0: dark frame (lens covered), 1: white frame (evenly lit).
 * @return 1/0. Errors: NODRIX_ERROR_TEXT (no full-size frame, or which not 0
 *         or 1), NODRIX_ERROR_NO_CORE.
 */
NODRIX_EXPORT(int) Nodrix_UpdateMaskData(int handle, int which);

/* ---- Functions without an effect ------------------------------------- */

/**
 * Not supported by this camera: posts NODRIX_ERROR_NOT_SUPPORTED to the
 * recipient window without pushing it.
 * @param handle connection handle from Nodrix_Initialize.
 * @return 0.
 */
NODRIX_EXPORT(int) Nodrix_Fps(int handle);
/**
 * Not supported by this camera: posts NODRIX_ERROR_NOT_SUPPORTED to the
 * recipient window without pushing it.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok ignored.
 * @return 0.
 */
NODRIX_EXPORT(int) Nodrix_GetHalfClock(int handle, int* ok);
/**
 * Not supported by this camera: posts NODRIX_ERROR_NOT_SUPPORTED to the
 * recipient window without pushing it.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value ignored.
 * @return 0.
 */
NODRIX_EXPORT(int) Nodrix_SetHalfClock(int handle, int value);
/**
 * Not supported by this camera: posts NODRIX_ERROR_NOT_SUPPORTED to the
 * recipient window without pushing it.
 * @param handle connection handle from Nodrix_Initialize.
 * @param ok ignored.
 * @return 0.
 */
NODRIX_EXPORT(int) Nodrix_GetInternalCorrection(int handle, int* ok);
/**
 * Not supported by this camera: posts NODRIX_ERROR_NOT_SUPPORTED to the
 * recipient window without pushing it.
 * @param handle connection handle from Nodrix_Initialize.
 * @param value ignored.
 * @return 0.
 */
NODRIX_EXPORT(int) Nodrix_SetInternalCorrection(int handle, int value);
/**
 * Not supported by this camera: posts NODRIX_ERROR_NOT_SUPPORTED to the
 * recipient window without pushing it.
 * @param handle connection handle from Nodrix_Initialize.
 * @param input ignored.
 * @param output ignored.
 * @return 0.
 */
NODRIX_EXPORT(int) Nodrix_SetCrossbar(int handle, int input, int output);
/**
 * Not supported.
 * @param handle connection handle from Nodrix_Initialize.
 * @param text ignored.
 * @param length ignored.
 * @return 0. Errors: NODRIX_ERROR_NOT_SUPPORTED.
 */
NODRIX_EXPORT(int) Nodrix_SendText(int handle, const char* text, int length);
/**
 * Not supported.
 * @param handle connection handle from Nodrix_Initialize.
 * @param buffer not written.
 * @param length ignored.
 * @return 0. Errors: NODRIX_ERROR_NOT_SUPPORTED.
 */
NODRIX_EXPORT(int) Nodrix_ReceiveText(int handle, char* buffer, int length);
/**
 * Not supported.
 * @param handle connection handle from Nodrix_Initialize.
 * @param code ignored.
 * @param value ignored.
 * @return -1. Errors: NODRIX_ERROR_NOT_SUPPORTED.
 */
NODRIX_EXPORT(int) Nodrix_SetConfigFilter(int handle, int code, int value);
/**
 * Not supported.
 * @param handle connection handle from Nodrix_Initialize.
 * @param code ignored.
 * @param ok ignored.
 * @return -1. Errors: NODRIX_ERROR_NOT_SUPPORTED.
 */
NODRIX_EXPORT(int) Nodrix_GetConfigFilter(int handle, int code, int* ok);

#endif /* NODRIX_SDK_H */
