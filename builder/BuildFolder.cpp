#include "builder/BuildFolder.h"

#include "base/Exception.h"
#include "base/OSError.h"

#include <cerrno>
#include <cstdlib>

namespace kf {

TBuildFolder::TBuildFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelpforge-build-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw Exception("Cannot create a temporary folder in " +
                        std::filesystem::temp_directory_path().string() + ": " + SystemErrorText(errno));
    fPath = pattern;
}

TBuildFolder::~TBuildFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(fPath, ignored);
}

} // namespace kf
