#pragma once
// Splits captured program output into its lines, for comparing stderr line by line.
#include <sstream>
#include <string>
#include <vector>

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}
