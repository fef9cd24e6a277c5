/* The cabinet writing interface (FCI) with the published Windows signatures. */
#ifndef KELPFORGE_FCI_H
#define KELPFORGE_FCI_H

#include "fcifdi.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef enum {
    FCIERR_NONE,
    FCIERR_OPEN_SRC,
    FCIERR_READ_SRC,
    FCIERR_ALLOC_FAIL,
    FCIERR_TEMP_FILE,
    FCIERR_BAD_COMPR_TYPE,
    FCIERR_CAB_FILE,
    FCIERR_USER_ABORT,
    FCIERR_MCI_FAIL,
    FCIERR_CAB_FORMAT_LIMIT
} FCIERROR;

typedef void* HFCI;

/* Parameters of the cabinet being written; FCI hands the record back to get-next-cabinet. */
typedef struct {
    ULONG cb;             /* largest cabinet in bytes */
    ULONG cbFolderThresh; /* folder size after which a new folder starts */
    UINT cbReserveCFHeader;
    UINT cbReserveCFFolder;
    UINT cbReserveCFData;
    int iCab;
    int iDisk;
    int fFailOnIncompressible;
    USHORT setID;
    char szDisk[CB_MAX_DISK_NAME];
    char szCab[CB_MAX_CABINET_NAME];
    char szCabPath[CB_MAX_CAB_PATH];
} CCAB;
typedef CCAB* PCCAB;

/* Kinds of status notification. */
#define statusFile 0    /* cb1: compressed block size, cb2: uncompressed block size */
#define statusFolder 1  /* cb1: bytes of the folder copied, cb2: folder size; also while a cabinet's
                           data is copied from its temporary file: bytes copied, bytes in all */
#define statusCabinet 2 /* cb1: estimated cabinet size, cb2: actual size; returns the desired size */

typedef void*(DIAMONDAPI* PFNFCIALLOC)(ULONG cb);
typedef void(DIAMONDAPI* PFNFCIFREE)(void* memory);
typedef INT_PTR(DIAMONDAPI* PFNFCIOPEN)(char* pszFile, int oflag, int pmode, int* err, void* pv);
typedef UINT(DIAMONDAPI* PFNFCIREAD)(INT_PTR hf, void* memory, UINT cb, int* err, void* pv);
typedef UINT(DIAMONDAPI* PFNFCIWRITE)(INT_PTR hf, void* memory, UINT cb, int* err, void* pv);
typedef int(DIAMONDAPI* PFNFCICLOSE)(INT_PTR hf, int* err, void* pv);
typedef LONG(DIAMONDAPI* PFNFCISEEK)(INT_PTR hf, LONG dist, int seektype, int* err, void* pv);
typedef int(DIAMONDAPI* PFNFCIDELETE)(char* pszFile, int* err, void* pv);
typedef BOOL(DIAMONDAPI* PFNFCIGETTEMPFILE)(char* pszTempName, int cbTempName, void* pv);
typedef BOOL(DIAMONDAPI* PFNFCIGETNEXTCABINET)(PCCAB pccab, ULONG cbPrevCab, void* pv);
typedef int(DIAMONDAPI* PFNFCIFILEPLACED)(PCCAB pccab, char* pszFile, LONG cbFile, BOOL fContinuation,
                                          void* pv);
typedef INT_PTR(DIAMONDAPI* PFNFCIGETOPENINFO)(char* pszName, USHORT* pdate, USHORT* ptime, USHORT* pattribs,
                                               int* err, void* pv);
typedef LONG(DIAMONDAPI* PFNFCISTATUS)(UINT typeStatus, ULONG cb1, ULONG cb2, void* pv);

#define FNFCIALLOC(fn) void* DIAMONDAPI fn(ULONG cb)
#define FNFCIFREE(fn) void DIAMONDAPI fn(void* memory)
#define FNFCIOPEN(fn) INT_PTR DIAMONDAPI fn(char* pszFile, int oflag, int pmode, int* err, void* pv)
#define FNFCIREAD(fn) UINT DIAMONDAPI fn(INT_PTR hf, void* memory, UINT cb, int* err, void* pv)
#define FNFCIWRITE(fn) UINT DIAMONDAPI fn(INT_PTR hf, void* memory, UINT cb, int* err, void* pv)
#define FNFCICLOSE(fn) int DIAMONDAPI fn(INT_PTR hf, int* err, void* pv)
#define FNFCISEEK(fn) LONG DIAMONDAPI fn(INT_PTR hf, LONG dist, int seektype, int* err, void* pv)
#define FNFCIDELETE(fn) int DIAMONDAPI fn(char* pszFile, int* err, void* pv)
#define FNFCIGETTEMPFILE(fn) BOOL DIAMONDAPI fn(char* pszTempName, int cbTempName, void* pv)
#define FNFCIGETNEXTCABINET(fn) BOOL DIAMONDAPI fn(PCCAB pccab, ULONG cbPrevCab, void* pv)
#define FNFCIFILEPLACED(fn)                                                                                  \
    int DIAMONDAPI fn(PCCAB pccab, char* pszFile, LONG cbFile, BOOL fContinuation, void* pv)
#define FNFCIGETOPENINFO(fn)                                                                                 \
    INT_PTR DIAMONDAPI fn(char* pszName, USHORT* pdate, USHORT* ptime, USHORT* pattribs, int* err, void* pv)
#define FNFCISTATUS(fn) LONG DIAMONDAPI fn(UINT typeStatus, ULONG cb1, ULONG cb2, void* pv)

HFCI DIAMONDAPI FCICreate(PERF perf, PFNFCIFILEPLACED pfnfcifp, PFNFCIALLOC pfna, PFNFCIFREE pfnf,
                          PFNFCIOPEN pfnopen, PFNFCIREAD pfnread, PFNFCIWRITE pfnwrite, PFNFCICLOSE pfnclose,
                          PFNFCISEEK pfnseek, PFNFCIDELETE pfndelete, PFNFCIGETTEMPFILE pfnfcigtf,
                          PCCAB pccab, void* pv);
BOOL DIAMONDAPI FCIAddFile(HFCI hfci, char* pszSourceFile, char* pszFileName, BOOL fExecute,
                           PFNFCIGETNEXTCABINET pfnfcignc, PFNFCISTATUS pfnfcis, PFNFCIGETOPENINFO pfnfcigoi,
                           TCOMP typeCompress);
BOOL DIAMONDAPI FCIFlushCabinet(HFCI hfci, BOOL fGetNextCab, PFNFCIGETNEXTCABINET pfnfcignc,
                                PFNFCISTATUS pfnfcis);
BOOL DIAMONDAPI FCIFlushFolder(HFCI hfci, PFNFCIGETNEXTCABINET pfnfcignc, PFNFCISTATUS pfnfcis);
BOOL DIAMONDAPI FCIDestroy(HFCI hfci);

#ifdef __cplusplus
}
#endif

#endif
