#include "runtime/win/Removal.h"

#include "base/OSError.h"
#include "runtime/win/FolderProtection.h"
#include "runtime/win/Registry.h"
#include "runtime/win/ReparsePoints.h"
#include "runtime/win/ServerRegistration.h"
#include "runtime/win/WinText.h"

#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <exception>

namespace kf {

namespace {

bool SameText(const std::wstring& aLeft, const std::wstring& aRight) {
    return ::CompareStringOrdinal(aLeft.c_str(), -1, aRight.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring ParentOf(const std::wstring& aPath) {
    return aPath.substr(0, aPath.rfind(L'\\'));
}

class TRemoval {
public:
    TRemoval(const TUninstallLog& aLog, const TRemovalOptions& anOptions, TActionLog& anActions)
        : fLog(aLog), fOnlyFlagged(anOptions.OnlyFlagged), fFoldersProtected(anOptions.FoldersProtected),
          fGuarded(aLog.Scope == TInstallScope::PerMachine), fActions(anActions),
          fRunning(Wide(anOptions.Running)), fLeaveRunning(anOptions.LeaveRunning) {}

    size_t Run() {
        Unregister(LibrariesToRemove());
        for (auto file = fLog.Files.rbegin(); file != fLog.Files.rend(); ++file)
            if (file->Remove || !fOnlyFlagged)
                RemoveFile(file->Path);
        for (auto link = fLog.Shortcuts.rbegin(); link != fLog.Shortcuts.rend(); ++link)
            RemoveFile(*link);
        for (auto value = fLog.Values.rbegin(); value != fLog.Values.rend(); ++value)
            if (value->Remove || !fOnlyFlagged)
                Report(DeleteValue(value->Root, value->Key, value->Name),
                       "Removed the registry value " + Registry(value->Root, value->Key, value->Name));
        // The entry first: the key that lists it may be one the install created.
        for (const TLoggedKey& entry : fLog.UninstallEntries)
            Report(DeleteKey(entry.Root, entry.Key),
                   "Removed the uninstall entry " + Registry(entry.Root, entry.Key, ""));
        for (auto key = fLog.Keys.rbegin(); key != fLog.Keys.rend(); ++key) {
            const std::string name = Registry(key->Root, key->Key, "");
            fActions.Line(DeleteEmptyKey(key->Root, key->Key)
                              ? "Removed the registry key " + name
                              : "Kept the registry key " + name + ", which is not empty");
        }
        for (auto folder = fLog.Folders.rbegin(); folder != fLog.Folders.rend(); ++folder)
            if (folder->Remove || !fOnlyFlagged)
                RemoveFolder(folder->Path);
        return fFailures;
    }

    // The program named as running has ended by now.
    size_t RemoveProgram() {
        const std::wstring program = fRunning;
        fRunning.clear();
        RemoveFile(Utf8(program));
        for (auto folder = fLog.Folders.rbegin(); folder != fLog.Folders.rend(); ++folder)
            if (folder->Remove && Holds(Wide(folder->Path), program))
                RemoveFolder(folder->Path);
        return fFailures;
    }

private:
    static std::string Registry(int aRoot, const std::string& aKey, const std::string& aName) {
        return std::string(RootKeyName(aRoot)) + "\\" + aKey + (aName.empty() ? "" : " " + aName);
    }

    // The registered libraries whose files go; the ones that stay keep their registration.
    std::vector<std::string> LibrariesToRemove() const {
        std::vector<std::string> libraries;
        for (const std::string& library : fLog.Registered)
            for (const TLoggedPath& file : fLog.Files)
                if ((file.Remove || !fOnlyFlagged) && SameText(Wide(file.Path), Wide(library))) {
                    libraries.push_back(library);
                    break;
                }
        return libraries;
    }

    void Unregister(const std::vector<std::string>& aLibraries) {
        if (aLibraries.empty())
            return;
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        for (auto library = aLibraries.rbegin(); library != aLibraries.rend(); ++library) {
            if (Refused(*library) || !MayLoad(*library))
                continue;
            try {
                RegisterServer(*library, false);
                fActions.Line("Unregistered " + *library);
            } catch (const std::exception& error) {
                Report(false, error.what());
            }
        }
        if (SUCCEEDED(com))
            ::CoUninitialize();
    }

    void Report(bool aDone, const std::string& anAction) {
        fActions.Line((aDone ? "" : "Failed: ") + anAction);
        if (!aDone)
            ++fFailures;
    }

    // A per-machine log's paths are not followed through a junction or symbolic link that a user
    // may have put in their way: whether aPath is refused for that.
    bool Refused(const std::string& aPath) {
        const auto point = fGuarded ? ReparsePointOn(aPath) : std::nullopt;
        if (point)
            Report(false,
                   "Not removing " + aPath + ": " + *point +
                       " is a junction or symbolic link, which is not followed with administrator rights");
        return point.has_value();
    }

    // A library is loaded with administrator rights, its imports looked up beside it: only from a
    // folder that users cannot change.
    bool MayLoad(const std::string& aLibrary) {
        const std::wstring folder = ParentOf(Wide(aLibrary));
        const bool created = fFoldersProtected && std::any_of(fLog.Folders.begin(), fLog.Folders.end(),
                                                              [&](const TLoggedPath& aFolder) {
                                                                  return SameText(Wide(aFolder.Path), folder);
                                                              });
        if (!fGuarded || created || IsInSystemProtectedFolder(Utf8(folder)) || !UserCanWrite(Utf8(folder)))
            return true;
        Report(false, "Not unregistering " + aLibrary + ": users without administrator rights may change " +
                          Utf8(folder) + ", so the library could have been replaced");
        return false;
    }

    static bool Holds(const std::wstring& aFolder, const std::wstring& aPath) {
        return aPath.size() > aFolder.size() && SameText(aPath.substr(0, aFolder.size()), aFolder) &&
               aPath[aFolder.size()] == L'\\';
    }

    void RemoveFile(const std::string& aPath) {
        if (Refused(aPath))
            return;
        const std::wstring path = Wide(aPath);
        if (!fRunning.empty() && SameText(path, fRunning)) {
            fLeftRunning = fLeaveRunning;
            if (fLeaveRunning)
                fActions.Line("Removing " + aPath + " once it has ended");
            else
                ScheduleRemoval(path, "Removing " + aPath + " at the next restart");
            return;
        }
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        const bool removed = ::DeleteFileW(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND ||
                             ::GetLastError() == ERROR_PATH_NOT_FOUND;
        Report(removed, "Removed " + aPath +
                            (removed ? "" : ": " + SystemErrorText(static_cast<int>(::GetLastError()))));
    }

    void RemoveFolder(const std::string& aPath) {
        if (Refused(aPath))
            return;
        const std::wstring path = Wide(aPath);
        if (fLeftRunning && Holds(path, fRunning)) {
            fActions.Line("Removing the folder " + aPath + " once the uninstaller in it has ended");
            return;
        }
        if (fSelfScheduled && Holds(path, fRunning)) {
            ScheduleRemoval(path, "Removing the folder " + aPath + " at the next restart");
            return;
        }
        if (::RemoveDirectoryW(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND)
            fActions.Line("Removed the folder " + aPath);
        else
            fActions.Line("Kept the folder " + aPath + ", which is not empty");
    }

    void ScheduleRemoval(const std::wstring& aPath, const std::string& anAction) {
        const bool scheduled = ::MoveFileExW(aPath.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        fSelfScheduled = fSelfScheduled || scheduled;
        Report(scheduled, anAction);
    }

    const TUninstallLog& fLog;
    bool fOnlyFlagged;
    bool fFoldersProtected;
    bool fGuarded;
    TActionLog& fActions;
    std::wstring fRunning;
    bool fLeaveRunning;
    bool fLeftRunning = false;
    bool fSelfScheduled = false;
    size_t fFailures = 0;
};

} // namespace

size_t RemoveLogged(const TUninstallLog& aLog, const TRemovalOptions& anOptions, TActionLog& anActions) {
    return TRemoval(aLog, anOptions, anActions).Run();
}

size_t RemoveLeftProgram(const TUninstallLog& aLog, const std::string& aProgram, TActionLog& anActions) {
    return TRemoval(aLog,
                    TRemovalOptions{.OnlyFlagged = true,
                                    .FoldersProtected = false,
                                    .Running = aProgram,
                                    .LeaveRunning = false},
                    anActions)
        .RemoveProgram();
}

} // namespace kf
