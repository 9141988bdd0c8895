#pragma once
// The attached cameras as the exports report them, shared by the tool and
// the GStreamer plugin.

#include <string>
#include <vector>

namespace nodrix_tool {

// The names Nodrix_EnumDevice reports, one per camera.
std::vector<std::string> CameraNames(int handle);

// The serial number of the connection's camera, or "" when it has none.
std::string SerialOf(int handle);

}  // namespace nodrix_tool
