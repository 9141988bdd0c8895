#pragma once
// The camera and image parameters the tool's `set` knows, read and written
// through the exported functions, with their ranges.

#include <string>
#include <vector>

#include "ParameterTable.h"

namespace nodrix_viewer {

struct Control {
    const nodrix_tool::Parameter* parameter = nullptr;
    double value = 0.0;  // as read back from the camera
    std::string text;    // the capture window, "WIDTHxHEIGHT+X+Y"
    bool readable = false;
    double low = 0.0, high = 0.0;
};

class Controls {
public:
    // Reads every parameter and its range.
    void Open(int handle);
    // Reads every value again (after a change, a configuration or a replug).
    void Refresh();
    // Reads again what automatic exposure moves (exposure and gain) only:
    // every read waits its turn with the running acquisition.
    void RefreshAutomatic();
    // Writes one value; false with the library's code on the error stack.
    bool Set(const std::string& name, double value, const std::string& text = "");

    std::vector<Control>& All() { return controls_; }
    const Control* Find(const std::string& name) const;

    // "name=value" lines of every stored parameter; Load applies such a file
    // and returns the names it could not apply.
    bool Save(const std::string& path) const;
    bool Load(const std::string& path, std::string* problems);

private:
    int handle_ = 0;
    std::vector<Control> controls_;
};

}  // namespace nodrix_viewer
