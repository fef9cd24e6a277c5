// The exported FDI entry points.
#include "FdiReader.h"
#include "MspackSystem.h"
#include "fdi.h"

#define KF_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using kf::cab::FdiCallbacks;
using kf::cab::FdiContext;
using kf::cab::FdiReader;
using kf::cab::Heap;

// libmspack reads its input in pieces of this size.
constexpr int kDecompressorBuffer = 32768;

void Report(PERF anErf, int anError) {
    if (anErf == nullptr)
        return;
    anErf->erfOper = anError;
    anErf->erfType = 0;
    anErf->fError = TRUE;
}

uint16_t Count(const mscabd_folder* aFolder) {
    uint16_t count = 0;
    for (; aFolder != nullptr; aFolder = aFolder->next)
        ++count;
    return count;
}

uint16_t Count(const mscabd_file* aFile) {
    uint16_t count = 0;
    for (; aFile != nullptr; aFile = aFile->next)
        ++count;
    return count;
}

int HeaderError(int anError) {
    switch (anError) {
    case MSPACK_ERR_NOMEMORY:
        return FDIERROR_ALLOC_FAIL;
    case MSPACK_ERR_DATAFORMAT:
        return FDIERROR_CORRUPT_CABINET;
    default:
        return FDIERROR_NOT_A_CABINET;
    }
}

} // namespace

KF_EXPORT HFDI DIAMONDAPI FDICreate(PFNALLOC pfnalloc, PFNFREE pfnfree, PFNOPEN pfnopen, PFNREAD pfnread,
                                    PFNWRITE pfnwrite, PFNCLOSE pfnclose, PFNSEEK pfnseek, int, PERF perf) {
    if (pfnalloc == nullptr || pfnfree == nullptr || pfnopen == nullptr || pfnread == nullptr ||
        pfnwrite == nullptr || pfnclose == nullptr || pfnseek == nullptr) {
        Report(perf, FDIERROR_NONE);
        return nullptr;
    }
    const Heap heap(pfnalloc, pfnfree);
    auto* context = heap.create<FdiContext>(
        FdiCallbacks{pfnalloc, pfnfree, pfnopen, pfnread, pfnwrite, pfnclose, pfnseek}, perf);
    if (context != nullptr) {
        const kf::cab::MspackSystem::Scope scope(context->system);
        context->decompressor = mspack_create_cab_decompressor(context->system.system());
    }
    if (context == nullptr || context->decompressor == nullptr) {
        heap.destroy(context);
        Report(perf, FDIERROR_ALLOC_FAIL);
        return nullptr;
    }
    context->decompressor->set_param(context->decompressor, MSCABD_PARAM_DECOMPBUF, kDecompressorBuffer);
    return context;
}

KF_EXPORT BOOL DIAMONDAPI FDIIsCabinet(HFDI hfdi, INT_PTR hf, PFDICABINETINFO pfdici) {
    if (hfdi == nullptr || pfdici == nullptr)
        return FALSE;
    auto* context = static_cast<FdiContext*>(hfdi);
    const kf::cab::MspackSystem::Scope scope(context->system);
    mscab_decompressor* decompressor = context->decompressor;
    context->system.adopt(hf);
    mscabd_cabinet* cabinet = decompressor->open(decompressor, kf::cab::MspackSystem::AdoptedName());
    context->system.adopt(-1);
    if (cabinet == nullptr) {
        Report(context->erf, HeaderError(decompressor->last_error(decompressor)));
        return FALSE;
    }
    pfdici->cbCabinet = static_cast<LONG>(cabinet->length);
    pfdici->cFolders = Count(cabinet->folders);
    pfdici->cFiles = Count(cabinet->files);
    pfdici->setID = cabinet->set_id;
    pfdici->iCabinet = cabinet->set_index;
    pfdici->fReserve = (cabinet->flags & MSCAB_HDR_RESV) != 0;
    pfdici->hasprev = (cabinet->flags & MSCAB_HDR_PREVCAB) != 0;
    pfdici->hasnext = (cabinet->flags & MSCAB_HDR_NEXTCAB) != 0;
    decompressor->close(decompressor, cabinet);
    return TRUE;
}

KF_EXPORT BOOL DIAMONDAPI FDICopy(HFDI hfdi, char* pszCabinet, char* pszCabPath, int, PFNFDINOTIFY pfnfdin,
                                  PFNFDIDECRYPT, void* pvUser) {
    if (hfdi == nullptr)
        return FALSE;
    auto* context = static_cast<FdiContext*>(hfdi);
    if (pszCabinet == nullptr || pszCabPath == nullptr || pfnfdin == nullptr) {
        Report(context->erf, FDIERROR_CABINET_NOT_FOUND);
        return FALSE;
    }
    int error = FDIERROR_NONE;
    {
        const kf::cab::MspackSystem::Scope scope(context->system);
        FdiReader reader(*context, pfnfdin, pvUser);
        if (reader.copy(pszCabinet, pszCabPath))
            return TRUE;
        error = reader.error();
    }
    Report(context->erf, error);
    return FALSE;
}

KF_EXPORT BOOL DIAMONDAPI FDIDestroy(HFDI hfdi) {
    if (hfdi == nullptr)
        return FALSE;
    auto* context = static_cast<FdiContext*>(hfdi);
    {
        const kf::cab::MspackSystem::Scope scope(context->system);
        mspack_destroy_cab_decompressor(context->decompressor);
    }
    const Heap heap = context->system.heap();
    heap.destroy(context);
    return TRUE;
}
