#include "runtime/win/Outcome.h"

#include "runtime/win/WinText.h"

#include <windows.h>

namespace kf {

std::wstring OwnPath() {
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

void Tell(bool aSilent, TActionLog& anActions, const std::string& aCaption, const std::string& aText,
          bool anError) {
    if (!aSilent) {
        ::MessageBoxW(nullptr, Wide(aText).c_str(), Wide(aCaption).c_str(),
                      MB_OK | (anError ? MB_ICONERROR : MB_ICONINFORMATION));
        return;
    }
    anActions.Line(aText);
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE)
        return;
    const std::string line = aCaption + ": " + aText + "\n";
    DWORD written = 0;
    ::WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

bool RestartComputer() {
    HANDLE token = nullptr;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        ::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
        ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
        ::CloseHandle(token);
    }
    return ::ExitWindowsEx(EWX_REBOOT, SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_FLAG_PLANNED);
}

bool Ask(const std::string& aCaption, const std::string& aText) {
    return ::MessageBoxW(nullptr, Wide(aText).c_str(), Wide(aCaption).c_str(), MB_YESNO | MB_ICONQUESTION) ==
           IDYES;
}

} // namespace kf
