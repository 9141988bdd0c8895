#pragma once
// The camera and image parameters under readable names: reading, range-
// checked setting, and putting the previous value back at the end.

#include <string>
#include <vector>

#include "ParameterAccess.h"

namespace nodrix_tool {

class Session;

struct ParameterInfo {
    const char* name;
    const char* meaning;
    bool stored;  // kept by the SDK's settings when saved
};

const std::vector<ParameterInfo>& ParameterList();

// Every name, comma separated, for messages about an unknown one.
std::string ParameterNames();

// false (after saying so on stderr) for an unknown name.
bool ReadParameter(Session& session, const std::string& name, Reading* reading);

// Applies "NAME=VALUE": an unknown name, a value that is no number or lies
// outside the camera's range is refused with a message naming the valid
// names or the range. The previous value is registered with the session to
// be put back at the end. Returns an exit status (0 on success).
int AssignParameter(Session& session, const std::string& assignment);

// The range of a numeric parameter as the camera reports it; false when the
// parameter has none.
bool ParameterRange(Session& session, const std::string& name, double* low, double* high);

// The range as messages and `info` give it ("2 to 62", "8 or 16"); empty
// for a parameter without one.
std::string ParameterRangeText(Session& session, const std::string& name);

// The reading as the text `get` prints.
std::string FormatReading(const Reading& reading);

}  // namespace nodrix_tool
