#pragma once
// Reads the EXPORTS section of a module-definition (.def) file.
#include <string>
#include <vector>

namespace nodrix::test {

struct DefExport {
    std::string name;
    std::string target;  // "name = target": an alias of target; empty otherwise
};

std::vector<DefExport> ParseDefExports(const std::string& text);

}  // namespace nodrix::test
