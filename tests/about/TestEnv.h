#pragma once
// What the test domain's harness exports, and whole-file reads of its logs.

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

inline std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

inline std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
