#pragma once

#include "fci.h"
#include "fdi.h"

#include <string>

namespace kf {

// FCI compression codes.
inline constexpr TCOMP kCompressionNone = tcompTYPE_NONE;
inline constexpr TCOMP kCompressionMsZip = tcompTYPE_MSZIP;
// LZX with the window level (15..21) in bits 8 to 12.
TCOMP MakeLzxCompression(int aLevel);

// The cabinet library, loaded by the first LoadCabinetLibrary (FCICreate calls it) and kept until
// the program ends. Threads may call it at once: one loads, the others wait and reuse the result.
// A failed load raises EOSError and leaves nothing loaded, so the next call tries again.
void LoadCabinetLibrary();
bool CabinetLibraryLoaded();

HFCI FCICreate(PERF perf, PFNFCIFILEPLACED pfnfcifp, PFNFCIALLOC pfna, PFNFCIFREE pfnf, PFNFCIOPEN pfnopen,
               PFNFCIREAD pfnread, PFNFCIWRITE pfnwrite, PFNFCICLOSE pfnclose, PFNFCISEEK pfnseek,
               PFNFCIDELETE pfndelete, PFNFCIGETTEMPFILE pfnfcigtf, PCCAB pccab, void* pv);
BOOL FCIAddFile(HFCI hfci, char* pszSourceFile, char* pszFileName, BOOL fExecute,
                PFNFCIGETNEXTCABINET pfnfcignc, PFNFCISTATUS pfnfcis, PFNFCIGETOPENINFO pfnfcigoi,
                TCOMP typeCompress);
BOOL FCIFlushCabinet(HFCI hfci, BOOL fGetNextCab, PFNFCIGETNEXTCABINET pfnfcignc, PFNFCISTATUS pfnfcis);
BOOL FCIFlushFolder(HFCI hfci, PFNFCIGETNEXTCABINET pfnfcignc, PFNFCISTATUS pfnfcis);
BOOL FCIDestroy(HFCI hfci);

// The program's callbacks for FCI, on the host's file services. They never throw: a failure
// stores errno in the error out-value and returns -1 (FALSE for the temporary name).
void* DIAMONDAPI CabAlloc(ULONG cb);
void DIAMONDAPI CabFree(void* memory);
INT_PTR DIAMONDAPI CabOpen(char* pszFile, int oflag, int pmode, int* err, void* pv);
UINT DIAMONDAPI CabRead(INT_PTR hf, void* memory, UINT cb, int* err, void* pv);
UINT DIAMONDAPI CabWrite(INT_PTR hf, void* memory, UINT cb, int* err, void* pv);
int DIAMONDAPI CabClose(INT_PTR hf, int* err, void* pv);
LONG DIAMONDAPI CabSeek(INT_PTR hf, LONG dist, int seektype, int* err, void* pv);
int DIAMONDAPI CabDelete(char* pszFile, int* err, void* pv);
BOOL DIAMONDAPI CabGetTempFile(char* pszTempName, int cbTempName, void* pv);
// Removes the temporary files that CabGetTempFile named for writers of programs that have ended
// without removing them (a killed build); those in use stay.
void RemoveAbandonedTempFiles();
INT_PTR DIAMONDAPI CabGetOpenInfo(char* pszName, USHORT* pdate, USHORT* ptime, USHORT* pattribs, int* err,
                                  void* pv);

} // namespace kf
