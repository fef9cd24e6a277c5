/* Tries to open each file it is given for writing and for deleting, as a program that wants to
 * change or replace it would, and prints what the system answered, one line each as
 * "path<TAB>write=N<TAB>delete=N" with N the error (0 when the file could be opened). */
#include <windows.h>

#include <stdio.h>

static DWORD TryOpen(const wchar_t* path, DWORD access) {
    HANDLE file = CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    CloseHandle(file);
    return 0;
}

int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i)
        wprintf(L"%ls\twrite=%lu\tdelete=%lu\n", argv[i], TryOpen(argv[i], GENERIC_WRITE),
                TryOpen(argv[i], DELETE));
    return argc > 1 ? 0 : 1;
}
