#pragma once
// UTF-8 inside the program, UTF-16 at the Windows calls.

#include <string>

namespace findaro {

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);

} // namespace findaro
