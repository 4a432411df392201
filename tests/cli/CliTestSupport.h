#pragma once
// Small helpers shared by the terminal front end's tests.

#include <sstream>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

inline Lines SplitLines(const std::string& text) {
    Lines lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
