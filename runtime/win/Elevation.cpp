#include "runtime/win/Elevation.h"

#include "base/Exception.h"
#include "runtime/win/Outcome.h"
#include "runtime/win/WinText.h"

#include <shellapi.h>
#include <windows.h>

namespace kf {

bool IsElevated() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const BOOL known = ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    ::CloseHandle(token);
    return known && elevation.TokenIsElevated;
}

int RunElevated(TCommandLine anOptions, TActionLog& anActions) {
    anOptions.Elevated = true;
    anOptions.ElevatedFrom = ::GetCurrentProcessId();
    const std::wstring program = OwnPath();
    const std::wstring parameters = Wide(CommandLineText(anOptions));
    anActions.Line("Starting " + Utf8(program) + " again with administrator rights");
    anActions.Close();
    SHELLEXECUTEINFOW run{};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    run.lpVerb = L"runas";
    run.lpFile = program.c_str();
    run.lpParameters = parameters.c_str();
    run.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&run) || !run.hProcess) {
        if (::GetLastError() == ERROR_CANCELLED)
            throw Exception("Administrator rights were not given.");
        ThrowLastError("Cannot start with administrator rights");
    }
    ::WaitForSingleObject(run.hProcess, INFINITE);
    DWORD code = kExitFailed;
    ::GetExitCodeProcess(run.hProcess, &code);
    ::CloseHandle(run.hProcess);
    return static_cast<int>(code);
}

} // namespace kf
