/*
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
#define NODRIX_ERROR_THREAD 3           /* worker thread or event not created */
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

/* Opens a connection; recipient (may be 0) receives NODRIX_WM_ERROR and
 * device-interface notifications. Returns the new handle, or 0. */
NODRIX_EXPORT(int) Nodrix_Initialize(NodrixHwnd recipient);
NODRIX_EXPORT(int) Nodrix_Release(int handle);
NODRIX_EXPORT(int) Nodrix_Close(int handle);
NODRIX_EXPORT(int) Nodrix_GetLastError(int handle);
NODRIX_EXPORT(int) Nodrix_GetDllVersion(void);
NODRIX_EXPORT(int) Nodrix_GetStatus(int handle, int reserved);

/* ---- Device selection and identity ----------------------------------- */

/* names: NODRIX_ENUM_SLOTS x NODRIX_ENUM_SLOT_CHARS characters. */
NODRIX_EXPORT(int) Nodrix_EnumDevice(int handle, char* names);
NODRIX_EXPORT(int) Nodrix_EnumDeviceW(int handle, NodrixWChar* names);
NODRIX_EXPORT(int) Nodrix_SetDeviceNumber(int handle, int index);
NODRIX_EXPORT(int) Nodrix_GetDeviceName(int handle, int index, char* name, int size);
NODRIX_EXPORT(int) Nodrix_GetDeviceNameW(int handle, int index, NodrixWChar* name, int size);
NODRIX_EXPORT(int) Nodrix_GetCameraInfo(int handle, NodrixCameraInfo* info);
NODRIX_EXPORT(int) Nodrix_ReadSerialNumberA(int handle, char* buffer, int size);
NODRIX_EXPORT(int) Nodrix_ReadSerialNumberW(int handle, NodrixWChar* buffer, int size);
NODRIX_EXPORT(int) Nodrix_ReadSromID(int handle, int address, int* ok);
NODRIX_EXPORT(int) Nodrix_WriteSromID(int handle, int address, int value);

/* ---- Acquisition ----------------------------------------------------- */

NODRIX_EXPORT(int) Nodrix_Preview(int handle);
NODRIX_EXPORT(int)
Nodrix_CallBackPreview(int handle, NodrixHwnd window, void* buffer, int size, int rowOrder);
NODRIX_EXPORT(int) Nodrix_Capture(int handle);
NODRIX_EXPORT(int) Nodrix_SnapShot(int handle, void* buffer, int size, int rowOrder);
NODRIX_EXPORT(int) Nodrix_GetImage(int handle, void* buffer, int size, int rowOrder);
NODRIX_EXPORT(int)
Nodrix_Trigger(int handle, NodrixHwnd window, void* buffer, int size, int rowOrder);
NODRIX_EXPORT(int) Nodrix_StartPreview(int handle);
NODRIX_EXPORT(int) Nodrix_StopPreview(int handle);
NODRIX_EXPORT(int) Nodrix_Record(int handle, const char* fileName, int durationMs, int showWindow);
NODRIX_EXPORT(int)
Nodrix_RecordW(int handle, const NodrixWChar* fileName, int durationMs, int showWindow);
NODRIX_EXPORT(int) Nodrix_SetWaitTime(int handle, int milliseconds);
NODRIX_EXPORT(int) Nodrix_GetWaitTime(int handle);

/* ---- Preview window and capture geometry ----------------------------- */

NODRIX_EXPORT(int)
Nodrix_SetPreviewWindow(int handle, NodrixHwnd parent, int x, int y, int width, int height);
NODRIX_EXPORT(int) Nodrix_SetCaptureWindow(int handle, int width, int height);
NODRIX_EXPORT(int)
Nodrix_SetCaptureWindowEx(int handle, int horizontalTotal, int horizontalStart, int width,
                          int verticalTotal, int verticalStart, int height);
NODRIX_EXPORT(int)
Nodrix_GetCaptureWindowEx(int handle, int* horizontalTotal, int* horizontalStart, int* width,
                          int* verticalTotal, int* verticalStart, int* height);
