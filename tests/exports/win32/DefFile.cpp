#include "DefFile.h"

#include <sstream>

namespace nodrix::test {

std::vector<DefExport> ParseDefExports(const std::string& text) {
    std::vector<DefExport> result;
    std::istringstream lines(text);
    std::string line;
    bool inExports = false;
    while (std::getline(lines, line)) {
        line = line.substr(0, line.find(';'));
        std::istringstream words(line);
        std::string first;
        if (!(words >> first)) {
            continue;
        }
        if (first == "EXPORTS") {
            inExports = true;
            continue;
        }
        if (first == "LIBRARY" || first == "NAME" || first == "DESCRIPTION" ||
            first == "SECTIONS" || first == "HEAPSIZE" || first == "STACKSIZE") {
            inExports = false;
            continue;
        }
        if (!inExports) {
            continue;
        }
        // "alias = body", with or without spaces around the sign.
        std::string rest;
        std::getline(words, rest);
        std::string entry = first + rest;
        DefExport e;
        const size_t equals = entry.find('=');
        std::istringstream nameWords(entry.substr(0, equals));
        nameWords >> e.name;
        if (equals != std::string::npos) {
            std::istringstream targetWords(entry.substr(equals + 1));
            targetWords >> e.target;
        }
        result.push_back(e);
    }
    return result;
}

}  // namespace nodrix::test
