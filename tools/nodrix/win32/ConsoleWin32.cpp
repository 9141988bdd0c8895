// Console control events (Ctrl-C, Ctrl-Break, closing the console) set a
// flag; the terminal test.
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "Console.h"

namespace nodrix_tool {

namespace {
volatile LONG g_interrupted = 0;
BOOL WINAPI OnConsoleEvent(DWORD) {
    InterlockedExchange(&g_interrupted, 1);
    return TRUE;
}
}  // namespace

void CatchInterrupt() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool Interrupted() {
    return InterlockedCompareExchange(&g_interrupted, 0, 0) != 0;
}

bool StdoutIsTerminal() {
    return _isatty(_fileno(stdout)) != 0;
}

}  // namespace nodrix_tool
