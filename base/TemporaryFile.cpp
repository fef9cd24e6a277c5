#include "base/TemporaryFile.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace kf {

namespace {

void SyncFolderOf(const std::string& aPath) {
    std::filesystem::path folder = std::filesystem::path(aPath).parent_path();
    if (folder.empty())
        folder = ".";
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

} // namespace

TTemporaryFile::TTemporaryFile(const std::string& aTarget) {
    const std::filesystem::path target(aTarget);
    const std::string prefix = (target.parent_path() / ("." + target.filename().string())).string();
    std::random_device random;
    for (int attempt = 0; attempt < 100 && fDescriptor < 0; ++attempt) {
        fPath = prefix + "." + std::to_string(random()) + ".tmp";
        fDescriptor = ::open(fPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fDescriptor < 0 && errno != EEXIST)
            break;
    }
    fCreated = fDescriptor >= 0;
}

TTemporaryFile::~TTemporaryFile() {
    Close();
    if (fCreated && !fRenamed)
        ::unlink(fPath.c_str());
}

bool TTemporaryFile::WriteAll(std::string_view aBytes) {
    while (!aBytes.empty()) {
        const ssize_t written = ::write(fDescriptor, aBytes.data(), aBytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        aBytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool TTemporaryFile::CopyModeFrom(const std::string& aTarget) {
    struct stat info {};
    if (::stat(aTarget.c_str(), &info) != 0)
        return true;
    return ::fchmod(fDescriptor, info.st_mode & 07777) == 0;
}

bool TTemporaryFile::Seal() {
    if (fDescriptor < 0)
        return true;
    const bool synced = ::fsync(fDescriptor) == 0;
    return Close() && synced;
}

bool TTemporaryFile::CommitTo(const std::string& aTarget) {
    if (!Seal())
        return false;
    fRenamed = ::rename(fPath.c_str(), aTarget.c_str()) == 0;
    if (fRenamed)
        SyncFolderOf(aTarget);
    return fRenamed;
}

bool TTemporaryFile::Close() {
    if (fDescriptor < 0)
        return true;
    const bool closed = ::close(fDescriptor) == 0;
    fDescriptor = -1;
    return closed;
}

} // namespace kf
