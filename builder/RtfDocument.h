#pragma once

#include <string>
#include <string_view>

namespace kf {

// Whether the bytes are a rich-text document.
bool IsRtf(std::string_view aText);
// Text (UTF-8; stray bytes taken as Windows-1252) for the body of an RTF document: "\", "{" and
// "}" escaped, a tab as \tab, characters above 127 as \'hh in Windows-1252 or \uN for the others.
// Line breaks are the caller's.
std::string EscapeRtfText(std::string_view aText);
// A plain text (UTF-8; stray bytes taken as Windows-1252) as a valid RTF document: "\", "{" and
// "}" escaped, characters above 127 as \'hh in Windows-1252 or \uN for the others, one \par a line.
std::string PlainTextToRtf(std::string_view aText);
// What the installer receives for a licence or readme text: RTF as it stands, anything else
// converted; an empty text still gives a document.
std::string RtfDocumentFor(std::string_view aText);

} // namespace kf
