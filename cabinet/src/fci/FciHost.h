#pragma once

#include "Heap.h"
#include "fci.h"

#include <cstdint>

namespace kf::cab {

// The first failure of the running call: the FCI error number and the callback's error value.
struct Failure {
    int oper = FCIERR_NONE;
    int type = 0;

    bool set(int anOper, int aType = 0) {
        if (oper == FCIERR_NONE) {
            oper = anOper;
            type = aType;
        }
        return false;
    }
    bool failed() const { return oper != FCIERR_NONE; }
};

struct FciCallbacks {
    PFNFCIFILEPLACED filePlaced;
    PFNFCIALLOC alloc;
    PFNFCIFREE free;
    PFNFCIOPEN open;
    PFNFCIREAD read;
    PFNFCIWRITE write;
    PFNFCICLOSE close;
    PFNFCISEEK seek;
    PFNFCIDELETE remove;
    PFNFCIGETTEMPFILE tempName;
    void* pv;
};

// The client's callbacks as the library uses them. Each operation that fails records the FCI error
// given by its caller (which file it was decides between source, temporary and cabinet errors) and
// returns false.
class FciHost {
public:
    explicit FciHost(const FciCallbacks& aCallbacks) : fCallbacks(aCallbacks) {}

    Heap heap() const { return Heap(fCallbacks.alloc, fCallbacks.free); }
    Failure& failure() { return fFailure; }

    // The notification callbacks of the running call.
    void setCallNotifications(PFNFCIGETNEXTCABINET aNextCabinet, PFNFCISTATUS aStatus) {
        fNextCabinet = aNextCabinet;
        fStatus = aStatus;
    }

    INT_PTR open(char* aPath, int aFlags, int anOper);
    bool readSome(INT_PTR aHandle, void* aBuffer, uint32_t aSize, uint32_t& aRead, int anOper);
    bool readAll(INT_PTR aHandle, void* aBuffer, uint32_t aSize, int anOper);
    bool write(INT_PTR aHandle, const void* aData, uint32_t aSize, int anOper);
    bool seek(INT_PTR aHandle, int32_t anOffset, int anOrigin, int32_t& aPosition, int anOper);
    bool close(INT_PTR aHandle, int anOper);
    void closeQuietly(INT_PTR aHandle);
    bool remove(char* aPath, int anOper);
    void removeQuietly(char* aPath);
    bool makeTempName(char* aName, int aSize);

    bool reportStatus(UINT aKind, uint32_t aFirst, uint32_t aSecond, LONG* aResult = nullptr);
    bool reportFilePlaced(CCAB* aCabinet, char* aName, uint32_t aSize, bool aContinuation);
    bool askNextCabinet(CCAB* aCabinet, uint32_t anEstimate);
    INT_PTR openSource(PFNFCIGETOPENINFO anOpenInfo, char* aPath, USHORT& aDate, USHORT& aTime,
                       USHORT& anAttributes);

private:
    FciCallbacks fCallbacks;
    Failure fFailure;
    PFNFCIGETNEXTCABINET fNextCabinet = nullptr;
    PFNFCISTATUS fStatus = nullptr;
};

} // namespace kf::cab
