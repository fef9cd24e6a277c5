#include "runtime/win/UninstallerCopy.h"

#include "runtime/win/Outcome.h"
#include "runtime/win/WinText.h"

#include <windows.h>

namespace kf {

namespace {

// The original and the copy meet through named objects, so that a copy restarted with
// administrator rights finds them too.
std::wstring MeetingName(uint32_t aProcess, const wchar_t* aWhat) {
    return L"Local\\KelpforgeUninstall-" + std::to_wstring(aProcess) + L"-" + aWhat;
}

// A unique path for the copy in the temporary folder; empty when there is none.
std::wstring CopyPath() {
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t reserved[MAX_PATH] = {};
    if (!::GetTempPathW(MAX_PATH + 1, folder) || !::GetTempFileNameW(folder, L"kfu", 0, reserved))
        return {};
    // The reserved name ends in ".tmp"; the copy needs ".exe" to be started with administrator rights.
    std::wstring path = reserved;
    ::DeleteFileW(reserved);
    path.replace(path.size() - 4, 4, L".exe");
    return path;
}

// The copy, opened so that it is deleted when its last handle closes; the handle is inherited by
// the copy's process, so the file goes when that ends.
HANDLE OpenToDeleteOnClose(const std::wstring& aPath) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    return ::CreateFileW(aPath.c_str(), DELETE | GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                         &inherited, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

HANDLE Start(const std::wstring& aProgram, const std::string& anArguments, bool anInherit) {
    std::wstring commandLine = L"\"" + aProgram + L"\" " + Wide(anArguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(aProgram.c_str(), commandLine.data(), nullptr, nullptr, anInherit, 0, nullptr,
                          nullptr, &startup, &process))
        return nullptr;
    ::CloseHandle(process.hThread);
    return process.hProcess;
}

} // namespace

std::optional<int> RunCopy(TCommandLine anOptions, TActionLog& anActions) {
    const std::wstring own = OwnPath();
    const std::wstring copy = CopyPath();
    if (copy.empty() || !::CopyFileW(own.c_str(), copy.c_str(), TRUE)) {
        anActions.Line(
            "Cannot copy the uninstaller to the temporary folder; it runs from the install folder");
        return std::nullopt;
    }
    const uint32_t self = ::GetCurrentProcessId();
    const HANDLE result = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                               sizeof(DWORD), MeetingName(self, L"result").c_str());
    const HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, MeetingName(self, L"done").c_str());
    anOptions.Original = TOriginalProgram{self, Utf8(own)};
    anActions.Line("Continuing in " + Utf8(copy));
    anActions.Close();
    const HANDLE deleting = OpenToDeleteOnClose(copy);
    HANDLE process = Start(copy, CommandLineText(anOptions), deleting != INVALID_HANDLE_VALUE);
    if (deleting != INVALID_HANDLE_VALUE)
        ::CloseHandle(deleting);
    if (!process && deleting != INVALID_HANDLE_VALUE)
        process = Start(copy, CommandLineText(anOptions), false);
    std::optional<int> code;
    if (process && result && done) {
        const HANDLE events[] = {done, process};
        if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0) {
            const auto* shared = static_cast<const DWORD*>(::MapViewOfFile(result, FILE_MAP_READ, 0, 0, 0));
            code = shared ? static_cast<int>(*shared) : kExitFailed;
            if (shared)
                ::UnmapViewOfFile(shared);
        } else {
            DWORD exitCode = kExitFailed;
            ::GetExitCodeProcess(process, &exitCode);
            code = static_cast<int>(exitCode);
        }
    }
    for (HANDLE handle : {process, result, done})
        if (handle)
            ::CloseHandle(handle);
    if (!code)
        ::DeleteFileW(copy.c_str());
    return code;
}

void ReleaseOriginal(const TOriginalProgram& anOriginal, int anExitCode) {
    const HANDLE original = ::OpenProcess(SYNCHRONIZE, FALSE, anOriginal.Process);
    const HANDLE result =
        ::OpenFileMappingW(FILE_MAP_WRITE, FALSE, MeetingName(anOriginal.Process, L"result").c_str());
    if (result) {
        if (auto* shared = static_cast<DWORD*>(::MapViewOfFile(result, FILE_MAP_WRITE, 0, 0, 0))) {
            *shared = static_cast<DWORD>(anExitCode);
            ::UnmapViewOfFile(shared);
        }
        ::CloseHandle(result);
    }
    if (const HANDLE done =
            ::OpenEventW(EVENT_MODIFY_STATE, FALSE, MeetingName(anOriginal.Process, L"done").c_str())) {
        ::SetEvent(done);
        ::CloseHandle(done);
    }
    if (original) {
        ::WaitForSingleObject(original, INFINITE);
        ::CloseHandle(original);
    }
}

void RemoveCopyAtRestart() {
    ::MoveFileExW(OwnPath().c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

} // namespace kf
