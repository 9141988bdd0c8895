#pragma once
// A connection's error stack: the last 20 codes, newest first, and the
// reason of the last failed file read or write. Codes come from the
// application's threads and from the workers, so the stack has its own lock;
// every code recorded is also posted to the recipient window.

#include <array>
#include <string>

#include "connection/LockOrder.h"
#include "platform/RecursiveLock.h"
#include "platform/WindowMessages.h"

namespace nodrix {

// Depth of the error stack.
inline constexpr int kErrorStackDepth = 20;

class ErrorStack {
public:
    // The window told of each code (0: none).
    void SetRecipient(platform::WindowHandle recipient) { recipient_ = recipient; }
    platform::WindowHandle Recipient() const { return recipient_; }

    // Records the code as the newest entry (the oldest is lost) and posts it.
    void Push(int code);
    // The newest code, removed from the stack; 0 when empty.
    int Pop();
    // Only notifies the recipient window of the code; nothing is recorded.
    void Post(int code) const;
    // Keeps the system's reason noted on this thread (or the reason given,
    // when the system gave none) as the last file failure and pushes the
    // file error.
    void FileFailed(const char* reason);
    // The last file failure's reason into the caller's buffer of size bytes
    // (empty when none has happened); false when it does not fit.
    bool CopyLastFileFailure(char* text, int size) const;

    // While one lives, the codes its thread pushes to the stack are neither
    // recorded nor posted: for work the application did not ask for, whose
    // failure it learns from the call it makes next.
    class Quiet {
    public:
        explicit Quiet(const ErrorStack& stack);
        ~Quiet();
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;

    private:
        const ErrorStack* previous_;
    };

private:
    mutable platform::RecursiveLock lock_{kLockRankError};
    std::array<int, kErrorStackDepth> codes_{};
    std::string lastFileFailure_;
    platform::WindowHandle recipient_ = 0;
};

}  // namespace nodrix
