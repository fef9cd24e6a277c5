/* Prints its process number and waits while the file it is given exists (two minutes at most), so
 * a test has a process of its own to name to a program and to end when it chooses. */
#include <windows.h>

#include <stdio.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2)
        return 1;
    wprintf(L"%lu\n", GetCurrentProcessId());
    fflush(stdout);
    for (int i = 0; i < 1200 && GetFileAttributesW(argv[1]) != INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    return 0;
}
