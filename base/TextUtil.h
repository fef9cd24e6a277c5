#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kf {

// Drops spaces and tabs at both ends.
std::string Trim(std::string_view aText);
// Case-insensitive comparison of ASCII letters; other bytes compare exactly.
bool EqualsNoCase(std::string_view a, std::string_view b);
// aText with A to Z lowered: two texts that EqualsNoCase calls equal fold to the same text.
std::string FoldCase(std::string_view aText);
// A decimal integer with an optional sign, or "0x"/"0X" and hexadecimal digits; nothing else.
std::optional<int64_t> ParseInteger(std::string_view aText);
// The first character that ends a line or a text, named for a message: "a line break" (CR or
// LF) or "a NUL character"; with anyControl also "the control character 0x1B" for the other
// control characters but tab. Empty when the text has none.
std::string ControlCharacterIn(std::string_view aText, bool anyControl = false);
// aText with every control character but tab written as \xNN, so that printing a name from a file
// cannot move, clear or retitle a terminal.
std::string WithControlsEscaped(std::string_view aText);

} // namespace kf
