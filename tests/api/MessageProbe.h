#pragma once
// A recipient window for the SDK's posted messages: natively a window
// number whose messages the library's message sink keeps; on Windows a
// real window whose queue the probe pumps.

#include <cstdint>
#include <memory>
#include <optional>

#include "NodrixSdk.h"

namespace nodrix::test {

struct ProbedMessage {
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

class MessageProbe {
public:
    virtual ~MessageProbe() = default;
    virtual NodrixHwnd Window() const = 0;
    // The next message posted to the window within timeoutMs, if any.
    virtual std::optional<ProbedMessage> Next(std::uint32_t timeoutMs) = 0;
    // Drops whatever is queued.
    virtual void Clear() = 0;
};

std::unique_ptr<MessageProbe> MakeMessageProbe();

}  // namespace nodrix::test
