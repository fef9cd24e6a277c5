#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kf {

// Windows-1252 bytes to UTF-8. The five unassigned bytes map to the C1 controls U+0081, U+008D,
// U+008F, U+0090 and U+009D, as Windows does, so that every byte string survives a round trip.
std::string Windows1252ToUtf8(std::string_view aBytes);

// UTF-8 to Windows-1252; empty when the text is not valid UTF-8 or holds a character that
// Windows-1252 cannot carry.
std::optional<std::string> Utf8ToWindows1252(std::string_view aText);

// One UTF-8 character at aPos, which moves past it; empty (aPos unchanged) for a malformed sequence.
std::optional<char32_t> DecodeUtf8(std::string_view aText, size_t& aPos);
// The Windows-1252 byte of one character, if the code page has it.
std::optional<char> EncodeWindows1252(char32_t aCode);

} // namespace kf
