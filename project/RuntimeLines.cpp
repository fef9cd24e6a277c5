#include "project/RuntimeLines.h"

#include "base/Exception.h"
#include "base/TextUtil.h"

#include <cstdio>

namespace kf {

namespace {

std::string SubfolderPart(const std::string& aSubfolder) {
    return aSubfolder.empty() ? "" : aSubfolder + "\\";
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

size_t SkipDigits(const std::string& aText, size_t aPos) {
    while (aPos < aText.size() && IsDigit(aText[aPos]))
        ++aPos;
    return aPos;
}

} // namespace

std::string ShortcutText(int aFolder, const std::string& aSubfolder, const std::string& aName) {
    return std::string(kShortcutFolders.at(static_cast<size_t>(aFolder))) + "\\" + SubfolderPart(aSubfolder) +
           aName;
}

std::string ShortcutLine(int aFileNumber, int aFolder, const std::string& aSubfolder,
                         const std::string& aName) {
    if (CheckShortcutFileNumber(aFileNumber))
        throw Exception(kTooManyShortcutFiles);
    char number[4];
    std::snprintf(number, sizeof number, "%03d", aFileNumber);
    return std::string(number) + std::to_string(aFolder) + SubfolderPart(aSubfolder) + aName;
}

std::optional<std::string> CheckShortcutSubfolder(const std::string& aSubfolder) {
    if (!aSubfolder.empty() && (aSubfolder.front() == '\\' || aSubfolder.back() == '\\'))
        return std::string(kWrongShortcutDirectory);
    return std::nullopt;
}

std::optional<std::string> CheckShortcutFileNumber(int aFileNumber) {
    if (aFileNumber < 1 || aFileNumber > kMaxShortcutFileNumber)
        return std::string(kTooManyShortcutFiles);
    return std::nullopt;
}

std::string RegistryLine(int aRoot, bool anUninstall, const std::string& aKey, const std::string& aName,
                         int aType, const std::string& aValue) {
    return std::to_string(aRoot) + (anUninstall ? "0" : "1") + aKey + "|" + aName + "=" +
           std::to_string(aType) + aValue;
}

bool IsDecimalNumber(const std::string& aText, char aDecimalSeparator) {
    const std::string text = Trim(aText);
    size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    const size_t integerEnd = SkipDigits(text, pos);
    size_t digits = integerEnd - pos;
    pos = integerEnd;
    if (pos < text.size() && text[pos] == aDecimalSeparator) {
        const size_t fractionEnd = SkipDigits(text, pos + 1);
        digits += fractionEnd - (pos + 1);
        pos = fractionEnd;
    }
    if (digits == 0)
        return false;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            ++pos;
        const size_t exponentEnd = SkipDigits(text, pos);
        if (exponentEnd == pos)
            return false;
        pos = exponentEnd;
    }
    return pos == text.size();
}

} // namespace kf
