#pragma once
// The parameters the tool knows: readable name, meaning, how the SDK reaches
// it, and its range where the range is not the camera's to report.

#include <string>

#include "Parameters.h"

namespace nodrix_tool {

enum class Kind {
    kFilter,
    kExposureMs,
    kExposureS,
    kMirrorH,
    kMirrorV,
    kAutoIris,
    kBits,
    kWindow,
    kWait
};
enum class Range { kFixed, kGain, kExposure };

struct Parameter {
    ParameterInfo info;
    Kind kind;
    int code;  // filter code of kFilter
    Range range;
    double low;
    double high;
};

inline constexpr double kNoLimit = 2147483647.0;

// The table, in the order `info` and `get` list the parameters.
const Parameter* ParametersBegin();
const Parameter* ParametersEnd();

// nullptr (after naming the valid names on stderr) for an unknown name.
const Parameter* FindParameter(const std::string& name);

}  // namespace nodrix_tool
