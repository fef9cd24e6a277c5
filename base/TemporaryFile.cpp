#include "base/TemporaryFile.h"

#include "base/AbandonedFiles.h"
#include "base/OSError.h"

#include <algorithm>
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

// "." + the target's name + "." + digits + ".tmp", as the constructor names them.
bool IsTemporaryNameFor(std::string_view aName, std::string_view aPrefix) {
    constexpr std::string_view kSuffix = ".tmp";
    if (aName.size() <= aPrefix.size() + kSuffix.size() || !aName.starts_with(aPrefix) ||
        !aName.ends_with(kSuffix))
        return false;
    const std::string_view digits =
        aName.substr(aPrefix.size(), aName.size() - aPrefix.size() - kSuffix.size());
    return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Files that another program made beside a temporary file, named after it (a signed copy, its
// error output), go once the temporary file itself is gone.
void RemoveOrphanedCompanions(const std::filesystem::path& aFolder, std::string_view aPrefix) {
    RemoveAbandoned(
        aFolder,
        [&](std::string_view aName) {
            const size_t end = aName.find(".tmp.", aPrefix.size());
            if (end == std::string_view::npos)
                return false;
            const std::string_view base = aName.substr(0, end + 4);
            std::error_code error;
            return IsTemporaryNameFor(base, aPrefix) && !std::filesystem::exists(aFolder / base, error) &&
                   !error;
        },
        false);
}

} // namespace

TTemporaryFile::TTemporaryFile(const std::string& aTarget) {
    const std::filesystem::path target(aTarget);
    const std::string name = "." + target.filename().string() + ".";
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    RemoveAbandoned(
        folder, [&](std::string_view aName) { return IsTemporaryNameFor(aName, name); }, false);
    RemoveOrphanedCompanions(folder, name);
    const std::string prefix = (target.parent_path() / name).string();
    std::random_device random;
    for (int attempt = 0; attempt < 100 && fDescriptor < 0; ++attempt) {
        fPath = prefix + std::to_string(random()) + ".tmp";
        fDescriptor = ::open(fPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fDescriptor < 0 && errno != EEXIST)
            break;
        if (fDescriptor >= 0 && !Own()) {
            ::close(fDescriptor);
            fDescriptor = -1;
        }
    }
    fCreated = fDescriptor >= 0;
    if (!fCreated)
        fError = errno;
}

// The lock is taken on a descriptor of its own, so that it lasts when Seal closes the file for
// another program to work on it.
bool TTemporaryFile::Own() {
    fLock = ::open(fPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fLock >= 0 && TakeOwnership(fLock, fPath))
        return true;
    if (fLock >= 0)
        ::close(fLock);
    fLock = -1;
    return false;
}

TTemporaryFile::~TTemporaryFile() {
    Close();
    if (fCreated && !fRenamed)
        ::unlink(fPath.c_str());
    if (fLock >= 0)
        ::close(fLock);
}

bool TTemporaryFile::WriteAll(std::string_view aBytes) {
    while (!aBytes.empty()) {
        const ssize_t written = ::write(fDescriptor, aBytes.data(), aBytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return Failed(written < 0 ? errno : ENOSPC);
        aBytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool TTemporaryFile::CopyModeFrom(const std::string& aTarget) {
    struct stat info {};
    if (::stat(aTarget.c_str(), &info) != 0)
        return true;
    return ::fchmod(fDescriptor, info.st_mode & 07777) == 0 || Failed(errno);
}

bool TTemporaryFile::Seal() {
    if (fDescriptor < 0)
        return true;
    if (::fsync(fDescriptor) != 0) {
        Failed(errno);
        Close();
        return false;
    }
    return Close() || Failed(errno);
}

bool TTemporaryFile::CommitTo(const std::string& aTarget) {
    if (!Seal())
        return false;
    fRenamed = ::rename(fPath.c_str(), aTarget.c_str()) == 0;
    if (!fRenamed)
        return Failed(errno);
    SyncFolderOf(aTarget);
    return true;
}

bool TTemporaryFile::Failed(int anError) {
    fError = anError;
    return false;
}

std::string TTemporaryFile::FailureText(const std::string& aTarget) const {
    std::string text = "Unable to write to " + aTarget;
    if (fError != 0)
        text += ": " + SystemErrorText(fError);
    return text;
}

bool TTemporaryFile::Close() {
    if (fDescriptor < 0)
        return true;
    const bool closed = ::close(fDescriptor) == 0;
    fDescriptor = -1;
    return closed;
}

} // namespace kf
