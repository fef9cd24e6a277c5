#include "base/WholeFile.h"

#include "base/Exception.h"
#include "base/OSError.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace kf {

namespace {

[[noreturn]] void CannotOpen(const std::string& aPath, int anError) {
    throw Exception("Cannot open file \"" + aPath + "\". " + SystemErrorText(anError));
}

} // namespace

std::string ReadWholeFile(const std::string& aPath) {
    std::error_code error;
    // A folder opens as a stream on some systems but never reads; it is no file to load.
    if (std::filesystem::is_directory(aPath, error))
        CannotOpen(aPath, EISDIR);
    errno = 0;
    std::ifstream file(aPath, std::ios::binary);
    if (!file)
        CannotOpen(aPath, errno ? errno : ENOENT);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        CannotOpen(aPath, errno ? errno : EIO);
    return bytes;
}

} // namespace kf
