#include "runtime/win/FolderProtection.h"

#include "base/Exception.h"
#include "runtime/core/InstallScope.h"
#include "runtime/win/SystemFolders.h"
#include "runtime/win/WinText.h"

#include <windows.h>

#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace kf {

namespace {

// System and Administrators: full control; Users: read and run. Inherited by what is created below.
constexpr const wchar_t* kProtectedFolderAccess =
    L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
// System and Administrators: full control; no one else anything.
constexpr const wchar_t* kAdministratorsFolderAccess = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

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

// Whether the folder was created with anAccess; the system's error is left for the caller.
bool CreateFolderWithAccess(const std::string& aFolder, const wchar_t* anAccess) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(anAccess, SDDL_REVISION_1,
                                                                &attributes.lpSecurityDescriptor, nullptr))
        ThrowLastError("Cannot make the access list for the folder " + aFolder);
    // Given at creation, so that there is no moment in which users may write in it.
    const BOOL created = ::CreateDirectoryW(Wide(aFolder).c_str(), &attributes);
    const DWORD error = ::GetLastError();
    ::LocalFree(attributes.lpSecurityDescriptor);
    ::SetLastError(error);
    return created;
}

} // namespace

bool IsInSystemProtectedFolder(const std::string& aPath) {
    std::vector<std::string> folders = ProgramFilesFolders();
    folders.push_back(ShellFolder(CSIDL_WINDOWS));
    return std::any_of(folders.begin(), folders.end(), [&](const std::string& aFolder) {
        return !aFolder.empty() && IsInsideFolder(aPath, aFolder);
    });
}

void CreateProtectedFolder(const std::string& aFolder) {
    if (!CreateFolderWithAccess(aFolder, kProtectedFolderAccess))
        ThrowLastError("Cannot create the folder " + aFolder);
}

bool CreateAdministratorsFolder(const std::string& aFolder) {
    if (CreateFolderWithAccess(aFolder, kAdministratorsFolderAccess))
        return true;
    if (::GetLastError() != ERROR_ALREADY_EXISTS)
        ThrowLastError("Cannot create the folder " + aFolder);
    return false;
}

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

} // namespace kf
