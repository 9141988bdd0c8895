#include "Progress.h"

#include <cstdio>

#include "Console.h"

namespace nodrix_tool {

ProgressLine::ProgressLine() : terminal_(StdoutIsTerminal()), nextPlain_() {}

void ProgressLine::Show(const std::string& text) {
    if (terminal_) {
        // Spaces wipe what a longer line before left behind.
        std::printf("\r%-70s", text.c_str());
        std::fflush(stdout);
        shown_ = true;
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now < nextPlain_) return;
    nextPlain_ = now + std::chrono::seconds(1);
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

void ProgressLine::Finish() {
    if (terminal_ && shown_) std::printf("\n");
    shown_ = false;
}

}  // namespace nodrix_tool
