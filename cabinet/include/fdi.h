/* The cabinet reading interface (FDI) with the published Windows signatures. */
#ifndef KELPFORGE_FDI_H
#define KELPFORGE_FDI_H

#include "fcifdi.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef enum {
    FDIERROR_NONE,
    FDIERROR_CABINET_NOT_FOUND,
    FDIERROR_NOT_A_CABINET,
    FDIERROR_UNKNOWN_CABINET_VERSION,
    FDIERROR_CORRUPT_CABINET,
    FDIERROR_ALLOC_FAIL,
    FDIERROR_BAD_COMPR_TYPE,
    FDIERROR_MDI_FAIL,
    FDIERROR_TARGET_FILE,
    FDIERROR_RESERVE_MISMATCH,
    FDIERROR_WRONG_CABINET,
    FDIERROR_USER_ABORT
} FDIERROR;

typedef void* HFDI;

typedef struct {
    LONG cbCabinet;
    USHORT cFolders;
    USHORT cFiles;
    USHORT setID;
    USHORT iCabinet;
    BOOL fReserve;
    BOOL hasprev;
    BOOL hasnext;
} FDICABINETINFO;
typedef FDICABINETINFO* PFDICABINETINFO;

typedef enum { fdidtNEW_CABINET, fdidtNEW_FOLDER, fdidtDECRYPT } FDIDECRYPTTYPE;

typedef struct {
    FDIDECRYPTTYPE fdidt;
    void* pvUser;
    union {
        struct {
            void* pHeaderReserve;
            USHORT cbHeaderReserve;
            USHORT setID;
            int iCabinet;
        } cabinet;
        struct {
            void* pFolderReserve;
            USHORT cbFolderReserve;
            USHORT iFolder;
        } folder;
        struct {
            void* pDataReserve;
            USHORT cbDataReserve;
            void* pbData;
            USHORT cbData;
            BOOL fSplit;
            USHORT cbPartial;
        } decrypt;
    };
} FDIDECRYPT;
typedef FDIDECRYPT* PFDIDECRYPT;

typedef enum {
    fdintCABINET_INFO, /* psz1 next cabinet, psz2 next disk, psz3 cabinet path, setID, iCabinet */
    fdintPARTIAL_FILE, /* psz1 member continued from an earlier cabinet, psz2 that cabinet, psz3 its disk */
    fdintCOPY_FILE, /* psz1 member, cb size, date, time, attribs; returns a handle, 0 to skip, -1 to abort */
    fdintCLOSE_FILE_INFO, /* psz1 member, hf, date, time, attribs, cb run-after-extraction; returns TRUE */
    fdintNEXT_CABINET,    /* psz1 next cabinet, psz2 next disk, psz3 path (may be changed), fdie */
    fdintENUMERATE
} FDINOTIFICATIONTYPE;

typedef struct {
    LONG cb;
    char* psz1;
    char* psz2;
    char* psz3;
    void* pv;
    INT_PTR hf;
    USHORT date;
    USHORT time;
    USHORT attribs;
    USHORT setID;
    USHORT iCabinet;
    USHORT iFolder;
    FDIERROR fdie;
} FDINOTIFICATION;
typedef FDINOTIFICATION* PFDINOTIFICATION;

typedef void*(DIAMONDAPI* PFNALLOC)(ULONG cb);
typedef void(DIAMONDAPI* PFNFREE)(void* pv);
typedef INT_PTR(DIAMONDAPI* PFNOPEN)(char* pszFile, int oflag, int pmode);
typedef UINT(DIAMONDAPI* PFNREAD)(INT_PTR hf, void* pv, UINT cb);
typedef UINT(DIAMONDAPI* PFNWRITE)(INT_PTR hf, void* pv, UINT cb);
typedef int(DIAMONDAPI* PFNCLOSE)(INT_PTR hf);
typedef LONG(DIAMONDAPI* PFNSEEK)(INT_PTR hf, LONG dist, int seektype);
typedef int(DIAMONDAPI* PFNFDIDECRYPT)(PFDIDECRYPT pfdid);
typedef INT_PTR(DIAMONDAPI* PFNFDINOTIFY)(FDINOTIFICATIONTYPE fdint, PFDINOTIFICATION pfdin);

#define FNALLOC(fn) void* DIAMONDAPI fn(ULONG cb)
#define FNFREE(fn) void DIAMONDAPI fn(void* pv)
#define FNOPEN(fn) INT_PTR DIAMONDAPI fn(char* pszFile, int oflag, int pmode)
#define FNREAD(fn) UINT DIAMONDAPI fn(INT_PTR hf, void* pv, UINT cb)
#define FNWRITE(fn) UINT DIAMONDAPI fn(INT_PTR hf, void* pv, UINT cb)
#define FNCLOSE(fn) int DIAMONDAPI fn(INT_PTR hf)
#define FNSEEK(fn) LONG DIAMONDAPI fn(INT_PTR hf, LONG dist, int seektype)
#define FNFDIDECRYPT(fn) int DIAMONDAPI fn(PFDIDECRYPT pfdid)
#define FNFDINOTIFY(fn) INT_PTR DIAMONDAPI fn(FDINOTIFICATIONTYPE fdint, PFDINOTIFICATION pfdin)

#define cpuUNKNOWN (-1)
#define cpu80286 (0)
#define cpu80386 (1)

HFDI DIAMONDAPI FDICreate(PFNALLOC pfnalloc, PFNFREE pfnfree, PFNOPEN pfnopen, PFNREAD pfnread,
                          PFNWRITE pfnwrite, PFNCLOSE pfnclose, PFNSEEK pfnseek, int cpuType, PERF perf);
BOOL DIAMONDAPI FDIIsCabinet(HFDI hfdi, INT_PTR hf, PFDICABINETINFO pfdici);
BOOL DIAMONDAPI FDICopy(HFDI hfdi, char* pszCabinet, char* pszCabPath, int flags, PFNFDINOTIFY pfnfdin,
                        PFNFDIDECRYPT pfnfdid, void* pvUser);
BOOL DIAMONDAPI FDIDestroy(HFDI hfdi);

#ifdef __cplusplus
}
#endif

#endif
