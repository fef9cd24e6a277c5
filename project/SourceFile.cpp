#include "project/SourceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kf {

std::optional<int64_t> MeasureSourceFile(const std::string& aPath) {
    // Readable is enough: the build only reads sources, and installed or checked-out files are often
    // read-only. O_NONBLOCK keeps a FIFO from blocking the open; it is refused as not regular.
    const int descriptor = ::open(aPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor < 0)
        return std::nullopt;
    struct stat info {};
    const bool regular = ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
    ::close(descriptor);
    if (!regular)
        return std::nullopt;
    return static_cast<int64_t>(info.st_size);
}

std::string AccessDeniedText(const std::string& aPath) {
    return "File access denied:\r" + aPath;
}

} // namespace kf
