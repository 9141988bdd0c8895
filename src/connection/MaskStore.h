#pragma once
// A connection's mask store: the dark, white and defect reference planes in
// 8 and 16 bits with the defect maps built from them, and the pairs of the
// last configuration file. The planes change only under the store's lock,
// which the conversion holds while it applies the mask and dot filters, so
// a frame is never corrected with half-replaced planes.

#include <array>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "connection/ImageSlots.h"
#include "connection/LockOrder.h"
#include "imaging/CDibImage.h"
#include "platform/RecursiveLock.h"

namespace nodrix {

class MaskStore {
public:
    using ConfigPairs = std::vector<std::pair<std::int32_t, std::int32_t>>;

    // The planes at the sensor's size, the neutral flat field (dark 0,
    // white full scale) and empty defect maps. False without memory.
    bool Allocate();
    // A plane of the store (slot from kFirstMaskSlot on); null before the
    // store is allocated.
    imaging::CDibImage* Plane(ImageSlot slot) const { return planes_[slot - kFirstMaskSlot].get(); }
    // Held by the conversion while it reads the planes.
    platform::RecursiveLock& Lock() { return lock_; }

    enum class Result { kDone, kNoPlane, kNoMemory, kUnreadable, kForeign };
    // The raw frame (sensor-sized) as the dark (which 0) or white (1)
    // reference of its depth; its defect map is rebuilt.
    Result TakePlane(const imaging::CDibImage& raw, int which);
    // The four reference planes to and from a mask file. The whole file is
    // read and checked before a plane changes. kUnreadable: the file could
    // not be read or written (the system's reason is noted on the thread).
    Result Save(const char* fileName);
    Result Load(const char* fileName);

    void SetConfigPairs(ConfigPairs pairs);
    ConfigPairs GetConfigPairs() const;

private:
    mutable platform::RecursiveLock lock_{kLockRankMask};
    std::array<std::unique_ptr<imaging::CDibImage>, kMaskSlotCount> planes_;
    ConfigPairs configPairs_;
};

}  // namespace nodrix
