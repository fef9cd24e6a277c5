#pragma once

#include <string>
#include <string_view>

namespace kf {

// Text files are Windows-1252 on disk and UTF-8 in memory. A text that Windows-1252 cannot carry
// is written as UTF-8 behind a byte-order mark instead, so that nothing is lost.
std::string EncodeTextFile(std::string_view aText);
// Reads either form back: UTF-8 when the bytes start with the byte-order mark, else Windows-1252.
std::string DecodeTextFile(std::string_view aBytes);

} // namespace kf
