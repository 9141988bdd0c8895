#pragma once
// The functions the DLL exports: the 149 of the classic interface, which of
// them are aliases of another export's body, and those of the extension
// interface.
#include <string>
#include <vector>

namespace nodrix::test {

struct ExpectedExport {
    std::string name;
    std::string bodyOf;  // the export whose body this one shares; empty if its own
};

const std::vector<ExpectedExport>& ExpectedExports();
// The NodrixEx_ functions of NodrixSdkEx.h, each with a body of its own.
const std::vector<ExpectedExport>& ExtensionExports();
// Both lists together.
std::vector<ExpectedExport> AllExports();

}  // namespace nodrix::test
