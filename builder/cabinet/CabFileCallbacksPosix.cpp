#include "base/AbandonedFiles.h"
#include "base/RegularFile.h"
#include "builder/cabinet/CabIntf.h"
#include "builder/cabinet/DosDateTime.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace kf {

namespace {

// FCI passes the C runtime's open flags (_O_*), whatever the host's own values are.
constexpr int kOpenAccessMask = 0x0003;
constexpr unsigned kAttributeMask = _A_RDONLY | _A_HIDDEN | _A_SYSTEM | _A_ARCH;

int OpenFlagsFor(int anOFlag) {
    const int access = anOFlag & kOpenAccessMask;
    int flags = access == 0 ? O_RDONLY : access == 1 ? O_WRONLY : O_RDWR;
    const bool create = (anOFlag & _O_CREAT) != 0;
    const bool truncate = (anOFlag & _O_TRUNC) != 0;
    if (create && (anOFlag & _O_EXCL) != 0)
        flags |= O_CREAT | O_EXCL;
    else if (create)
        flags |= O_CREAT | (truncate ? O_TRUNC : 0);
    else if (truncate)
        flags |= O_TRUNC;
    return flags | O_CLOEXEC;
}

// The C runtime's _S_IREAD and _S_IWRITE are the owner's rights alone: FCI's temporary files,
// which may hold any source's bytes, are readable by no one else.
mode_t ModeFor(int aPMode) {
    return static_cast<mode_t>(((aPMode & _S_IREAD) != 0 ? S_IRUSR : 0) |
                               ((aPMode & _S_IWRITE) != 0 ? S_IWUSR : 0));
}

int Fail(int* err) {
    *err = errno;
    return -1;
}

// Creates the file and takes the owner's lock on it, so that a later build can tell a spool of a
// killed build from one in use; again when a build removed it as abandoned before the lock was taken.
int CreateOwned(const char* aPath, int aFlags, mode_t aMode) {
    for (;;) {
        const int descriptor = ::open(aPath, aFlags, aMode);
        if (descriptor < 0 || TakeOwnership(descriptor, aPath))
            return descriptor;
        ::close(descriptor);
    }
}

constexpr std::string_view kTempPrefix = "qvc";

} // namespace

void RemoveAbandonedTempFiles() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (!error)
        RemoveAbandoned(
            folder, [](std::string_view aName) { return IsTemporaryName(aName, kTempPrefix); }, false);
}

INT_PTR DIAMONDAPI CabOpen(char* pszFile, int oflag, int pmode, int* err, void*) {
    const int flags = OpenFlagsFor(oflag);
    const int descriptor =
        (flags & O_CREAT) != 0 ? CreateOwned(pszFile, flags, ModeFor(pmode)) : ::open(pszFile, flags);
    if (descriptor < 0)
        return Fail(err);
    if ((oflag & _O_TEMPORARY) != 0 && (oflag & _O_CREAT) != 0)
        ::unlink(pszFile); // deleted on close: the open descriptor keeps the data alive until then
    if ((oflag & _O_RANDOM) != 0)
        ::posix_fadvise(descriptor, 0, 0, POSIX_FADV_RANDOM);
    else if ((oflag & _O_SEQUENTIAL) != 0)
        ::posix_fadvise(descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
    if ((oflag & _O_APPEND) != 0 && ::lseek(descriptor, 0, SEEK_END) < 0) {
        Fail(err);
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

UINT DIAMONDAPI CabRead(INT_PTR hf, void* memory, UINT cb, int* err, void*) {
    UINT done = 0;
    while (done < cb) {
        const ssize_t count = ::read(static_cast<int>(hf), static_cast<char*>(memory) + done, cb - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return static_cast<UINT>(Fail(err));
        if (count == 0)
            break;
        done += static_cast<UINT>(count);
    }
    return done;
}

UINT DIAMONDAPI CabWrite(INT_PTR hf, void* memory, UINT cb, int* err, void*) {
    UINT done = 0;
    while (done < cb) {
        const ssize_t count =
            ::write(static_cast<int>(hf), static_cast<const char*>(memory) + done, cb - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return static_cast<UINT>(Fail(err));
        done += static_cast<UINT>(count);
    }
    return done;
}

int DIAMONDAPI CabClose(INT_PTR hf, int* err, void*) {
    return ::close(static_cast<int>(hf)) == 0 ? 0 : Fail(err);
}

LONG DIAMONDAPI CabSeek(INT_PTR hf, LONG dist, int seektype, int* err, void*) {
    const off_t position = ::lseek(static_cast<int>(hf), dist, seektype);
    if (position < 0)
        return Fail(err);
    if (position > std::numeric_limits<LONG>::max()) {
        *err = EOVERFLOW;
        return -1;
    }
    return static_cast<LONG>(position);
}

int DIAMONDAPI CabDelete(char* pszFile, int* err, void*) {
    return ::unlink(pszFile) == 0 ? 0 : Fail(err);
}

BOOL DIAMONDAPI CabGetTempFile(char* pszTempName, int cbTempName, void*) {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error)
        return FALSE;
    std::string name = (folder / (std::string(kTempPrefix) + "XXXXXX")).string();
    const int descriptor = ::mkstemp(name.data());
    if (descriptor < 0)
        return FALSE;
    ::close(descriptor);
    ::unlink(name.c_str()); // FCI creates the file again itself
    if (cbTempName <= 0 || name.size() >= static_cast<size_t>(cbTempName))
        return FALSE;
    std::memcpy(pszTempName, name.c_str(), name.size() + 1);
    return TRUE;
}

INT_PTR DIAMONDAPI CabGetOpenInfo(char* pszName, USHORT* pdate, USHORT* ptime, USHORT* pattribs, int* err,
                                  void*) {
    // The descriptor that was checked is the one packed from: a source replaced by a FIFO or a
    // device between the two can neither block the build nor feed it endless bytes.
    struct stat info {};
    const int descriptor = OpenRegularFile(pszName, info, *err);
    if (descriptor < 0)
        return -1;
    const TDosDateTime written = DosDateTimeFromUnix(info.st_mtime);
    *pdate = written.Date;
    *ptime = written.Time;
    USHORT attributes = _A_ARCH;
    if ((info.st_mode & S_IWUSR) == 0)
        attributes |= _A_RDONLY;
    *pattribs = attributes & kAttributeMask;
    ::posix_fadvise(descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
    return descriptor;
}

} // namespace kf
