/* A self-registering library for the tests: registration leaves a file beside the library and
 * unregistration takes it away, so a test can see both calls from outside. With KF_UNREGISTER_HOLD
 * naming a file, unregistration then waits while that file exists (two minutes at most), so that a
 * test can look at the uninstaller in the middle of its work. */
#include <windows.h>

static HINSTANCE self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}

static void MarkerPath(WCHAR* path, DWORD size) {
    DWORD length = GetModuleFileNameW(self, path, size - 12);
    lstrcpyW(path + length, L".registered");
}

__declspec(dllexport) HRESULT WINAPI DllRegisterServer(void) {
    WCHAR path[MAX_PATH + 12];
    MarkerPath(path, MAX_PATH + 12);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return E_FAIL;
    CloseHandle(file);
    return S_OK;
}

static void Hold(void) {
    WCHAR hold[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"KF_UNREGISTER_HOLD", hold, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    for (int i = 0; i < 1200 && GetFileAttributesW(hold) != INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
}

__declspec(dllexport) HRESULT WINAPI DllUnregisterServer(void) {
    WCHAR path[MAX_PATH + 12];
    MarkerPath(path, MAX_PATH + 12);
    const BOOL removed = DeleteFileW(path);
    Hold();
    return removed ? S_OK : E_FAIL;
}
