#include "builder/cabinet/CabIntf.h"

#include <cstring>
#include <string>
#include <windows.h>

namespace kf {

namespace {

// FCI passes the C runtime's open flags (_O_*), whatever the host's own values are.
constexpr int kOpenAccessMask = 0x0003;
constexpr unsigned kAttributeMask = _A_RDONLY | _A_HIDDEN | _A_SYSTEM | _A_ARCH;

DWORD AccessFor(int anOFlag) {
    const int access = anOFlag & kOpenAccessMask;
    return access == 0 ? GENERIC_READ : access == 1 ? GENERIC_WRITE : GENERIC_READ | GENERIC_WRITE;
}

DWORD DispositionFor(int anOFlag) {
    const bool create = (anOFlag & _O_CREAT) != 0;
    const bool truncate = (anOFlag & _O_TRUNC) != 0;
    if (create && (anOFlag & _O_EXCL) != 0)
        return CREATE_NEW;
    if (create && truncate)
        return CREATE_ALWAYS;
    if (truncate)
        return TRUNCATE_EXISTING;
    return create ? OPEN_ALWAYS : OPEN_EXISTING;
}

DWORD FlagsFor(int anOFlag) {
    const bool create = (anOFlag & _O_CREAT) != 0;
    DWORD flags =
        (anOFlag & _O_SHORT_LIVED) != 0 && create ? FILE_ATTRIBUTE_TEMPORARY : FILE_ATTRIBUTE_NORMAL;
    if ((anOFlag & _O_RANDOM) != 0)
        flags |= FILE_FLAG_RANDOM_ACCESS;
    if ((anOFlag & _O_SEQUENTIAL) != 0)
        flags |= FILE_FLAG_SEQUENTIAL_SCAN;
    if ((anOFlag & _O_TEMPORARY) != 0 && create)
        flags |= FILE_FLAG_DELETE_ON_CLOSE;
    return flags;
}

int Fail(int* err) {
    *err = static_cast<int>(::GetLastError());
    return -1;
}

HANDLE HandleOf(INT_PTR hf) {
    return reinterpret_cast<HANDLE>(hf);
}

} // namespace

INT_PTR DIAMONDAPI CabOpen(char* pszFile, int oflag, int, int* err, void*) {
    const HANDLE file = ::CreateFileA(pszFile, AccessFor(oflag), FILE_SHARE_READ, nullptr,
                                      DispositionFor(oflag), FlagsFor(oflag), nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Fail(err);
    if ((oflag & _O_APPEND) != 0 &&
        ::SetFilePointer(file, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER) {
        Fail(err);
        ::CloseHandle(file);
        return -1;
    }
    return reinterpret_cast<INT_PTR>(file);
}

UINT DIAMONDAPI CabRead(INT_PTR hf, void* memory, UINT cb, int* err, void*) {
    DWORD done = 0;
    if (!::ReadFile(HandleOf(hf), memory, cb, &done, nullptr))
        return static_cast<UINT>(Fail(err));
    return done;
}

UINT DIAMONDAPI CabWrite(INT_PTR hf, void* memory, UINT cb, int* err, void*) {
    DWORD done = 0;
    if (!::WriteFile(HandleOf(hf), memory, cb, &done, nullptr))
        return static_cast<UINT>(Fail(err));
    return done;
}

int DIAMONDAPI CabClose(INT_PTR hf, int* err, void*) {
    return ::CloseHandle(HandleOf(hf)) ? 0 : Fail(err);
}

LONG DIAMONDAPI CabSeek(INT_PTR hf, LONG dist, int seektype, int* err, void*) {
    const DWORD position = ::SetFilePointer(HandleOf(hf), dist, nullptr, static_cast<DWORD>(seektype));
    if (position == INVALID_SET_FILE_POINTER)
        return Fail(err);
    return static_cast<LONG>(position);
}

int DIAMONDAPI CabDelete(char* pszFile, int* err, void*) {
    return ::DeleteFileA(pszFile) ? 0 : Fail(err);
}

void RemoveAbandonedTempFiles() {
    char folder[MAX_PATH];
    const DWORD length = ::GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder)
        return;
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA((std::string(folder) + "qvc*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    // A spool in use is open without delete sharing: only those of writers that have ended go.
    do
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            ::DeleteFileA((std::string(folder) + found.cFileName).c_str());
    while (::FindNextFileA(search, &found));
    ::FindClose(search);
}

BOOL DIAMONDAPI CabGetTempFile(char* pszTempName, int cbTempName, void*) {
    char folder[MAX_PATH];
    char name[MAX_PATH];
    const DWORD length = ::GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder || ::GetTempFileNameA(folder, "qvc", 0, name) == 0)
        return FALSE;
    if (std::strlen(name) >= static_cast<size_t>(cbTempName)) {
        ::DeleteFileA(name);
        return FALSE;
    }
    std::memcpy(pszTempName, name, std::strlen(name) + 1);
    ::DeleteFileA(name); // FCI creates the file again itself
    return TRUE;
}

INT_PTR DIAMONDAPI CabGetOpenInfo(char* pszName, USHORT* pdate, USHORT* ptime, USHORT* pattribs, int* err,
                                  void* pv) {
    const HANDLE file = ::CreateFileA(pszName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Fail(err);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) {
        Fail(err);
        ::CloseHandle(file);
        return -1;
    }
    // In UTC, so that the same file gives the same cabinet in every time zone.
    ::FileTimeToDosDateTime(&info.ftLastWriteTime, pdate, ptime);
    *pattribs = static_cast<USHORT>(info.dwFileAttributes & kAttributeMask);
    ::CloseHandle(file);
    return CabOpen(pszName, _O_BINARY, 0, err, pv);
}

} // namespace kf
