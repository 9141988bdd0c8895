#include "connection/MaskStore.h"

#include <cstring>
#include <new>

#include "files/MaskFileIo.h"
#include "files/MaskFileLayout.h"
#include "pipeline/DefectMap.h"
#include "pipeline/ParameterBlocks.h"

namespace nodrix {

namespace {

struct MaskSlot {
    ImageSlot plane;
    ImageSlot defectMap;
    pipeline::MaskKind kind;
};

// In file order: dark8, white8, dark16, white16.
constexpr MaskSlot kMaskSlots[files::kMaskPlaneCount] = {
    {kDark8, kDefectDark8, pipeline::MaskKind::Dark},
    {kWhite8, kDefectWhite8, pipeline::MaskKind::White},
    {kDark16, kDefectDark16, pipeline::MaskKind::Dark},
    {kWhite16, kDefectWhite16, pipeline::MaskKind::White},
};

}  // namespace

bool MaskStore::Allocate() {
    struct Bits {
        ImageSlot slot;
        int bits;
    };
    static constexpr Bits kPlanes[] = {
        {kDark8, 8},       {kWhite8, 8},       {kDark16, 16},       {kWhite16, 16},
        {kDefectDark8, 8}, {kDefectWhite8, 8}, {kDefectDark16, 16}, {kDefectWhite16, 16},
        {kMark8, 8},       {kMark16, 16},
    };
    platform::LockGuard guard(lock_);
    for (auto& plane : planes_) {
        if (!plane) plane.reset(new (std::nothrow) imaging::CDibImage());
        if (!plane) return false;
    }
    for (const Bits& plane : kPlanes) {
        imaging::CDibImage& image = *Plane(plane.slot);
        if (!image.Allocate(kSensorWidth, kSensorHeight, plane.bits)) return false;
        std::memset(image.Pixels(), 0, image.SizeBytes());
    }
    // The neutral flat field: dark 0, white full scale (12 bits in 16-bit
    // samples).
    std::memset(Plane(kWhite8)->Pixels(), 0xFF, Plane(kWhite8)->SizeBytes());
    imaging::CDibImage& white16 = *Plane(kWhite16);
    for (int y = 0; y < white16.Height(); ++y) {
        std::uint8_t* row = white16.Row(y);
        for (int x = 0; x < white16.Width(); ++x) {
            row[2 * x] = 0xFF;
            row[2 * x + 1] = 0x0F;
        }
    }
    return true;
}

MaskStore::Result MaskStore::TakePlane(const imaging::CDibImage& source, int which) {
    if ((which != 0 && which != 1) || source.Empty() || source.Width() != kSensorWidth ||
        source.Height() != kSensorHeight) {
        return Result::kNoPlane;
    }
    const int first = source.Bits() == 16 ? 2 : 0;
    const MaskSlot& slot = kMaskSlots[first + which];
    imaging::CDibImage& plane = *Plane(slot.plane);
    const std::size_t rowBytes = static_cast<std::size_t>(kSensorWidth) * source.BytesPerPixel();
    if (plane.Bits() != source.Bits() || plane.Width() != kSensorWidth ||
        plane.Height() != kSensorHeight) {
        return Result::kNoMemory;
    }
    // The caller keeps the raw frame still; the lock keeps a converting
    // worker from reading a half-copied plane.
    platform::LockGuard guard(lock_);
    for (int y = 0; y < kSensorHeight; ++y) std::memcpy(plane.Row(y), source.Row(y), rowBytes);
    pipeline::BuildDefectMap(plane, slot.kind, *Plane(slot.defectMap));
    return Result::kDone;
}

MaskStore::Result MaskStore::Save(const char* fileName) {
    // The file image is taken under the lock and written without it, so a
    // slow disk does not hold up the frames being corrected.
    std::vector<std::uint8_t> bytes;
    bool encoded = false;
    {
        platform::LockGuard guard(lock_);
        encoded = files::EncodeMaskFile(
            {Plane(kDark8), Plane(kWhite8), Plane(kDark16), Plane(kWhite16)}, bytes);
    }
    if (!encoded) return Result::kNoMemory;
    if (!files::WriteMaskFileBytes(fileName, bytes)) return Result::kUnreadable;
    return Result::kDone;
}

MaskStore::Result MaskStore::Load(const char* fileName) {
    // A missing, short, long or foreign file leaves the mask data as it was.
    std::vector<std::uint8_t> bytes;
    if (!files::ReadMaskFileBytes(fileName, bytes)) return Result::kUnreadable;
    if (files::CheckMaskFile(bytes.data(), bytes.size()) != files::MaskFileFault::None) {
        return Result::kForeign;
    }
    platform::LockGuard guard(lock_);
    if (!files::DecodeMaskPlanes(
            bytes.data(), {Plane(kDark8), Plane(kWhite8), Plane(kDark16), Plane(kWhite16)})) {
        return Result::kNoMemory;
    }
    for (const MaskSlot& slot : kMaskSlots) {
        pipeline::BuildDefectMap(*Plane(slot.plane), slot.kind, *Plane(slot.defectMap));
    }
    return Result::kDone;
}

void MaskStore::SetConfigPairs(ConfigPairs pairs) {
    platform::LockGuard guard(lock_);
    configPairs_ = std::move(pairs);
}

MaskStore::ConfigPairs MaskStore::GetConfigPairs() const {
    platform::LockGuard guard(lock_);
    return configPairs_;
}

}  // namespace nodrix
