#pragma once
// Reading and writing one parameter of the table through the exports: the
// one place that knows which export serves which parameter, shared by the
// tool and the viewer.

#include <string>

namespace nodrix_tool {

struct Parameter;

struct Reading {
    bool ok = false;
    bool isText = false;  // the capture window: "WIDTHxHEIGHT+X+Y"
    double number = 0.0;
    std::string text;
};

struct Window {
    int width, height, x, y;
};

// The range of a parameter: the table's, or the camera's for gain and
// exposure.
void RangeOf(int handle, const Parameter& p, double* low, double* high);

// "WIDTHxHEIGHT+X+Y", or "WIDTHxHEIGHT" at the top left.
bool ParseWindow(const std::string& text, Window* window);

Reading Read(int handle, const Parameter& p);

// Writes one value; false with the SDK's error code left on its stack.
bool Write(int handle, const Parameter& p, double value, const std::string& text);

}  // namespace nodrix_tool
