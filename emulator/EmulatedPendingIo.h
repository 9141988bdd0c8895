#pragma once
// The overlapped record of the emulated driver: the request it carries while
// it is queued, its outcome once done, and the event a waiter sleeps on.

#include <cstdint>

#include "platform/DriverPort.h"
#include "platform/Event.h"

namespace nodrix::emulator {

class EmulatedDriver;
struct CameraUnit;

class EmulatedPendingIo : public platform::PendingIo {
public:
    explicit EmulatedPendingIo(EmulatedDriver& driver);
    ~EmulatedPendingIo() override;

    // Signalled at completion and whenever the camera's state changed, so
    // that a waiter looks again.
    platform::Event wake{platform::EventReset::Auto, false};

    // The camera the last transfer went to (null: none, or its handle was
    // not valid); the fields below are guarded by its lock while the
    // transfer is pending.
    CameraUnit* unit = nullptr;
    bool submitted = false;
    bool pending = false;
    bool success = false;
    std::uint32_t bytes = 0;
    int camera = -1;
    platform::DriverHandle handle = platform::kInvalidDriverHandle;
    std::uint8_t endpoint = 0;
    std::uint8_t* data = nullptr;     // where the transferred bytes go
    std::uint32_t capacity = 0;
    std::uint32_t byteBias = 0;       // record bytes counted in the result
    std::uint8_t* record = nullptr;   // status fields are written here
    std::uint8_t* record2 = nullptr;  // and here, when the answer has its own copy

private:
    EmulatedDriver& driver_;
};

}  // namespace nodrix::emulator
