#include "FciHost.h"

namespace kf::cab {

INT_PTR FciHost::open(char* aPath, int aFlags, int anOper) {
    int error = 0;
    const INT_PTR handle = fCallbacks.open(aPath, aFlags, _S_IREAD | _S_IWRITE, &error, fCallbacks.pv);
    if (handle == -1)
        fFailure.set(anOper, error);
    return handle;
}

bool FciHost::readSome(INT_PTR aHandle, void* aBuffer, uint32_t aSize, uint32_t& aRead, int anOper) {
    int error = 0;
    aRead = fCallbacks.read(aHandle, aBuffer, aSize, &error, fCallbacks.pv);
    if (aRead == static_cast<UINT>(-1) || aRead > aSize)
        return fFailure.set(anOper, error);
    return true;
}

bool FciHost::readAll(INT_PTR aHandle, void* aBuffer, uint32_t aSize, int anOper) {
    auto* target = static_cast<uint8_t*>(aBuffer);
    while (aSize > 0) {
        uint32_t count = 0;
        if (!readSome(aHandle, target, aSize, count, anOper))
            return false;
        if (count == 0)
            return fFailure.set(anOper);
        target += count;
        aSize -= count;
    }
    return true;
}

bool FciHost::write(INT_PTR aHandle, const void* aData, uint32_t aSize, int anOper) {
    int error = 0;
    const UINT written = fCallbacks.write(aHandle, const_cast<void*>(aData), aSize, &error, fCallbacks.pv);
    return written == aSize || fFailure.set(anOper, error);
}

bool FciHost::seek(INT_PTR aHandle, int32_t anOffset, int anOrigin, int32_t& aPosition, int anOper) {
    int error = 0;
    aPosition = fCallbacks.seek(aHandle, anOffset, anOrigin, &error, fCallbacks.pv);
    return aPosition != -1 || fFailure.set(anOper, error);
}

bool FciHost::close(INT_PTR aHandle, int anOper) {
    int error = 0;
    return fCallbacks.close(aHandle, &error, fCallbacks.pv) == 0 || fFailure.set(anOper, error);
}

void FciHost::closeQuietly(INT_PTR aHandle) {
    int error = 0;
    fCallbacks.close(aHandle, &error, fCallbacks.pv);
}

bool FciHost::remove(char* aPath, int anOper) {
    int error = 0;
    return fCallbacks.remove(aPath, &error, fCallbacks.pv) == 0 || fFailure.set(anOper, error);
}

void FciHost::removeQuietly(char* aPath) {
    int error = 0;
    fCallbacks.remove(aPath, &error, fCallbacks.pv);
}

bool FciHost::makeTempName(char* aName, int aSize) {
    aName[0] = '\0';
    return fCallbacks.tempName(aName, aSize, fCallbacks.pv) || fFailure.set(FCIERR_TEMP_FILE);
}

bool FciHost::reportStatus(UINT aKind, uint32_t aFirst, uint32_t aSecond, LONG* aResult) {
    const LONG result = fStatus == nullptr ? 0 : fStatus(aKind, aFirst, aSecond, fCallbacks.pv);
    if (aResult != nullptr)
        *aResult = result;
    return result != -1 || fFailure.set(FCIERR_USER_ABORT);
}

bool FciHost::reportFilePlaced(CCAB* aCabinet, char* aName, uint32_t aSize, bool aContinuation) {
    if (fCallbacks.filePlaced == nullptr)
        return true;
    const int result = fCallbacks.filePlaced(aCabinet, aName, static_cast<LONG>(aSize),
                                             aContinuation ? TRUE : FALSE, fCallbacks.pv);
    return result != -1 || fFailure.set(FCIERR_USER_ABORT);
}

bool FciHost::askNextCabinet(CCAB* aCabinet, uint32_t anEstimate) {
    if (fNextCabinet == nullptr)
        return fFailure.set(FCIERR_USER_ABORT);
    return fNextCabinet(aCabinet, anEstimate, fCallbacks.pv) || fFailure.set(FCIERR_USER_ABORT);
}

INT_PTR FciHost::openSource(PFNFCIGETOPENINFO anOpenInfo, char* aPath, USHORT& aDate, USHORT& aTime,
                            USHORT& anAttributes) {
    int error = 0;
    const INT_PTR handle = anOpenInfo(aPath, &aDate, &aTime, &anAttributes, &error, fCallbacks.pv);
    if (handle == -1)
        fFailure.set(FCIERR_OPEN_SRC, error);
    return handle;
}

} // namespace kf::cab
