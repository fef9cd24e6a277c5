#include "builder/RtfDocument.h"

#include "base/Windows1252.h"

#include <cstdint>
#include <cstdio>

namespace kf {

namespace {

constexpr std::string_view kHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
    "\\viewkind4\\uc1\\pard\\f0\\fs18 ";

std::string Hex(uint8_t aByte) {
    char text[8];
    std::snprintf(text, sizeof text, "\\'%02x", aByte);
    return text;
}

// RTF carries Unicode as signed 16-bit units, each followed by one fallback character.
std::string UnicodeEscape(char32_t aCode) {
    auto unit = [](uint32_t aUnit) { return "\\u" + std::to_string(static_cast<int16_t>(aUnit)) + "?"; };
    if (aCode < 0x10000)
        return unit(aCode);
    const uint32_t offset = aCode - 0x10000;
    return unit(0xD800 + (offset >> 10)) + unit(0xDC00 + (offset & 0x3FF));
}

std::string Escaped(char32_t aCode) {
    switch (aCode) {
    case '\\':
        return "\\\\";
    case '{':
        return "\\{";
    case '}':
        return "\\}";
    case '\t':
        return "\\tab ";
    default:
        break;
    }
    // A control character as it stands would be dropped by readers; line breaks are the caller's.
    if (aCode < 0x20 && aCode != '\r' && aCode != '\n')
        return Hex(static_cast<uint8_t>(aCode));
    if (aCode < 0x80)
        return std::string(1, static_cast<char>(aCode));
    if (const auto byte = EncodeWindows1252(aCode))
        return Hex(static_cast<uint8_t>(*byte));
    return UnicodeEscape(aCode);
}

} // namespace

bool IsRtf(std::string_view aText) {
    return aText.starts_with("{\\rtf");
}

std::string EscapeRtfText(std::string_view aText) {
    std::string rtf;
    size_t pos = 0;
    while (pos < aText.size()) {
        if (const auto code = DecodeUtf8(aText, pos)) {
            rtf += Escaped(*code);
        } else {
            rtf += Hex(static_cast<uint8_t>(aText[pos]));
            ++pos;
        }
    }
    return rtf;
}

std::string PlainTextToRtf(std::string_view aText) {
    std::string rtf(kHeader);
    size_t lineStart = 0;
    while (lineStart < aText.size()) {
        size_t lineEnd = aText.find_first_of("\r\n", lineStart);
        if (lineEnd == std::string_view::npos)
            lineEnd = aText.size();
        rtf += EscapeRtfText(aText.substr(lineStart, lineEnd - lineStart));
        rtf += "\\par\r\n";
        lineStart = lineEnd;
        if (lineStart < aText.size())
            lineStart += aText.compare(lineStart, 2, "\r\n") == 0 ? 2 : 1;
    }
    rtf += "}\r\n";
    return rtf;
}

std::string RtfDocumentFor(std::string_view aText) {
    return IsRtf(aText) ? std::string(aText) : PlainTextToRtf(aText);
}

} // namespace kf
