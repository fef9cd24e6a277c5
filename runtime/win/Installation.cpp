#include "runtime/win/Installation.h"

#include "project/Exception.h"
#include "runtime/win/MemberOutputs.h"
#include "runtime/win/Registry.h"
#include "runtime/win/Removal.h"
#include "runtime/win/ServerRegistration.h"
#include "runtime/win/ShellLink.h"
#include "runtime/win/WinText.h"

#include <shlobj.h>
#include <windows.h>

namespace kf {

namespace {

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

bool Exists(const std::string& aPath) {
    return ::GetFileAttributesW(Wide(aPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ParentOf(const std::string& aPath) {
    return aPath.substr(0, aPath.rfind('\\'));
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
    } catch (const std::exception& error) {
        fActions.Line(std::string("Error: ") + error.what());
        RollBack();
        throw;
    }
}

void TInstallation::Install(const TInstallPlan& aPlan) {
    fLog.ProductName = fCreated.ProductName = fPackage.Data().ProductName;
    MakeFolders(aPlan.InstallFolder);
    for (size_t i = 0; i < aPlan.Files.size(); ++i) {
        if (fProgress)
            fProgress(i, aPlan.Files.size(), aPlan.Files[i].Target);
        InstallFile(aPlan.Files[i]);
    }
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

void TInstallation::MakeFolders(const std::string& aFolder) {
    if (aFolder.size() <= 3 || Exists(aFolder))
        return;
    MakeFolders(ParentOf(aFolder));
    if (!::CreateDirectoryW(Wide(aFolder).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        ThrowLastError("Cannot create the folder " + aFolder);
    fLog.Folders.push_back(TLoggedPath{aFolder, true});
    fCreated.Folders.push_back(TLoggedPath{aFolder, true});
    fActions.Line("Created the folder " + aFolder);
}

void TInstallation::InstallFile(const TFileAction& aFile) {
    MakeFolders(ParentOf(aFile.Target));
    const bool existed = Exists(aFile.Target);
    if (existed && !aFile.Overwrite) {
        fActions.Line("Kept " + aFile.Target + ", which exists");
        return;
    }
    if (existed)
        ::SetFileAttributesW(Wide(aFile.Target).c_str(), FILE_ATTRIBUTE_NORMAL);
    else
        fCreated.Files.push_back(TLoggedPath{aFile.Target, true});
    TTargetFileSink sink(Wide(aFile.Target));
    fCabinet.Extract(fPackage.FileCabinet(aFile.Row), sink,
                     "the cabinet of file " + std::to_string(aFile.Row + 1));
    fLog.Files.push_back(TLoggedPath{aFile.Target, aFile.Uninstall});
    fActions.Line((existed ? "Replaced " : "Installed ") + aFile.Target);
}

void TInstallation::Register(const std::string& aLibrary) {
    RegisterServer(aLibrary, true);
    fLog.Registered.push_back(aLibrary);
    fCreated.Registered.push_back(aLibrary);
    fActions.Line("Registered " + aLibrary);
}

void TInstallation::MakeShortcut(const TShortcutAction& aShortcut) {
    MakeFolders(ParentOf(aShortcut.Link));
    CreateShellLink(aShortcut.Link, aShortcut.Target, aShortcut.WorkingFolder);
    fLog.Shortcuts.push_back(aShortcut.Link);
    fCreated.Shortcuts.push_back(aShortcut.Link);
    fActions.Line("Created the shortcut " + aShortcut.Link);
}

void TInstallation::WriteValue(const TValueAction& aValue) {
    std::vector<TLoggedKey> newKeys;
    for (size_t end = 0; end != std::string::npos;) {
        end = aValue.Key.find('\\', end + 1);
        const std::string key = aValue.Key.substr(0, end);
        if (!KeyExists(aValue.Root, key))
            newKeys.push_back(TLoggedKey{aValue.Root, key});
    }
    fCreated.Keys.insert(fCreated.Keys.end(), newKeys.begin(), newKeys.end());
    fCreated.Values.push_back(TLoggedValue{aValue.Root, aValue.Key, aValue.Name, true});
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
    const int root = ::IsUserAnAdmin() ? 2 : 1;
    const std::string key = kUninstallKey + EntryName(data.ProductName);
    const std::string uninstaller = "\"" + JoinPath(aPlan.InstallFolder, "Uninstall.exe") + "\"";
    fCreated.UninstallEntries.push_back(TLoggedKey{root, key});
    SetStringValue(root, key, "DisplayName", data.ProductName);
    SetStringValue(root, key, "DisplayVersion", data.ProductVersion);
    SetStringValue(root, key, "Publisher", data.CompanyName);
    SetStringValue(root, key, "InstallLocation", aPlan.InstallFolder);
    SetStringValue(root, key, "UninstallString", uninstaller);
    SetStringValue(root, key, "QuietUninstallString", uninstaller + " /S");
    SetDwordValue(root, key, "NoModify", 1);
    SetDwordValue(root, key, "NoRepair", 1);
    fLog.UninstallEntries.push_back(TLoggedKey{root, key});
    fActions.Line("Added the uninstall entry " + std::string(RootKeyName(root)) + "\\" + key);
}

void TInstallation::SaveUninstallLog(const TInstallPlan& aPlan) {
    const std::string path = JoinPath(aPlan.InstallFolder, kUninstallLogName);
    const std::string text = WriteUninstallLog(fLog);
    fCreated.Files.push_back(TLoggedPath{path, true});
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
}

void TInstallation::RollBack() {
    fActions.Line("Removing what this installation created");
    RemoveLogged(fCreated, false, fActions);
}

} // namespace kf
