#include "base/Windows1252.h"

#include <array>
#include <cstdint>

namespace kf {

namespace {

// Code points of the bytes 0x80 to 0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& anOut, char32_t aCode) {
    if (aCode < 0x80) {
        anOut += static_cast<char>(aCode);
    } else if (aCode < 0x800) {
        anOut += static_cast<char>(0xC0 | (aCode >> 6));
        anOut += static_cast<char>(0x80 | (aCode & 0x3F));
    } else {
        anOut += static_cast<char>(0xE0 | (aCode >> 12));
        anOut += static_cast<char>(0x80 | ((aCode >> 6) & 0x3F));
        anOut += static_cast<char>(0x80 | (aCode & 0x3F));
    }
}

} // namespace

std::optional<char> EncodeWindows1252(char32_t aCode) {
    if (aCode < 0x80 || (aCode >= 0xA0 && aCode <= 0xFF))
        return static_cast<char>(aCode);
    for (size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == aCode)
            return static_cast<char>(0x80 + i);
    return std::nullopt;
}

std::optional<char32_t> DecodeUtf8(std::string_view aText, size_t& aPos) {
    const auto lead = static_cast<uint8_t>(aText[aPos]);
    int extra = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        ++aPos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, code = lead & 0x07, minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (aText.size() - aPos <= static_cast<size_t>(extra))
        return std::nullopt;
    for (int i = 1; i <= extra; ++i) {
        const auto next = static_cast<uint8_t>(aText[aPos + i]);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    aPos += extra + 1;
    return code;
}

std::string Windows1252ToUtf8(std::string_view aBytes) {
    std::string out;
    out.reserve(aBytes.size());
    for (char c : aBytes) {
        const auto byte = static_cast<uint8_t>(c);
        AppendUtf8(out, byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte);
    }
    return out;
}

std::optional<std::string> Utf8ToWindows1252(std::string_view aText) {
    std::string out;
    out.reserve(aText.size());
    size_t pos = 0;
    while (pos < aText.size()) {
        const auto code = DecodeUtf8(aText, pos);
        if (!code)
            return std::nullopt;
        const auto byte = EncodeWindows1252(*code);
        if (!byte)
            return std::nullopt;
        out += *byte;
    }
    return out;
}

} // namespace kf
