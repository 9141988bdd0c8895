#pragma once
// The 149 functions the DLL exports, and which of them are aliases of
// another export's body.
#include <string>
#include <vector>

namespace nodrix::test {

struct ExpectedExport {
    std::string name;
    std::string bodyOf;  // the export whose body this one shares; empty if its own
};

const std::vector<ExpectedExport>& ExpectedExports();

}  // namespace nodrix::test