NODRIX_EXPORT(int) Nodrix_Width(int handle);
NODRIX_EXPORT(int) Nodrix_Height(int handle);
NODRIX_EXPORT(int) Nodrix_SetColorMode(int handle, int bitsPerPixel);
NODRIX_EXPORT(int) Nodrix_GetColorMode(int handle);
NODRIX_EXPORT(int) Nodrix_SetSubSample(int handle, int mode);
NODRIX_EXPORT(int) Nodrix_GetSubSample(int handle);
NODRIX_EXPORT(int) Nodrix_SetMirrorH(int handle, int on);
NODRIX_EXPORT(int) Nodrix_SetMirrorV(int handle, int on);
NODRIX_EXPORT(int) Nodrix_GetMirrorH(int handle);
NODRIX_EXPORT(int) Nodrix_GetMirrorV(int handle);

/* ---- Exposure, gain, automatic control ------------------------------- */

NODRIX_EXPORT(int) Nodrix_SetExposureTimeEx(int handle, double seconds);
NODRIX_EXPORT(double) Nodrix_GetExposureTimeEx(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetRealExposureTime(int handle, int microseconds);
NODRIX_EXPORT(int) Nodrix_GetRealExposureTime(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetAutoIris(int handle, int mode);
NODRIX_EXPORT(int) Nodrix_GetAutoIris(int handle, int* ok);
/* channel: 1 to 4. */
NODRIX_EXPORT(int) Nodrix_SetChannelGain(int handle, int channel, int value);
NODRIX_EXPORT(int) Nodrix_SetChannelOffset(int handle, int channel, int value);
NODRIX_EXPORT(int) Nodrix_GetChannelGain(int handle, int channel, int* ok);
NODRIX_EXPORT(int) Nodrix_GetChannelOffset(int handle, int channel, int* ok);

/* ---- Generic parameter access ---------------------------------------- */

NODRIX_EXPORT(int) Nodrix_SetFilterValue(int handle, int code, int value);
NODRIX_EXPORT(int) Nodrix_GetFilterValue(int handle, int code, int* ok);

/* ---- Named parameters (each calls the generic pair with its code) ---- */

NODRIX_EXPORT(int) Nodrix_SetBrightness(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetBrightness(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetContrast(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetContrast(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetHue(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetHue(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetSaturation(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetSaturation(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetSharpness(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetSharpness(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetBayerGainRGB(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetBayerGainRGB(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetBayerGainRed(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetBayerGainRed(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetBayerGainGreen(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetBayerGainGreen(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetBayerGainBlue(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetBayerGainBlue(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetBayerGainAuto(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetBayerGainAuto(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetGamma(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetGamma(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetBayerMode(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetBayerMode(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetGlobalGain(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetGlobalGain(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetColorGainRed(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetColorGainRed(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetColorGainGreen1(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetColorGainGreen1(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetColorGainGreen2(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetColorGainGreen2(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetColorGainBlue(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetColorGainBlue(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetExposureTime(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetExposureTime(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetGrayMode(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetGrayMode(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetGrayGainR(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetGrayGainR(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetGrayGainG1(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetGrayGainG1(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetGrayGainG2(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetGrayGainG2(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetGrayGainB(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetGrayGainB(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetGrayOffsetR(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetGrayOffsetR(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetGrayOffsetG1(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetGrayOffsetG1(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetGrayOffsetG2(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetGrayOffsetG2(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetGrayOffsetB(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetGrayOffsetB(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetPeltier(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetPeltier(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetDotFilter(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetDotFilter(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetMaskFilter(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetMaskFilter(int handle, int* ok);

/* ---- Registers and I/O port ------------------------------------------ */

NODRIX_EXPORT(int) Nodrix_ReadRegister(int handle, int address, int* ok);
NODRIX_EXPORT(int) Nodrix_ReadRegisterEx(int handle, int address, int* ok);
NODRIX_EXPORT(int) Nodrix_WriteRegister(int handle, int address, int value);
NODRIX_EXPORT(int) Nodrix_WriteRegisterEx(int handle, int address, int value);
NODRIX_EXPORT(int) Nodrix_Fpga_ReadRegister(int handle, int reg, int* ok);
NODRIX_EXPORT(int) Nodrix_Fpga_WriteRegister(int handle, int reg, int value);
NODRIX_EXPORT(int) Nodrix_SetIOPort(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetIOPort(int handle, unsigned char* value, int reserved1, int reserved2);
NODRIX_EXPORT(int) Nodrix_SetSamplingRate(int handle, int rate);
NODRIX_EXPORT(int) Nodrix_GetSamplingRate(int handle, int* rate);
/* Same function as Nodrix_GetSamplingRate. */
NODRIX_EXPORT(int) Nodrix_GetVideoFormat(int handle, int* format);

/* ---- Temperature ----------------------------------------------------- */

NODRIX_EXPORT(double) Nodrix_GetTemperatureEx(int handle, int* ok);
/* Always -1 (not supported). */
NODRIX_EXPORT(int) Nodrix_GetTemperature(int handle, int* ok);

/* ---- Dialogs --------------------------------------------------------- */

NODRIX_EXPORT(int) Nodrix_SetCameraDlg(int handle, NodrixHwnd parent);
NODRIX_EXPORT(int) Nodrix_SetImageDlg(int handle, NodrixHwnd parent);
NODRIX_EXPORT(int) Nodrix_SetAnalogDlg(int handle, NodrixHwnd parent);

/* ---- Files ----------------------------------------------------------- */

/* format: NODRIX_IMAGE_... */
NODRIX_EXPORT(int) Nodrix_SaveImage(int handle, const char* fileName, int format);
NODRIX_EXPORT(int) Nodrix_SaveImageW(int handle, const NodrixWChar* fileName, int format);
NODRIX_EXPORT(int) Nodrix_LoadConfigFileA(int handle, const char* fileName);
NODRIX_EXPORT(int) Nodrix_LoadConfigFileW(int handle, const NodrixWChar* fileName);
NODRIX_EXPORT(int) Nodrix_LoadMaskFile(int handle, const char* fileName);
NODRIX_EXPORT(int) Nodrix_LoadMaskFileW(int handle, const NodrixWChar* fileName);
NODRIX_EXPORT(int) Nodrix_SaveMaskFile(int handle, const char* fileName);
NODRIX_EXPORT(int) Nodrix_SaveMaskFileW(int handle, const NodrixWChar* fileName);
/* which: 0 dark frame, 1 white frame. */
NODRIX_EXPORT(int) Nodrix_UpdateMaskData(int handle, int which);

/* ---- Functions without an effect ------------------------------------- */

/* One function under six names: returns 0 and posts
 * NODRIX_ERROR_NOT_SUPPORTED to the recipient window without recording it. */
NODRIX_EXPORT(int) Nodrix_Fps(int handle);
NODRIX_EXPORT(int) Nodrix_GetHalfClock(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetHalfClock(int handle, int value);
NODRIX_EXPORT(int) Nodrix_GetInternalCorrection(int handle, int* ok);
NODRIX_EXPORT(int) Nodrix_SetInternalCorrection(int handle, int value);
NODRIX_EXPORT(int) Nodrix_SetCrossbar(int handle, int input, int output);
/* One function under two names: returns 0, NODRIX_ERROR_NOT_SUPPORTED. */
NODRIX_EXPORT(int) Nodrix_SendText(int handle, const char* text, int length);
NODRIX_EXPORT(int) Nodrix_ReceiveText(int handle, char* buffer, int length);
/* Return -1, NODRIX_ERROR_NOT_SUPPORTED. */
NODRIX_EXPORT(int) Nodrix_SetConfigFilter(int handle, int code, int value);
NODRIX_EXPORT(int) Nodrix_GetConfigFilter(int handle, int code, int* ok);

#endif /* NODRIX_SDK_H */
