#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kf {

// A build's private folder inside the system temporary folder, removed with its content when the
// build ends; two builds at once never share a file. A build that was killed leaves its folder
// behind unlocked, and the next build removes it.
class TBuildFolder {
public:
    TBuildFolder();
    // The same kind of folder in aParent, named aPrefix and six more characters: a killed run's
    // folder of that name is removed by the next run that makes one there.
    TBuildFolder(const std::filesystem::path& aParent, std::string_view aPrefix);
    ~TBuildFolder();
    TBuildFolder(const TBuildFolder&) = delete;
    TBuildFolder& operator=(const TBuildFolder&) = delete;

    std::string Path(const std::string& aName) const { return (fPath / aName).string(); }
    const std::filesystem::path& Root() const { return fPath; }

private:
    std::filesystem::path fPath;
    int fDescriptor = -1; // holds the owner's lock
};

} // namespace kf
