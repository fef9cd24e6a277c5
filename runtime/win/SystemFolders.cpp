#include "runtime/win/SystemFolders.h"

#include "runtime/win/WinText.h"

#include <shlobj.h>
#include <windows.h>

namespace kf {

std::string ShellFolder(int aFolder) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, aFolder | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return Utf8(path);
}

namespace {

void SetKnown(TFolderMap& aMap, TFolderToken aToken, const std::string& aFolder) {
    if (!aFolder.empty())
        aMap.Set(aToken, aFolder);
}

std::string TempFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    return ::GetTempPathW(MAX_PATH + 1, path) ? Utf8(path) : std::string();
}

std::string Environment(const wchar_t* aName) {
    wchar_t value[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(aName, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? Utf8(value) : std::string();
}

std::string CurrentDisk() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, path);
    if (length >= 2 && length < MAX_PATH && path[1] == L':')
        return Utf8(std::wstring_view(path, 2));
    return ShellFolder(CSIDL_WINDOWS).substr(0, 2);
}

} // namespace

std::vector<std::string> ProgramFilesFolders() {
    // ProgramW6432 names the 64-bit Program Files, which a 32-bit program cannot ask the shell for.
    std::vector<std::string> folders{ShellFolder(CSIDL_PROGRAM_FILES), ShellFolder(CSIDL_PROGRAM_FILESX86),
                                     Environment(L"ProgramW6432")};
    std::erase(folders, std::string());
    return folders;
}

TFolderMap SystemFolders() {
    TFolderMap folders;
    SetKnown(folders, TFolderToken::ProgramFiles, ShellFolder(CSIDL_PROGRAM_FILES));
    SetKnown(folders, TFolderToken::Windows, ShellFolder(CSIDL_WINDOWS));
    SetKnown(folders, TFolderToken::System, ShellFolder(CSIDL_SYSTEM));
    SetKnown(folders, TFolderToken::Temp, TempFolder());
    SetKnown(folders, TFolderToken::Fonts, ShellFolder(CSIDL_FONTS));
    SetKnown(folders, TFolderToken::MyDocuments, ShellFolder(CSIDL_PERSONAL));
    SetKnown(folders, TFolderToken::CurrentDisk, CurrentDisk());
    SetKnown(folders, TFolderToken::ProgramsMenu, ShellFolder(CSIDL_PROGRAMS));
    SetKnown(folders, TFolderToken::StartMenu, ShellFolder(CSIDL_STARTMENU));
    SetKnown(folders, TFolderToken::Desktop, ShellFolder(CSIDL_DESKTOPDIRECTORY));
    const std::string appData = ShellFolder(CSIDL_APPDATA);
    if (!appData.empty())
        folders.Set(TFolderToken::QuickLaunch, appData + "\\Microsoft\\Internet Explorer\\Quick Launch");
    return folders;
}

void UseAllUsersShortcutFolders(TFolderMap& aFolders) {
    SetKnown(aFolders, TFolderToken::ProgramsMenu, ShellFolder(CSIDL_COMMON_PROGRAMS));
    SetKnown(aFolders, TFolderToken::StartMenu, ShellFolder(CSIDL_COMMON_STARTMENU));
    SetKnown(aFolders, TFolderToken::Desktop, ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY));
}

} // namespace kf
