#pragma once
// The error stack as the exports and the rest of the connection report to it:
// each operation returns what its caller gives back (1 after a push, 0 after
// a file failure, the setter's result), so a failure reads as one line.

#include "connection/ErrorStack.h"

namespace nodrix {

struct ControlResult;

class ConnectionErrors {
public:
    ErrorStack& Stack() { return stack_; }
    const ErrorStack& Stack() const { return stack_; }

    // Records the code as the newest entry (the oldest of the 20 is lost) and
    // posts it to the recipient window. Returns 1.
    int PushError(int code);
    // The newest code, removed from the stack; 0 when empty.
    int PopError();
    // Only notifies the recipient window of the code; nothing is recorded.
    void PostError(int code);
    // The setter's result, its error code (if any) recorded first.
    int Reported(const ControlResult& control);
    // A failed file read or write: keeps the system's reason noted on this
    // thread (or the reason given, when the system gave none) as the last
    // file failure and pushes NODRIX_ERROR_FILE. Returns 0.
    int FileFailed(const char* reason);
    // The last file failure's reason into the caller's buffer of size bytes
    // (empty when none has happened).
    int GetLastSystemError(char* text, int size);

private:
    // Shared with the owners that record their own codes.
    ErrorStack stack_;
};

}  // namespace nodrix
