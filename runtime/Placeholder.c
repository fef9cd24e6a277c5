/* Stands in for the installer runtime and the uninstaller until they are built: says so and fails,
 * so that a setup made with it never reports an installation that did not happen. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    MessageBoxA(NULL, "This setup was made with a Kelpforge build that has no installer runtime yet.",
                "Kelpforge", MB_OK | MB_ICONERROR);
    return 1;
}
