#pragma once
// The operating system's reason for a failed call, kept per thread from the
// moment of the failure until someone takes it: cleanup after a failure (a
// close, removing a partial file) must not replace the reason that matters.

#include <string>

namespace nodrix::platform {

// Notes the calling thread's last system error (GetLastError on Windows,
// errno natively) as the reason of the failure just seen.
void NoteSystemError();
// Notes the C runtime's errno instead (files written through the C
// runtime's streams).
void NoteRuntimeError();
// The noted reason as text, cleared; empty when nothing was noted since the
// last take.
std::string TakeNotedError();

}  // namespace nodrix::platform
