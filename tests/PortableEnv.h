#pragma once
// Setting and clearing environment variables from tests on either platform.

#include <cstdlib>
#include <string>

namespace testenv {

inline void Set(const char* name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

// On Windows an empty value removes the variable.
inline void Unset(const char* name) {
#ifdef _WIN32
    _putenv_s(name, "");
#else
    unsetenv(name);
#endif
}

} // namespace testenv
