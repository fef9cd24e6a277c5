#pragma once

#include "FileTable.h"
#include "Heap.h"
#include "MspackSystem.h"
#include "fdi.h"

#include <cstdint>
#include <mspack.h>

namespace kf::cab {

// The reading context: libmspack's decompressor on the client's callbacks.
struct FdiContext {
    explicit FdiContext(const FdiCallbacks& aCallbacks, PERF anErf) : system(aCallbacks), erf(anErf) {}

    MspackSystem system;
    mscab_decompressor* decompressor = nullptr;
    PERF erf;
};

// One FDICopy: notifies the client of the cabinet and of each member in it, extracts the members
// the client asks for into the handles it opens, and follows a member into the next cabinets of
// the set when its data continues there.
class FdiReader {
public:
    FdiReader(FdiContext& aContext, PFNFDINOTIFY aNotify, void* aUser);
    FdiReader(const FdiReader&) = delete;
    FdiReader& operator=(const FdiReader&) = delete;
    ~FdiReader();

    bool copy(const char* aCabinet, const char* aPath);
    int error() const { return fError; }

private:
    // A cabinet of the chain; libmspack keeps pointing at its path.
    struct Link {
        char path[CB_MAX_CAB_PATH + CB_MAX_CABINET_NAME];
        mscabd_cabinet* cabinet;
    };

    bool fail(int anError);
    bool openFirst(const char* aCabinet, const char* aPath);
    bool notifyCabinet();
    bool processMember(mscabd_file* aFile, uint32_t anIndex);
    bool extract(mscabd_file* aFile, INT_PTR aHandle);
    bool loadContinuation();
    bool appendNext(const char* aPath, bool& aContinues, int& anError);
    Link* createLink(const char* aPath, const char* aName, int& anError);
    void destroyLink(Link* aLink, bool aCloseCabinet);
    INT_PTR notify(FDINOTIFICATIONTYPE aType, FDINOTIFICATION& aNotification);

    FdiContext& fContext;
    PFNFDINOTIFY fNotify;
    void* fUser;
    Heap fHeap;
    HeapArray<Link*> fChain;
    FileTable fTable;
    const mscabd_folder* fContinuedFolder = nullptr; // the first cabinet's last folder, when it goes on
    char fPath[CB_MAX_CAB_PATH] = {};
    bool fChainComplete = false;
    int fError = FDIERROR_NONE;
};

} // namespace kf::cab
