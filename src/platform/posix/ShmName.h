#pragma once
// Windows object names ("U3T2-MemMap", "Local\\Name") as POSIX shared
// memory names: one leading slash and no other.

#include <string>

namespace nodrix::platform::detail {

inline std::string ShmName(const std::string& name, const char* suffix = "") {
    std::string result = "/";
    for (char c : name) result += (c == '/' || c == '\\') ? '_' : c;
    return result + suffix;
}

}  // namespace nodrix::platform::detail
