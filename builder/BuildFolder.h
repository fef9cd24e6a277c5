#pragma once

#include <filesystem>
#include <string>

namespace kf {

// A build's private folder inside the system temporary folder, removed with its content when the
// build ends; two builds at once never share a file. A build that was killed leaves its folder
// behind unlocked, and the next build removes it.
class TBuildFolder {
public:
    TBuildFolder();
    ~TBuildFolder();
    TBuildFolder(const TBuildFolder&) = delete;
    TBuildFolder& operator=(const TBuildFolder&) = delete;

    std::string Path(const std::string& aName) const { return (fPath / aName).string(); }

private:
    std::filesystem::path fPath;
    int fDescriptor = -1; // holds the owner's lock
};

} // namespace kf
