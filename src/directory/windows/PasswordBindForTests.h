#pragma once
// For the Windows test runs only, never reachable from the program's
// settings or command line: under Wine the bind as the logged-on user
// (negotiate with no credentials) crashes inside Wine's own SASL callback,
// so the directory tests bind with the test user's explicit credentials
// instead. Every later bind in the process, referred connections included,
// uses them.

#include <string>

namespace findaro {

void UsePasswordBindForTests(const std::string& user, const std::string& domain,
                             const std::string& password);

} // namespace findaro
