#pragma once
// The console: Ctrl-C and whether standard output is a terminal.

namespace nodrix_tool {

// Ctrl-C (SIGINT and SIGTERM; on Windows also Ctrl-Break and closing the
// console) sets a flag instead of ending the program, once this was called.
void CatchInterrupt();
bool Interrupted();

// Whether standard output is a terminal (progress lines are redrawn there).
bool StdoutIsTerminal();

}  // namespace nodrix_tool
