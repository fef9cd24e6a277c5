#include "runtime/core/PathTokens.h"

#include "base/Exception.h"

#include <algorithm>
#include <vector>

namespace kf {

namespace {

constexpr std::array<const char*, kFolderTokenCount> kTokenTexts = {
    "%Install Path%", "%Program Files%", "%Windows%",       "%System%",     "%Temp%",    "%Fonts%",
    "%My Documents%", "%Current Disk%",  "%Programs Menu%", "%Start Menu%", "%Desktop%", "%Quick Launch%"};
constexpr size_t kInstallToTokens = 8;
// The longest file or folder name that Windows file systems hold.
constexpr size_t kLongestName = 255;
constexpr std::array<const char*, 7> kPlainDevices = {"CON",    "PRN",     "AUX",   "NUL",
                                                      "CONIN$", "CONOUT$", "CLOCK$"};
// Windows numbers its serial and parallel ports with the digits and with the superscripts one to
// three (UTF-8 here).
constexpr std::array<const char*, 13> kPortNumbers = {"0", "1", "2", "3",        "4",        "5",       "6",
                                                      "7", "8", "9", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};

std::string Upper(std::string_view aText) {
    std::string upper(aText);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

// Windows counts a name in UTF-16 units; every character of the data file's code page is one.
size_t CharacterCount(std::string_view aText) {
    return static_cast<size_t>(std::count_if(
        aText.begin(), aText.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool IsDeviceName(std::string_view aPart) {
    std::string base = Upper(aPart.substr(0, aPart.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    if (std::find(kPlainDevices.begin(), kPlainDevices.end(), base) != kPlainDevices.end())
        return true;
    if (!base.starts_with("COM") && !base.starts_with("LPT"))
        return false;
    const std::string_view number = std::string_view(base).substr(3);
    return std::find(kPortNumbers.begin(), kPortNumbers.end(), number) != kPortNumbers.end();
}

std::vector<std::string_view> Parts(std::string_view aPath) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t end; (end = aPath.find_first_of("\\/", start)) != std::string_view::npos; start = end + 1)
        parts.push_back(aPath.substr(start, end - start));
    parts.push_back(aPath.substr(start));
    return parts;
}

std::optional<std::string> UnsafePart(std::string_view aPart) {
    if (aPart.empty())
        return "holds an empty folder name";
    if (aPart == "." || aPart == "..")
        return "holds a \"" + std::string(aPart) + "\" part";
    if (aPart.find(':') != std::string_view::npos)
        return "names a drive or an alternate data stream";
    for (char c : aPart)
        if (static_cast<unsigned char>(c) < 32 ||
            std::string_view("<>\"|?*").find(c) != std::string_view::npos)
            return "holds a character that a file name cannot have";
    if (aPart.back() == '.' || aPart.back() == ' ')
        return "holds a name that ends in a dot or a blank";
    if (IsDeviceName(aPart))
        return "names a device";
    if (CharacterCount(aPart) > kLongestName)
        return "holds a name longer than " + std::to_string(kLongestName) + " characters";
    return std::nullopt;
}

std::string_view WithoutTrailingSeparators(std::string_view aPath) {
    while (!aPath.empty() && (aPath.back() == '\\' || aPath.back() == '/'))
        aPath.remove_suffix(1);
    return aPath;
}

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

const char* TokenText(TFolderToken aToken) {
    return kTokenTexts[static_cast<size_t>(aToken)];
}

TFolderToken BaseFolderToken(int aPosition) {
    return static_cast<TFolderToken>(static_cast<int>(TFolderToken::ProgramFiles) + aPosition);
}

TFolderToken ShortcutFolderToken(int aDigit) {
    return static_cast<TFolderToken>(static_cast<int>(TFolderToken::ProgramsMenu) + aDigit);
}

void TFolderMap::Set(TFolderToken aToken, std::string aFolder) {
    fFolders[static_cast<size_t>(aToken)] = std::string(WithoutTrailingSeparators(aFolder));
}

const std::string& TFolderMap::Folder(TFolderToken aToken) const {
    const auto& folder = fFolders[static_cast<size_t>(aToken)];
    if (!folder)
        throw Exception(std::string("The folder ") + TokenText(aToken) + " is not known on this computer.");
    return *folder;
}

std::string TFolderMap::ResolveTarget(std::string_view aPath) const {
    if (const auto reason = UnsafeTargetPath(aPath))
        throw Exception("The target path \"" + std::string(aPath) + "\" " + *reason + ".");
    const TFolderToken token = *TargetToken(aPath);
    return JoinPath(Folder(token), aPath.substr(std::string_view(TokenText(token)).size() + 1));
}

std::string TFolderMap::ResolveText(std::string_view aText) const {
    std::string result;
    size_t pos = 0;
    while (pos < aText.size()) {
        const auto token = std::find_if(kTokenTexts.begin(), kTokenTexts.end(), [&](const char* aToken) {
            return aText.substr(pos).starts_with(aToken);
        });
        if (token == kTokenTexts.end()) {
            result += aText[pos++];
            continue;
        }
        result += Folder(static_cast<TFolderToken>(token - kTokenTexts.begin()));
        pos += std::string_view(*token).size();
    }
    return result;
}

std::optional<std::string> UnsafeRelativePath(std::string_view aPath) {
    if (aPath.empty())
        return "is empty";
    for (std::string_view part : Parts(aPath))
        if (auto reason = UnsafePart(part))
            return reason;
    return std::nullopt;
}

std::optional<TFolderToken> TargetToken(std::string_view aPath) {
    for (size_t i = 0; i < kInstallToTokens; ++i) {
        const std::string_view token = kTokenTexts[i];
        if (aPath.starts_with(token) && aPath.size() > token.size() && aPath[token.size()] == '\\')
            return static_cast<TFolderToken>(i);
    }
    return std::nullopt;
}

std::optional<std::string> UnsafeTargetPath(std::string_view aPath) {
    const auto token = TargetToken(aPath);
    if (!token)
        return "does not start with a known folder";
    return UnsafeRelativePath(aPath.substr(std::string_view(TokenText(*token)).size() + 1));
}

std::optional<std::string> UnsafeAbsoluteFolder(std::string_view aPath) {
    const std::string_view path = WithoutTrailingSeparators(aPath);
    std::string_view rest;
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') {
        if (path.size() == 2)
            return std::nullopt;
        if (path[2] != '\\' && path[2] != '/')
            return "is not an absolute path";
        rest = path.substr(3);
    } else if (path.starts_with("\\\\")) {
        rest = path.substr(2);
        if (Parts(rest).size() < 2)
            return "does not name a network share";
    } else {
        return "is not an absolute path";
    }
    return UnsafeRelativePath(rest);
}

std::string JoinPath(std::string_view aFolder, std::string_view aRelative) {
    std::string path(WithoutTrailingSeparators(aFolder));
    if (!aRelative.empty()) {
        path += '\\';
        path += aRelative;
    }
    return path;
}

} // namespace kf
