#pragma once

#include <string>
#include <string_view>

namespace kf {

std::wstring Wide(std::string_view aText);
std::string Utf8(std::wstring_view aText);
// Raises an error of "aWhat: " and the system's text for the last error.
[[noreturn]] void ThrowLastError(const std::string& aWhat);

} // namespace kf
