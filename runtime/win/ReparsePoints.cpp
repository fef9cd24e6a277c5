#include "runtime/win/ReparsePoints.h"

#include "base/Exception.h"
#include "runtime/win/WinText.h"

#include <windows.h>

namespace kf {

namespace {

// Where the first component below the root starts: after "C:\" or after "\\server\share\".
size_t FirstComponent(const std::string& aPath) {
    if (aPath.size() >= 3 && aPath[1] == ':' && aPath[2] == '\\')
        return 3;
    if (!aPath.starts_with("\\\\"))
        return 0;
    const size_t share = aPath.find('\\', 2);
    const size_t end = share == std::string::npos ? std::string::npos : aPath.find('\\', share + 1);
    return end == std::string::npos ? aPath.size() : end + 1;
}

} // namespace

std::optional<std::string> ReparsePointOn(const std::string& aPath) {
    for (size_t end = FirstComponent(aPath); end < aPath.size();) {
        end = aPath.find('\\', end + 1);
        const std::string part = aPath.substr(0, end);
        const DWORD attributes = ::GetFileAttributesW(Wide(part).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return std::nullopt; // what is missing below it is created by us
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return part;
    }
    return std::nullopt;
}

void RefuseReparsePoints(const std::string& aPath) {
    if (const auto point = ReparsePointOn(aPath))
        throw Exception("Cannot use " + aPath + ": " + *point +
                        " is a junction or symbolic link, which is not followed with administrator rights.");
}

} // namespace kf
