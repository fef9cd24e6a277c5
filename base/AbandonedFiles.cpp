#include "base/AbandonedFiles.h"

#include <cctype>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kf {

namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens an entry of ours without following a link or waiting on a FIFO; -1 for anything else.
int OpenOurs(const std::filesystem::path& aPath, bool aFolder) {
    struct stat info {};
    if (::lstat(aPath.c_str(), &info) != 0 || info.st_uid != ::geteuid())
        return -1;
    if (aFolder ? !S_ISDIR(info.st_mode) : !S_ISREG(info.st_mode))
        return -1;
    const int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | (aFolder ? O_DIRECTORY : 0);
    const int descriptor = ::open(aPath.c_str(), flags);
    struct stat opened {};
    if (descriptor >= 0 && (::fstat(descriptor, &opened) != 0 || !SameFile(info, opened))) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

void RemoveIfAbandoned(const std::filesystem::path& aPath, bool aFolder) {
    const int descriptor = OpenOurs(aPath, aFolder);
    if (descriptor < 0)
        return;
    // Removed while the lock is held, so that no new owner can take it over meanwhile.
    if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
        std::error_code ignored;
        if (aFolder)
            std::filesystem::remove_all(aPath, ignored);
        else
            std::filesystem::remove(aPath, ignored);
    }
    ::close(descriptor);
}

} // namespace

bool TakeOwnership(int aDescriptor, const std::string& aPath) {
    // A run that found the entry unlocked in the instant before this holds the lock until it has
    // removed the entry; waiting for it shows whether the entry is still there.
    if (::flock(aDescriptor, LOCK_EX) != 0)
        return false;
    struct stat opened {
    }, named{};
    return ::fstat(aDescriptor, &opened) == 0 && ::lstat(aPath.c_str(), &named) == 0 &&
           SameFile(opened, named);
}

void RemoveAbandoned(const std::filesystem::path& aFolder,
                     const std::function<bool(std::string_view)>& anIsOurs, bool aFolders) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(aFolder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (anIsOurs(name))
            RemoveIfAbandoned(entry->path(), aFolders);
    }
}

bool IsTemporaryName(std::string_view aName, std::string_view aPrefix, size_t aCount) {
    if (aName.size() != aPrefix.size() + aCount || !aName.starts_with(aPrefix))
        return false;
    for (const char c : aName.substr(aPrefix.size()))
        if (std::isalnum(static_cast<unsigned char>(c)) == 0)
            return false;
    return true;
}

} // namespace kf
