#include "runtime/win/ScopedPlan.h"

#include "base/Exception.h"
#include "runtime/core/InstallScope.h"
#include "runtime/win/Elevation.h"
#include "runtime/win/SystemFolders.h"
#include "runtime/win/WinText.h"

#include <shlobj.h>
#include <windows.h>

#include <vector>

namespace kf {

namespace {

std::string Environment(const wchar_t* aName) {
    wchar_t value[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(aName, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? Utf8(value) : std::string();
}

std::vector<std::string> Known(std::vector<std::string> aFolders) {
    std::erase(aFolders, std::string());
    return aFolders;
}

TScopeFolders ScopeFolders() {
    return TScopeFolders{
        // ProgramW6432 names the 64-bit Program Files, which a 32-bit program cannot ask the shell for.
        Known({ShellFolder(CSIDL_PROGRAM_FILES), ShellFolder(CSIDL_PROGRAM_FILESX86),
               Environment(L"ProgramW6432"), ShellFolder(CSIDL_WINDOWS), ShellFolder(CSIDL_COMMON_APPDATA),
               ShellFolder(CSIDL_COMMON_PROGRAMS), ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY),
               ShellFolder(CSIDL_COMMON_DOCUMENTS)}),
        Known({ShellFolder(CSIDL_PROFILE), ShellFolder(CSIDL_APPDATA), ShellFolder(CSIDL_LOCAL_APPDATA),
               ShellFolder(CSIDL_DESKTOPDIRECTORY), ShellFolder(CSIDL_PERSONAL),
               ShellFolder(CSIDL_PROGRAMS)})};
}

// The token to check access with: the user's own, without the administrator rights an elevated
// process has.
HANDLE UserToken() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &token))
        return nullptr;
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    HANDLE user = nullptr;
    if (::GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size) &&
        type == TokenElevationTypeFull &&
        ::GetTokenInformation(token, TokenLinkedToken, &linked, sizeof linked, &size))
        user = linked.LinkedToken;
    else if (!::DuplicateToken(token, SecurityIdentification, &user))
        user = nullptr;
    ::CloseHandle(token);
    return user;
}

// Whether the user may add files and folders to the folder, or to the nearest one above it that
// exists; false when that cannot be found out.
bool UserCanWrite(const std::string& aFolder) {
    std::wstring folder = Wide(aFolder);
    while (::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const size_t end = folder.rfind(L'\\');
        if (end == std::wstring::npos || end < 2)
            return false;
        folder.resize(end == 2 ? 3 : end); // "C:" alone would be the current folder of the drive
    }
    const SECURITY_INFORMATION parts =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    ::GetFileSecurityW(folder.c_str(), parts, nullptr, 0, &size);
    std::vector<BYTE> descriptor(size);
    if (size == 0 || !::GetFileSecurityW(folder.c_str(), parts, descriptor.data(), size, &size))
        return false;
    const HANDLE token = UserToken();
    if (!token)
        return false;
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    PRIVILEGE_SET privileges{};
    DWORD privilegesSize = sizeof privileges;
    DWORD granted = 0;
    BOOL allowed = FALSE;
    const BOOL checked = ::AccessCheck(descriptor.data(), token, FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY,
                                       &mapping, &privileges, &privilegesSize, &granted, &allowed);
    ::CloseHandle(token);
    return checked && allowed;
}

} // namespace

TInstallPlan MakeScopedPlan(const TInstallerData& aData, TFolderMap aFolders) {
    TInstallPlan plan = MakeInstallPlan(aData, aFolders);
    const TInstallScope scope = PlanScope(plan, ScopeFolders(), UserCanWrite);
    if (scope == TInstallScope::PerMachine) {
        UseAllUsersShortcutFolders(aFolders);
        plan = MakeInstallPlan(aData, aFolders);
    }
    plan.Scope = scope;
    return plan;
}

bool NeedsElevation(const TInstallPlan& aPlan, const TCommandLine& anOptions) {
    if (aPlan.Scope != TInstallScope::PerMachine || IsElevated())
        return false;
    if (anOptions.Elevated)
        throw Exception("Installing in " + aPlan.InstallFolder +
                        " needs administrator rights, and Setup is still running without them.");
    return true;
}

int InstallElevated(const TInstallPlan& aPlan, TCommandLine anOptions, TActionLog& anActions) {
    anOptions.InstallFolder = aPlan.InstallFolder;
    try {
        return RunElevated(anOptions, anActions);
    } catch (const std::exception& error) {
        throw Exception("Installing in " + aPlan.InstallFolder + " needs administrator rights. " +
                        error.what());
    }
}

} // namespace kf
