/* Calls one delay-loaded function, the way the runtime does, and prints what it returned. */
#include <windows.h>
#include <shlobj.h>
#include <stdio.h>

int main(void) {
    wchar_t folder[MAX_PATH];
    if (FAILED(SHGetFolderPathW(NULL, CSIDL_PROGRAM_FILES, NULL, 0, folder)))
        return 1;
    printf("%ls\n", folder);
    return 0;
}
