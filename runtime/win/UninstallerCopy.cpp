#include "runtime/win/UninstallerCopy.h"

#include "base/OSError.h"
#include "runtime/win/CopyLocation.h"
#include "runtime/win/Elevation.h"
#include "runtime/win/Outcome.h"
#include "runtime/win/WinText.h"

#include <windows.h>

#include <vector>

namespace kf {

namespace {

// The original and the copy meet through named objects, which the copy finds by the original's
// process number.
std::wstring MeetingName(uint32_t aProcess, const wchar_t* aWhat) {
    return L"Local\\KelpforgeUninstall-" + std::to_wstring(aProcess) + L"-" + aWhat;
}

void CloseAll(const std::vector<HANDLE>& aHandles) {
    for (HANDLE handle : aHandles)
        if (handle && handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
}

// The copy, opened so that it is deleted when its last handle closes; the handle is inherited by
// the copy's process, so the file goes when that ends. While it is open nobody may write to the
// file, rename it or delete it: only the copy, through that handle.
HANDLE OpenToDeleteOnClose(const std::wstring& aPath) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    return ::CreateFileW(aPath.c_str(), DELETE | GENERIC_READ, FILE_SHARE_READ, &inherited, OPEN_EXISTING,
                         FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

HANDLE Start(const std::wstring& aProgram, const std::string& anArguments) {
    std::wstring commandLine = L"\"" + aProgram + L"\" " + Wide(anArguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(aProgram.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process))
        return nullptr;
    ::CloseHandle(process.hThread);
    return process.hProcess;
}

// The result the copy gives or, when it ends without one, its exit code.
int CopyResult(HANDLE aProcess, HANDLE aResult, HANDLE aDone) {
    const HANDLE events[] = {aDone, aProcess};
    if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
        DWORD exitCode = kExitFailed;
        ::GetExitCodeProcess(aProcess, &exitCode);
        return static_cast<int>(exitCode);
    }
    const auto* shared = static_cast<const DWORD*>(::MapViewOfFile(aResult, FILE_MAP_READ, 0, 0, 0));
    const int code = shared ? static_cast<int>(*shared) : kExitFailed;
    if (shared)
        ::UnmapViewOfFile(shared);
    return code;
}

// Starts the copy and waits for its result; nothing when it cannot be started. The action log is
// closed while the copy writes to it.
std::optional<int> StartAndWait(const TCopyLocation& aLocation, TCommandLine anOptions,
                                TActionLog& anActions) {
    const uint32_t self = ::GetCurrentProcessId();
    const HANDLE result = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                               sizeof(DWORD), MeetingName(self, L"result").c_str());
    const HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, MeetingName(self, L"done").c_str());
    HANDLE process = nullptr;
    if (result && done) {
        const HANDLE deleting = OpenToDeleteOnClose(aLocation.Program);
        const uint64_t handle = deleting == INVALID_HANDLE_VALUE
                                    ? 0
                                    : static_cast<uint64_t>(reinterpret_cast<uintptr_t>(deleting));
        anOptions.Original = TOriginalProgram{self, Utf8(OwnPath()), handle};
        anActions.Line("Continuing in " + Utf8(aLocation.Program));
        anActions.Close();
        process = Start(aLocation.Program, CommandLineText(anOptions));
        CloseAll({deleting});
    }
    const std::optional<int> code = process ? std::optional(CopyResult(process, result, done)) : std::nullopt;
    CloseAll({process, result, done});
    if (!code && anOptions.LogFile && !anActions.IsOpen())
        anActions.Open(Wide(*anOptions.LogFile), true);
    return code;
}

bool CopyTo(const TCopyLocation& aLocation, TActionLog& anActions) {
    if (::CopyFileW(OwnPath().c_str(), aLocation.Program.c_str(), TRUE))
        return true;
    anActions.Line("Cannot copy the uninstaller to " + Utf8(aLocation.Program) + ": " +
                   SystemErrorText(static_cast<int>(::GetLastError())));
    return false;
}

void GiveResult(uint32_t anOriginal, int anExitCode) {
    if (const HANDLE result =
            ::OpenFileMappingW(FILE_MAP_WRITE, FALSE, MeetingName(anOriginal, L"result").c_str())) {
        if (auto* shared = static_cast<DWORD*>(::MapViewOfFile(result, FILE_MAP_WRITE, 0, 0, 0))) {
            *shared = static_cast<DWORD>(anExitCode);
            ::UnmapViewOfFile(shared);
        }
        ::CloseHandle(result);
    }
    if (const HANDLE done =
            ::OpenEventW(EVENT_MODIFY_STATE, FALSE, MeetingName(anOriginal, L"done").c_str())) {
        ::SetEvent(done);
        ::CloseHandle(done);
    }
}

} // namespace

std::optional<int> RunCopy(TCommandLine anOptions, TActionLog& anActions) {
    const std::optional<TCopyLocation> location = MakeCopyLocation(IsElevated(), anActions);
    const bool copied = location && CopyTo(*location, anActions);
    std::optional<int> code;
    if (copied) {
        RemoveAtRestart(*location);
        code = StartAndWait(*location, anOptions, anActions);
    }
    if (!code) {
        if (location)
            RemoveLocation(*location);
        anActions.Line(std::string(copied ? "Cannot start" : "Cannot make") +
                       " the uninstaller's temporary copy; it runs from the install folder");
    }
    return code;
}

void ReleaseOriginal(const TCommandLine& anOptions, int anExitCode) {
    // Opened before the original is released, so that the numbers cannot name other processes by
    // the time they are waited for.
    std::vector<HANDLE> running = {::OpenProcess(SYNCHRONIZE, FALSE, anOptions.Original->Process)};
    if (anOptions.ElevatedFrom)
        running.push_back(::OpenProcess(SYNCHRONIZE, FALSE, *anOptions.ElevatedFrom));
    GiveResult(anOptions.Original->Process, anExitCode);
    for (HANDLE process : running)
        if (process)
            ::WaitForSingleObject(process, INFINITE);
    CloseAll(running);
}

} // namespace kf
