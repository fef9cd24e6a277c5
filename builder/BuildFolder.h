#pragma once

#include <filesystem>
#include <string>

namespace kf {

// A build's private folder inside the system temporary folder, removed with its content when the
// build ends, however it ends; two builds at once never share a file.
class TBuildFolder {
public:
    TBuildFolder();
    ~TBuildFolder();
    TBuildFolder(const TBuildFolder&) = delete;
    TBuildFolder& operator=(const TBuildFolder&) = delete;

    std::string Path(const std::string& aName) const { return (fPath / aName).string(); }

private:
    std::filesystem::path fPath;
};

} // namespace kf
