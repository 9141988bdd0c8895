#include "emulator/EmulatedPendingIo.h"

#include "emulator/EmulatedDriver.h"

namespace nodrix::emulator {

EmulatedPendingIo::EmulatedPendingIo(EmulatedDriver& driver) : driver_(driver) {}

EmulatedPendingIo::~EmulatedPendingIo() {
    platform::LockGuard guard(driver_.lock_);
    driver_.ForgetLocked(*this);
}

}  // namespace nodrix::emulator
