#pragma once
// A progress line: redrawn in place on a terminal, and into a pipe or file
// a plain line at most once a second.

#include <chrono>
#include <string>

namespace nodrix_tool {

class ProgressLine {
public:
    ProgressLine();
    void Show(const std::string& text);
    // Ends a redrawn line, so the summary starts on its own line.
    void Finish();

private:
    bool terminal_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point nextPlain_;
};

}  // namespace nodrix_tool
