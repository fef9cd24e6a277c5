/* Extracts a cabinet set with the system cabinet library (FDI) into a folder.
 * Usage: WineFdiExtract <folder of the cabinets> <first cabinet> <output folder>
 * Member names may hold sub-folders ("a\b.txt"); they are created as needed. Names flagged as
 * UTF-8 are decoded as such. Prints one line per extracted member and exits with 0 on success, 1 on
 * an FDI failure (its error number printed). */
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <sys/stat.h>
#include <windows.h>

#include <fdi.h>

static char gOutput[MAX_PATH];
static char gNextCabinet[MAX_PATH];
static int gCabinetInfos;
static int gExtracted;

static FNALLOC(Alloc) {
    return HeapAlloc(GetProcessHeap(), 0, cb);
}
static FNFREE(Free) {
    HeapFree(GetProcessHeap(), 0, pv);
}
static FNOPEN(Open) {
    return _open(pszFile, oflag, pmode);
}
static FNREAD(Read) {
    return (UINT)_read((int)hf, pv, cb);
}
static FNWRITE(Write) {
    return (UINT)_write((int)hf, pv, cb);
}
static FNCLOSE(Close) {
    return _close((int)hf);
}
static FNSEEK(Seek) {
    return _lseek((int)hf, dist, seektype);
}

static void CreateParents(wchar_t* aPath, size_t aStart) {
    for (wchar_t* p = aPath + aStart; *p != L'\0'; ++p) {
        if (*p == L'\\' || *p == L'/') {
            const wchar_t separator = *p;
            *p = L'\0';
            CreateDirectoryW(aPath, NULL);
            *p = separator;
        }
    }
}

/* The output path of a member. A name flagged _A_NAME_IS_UTF is UTF-8, any other is in the ANSI
 * code page, as Windows programs take them. */
static int MemberPath(const char* aName, USHORT anAttributes, wchar_t* aPath, int aSize) {
    const int folder = MultiByteToWideChar(CP_ACP, 0, gOutput, -1, aPath, aSize);
    if (folder == 0 || folder + 1 >= aSize)
        return 0;
    aPath[folder - 1] = L'\\';
    const UINT codePage = (anAttributes & _A_NAME_IS_UTF) ? CP_UTF8 : CP_ACP;
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, aName, -1, aPath + folder, aSize - folder) == 0)
        return 0;
    return folder;
}

static FNFDINOTIFY(Notify) {
    wchar_t path[2 * MAX_PATH];
    int folder;
    switch (fdint) {
    case fdintCABINET_INFO:
        /* Following a member into later cabinets reports them too: the first report names the
         * cabinet after the one being copied. */
        if (gCabinetInfos++ == 0)
            snprintf(gNextCabinet, sizeof gNextCabinet, "%s", pfdin->psz1);
        return 0;
    case fdintCOPY_FILE:
        folder = MemberPath(pfdin->psz1, pfdin->attribs, path, 2 * MAX_PATH);
        if (folder == 0) {
            printf("cannot name the output of %s\n", pfdin->psz1);
            return -1;
        }
        CreateParents(path, (size_t)folder);
        return _wopen(path, _O_BINARY | _O_CREAT | _O_WRONLY | _O_TRUNC, _S_IREAD | _S_IWRITE);
    case fdintCLOSE_FILE_INFO:
        _close((int)pfdin->hf);
        printf("extracted %s %ld\n", pfdin->psz1, (long)pfdin->cb);
        ++gExtracted;
        return TRUE;
    case fdintPARTIAL_FILE:
        return 0;
    case fdintNEXT_CABINET:
        return pfdin->fdie == FDIERROR_NONE ? 0 : -1;
    default:
        return 0;
    }
}

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: %s <cabinet folder> <first cabinet> <output folder>\n", argv[0]);
        return 2;
    }
    char folder[MAX_PATH];
    char cabinet[MAX_PATH];
    snprintf(folder, sizeof folder, "%s\\", argv[1]);
    snprintf(cabinet, sizeof cabinet, "%s", argv[2]);
    snprintf(gOutput, sizeof gOutput, "%s", argv[3]);
    CreateDirectoryA(gOutput, NULL);

    ERF erf;
    HFDI fdi = FDICreate(Alloc, Free, Open, Read, Write, Close, Seek, cpuUNKNOWN, &erf);
    if (fdi == NULL) {
        printf("FDICreate failed: %d\n", erf.erfOper);
        return 1;
    }
    char path[2 * MAX_PATH];
    snprintf(path, sizeof path, "%s%s", folder, cabinet);
    const int handle = _open(path, _O_BINARY | _O_RDONLY);
    FDICABINETINFO info;
    const BOOL isCabinet = handle != -1 && FDIIsCabinet(fdi, handle, &info);
    if (handle != -1)
        _close(handle);
    if (!isCabinet) {
        printf("FDIIsCabinet rejected %s\n", path);
        FDIDestroy(fdi);
        return 1;
    }
    int status = 0;
    while (cabinet[0] != '\0') {
        gNextCabinet[0] = '\0';
        gCabinetInfos = 0;
        if (!FDICopy(fdi, cabinet, folder, 0, Notify, NULL, NULL)) {
            printf("FDICopy of %s failed: %d\n", cabinet, erf.erfOper);
            status = 1;
            break;
        }
        snprintf(cabinet, sizeof cabinet, "%s", gNextCabinet);
    }
    FDIDestroy(fdi);
    printf("%d members\n", gExtracted);
    return status;
}
