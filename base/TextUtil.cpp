#include "base/TextUtil.h"

#include <charconv>

namespace kf {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string Trim(std::string_view aText) {
    size_t first = 0;
    size_t last = aText.size();
    while (first < last && IsBlank(aText[first]))
        ++first;
    while (last > first && IsBlank(aText[last - 1]))
        --last;
    return std::string(aText.substr(first, last - first));
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

std::string FoldCase(std::string_view aText) {
    std::string folded(aText);
    for (char& c : folded)
        c = LowerAscii(c);
    return folded;
}

std::optional<int64_t> ParseInteger(std::string_view aText) {
    int base = 10;
    bool negative = false;
    if (aText.size() > 2 && aText[0] == '0' && (aText[1] == 'x' || aText[1] == 'X')) {
        base = 16;
        aText.remove_prefix(2);
    } else if (!aText.empty() && (aText[0] == '-' || aText[0] == '+')) {
        negative = aText[0] == '-';
        aText.remove_prefix(1);
    }
    if (aText.empty() || aText[0] == '-' || aText[0] == '+')
        return std::nullopt;
    uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(aText.data(), aText.data() + aText.size(), magnitude, base);
    if (error != std::errc() || end != aText.data() + aText.size() || magnitude > INT64_MAX)
        return std::nullopt;
    const auto value = static_cast<int64_t>(magnitude);
    return negative ? -value : value;
}

namespace {

bool IsControl(char c) {
    const auto code = static_cast<unsigned char>(c);
    return (code < 0x20 || code == 0x7F) && c != '\t';
}

std::string Hex(char c) {
    static const char kDigits[] = "0123456789ABCDEF";
    const auto code = static_cast<unsigned char>(c);
    return {kDigits[code >> 4], kDigits[code & 15]};
}

} // namespace

std::string ControlCharacterIn(std::string_view aText, bool anyControl) {
    for (const char c : aText) {
        if (c == '\r' || c == '\n')
            return "a line break";
        if (c == '\0')
            return "a NUL character";
        if (anyControl && IsControl(c))
            return "the control character 0x" + Hex(c);
    }
    return {};
}

std::string WithControlsEscaped(std::string_view aText) {
    std::string text;
    for (const char c : aText)
        text += IsControl(c) ? "\\x" + Hex(c) : std::string(1, c);
    return text;
}

} // namespace kf
