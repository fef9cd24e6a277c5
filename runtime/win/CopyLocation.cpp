#include "runtime/win/CopyLocation.h"

#include "runtime/win/FolderProtection.h"
#include "runtime/win/Outcome.h"
#include "runtime/win/WinText.h"

#include <windows.h>

#include <bcrypt.h>

#include <exception>
#include <vector>

namespace kf {

namespace {

// Users may create folders in the Windows temporary folder, so a name taken is tried again.
constexpr int kFolderTries = 16;
constexpr const wchar_t* kNamePrefix = L"kfu";

std::wstring WindowsTemporaryFolder() {
    wchar_t windows[MAX_PATH] = {};
    const UINT size = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (size == 0 || size >= MAX_PATH)
        return {};
    return std::wstring(windows, size) + L"\\Temp";
}

bool SameText(const std::wstring& aLeft, const std::wstring& aRight) {
    return ::CompareStringOrdinal(aLeft.c_str(), -1, aRight.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// A name that no other process can know before it is taken; empty when the system has no random
// numbers to give.
std::wstring UnguessableName() {
    uint32_t value = 0;
    if (!BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&value), sizeof value,
                                          BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        return {};
    std::wstring name = kNamePrefix;
    for (int shift = 28; shift >= 0; shift -= 4)
        name += L"0123456789abcdef"[(value >> shift) & 0xF];
    return name;
}

std::optional<TCopyLocation> AdministratorsLocation(TActionLog& anActions) {
    const std::wstring temporary = WindowsTemporaryFolder();
    for (int i = 0; i < kFolderTries && !temporary.empty(); ++i) {
        const std::wstring name = UnguessableName();
        if (name.empty())
            break;
        const std::wstring folder = temporary + L"\\" + name;
        try {
            if (!CreateAdministratorsFolder(Utf8(folder)))
                continue;
        } catch (const std::exception& error) {
            anActions.Line(error.what());
            return std::nullopt;
        }
        anActions.Line("Created the folder " + Utf8(folder) + ", which only administrators may open");
        return TCopyLocation{folder + L"\\Uninstall.exe", folder};
    }
    anActions.Line(
        "Cannot create a folder that only administrators may open in the Windows temporary folder " +
        Utf8(temporary));
    return std::nullopt;
}

std::optional<TCopyLocation> UserLocation(TActionLog& anActions) {
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t reserved[MAX_PATH] = {};
    if (!::GetTempPathW(MAX_PATH + 1, folder) || !::GetTempFileNameW(folder, kNamePrefix, 0, reserved)) {
        anActions.Line("Cannot find a name in the temporary folder " + Utf8(folder));
        return std::nullopt;
    }
    // The reserved name ends in ".tmp"; the copy is a program.
    std::wstring path = reserved;
    ::DeleteFileW(reserved);
    path.replace(path.size() - 4, 4, L".exe");
    return TCopyLocation{path, {}};
}

// Whether aFolder is one that AdministratorsLocation makes.
bool IsCopyFolder(const std::wstring& aFolder) {
    const std::wstring parent = WindowsTemporaryFolder() + L"\\" + kNamePrefix;
    return parent.size() < aFolder.size() && SameText(aFolder.substr(0, parent.size()), parent) &&
           aFolder.find(L'\\', parent.size()) == std::wstring::npos;
}

// Renames a file through a handle with delete access. The name changes for that handle, so a
// file it deletes on close goes under its new name.
bool Rename(HANDLE aFile, const std::wstring& aPath) {
    const std::wstring target = L"\\??\\" + aPath;
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    target.copy(info->FileName, target.size());
    return ::SetFileInformationByHandle(aFile, FileRenameInfo, info, static_cast<DWORD>(buffer.size()));
}

} // namespace

std::optional<TCopyLocation> MakeCopyLocation(bool anElevated, TActionLog& anActions) {
    return anElevated ? AdministratorsLocation(anActions) : UserLocation(anActions);
}

void RemoveLocation(const TCopyLocation& aLocation) {
    ::DeleteFileW(aLocation.Program.c_str());
    if (!aLocation.Folder.empty())
        ::RemoveDirectoryW(aLocation.Folder.c_str());
}

void RemoveAtRestart(const TCopyLocation& aLocation) {
    if (aLocation.Folder.empty())
        return;
    // In this order: a folder is removed at a restart only once it is empty.
    ::MoveFileExW(aLocation.Program.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    ::MoveFileExW(aLocation.Folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void LeaveCopyFolder(uint64_t aCopyHandle, TActionLog& anActions) {
    const std::wstring program = OwnPath();
    const std::wstring folder = program.substr(0, program.rfind(L'\\'));
    if (aCopyHandle == 0 || !IsCopyFolder(folder))
        return;
    // The folder's name is as unguessable as the folder, so the file's new name is not taken.
    const std::wstring outside = folder + L".exe";
    const bool moved = Rename(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(aCopyHandle)), outside);
    if (moved)
        ::MoveFileExW(outside.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    if (moved && ::RemoveDirectoryW(folder.c_str()))
        anActions.Line("Removed the folder " + Utf8(folder) + ", which held the uninstaller's copy");
    else
        anActions.Line("Removing the folder " + Utf8(folder) + " at the next restart");
}

} // namespace kf
