/* Prints the access list (DACL) of each path it is given, one line each as "path<TAB>SDDL", so a
 * test can read back what the installer gave a folder. */
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <stdio.h>

int wmain(int argc, wchar_t** argv) {
    int failed = 0;
    for (int i = 1; i < argc; ++i) {
        PSECURITY_DESCRIPTOR descriptor = NULL;
        PACL list = NULL;
        LPWSTR text = NULL;
        if (GetNamedSecurityInfoW(argv[i], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL, &list, NULL,
                                  &descriptor) != ERROR_SUCCESS ||
            !ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                                  DACL_SECURITY_INFORMATION, &text, NULL)) {
            wprintf(L"%ls\tunreadable\n", argv[i]);
            failed = 1;
            continue;
        }
        wprintf(L"%ls\t%ls\n", argv[i], text);
        LocalFree(text);
        LocalFree(descriptor);
    }
    return failed;
}
