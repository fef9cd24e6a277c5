#include "runtime/win/Backups.h"

#include "base/Exception.h"
#include "base/OSError.h"
#include "runtime/win/WinText.h"

#include <windows.h>

namespace kf {

namespace {

std::string LastErrorText() {
    return SystemErrorText(static_cast<int>(::GetLastError()));
}

} // namespace

void TBackups::KeepFile(const std::string& aPath) {
    const std::wstring path = Wide(aPath);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw Exception("Cannot install " + aPath + ": a folder of that name is in the way.");
    const std::wstring folder = path.substr(0, path.rfind(L'\\'));
    wchar_t backup[MAX_PATH] = {};
    // The unique name is reserved as an empty file, which the move then replaces.
    if (!::GetTempFileNameW(folder.c_str(), L"kfb", 0, backup))
        ThrowLastError("Cannot make room to keep a copy of " + aPath);
    if (!::MoveFileExW(path.c_str(), backup, MOVEFILE_REPLACE_EXISTING)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(backup);
        ::SetLastError(error);
        ThrowLastError("Cannot replace " + aPath);
    }
    fFiles.push_back(TKeptFile{aPath, Utf8(backup)});
    fActions.Line("Kept the previous " + aPath + " as " + Utf8(backup));
}

bool TBackups::KeepValue(int aRoot, const std::string& aKey, const std::string& aName) {
    auto data = ReadValueData(aRoot, aKey, aName);
    if (!data)
        return false;
    fValues.push_back(TKeptValue{aRoot, aKey, aName, std::move(*data)});
    return true;
}

size_t TBackups::Restore() {
    size_t failures = 0;
    for (auto value = fValues.rbegin(); value != fValues.rend(); ++value) {
        const std::string where =
            std::string(RootKeyName(value->Root)) + "\\" + value->Key + " " + value->Name;
        try {
            SetValueData(value->Root, value->Key, value->Name, value->Data);
            fActions.Line("Restored the registry value " + where);
        } catch (const std::exception& error) {
            fActions.Line(std::string("Failed: ") + error.what());
            ++failures;
        }
    }
    for (auto file = fFiles.rbegin(); file != fFiles.rend(); ++file) {
        if (::MoveFileExW(Wide(file->Backup).c_str(), Wide(file->Path).c_str(), MOVEFILE_REPLACE_EXISTING)) {
            fActions.Line("Restored " + file->Path);
        } else {
            fActions.Line("Failed: cannot restore " + file->Path + " from " + file->Backup + ": " +
                          LastErrorText());
            ++failures;
        }
    }
    fValues.clear();
    fFiles.clear();
    return failures;
}

void TBackups::Discard() {
    for (const TKeptFile& file : fFiles) {
        const std::wstring backup = Wide(file.Backup);
        ::SetFileAttributesW(backup.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (::DeleteFileW(backup.c_str()))
            fActions.Line("Deleted the previous " + file.Path);
        else if (::MoveFileExW(backup.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
            fActions.Line("Deleting the previous " + file.Path + " at the next restart");
        else
            fActions.Line("Kept the previous " + file.Path + " as " + file.Backup + ": " + LastErrorText());
    }
    fValues.clear();
    fFiles.clear();
}

} // namespace kf
