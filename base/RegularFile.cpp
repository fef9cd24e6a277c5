#include "base/RegularFile.h"

#include "base/Exception.h"
#include "base/OSError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kf {

namespace {

std::string NotRegularReason(mode_t aMode) {
    if (S_ISFIFO(aMode) || S_ISSOCK(aMode))
        return "It is a pipe or socket, not a file.";
    return "It is a device, not a file.";
}

} // namespace

std::string CannotOpenText(const std::string& aPath, int anError) {
    return "Cannot open file \"" + aPath + "\". " + SystemErrorText(anError);
}

int OpenRegularFile(const char* aPath, struct stat& anInfo, int& anError) {
    // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; it is refused below.
    const int descriptor = ::open(aPath, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor < 0) {
        anError = errno;
        return -1;
    }
    anError = 0;
    if (::fstat(descriptor, &anInfo) != 0)
        anError = errno;
    else if (!S_ISREG(anInfo.st_mode))
        anError = S_ISDIR(anInfo.st_mode) ? EISDIR : EINVAL;
    else if (::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) != 0)
        anError = errno;
    if (anError == 0)
        return descriptor;
    ::close(descriptor);
    return -1;
}

TRegularFile::TRegularFile(const std::string& aPath) : fPath(aPath) {
    struct stat info {};
    int error = 0;
    fDescriptor = OpenRegularFile(aPath.c_str(), info, error);
    if (fDescriptor < 0 && error == EINVAL && (info.st_mode & S_IFMT) != 0)
        throw Exception("Cannot open file \"" + aPath + "\". " + NotRegularReason(info.st_mode));
    if (fDescriptor < 0)
        throw Exception(CannotOpenText(aPath, error));
    fSize = static_cast<uint64_t>(info.st_size);
    fModified = static_cast<int64_t>(info.st_mtime);
    fWritable = (info.st_mode & S_IWUSR) != 0;
}

TRegularFile::~TRegularFile() {
    if (fDescriptor >= 0)
        ::close(fDescriptor);
}

size_t TRegularFile::Read(char* aBuffer, size_t aSize) {
    size_t done = 0;
    while (done < aSize) {
        const ssize_t count = ::read(fDescriptor, aBuffer + done, aSize - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            throw Exception(CannotOpenText(fPath, errno));
        if (count == 0)
            break;
        done += static_cast<size_t>(count);
    }
    return done;
}

void RefuseNonRegularFile(const std::string& aPath) {
    struct stat info {};
    if (::stat(aPath.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        TRegularFile check(aPath);
}

int TRegularFile::Release() {
    const int descriptor = fDescriptor;
    fDescriptor = -1;
    return descriptor;
}

} // namespace kf
