#include "builder/BuildFolder.h"

#include "base/AbandonedFiles.h"
#include "base/Exception.h"
#include "base/OSError.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace kf {

namespace {

constexpr std::string_view kPrefix = "kelpforge-build-";

[[noreturn]] void CannotCreate(const std::filesystem::path& aParent, int anError) {
    throw Exception("Cannot create a temporary folder in " + aParent.string() + ": " +
                    SystemErrorText(anError));
}

} // namespace

TBuildFolder::TBuildFolder() : TBuildFolder(std::filesystem::temp_directory_path(), kPrefix) {}

TBuildFolder::TBuildFolder(const std::filesystem::path& aParent, std::string_view aPrefix) {
    RemoveAbandoned(
        aParent, [aPrefix](std::string_view aName) { return IsTemporaryName(aName, aPrefix); }, true);
    while (fDescriptor < 0) {
        std::string pattern = (aParent / (std::string(aPrefix) + "XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr)
            CannotCreate(aParent, errno);
        fDescriptor = ::open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fDescriptor < 0)
            CannotCreate(aParent, errno);
        if (!TakeOwnership(fDescriptor, pattern)) {
            ::close(fDescriptor);
            fDescriptor = -1;
        }
        fPath = pattern;
    }
}

TBuildFolder::~TBuildFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(fPath, ignored);
    ::close(fDescriptor);
}

} // namespace kf
