#pragma once

#include "Heap.h"
#include "fdi.h"

#include <mspack.h>

namespace kf::cab {

struct FdiCallbacks {
    PFNALLOC alloc;
    PFNFREE free;
    PFNOPEN open;
    PFNREAD read;
    PFNWRITE write;
    PFNCLOSE close;
    PFNSEEK seek;
};

// libmspack's system interface on the FDI client's callbacks: every file it reads or writes and
// every block it allocates goes through them. libmspack hands copies of the interface to its
// decompressors, so the callbacks find their client through the scope of the running FDI call.
class MspackSystem {
public:
    // Makes the system the one libmspack's calls on this thread reach, until the scope ends.
    class Scope {
    public:
        explicit Scope(MspackSystem& aSystem);
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        ~Scope();

    private:
        MspackSystem* fPrevious;
    };

    explicit MspackSystem(const FdiCallbacks& aCallbacks);
    MspackSystem(const MspackSystem&) = delete;
    MspackSystem& operator=(const MspackSystem&) = delete;

    mspack_system* system() { return &fSystem; }
    const FdiCallbacks& callbacks() const { return fCallbacks; }
    Heap heap() const { return Heap(fCallbacks.alloc, fCallbacks.free); }

    // A handle the client opened: opening AdoptedName() wraps it, and closing leaves it open.
    void adopt(INT_PTR aHandle) { fAdopted = aHandle; }
    static const char* AdoptedName();

private:
    static mspack_file* Open(mspack_system* aSelf, const char* aName, int aMode);
    static void Close(mspack_file* aFile);
    static int Read(mspack_file* aFile, void* aBuffer, int aCount);
    static int Write(mspack_file* aFile, void* aBuffer, int aCount);
    static int Seek(mspack_file* aFile, off_t anOffset, int aMode);
    static off_t Tell(mspack_file* aFile);
    static void Message(mspack_file* aFile, const char* aFormat, ...);
    static void* Alloc(mspack_system* aSelf, size_t aSize);
    static void Free(void* aBlock);
    static void Copy(void* aSource, void* aTarget, size_t aSize);

    mspack_system fSystem;
    FdiCallbacks fCallbacks;
    INT_PTR fAdopted = -1;
};

} // namespace kf::cab
