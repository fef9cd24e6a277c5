/* Runs the command line it is given with the user's own rights, without the administrator rights
 * that every Wine process has (the linked token of its own), waits for it and exits with its exit
 * code, so a test can run a program as a user whom Windows has not given them. */
#include <windows.h>

#include <stdio.h>

/* The command line after this program's own name. */
static wchar_t* ArgumentsOf(wchar_t* line) {
    int quoted = 0;
    for (; *line && (quoted || (*line != L' ' && *line != L'\t')); ++line)
        if (*line == L'"')
            quoted = !quoted;
    while (*line == L' ' || *line == L'\t')
        ++line;
    return line;
}

static HANDLE UserToken(void) {
    HANDLE own = NULL, primary = NULL;
    TOKEN_LINKED_TOKEN linked = {0};
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own))
        return NULL;
    if (GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size)) {
        DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, NULL, SecurityImpersonation, TokenPrimary,
                         &primary);
        CloseHandle(linked.LinkedToken);
    }
    CloseHandle(own);
    return primary;
}

int wmain(void) {
    wchar_t* command = ArgumentsOf(GetCommandLineW());
    HANDLE token = UserToken();
    STARTUPINFOW startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    DWORD code = 1;
    if (!token || !*command ||
        !CreateProcessAsUserW(token, NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        fwprintf(stderr, L"Cannot run \"%ls\" with the user's own rights: error %lu\n", command,
                 GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(token);
    return (int)code;
}
