#pragma once
// Where the running program lives; its settings and help sit beside it.

#include <string>

namespace findaro {

// The full path of the running executable, or empty when the system cannot
// tell.
std::string ExecutablePath();

// The folder of ExecutablePath(), without a trailing slash ("." when unknown).
std::string ExecutableFolder();

} // namespace findaro
