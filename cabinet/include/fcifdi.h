/* Types, records and constants shared by the cabinet writing (FCI) and reading (FDI) interfaces,
 * laid out as the published Windows cabinet library declares them. */
#ifndef KELPFORGE_FCIFDI_H
#define KELPFORGE_FCIFDI_H

#include <stddef.h>
#include <stdint.h>
#ifdef _WIN32
#include <windows.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

#ifdef _WIN32
/* On Windows the basic types come from the system headers, with the same widths. */
#define DIAMONDAPI __cdecl
#else
/* Every entry point and callback uses the C calling convention (cdecl), the default here. */
#define DIAMONDAPI

/* Windows widths: ULONG and LONG stay 32 bits on 64-bit hosts. */
typedef uint32_t ULONG;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef unsigned short USHORT;
typedef unsigned char BYTE;
typedef int BOOL;
typedef intptr_t INT_PTR;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#endif

typedef struct {
    int erfOper; /* FCIERR_* or FDIERROR_* */
    int erfType; /* error value reported by the failing callback, or 0 */
    BOOL fError;
} ERF;
typedef ERF* PERF;

#define CB_MAX_CHUNK 32768U
#define CB_MAX_DISK 0x7FFFFFFFL
#define CB_MAX_FILENAME 256
#define CB_MAX_CABINET_NAME 256
#define CB_MAX_CAB_PATH 256
#define CB_MAX_DISK_NAME 256

typedef unsigned short TCOMP;

#define tcompMASK_TYPE 0x000F
#define tcompTYPE_NONE 0x0000
#define tcompTYPE_MSZIP 0x0001
#define tcompTYPE_QUANTUM 0x0002
#define tcompTYPE_LZX 0x0003
#define tcompBAD 0x000F

#define tcompMASK_LZX_WINDOW 0x1F00
#define tcompLZX_WINDOW_LO 0x0F00
#define tcompLZX_WINDOW_HI 0x1500
#define tcompSHIFT_LZX_WINDOW 8

#define tcompMASK_QUANTUM_LEVEL 0x00F0
#define tcompQUANTUM_LEVEL_LO 0x0010
#define tcompQUANTUM_LEVEL_HI 0x0070
#define tcompSHIFT_QUANTUM_LEVEL 4

#define tcompMASK_QUANTUM_MEM 0x1F00
#define tcompQUANTUM_MEM_LO 0x0A00
#define tcompQUANTUM_MEM_HI 0x1500
#define tcompSHIFT_QUANTUM_MEM 8

#define tcompMASK_RESERVED 0xE000

#define CompressionTypeFromTCOMP(tc) ((tc)&tcompMASK_TYPE)
#define LZXCompressionWindowFromTCOMP(tc) (((tc)&tcompMASK_LZX_WINDOW) >> tcompSHIFT_LZX_WINDOW)
#define TCOMPfromLZXWindow(w) ((TCOMP)(((w) << tcompSHIFT_LZX_WINDOW) | tcompTYPE_LZX))

/* File attributes stored with each member. */
#define _A_RDONLY 0x01
#define _A_HIDDEN 0x02
#define _A_SYSTEM 0x04
#define _A_ARCH 0x20
#define _A_EXEC 0x40
#define _A_NAME_IS_UTF 0x80

/* Open flags and permission modes handed to the open callbacks: the C runtime's values on Windows,
 * not the host's O_* values. */
#define _O_RDONLY 0x0000
#define _O_WRONLY 0x0001
#define _O_RDWR 0x0002
#define _O_APPEND 0x0008
#define _O_RANDOM 0x0010
#define _O_SEQUENTIAL 0x0020
#define _O_TEMPORARY 0x0040
#define _O_NOINHERIT 0x0080
#define _O_CREAT 0x0100
#define _O_TRUNC 0x0200
#define _O_EXCL 0x0400
#define _O_SHORT_LIVED 0x1000
#define _O_TEXT 0x4000
#define _O_BINARY 0x8000

#define _S_IREAD 0x0100
#define _S_IWRITE 0x0080

#ifdef __cplusplus
}
#endif

#endif
