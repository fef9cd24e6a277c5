/* Stands in for a system library planted beside a setup file: if it is ever loaded it leaves a
 * marker file named by the environment, so a test can tell. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        char marker[MAX_PATH];
        if (GetEnvironmentVariableA("KF_PLANTED_MARKER", marker, sizeof marker) > 0) {
            HANDLE file =
                CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
            if (file != INVALID_HANDLE_VALUE)
                CloseHandle(file);
        }
    }
    return TRUE;
}
