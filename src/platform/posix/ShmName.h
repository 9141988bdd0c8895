#pragma once
// Windows object names ("U3T2-MemMap", "Local\\Name") as POSIX shared
// memory names: one leading slash and no other.
//
// POSIX names are machine-wide, while a Windows session keeps its own
// object names. NODRIX_OBJECT_NAMESPACE gives a group of processes a
// namespace of their own, as a separate session would (test runs of several
// build trees at once, or several independent emulated setups).

#include <cstdlib>
#include <string>

namespace nodrix::platform::detail {

inline void AppendShmSafe(std::string& out, const char* text) {
    for (; *text != '\0'; ++text) out += (*text == '/' || *text == '\\') ? '_' : *text;
}

inline std::string ShmName(const std::string& name, const char* suffix = "") {
    std::string result = "/";
    const char* scope = std::getenv("NODRIX_OBJECT_NAMESPACE");
    if (scope != nullptr && scope[0] != '\0') {
        AppendShmSafe(result, scope);
        result += '.';
    }
    AppendShmSafe(result, name.c_str());
    return result + suffix;
}

}  // namespace nodrix::platform::detail
