#include "runtime/win/Installation.h"

#include "base/Exception.h"
#include "runtime/core/SetupContents.h"
#include "runtime/core/UninstallLogMerge.h"
#include "runtime/win/FileWindow.h"
#include "runtime/win/FolderProtection.h"
#include "runtime/win/MemberOutputs.h"
#include "runtime/win/Registry.h"
#include "runtime/win/Removal.h"
#include "runtime/win/ReparsePoints.h"
#include "runtime/win/ServerRegistration.h"
#include "runtime/win/Sha256.h"
#include "runtime/win/ShellLink.h"
#include "runtime/win/UninstallLogSeal.h"
#include "runtime/win/WinText.h"

#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <set>

namespace kf {

namespace {

constexpr int kLocalMachineRoot = 2;

bool Exists(const std::string& aPath) {
    return ::GetFileAttributesW(Wide(aPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SamePath(const std::string& aLeft, const std::string& aRight) {
    return ::CompareStringOrdinal(Wide(aLeft).c_str(), -1, Wide(aRight).c_str(), -1, TRUE) == CSTR_EQUAL;
}

// A path as Windows compares paths: in one case.
std::wstring PathKey(const std::string& aPath) {
    std::wstring key = Wide(aPath);
    ::CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

std::string ParentOf(const std::string& aPath) {
    return aPath.substr(0, aPath.rfind('\\'));
}

// Today as the uninstall entry gives it: yyyymmdd.
std::string InstallDate() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char text[16];
    std::snprintf(text, sizeof text, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return text;
}

std::string EntryName(const std::string& aProductName) {
    std::string name = aProductName;
    for (char& c : name)
        if (c == '\\')
            c = '_';
    return name;
}

} // namespace

void TInstallation::Run(const TInstallPlan& aPlan) {
    try {
        Install(aPlan);
        fBackups.Discard();
    } catch (const std::exception& error) {
        fActions.Line(std::string("Error: ") + error.what());
        RollBack();
        throw;
    }
}

void TInstallation::Install(const TInstallPlan& aPlan) {
    fLog.ProductName = fCreated.ProductName = fPackage.Data().ProductName;
    fLog.Scope = fCreated.Scope = aPlan.Scope;
    fGuarded = aPlan.Scope == TInstallScope::PerMachine;
    MakeFolders(aPlan.InstallFolder);
    InstallFiles(aPlan.Files);
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        // Every file is in place first: a library may need the others to register.
        for (const TFileAction& file : aPlan.Files)
            if (file.Register)
                Register(file.Target);
        for (const TShortcutAction& shortcut : aPlan.Shortcuts)
            MakeShortcut(shortcut);
    } catch (...) {
        if (SUCCEEDED(com))
            ::CoUninitialize();
        throw;
    }
    if (SUCCEEDED(com))
        ::CoUninitialize();
    for (const TValueAction& value : aPlan.Values)
        WriteValue(value);
    if (fPackage.Data().IncludeUninstaller)
        AddUninstallEntry(aPlan);
    SaveUninstallLog(aPlan);
}

// A per-machine installation writes, creates and replaces nothing through a junction or symbolic
// link, which a user may have put in its way.
void TInstallation::Guard(const std::string& aPath) const {
    if (fGuarded)
        RefuseReparsePoints(aPath);
}

void TInstallation::MakeFolders(const std::string& aFolder) {
    Guard(aFolder);
    CreateFolders(aFolder);
}

void TInstallation::CreateFolders(const std::string& aFolder) {
    if (aFolder.size() <= 3 || Exists(aFolder))
        return;
    CreateFolders(ParentOf(aFolder));
    // Program Files and the Windows folder pass on their own protection; elsewhere, such as below
    // C:\, what users may change must not end up in a per-machine installation.
    const bool protect = fGuarded && !IsInSystemProtectedFolder(aFolder);
    if (protect)
        CreateProtectedFolder(aFolder);
    else if (!::CreateDirectoryW(Wide(aFolder).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        ThrowLastError("Cannot create the folder " + aFolder);
    fLog.Folders.push_back(TLoggedPath{aFolder, true});
    fCreated.Folders.push_back(TLoggedPath{aFolder, true});
    fActions.Line("Created the folder " + aFolder +
                  (protect ? ", which only administrators may change" : ""));
}

bool TInstallation::CreatedFolder(const std::string& aFolder) const {
    return std::any_of(fCreated.Folders.begin(), fCreated.Folders.end(),
                       [&](const TLoggedPath& aCreated) { return SamePath(aCreated.Path, aFolder); });
}

// A library is loaded with administrator rights, and its own imports looked up beside it: only from
// a folder that users cannot change, where neither it nor a library beside it can be swapped.
void TInstallation::RequireProtectedFolder(const std::string& aLibrary) const {
    const std::string folder = ParentOf(aLibrary);
    if (IsInSystemProtectedFolder(folder) || CreatedFolder(folder) || !UserCanWrite(folder))
        return;
    throw Exception("Cannot register " + aLibrary +
                    ": users without administrator rights may change the folder " + folder +
                    ", so the library or one it loads could be replaced. Install it into Program Files "
                    "or into a folder that does not exist yet.");
}

void TInstallation::InstallFiles(const std::vector<TFileAction>& aFiles) {
    for (const TFileAction& file : aFiles)
        fBytesTotal += fPackage.Contents().FileMembers[file.Row].Length;
    for (size_t first = 0; first < aFiles.size();) {
        const size_t end = RunEnd(aFiles, first);
        InstallRun(aFiles, first, end);
        first = end;
    }
}

// The files from aFirst on that one pass through their cabinet installs: the rows that follow one
// another in one cabinet, solid or shared, up to a target that one of them writes already, which
// must be written after it.
size_t TInstallation::RunEnd(const std::vector<TFileAction>& aFiles, size_t aFirst) const {
    const std::vector<size_t>& cabinets = fPackage.Contents().CabinetRows;
    std::set<std::wstring> targets{PathKey(aFiles[aFirst].Target)};
    size_t end = aFirst + 1;
    while (end < aFiles.size() && cabinets[aFiles[end].Row] == cabinets[aFiles[aFirst].Row] &&
           targets.insert(PathKey(aFiles[end].Target)).second)
        ++end;
    return end;
}

// Creates the file's folders and moves aside or notes what it replaces; false when an existing file
// is kept.
bool TInstallation::PrepareTarget(const TFileAction& aFile, bool& anExisted) {
    MakeFolders(ParentOf(aFile.Target));
    Guard(aFile.Target);
    if (Exists(aFile.Target) && !aFile.Overwrite) {
        fActions.Line("Kept " + aFile.Target + ", which exists");
        return false;
    }
    anExisted = KeepExisting(aFile.Target);
    return true;
}

void TInstallation::InstallRun(const std::vector<TFileAction>& aFiles, size_t aFirst, size_t anEnd) {
    const TSetupContents& contents = fPackage.Contents();
    const uint64_t before = fBytesDone;
    TTargetFilesSink sink([&](uint64_t aWritten, const std::wstring& aTarget) {
        fBytesDone = before + aWritten;
        if (fProgress)
            fProgress(fBytesDone, fBytesTotal, Utf8(aTarget));
    });
    std::vector<std::pair<const TFileAction*, bool>> written; // and whether it replaced a file
    for (size_t i = aFirst; i < anEnd; ++i) {
        bool existed = false;
        if (!PrepareTarget(aFiles[i], existed))
            continue;
        sink.Add(contents.MemberIndexes[aFiles[i].Row], Wide(aFiles[i].Target));
        written.emplace_back(&aFiles[i], existed);
    }
    if (fProgress)
        fProgress(fBytesDone, fBytesTotal, aFiles[aFirst].Target);
    if (!written.empty()) {
        TFileWindow cabinet = fPackage.FileCabinet(aFiles[aFirst].Row);
        fCabinet.Extract(cabinet, sink, FileCabinetName(contents.CabinetRows[aFiles[aFirst].Row]));
    }
    for (const auto& [file, existed] : written) {
        fBytesWritten += contents.FileMembers[file->Row].Length;
        fLog.Files.push_back(TLoggedPath{file->Target, file->Uninstall});
        fActions.Line((existed ? "Replaced " : "Installed ") + file->Target);
    }
    fBytesDone = before;
    for (size_t i = aFirst; i < anEnd; ++i)
        fBytesDone += contents.FileMembers[aFiles[i].Row].Length;
}

void TInstallation::Register(const std::string& aLibrary) {
    Guard(aLibrary);
    RequireProtectedFolder(aLibrary);
    RegisterServer(aLibrary, true);
    fLog.Registered.push_back(aLibrary);
    fCreated.Registered.push_back(aLibrary);
    fActions.Line("Registered " + aLibrary);
}

void TInstallation::MakeShortcut(const TShortcutAction& aShortcut) {
    MakeFolders(ParentOf(aShortcut.Link));
    Guard(aShortcut.Link);
    if (!Exists(aShortcut.Link))
        fCreated.Shortcuts.push_back(aShortcut.Link);
    else
        fBackups.KeepFile(aShortcut.Link);
    CreateShellLink(aShortcut.Link, aShortcut.Target, aShortcut.WorkingFolder);
    fLog.Shortcuts.push_back(aShortcut.Link);
    fActions.Line("Created the shortcut " + aShortcut.Link);
}

// The keys that writing into aKey creates, aKey and the missing ones above it, outermost first:
// logged so that the uninstaller (or a rollback) removes each once it is empty.
std::vector<TLoggedKey> TInstallation::NoteNewKeys(int aRoot, const std::string& aKey) {
    std::vector<TLoggedKey> newKeys;
    for (size_t end = 0; end != std::string::npos;) {
        end = aKey.find('\\', end + 1);
        const std::string key = aKey.substr(0, end);
        if (!KeyExists(aRoot, key))
            newKeys.push_back(TLoggedKey{aRoot, key});
    }
    fCreated.Keys.insert(fCreated.Keys.end(), newKeys.begin(), newKeys.end());
    return newKeys;
}

void TInstallation::WriteValue(const TValueAction& aValue) {
    const std::vector<TLoggedKey> newKeys = NoteNewKeys(aValue.Root, aValue.Key);
    NoteValue(aValue.Root, aValue.Key, aValue.Name);
    if (aValue.Type == TValueType::Dword)
        SetDwordValue(aValue.Root, aValue.Key, aValue.Name, aValue.Number);
    else
        SetStringValue(aValue.Root, aValue.Key, aValue.Name, aValue.Text);
    fLog.Values.push_back(TLoggedValue{aValue.Root, aValue.Key, aValue.Name, aValue.Uninstall});
    fLog.Keys.insert(fLog.Keys.end(), newKeys.begin(), newKeys.end());
    fActions.Line("Wrote the registry value " + std::string(RootKeyName(aValue.Root)) + "\\" + aValue.Key +
                  " " + aValue.Name);
}

void TInstallation::AddUninstallEntry(const TInstallPlan& aPlan) {
    const TInstallerData& data = fPackage.Data();
    const int root = aPlan.Scope == TInstallScope::PerMachine ? kLocalMachineRoot : 1; // or HKEY_CURRENT_USER
    const std::string key = std::string(kUninstallList) + "\\" + EntryName(data.ProductName);
    const std::string uninstaller = "\"" + JoinPath(aPlan.InstallFolder, "Uninstall.exe") + "\"";
    // An entry left by an earlier installation is updated, and put back as it was by a rollback.
    const bool replacing = KeyExists(root, key);
    // A per-user install may be the first to list a program under this user.
    const std::vector<TLoggedKey> newKeys = NoteNewKeys(root, kUninstallList);
    if (!replacing)
        fCreated.UninstallEntries.push_back(TLoggedKey{root, key});
    const auto text = [&](const char* aName, const std::string& aText) {
        if (replacing)
            NoteValue(root, key, aName);
        SetStringValue(root, key, aName, aText);
    };
    const auto number = [&](const char* aName, uint32_t aNumber) {
        if (replacing)
            NoteValue(root, key, aName);
        SetDwordValue(root, key, aName, aNumber);
    };
    text("DisplayName", data.ProductName);
    text("DisplayVersion", data.ProductVersion);
    text("Publisher", data.CompanyName);
    text("InstallLocation", aPlan.InstallFolder);
    text("UninstallString", uninstaller);
    text("QuietUninstallString", uninstaller + " /S");
    number("NoModify", 1);
    number("NoRepair", 1);
    text("DisplayIcon", DisplayIconOf(aPlan));
    number("EstimatedSize",
           static_cast<uint32_t>(std::min<uint64_t>((fBytesWritten + 1023) / 1024, UINT32_MAX)));
    text("InstallDate", InstallDate());
    fLog.Keys.insert(fLog.Keys.end(), newKeys.begin(), newKeys.end());
    fLog.UninstallEntries.push_back(TLoggedKey{root, key});
    fEntryKey = key;
    fActions.Line("Added the uninstall entry " + std::string(RootKeyName(root)) + "\\" + key);
}

// An installation over an earlier one keeps the earlier records, so that one uninstall removes
// what every installation into the folder created.
TUninstallLog TInstallation::LogWithEarlier(const std::string& aPath) {
    if (!Exists(aPath))
        return fLog;
    const auto unreadable = [&](const std::exception& anError) {
        fActions.Line("The earlier uninstall log " + aPath +
                      " cannot be read, so only this installation's records are kept: " + anError.what());
        return fLog;
    };
    std::string text;
    try {
        const TReadFile file(Wide(aPath));
        text = file.Read(0, static_cast<size_t>(file.Size()));
    } catch (const std::exception& error) {
        return unreadable(error);
    }
    // Records that a user put into the log must not reach an uninstall with administrator rights.
    if (fGuarded)
        RefuseChangedLog(aPath, text);
    try {
        const TUninstallLog earlier = ReadUninstallLog(text);
        fActions.Line("Kept the records of the earlier uninstall log " + aPath);
        return MergeUninstallLogs(earlier, fLog);
    } catch (const std::exception& error) {
        return unreadable(error);
    }
}

void TInstallation::SaveUninstallLog(const TInstallPlan& aPlan) {
    const std::string path = JoinPath(aPlan.InstallFolder, kUninstallLogName);
    Guard(path);
    const std::string text = WriteUninstallLog(LogWithEarlier(path));
    KeepExisting(path);
    const HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        ThrowLastError("Cannot create the uninstall log " + path);
    DWORD written = 0;
    const BOOL saved = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    if (!saved || written != text.size())
        ThrowLastError("Cannot write the uninstall log " + path);
    fActions.Line("Wrote the uninstall log " + path);
    SealUninstallLog(text);
}

// The per-machine uninstall entry, which only administrators may change, holds the log's digest:
// the uninstaller trusts no other log.
void TInstallation::SealUninstallLog(const std::string& aText) {
    if (!fGuarded || fEntryKey.empty())
        return;
    NoteValue(kLocalMachineRoot, fEntryKey, kLogDigestValue);
    SetStringValue(kLocalMachineRoot, fEntryKey, kLogDigestValue, Sha256Hex(aText));
    fActions.Line("Recorded the digest of the uninstall log in the uninstall entry");
}

// A file about to be written: one that existed before this installation is moved aside for a
// rollback, one that did not is noted for removal. Returns whether it exists now.
bool TInstallation::KeepExisting(const std::string& aPath) {
    if (!Exists(aPath)) {
        fCreated.Files.push_back(TLoggedPath{aPath, true});
        return false;
    }
    const std::wstring path = Wide(aPath);
    const bool created =
        std::any_of(fCreated.Files.begin(), fCreated.Files.end(), [&](const TLoggedPath& aFile) {
            return ::CompareStringOrdinal(Wide(aFile.Path).c_str(), -1, path.c_str(), -1, TRUE) == CSTR_EQUAL;
        });
    if (!created) // a second row with the same target replaces this installation's own file
        fBackups.KeepFile(aPath);
    return true;
}

// A registry value about to be written: its previous data is kept, or the value is noted for removal.
void TInstallation::NoteValue(int aRoot, const std::string& aKey, const std::string& aName) {
    if (!fBackups.KeepValue(aRoot, aKey, aName))
        fCreated.Values.push_back(TLoggedValue{aRoot, aKey, aName, true});
}

void TInstallation::RollBack() {
    fActions.Line("Removing what this installation created");
    RemoveLogged(
        fCreated,
        TRemovalOptions{.OnlyFlagged = false, .FoldersProtected = true, .Running = {}, .LeaveRunning = false},
        fActions);
    fBackups.Restore();
}

} // namespace kf
