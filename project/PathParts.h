#pragma once

#include <string>
#include <string_view>

namespace kf {

// A path as a file dialog starts from it: the folder before the last separator ("\", "/" or ":")
// and the file name after it.
struct TPathParts {
    std::string Folder;
    std::string Name;
};
TPathParts SplitPath(const std::string& aPath);

// The path with anExtension appended unless its extension (from the last "." of the file name on)
// already equals anExtension exactly, letter case included.
std::string WithExactExtension(const std::string& aPath, std::string_view anExtension);

// The setup file for a name chosen in the dialog: ".exe" appended unless it ends in ".exe" exactly.
std::string SetupFileNameFor(const std::string& aChosenPath);

} // namespace kf
