// The public records as an application sees them, for either pointer size:
// the size of every record and the offset of every field. An application
// built with another compiler reads these bytes, so a change here breaks it
// unseen; the check costs nothing at run time and is compiled by every
// build, 32- and 64-bit, Windows and native. The 32-bit offsets hold for
// both 32-bit ABIs: no 64-bit field sits where Windows (8-byte alignment)
// and i386 Linux (4-byte alignment) would place it differently.
#include <cstddef>

#include "NodrixSdk.h"
#include "NodrixSdkEx.h"

namespace {

static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "a 32- or 64-bit build");
constexpr bool kBits32 = sizeof(void*) == 4;

constexpr std::size_t Either(std::size_t bits32, std::size_t bits64) {
    return kBits32 ? bits32 : bits64;
}

#define NODRIX_RECORD_SIZE(record, bits32, bits64) \
    static_assert(sizeof(record) == Either(bits32, bits64), #record " size")
#define NODRIX_FIELD_AT(record, field, bits32, bits64) \
    static_assert(offsetof(record, field) == Either(bits32, bits64), #record "." #field " offset")

NODRIX_RECORD_SIZE(FrameInfo, 24, 32);
NODRIX_FIELD_AT(FrameInfo, reserved, 0, 0);
NODRIX_FIELD_AT(FrameInfo, width, 4, 4);
NODRIX_FIELD_AT(FrameInfo, height, 8, 8);
NODRIX_FIELD_AT(FrameInfo, bitsPerPixel, 12, 12);
NODRIX_FIELD_AT(FrameInfo, frameRate10, 16, 16);
NODRIX_FIELD_AT(FrameInfo, buffer, 20, 24);

NODRIX_RECORD_SIZE(NodrixCameraInfo, 56, 56);
NODRIX_FIELD_AT(NodrixCameraInfo, size, 0, 0);
NODRIX_FIELD_AT(NodrixCameraInfo, maxWidth, 4, 4);
NODRIX_FIELD_AT(NodrixCameraInfo, maxHeight, 8, 8);
NODRIX_FIELD_AT(NodrixCameraInfo, gainMin, 12, 12);
NODRIX_FIELD_AT(NodrixCameraInfo, gainMax, 16, 16);
NODRIX_FIELD_AT(NodrixCameraInfo, colorGainMin, 20, 20);
NODRIX_FIELD_AT(NodrixCameraInfo, colorGainMax, 24, 24);
NODRIX_FIELD_AT(NodrixCameraInfo, exposureMin, 28, 28);
NODRIX_FIELD_AT(NodrixCameraInfo, exposureMax, 32, 32);
NODRIX_FIELD_AT(NodrixCameraInfo, reserved, 36, 36);
NODRIX_FIELD_AT(NodrixCameraInfo, exposureSecondsMin, 40, 40);
NODRIX_FIELD_AT(NodrixCameraInfo, exposureSecondsMax, 48, 48);
static_assert(NODRIX_CAMERA_INFO_BASIC_SIZE == offsetof(NodrixCameraInfo, reserved), "basic size");
static_assert(NODRIX_CAMERA_INFO_FULL_SIZE == sizeof(NodrixCameraInfo), "full size");

NODRIX_RECORD_SIZE(NodrixExFrameMetadata, 56, 56);
NODRIX_FIELD_AT(NodrixExFrameMetadata, size, 0, 0);
NODRIX_FIELD_AT(NodrixExFrameMetadata, frameNumber, 4, 4);
NODRIX_FIELD_AT(NodrixExFrameMetadata, timestampUs, 8, 8);
NODRIX_FIELD_AT(NodrixExFrameMetadata, exposure10, 16, 16);
NODRIX_FIELD_AT(NodrixExFrameMetadata, gain, 20, 20);
NODRIX_FIELD_AT(NodrixExFrameMetadata, x, 24, 24);
NODRIX_FIELD_AT(NodrixExFrameMetadata, y, 28, 28);
NODRIX_FIELD_AT(NodrixExFrameMetadata, width, 32, 32);
NODRIX_FIELD_AT(NodrixExFrameMetadata, height, 36, 36);
NODRIX_FIELD_AT(NodrixExFrameMetadata, bitsPerPixel, 40, 40);
NODRIX_FIELD_AT(NodrixExFrameMetadata, significantBits, 44, 44);
NODRIX_FIELD_AT(NodrixExFrameMetadata, lostBefore, 48, 48);
NODRIX_FIELD_AT(NodrixExFrameMetadata, reserved, 52, 52);

NODRIX_RECORD_SIZE(NodrixExStreamStatistics, 104, 104);
NODRIX_FIELD_AT(NodrixExStreamStatistics, size, 0, 0);
NODRIX_FIELD_AT(NodrixExStreamStatistics, reserved, 4, 4);
NODRIX_FIELD_AT(NodrixExStreamStatistics, framesReceived, 8, 8);
NODRIX_FIELD_AT(NodrixExStreamStatistics, framesDelivered, 16, 16);
NODRIX_FIELD_AT(NodrixExStreamStatistics, lostHeader, 24, 24);
NODRIX_FIELD_AT(NodrixExStreamStatistics, lostPayload, 32, 32);
NODRIX_FIELD_AT(NodrixExStreamStatistics, lostGap, 40, 40);
NODRIX_FIELD_AT(NodrixExStreamStatistics, lostOverwritten, 48, 48);
NODRIX_FIELD_AT(NodrixExStreamStatistics, lostBufferTooSmall, 56, 56);
NODRIX_FIELD_AT(NodrixExStreamStatistics, recoveries, 64, 64);
NODRIX_FIELD_AT(NodrixExStreamStatistics, receivedRate, 72, 72);
NODRIX_FIELD_AT(NodrixExStreamStatistics, deliveredRate, 80, 80);
NODRIX_FIELD_AT(NodrixExStreamStatistics, notRecorded, 88, 88);
NODRIX_FIELD_AT(NodrixExStreamStatistics, lostNoBuffer, 96, 96);

NODRIX_RECORD_SIZE(NodrixExRecordStatus, 40, 40);
NODRIX_FIELD_AT(NodrixExRecordStatus, size, 0, 0);
NODRIX_FIELD_AT(NodrixExRecordStatus, recording, 4, 4);
NODRIX_FIELD_AT(NodrixExRecordStatus, framesWritten, 8, 8);
NODRIX_FIELD_AT(NodrixExRecordStatus, framesDropped, 16, 16);
NODRIX_FIELD_AT(NodrixExRecordStatus, bytesWritten, 24, 24);
NODRIX_FIELD_AT(NodrixExRecordStatus, error, 32, 32);
NODRIX_FIELD_AT(NodrixExRecordStatus, format, 36, 36);

NODRIX_RECORD_SIZE(NodrixExStreamInfo, 48, 48);
NODRIX_FIELD_AT(NodrixExStreamInfo, payloadBytes, 8, 8);
NODRIX_FIELD_AT(NodrixExStreamInfo, width, 16, 16);
NODRIX_FIELD_AT(NodrixExStreamInfo, flags, 44, 44);

NODRIX_RECORD_SIZE(NodrixExStreamBuffer, 96, 112);
NODRIX_FIELD_AT(NodrixExStreamBuffer, id, 4, 4);
NODRIX_FIELD_AT(NodrixExStreamBuffer, pixels, 8, 8);
NODRIX_FIELD_AT(NodrixExStreamBuffer, user, 12, 16);
NODRIX_FIELD_AT(NodrixExStreamBuffer, capacity, 16, 24);
NODRIX_FIELD_AT(NodrixExStreamBuffer, bytes, 20, 32);
NODRIX_FIELD_AT(NodrixExStreamBuffer, width, 24, 40);
NODRIX_FIELD_AT(NodrixExStreamBuffer, stride, 36, 52);
NODRIX_FIELD_AT(NodrixExStreamBuffer, metadata, 40, 56);

NODRIX_RECORD_SIZE(NodrixExFrame, 88, 96);
NODRIX_FIELD_AT(NodrixExFrame, size, 0, 0);
NODRIX_FIELD_AT(NodrixExFrame, width, 4, 4);
NODRIX_FIELD_AT(NodrixExFrame, height, 8, 8);
NODRIX_FIELD_AT(NodrixExFrame, bitsPerPixel, 12, 12);
NODRIX_FIELD_AT(NodrixExFrame, stride, 16, 16);
NODRIX_FIELD_AT(NodrixExFrame, topRowFirst, 20, 20);
NODRIX_FIELD_AT(NodrixExFrame, pixels, 24, 24);
NODRIX_FIELD_AT(NodrixExFrame, bytes, 28, 32);
NODRIX_FIELD_AT(NodrixExFrame, metadata, 32, 40);

// The platform types of the calls: 16-bit text units, pointer-sized window
// handles.
static_assert(sizeof(NodrixWChar) == 2, "UTF-16 code units");
static_assert(sizeof(NodrixHwnd) == sizeof(void*), "a window handle is pointer-sized");

}  // namespace
