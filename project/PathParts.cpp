#include "project/PathParts.h"

namespace kf {

namespace {

constexpr const char* kSeparators = "\\/:";

} // namespace

TPathParts SplitPath(const std::string& aPath) {
    const size_t separator = aPath.find_last_of(kSeparators);
    if (separator == std::string::npos)
        return {{}, aPath};
    return {aPath.substr(0, separator), aPath.substr(separator + 1)};
}

std::string WithExactExtension(const std::string& aPath, std::string_view anExtension) {
    const size_t folderEnd = aPath.find_last_of(kSeparators);
    const size_t dot = aPath.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (folderEnd == std::string::npos || dot > folderEnd);
    if (hasExtension && std::string_view(aPath).substr(dot) == anExtension)
        return aPath;
    return aPath + std::string(anExtension);
}

std::string SetupFileNameFor(const std::string& aChosenPath) {
    return WithExactExtension(aChosenPath, ".exe");
}

} // namespace kf
