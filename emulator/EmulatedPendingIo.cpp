#include "emulator/EmulatedPendingIo.h"

#include "emulator/EmulatedDriver.h"

namespace nodrix::emulator {

EmulatedPendingIo::EmulatedPendingIo(EmulatedDriver& driver) : driver_(driver) {}

EmulatedPendingIo::~EmulatedPendingIo() {
    if (unit == nullptr) return;
    platform::LockGuard guard(unit->lock);
    driver_.ForgetLocked(*this);
}

}  // namespace nodrix::emulator
