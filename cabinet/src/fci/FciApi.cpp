// The exported FCI entry points: argument checks, the context's life, and the ERF record.
#include "FciWriter.h"
#include "fci.h"

#include <cerrno>

#define KF_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using kf::cab::FciCallbacks;
using kf::cab::FciWriter;
using kf::cab::Heap;

struct FciContext {
    FciContext(const FciCallbacks& aCallbacks, CCAB& aParameters, PERF anErf)
        : writer(aCallbacks, aParameters), heap(aCallbacks.alloc, aCallbacks.free), erf(anErf) {}

    FciWriter writer;
    Heap heap;
    PERF erf;
};

void Report(PERF anErf, int anOper, int aType) {
    if (anErf == nullptr)
        return;
    anErf->erfOper = anOper;
    anErf->erfType = aType;
    anErf->fError = TRUE;
}

// Runs one call on the context and reports its failure in the ERF given at creation.
template <typename Call>
BOOL Run(HFCI hfci, PFNFCIGETNEXTCABINET aNextCabinet, PFNFCISTATUS aStatus, Call aCall) {
    if (hfci == nullptr)
        return FALSE;
    auto* context = static_cast<FciContext*>(hfci);
    kf::cab::FciHost& host = context->writer.host();
    if (!context->writer.isBroken()) {
        host.failure() = {};
        host.setCallNotifications(aNextCabinet, aStatus);
        if (aCall(context->writer))
            return TRUE;
    }
    Report(context->erf, host.failure().oper, host.failure().type);
    return FALSE;
}

} // namespace

KF_EXPORT HFCI DIAMONDAPI FCICreate(PERF perf, PFNFCIFILEPLACED pfnfcifp, PFNFCIALLOC pfna, PFNFCIFREE pfnf,
                                    PFNFCIOPEN pfnopen, PFNFCIREAD pfnread, PFNFCIWRITE pfnwrite,
                                    PFNFCICLOSE pfnclose, PFNFCISEEK pfnseek, PFNFCIDELETE pfndelete,
                                    PFNFCIGETTEMPFILE pfnfcigtf, PCCAB pccab, void* pv) {
    if (pfna == nullptr || pfnf == nullptr || pfnopen == nullptr || pfnread == nullptr ||
        pfnwrite == nullptr || pfnclose == nullptr || pfnseek == nullptr || pfndelete == nullptr ||
        pfnfcigtf == nullptr || pccab == nullptr) {
        Report(perf, FCIERR_NONE, EINVAL);
        return nullptr;
    }
    const FciCallbacks callbacks{pfnfcifp, pfna,    pfnf,      pfnopen,   pfnread, pfnwrite,
                                 pfnclose, pfnseek, pfndelete, pfnfcigtf, pv};
    const Heap heap(pfna, pfnf);
    auto* context = heap.create<FciContext>(callbacks, *pccab, perf);
    if (context == nullptr) {
        Report(perf, FCIERR_ALLOC_FAIL, 0);
        return nullptr;
    }
    if (!context->writer.create()) {
        const kf::cab::Failure failure = context->writer.host().failure();
        context->writer.destroy();
        heap.destroy(context);
        Report(perf, failure.oper, failure.type);
        return nullptr;
    }
    return context;
}

KF_EXPORT BOOL DIAMONDAPI FCIAddFile(HFCI hfci, char* pszSourceFile, char* pszFileName, BOOL fExecute,
                                     PFNFCIGETNEXTCABINET pfnfcignc, PFNFCISTATUS pfnfcis,
                                     PFNFCIGETOPENINFO pfnfcigoi, TCOMP typeCompress) {
    return Run(hfci, pfnfcignc, pfnfcis, [&](FciWriter& aWriter) {
        if (pszSourceFile == nullptr || pszFileName == nullptr || pfnfcigoi == nullptr)
            return aWriter.host().failure().set(FCIERR_OPEN_SRC);
        return aWriter.addFile(pszSourceFile, pszFileName, fExecute != FALSE, pfnfcigoi, typeCompress);
    });
}

KF_EXPORT BOOL DIAMONDAPI FCIFlushCabinet(HFCI hfci, BOOL fGetNextCab, PFNFCIGETNEXTCABINET pfnfcignc,
                                          PFNFCISTATUS pfnfcis) {
    return Run(hfci, pfnfcignc, pfnfcis,
               [&](FciWriter& aWriter) { return aWriter.flushCabinet(fGetNextCab != FALSE); });
}

KF_EXPORT BOOL DIAMONDAPI FCIFlushFolder(HFCI hfci, PFNFCIGETNEXTCABINET pfnfcignc, PFNFCISTATUS pfnfcis) {
    return Run(hfci, pfnfcignc, pfnfcis, [](FciWriter& aWriter) { return aWriter.flushFolder(); });
}

KF_EXPORT BOOL DIAMONDAPI FCIDestroy(HFCI hfci) {
    if (hfci == nullptr)
        return FALSE;
    auto* context = static_cast<FciContext*>(hfci);
    context->writer.host().failure() = {};
    const bool destroyed = context->writer.destroy();
    const kf::cab::Failure failure = context->writer.host().failure();
    const PERF erf = context->erf;
    const Heap heap = context->heap;
    heap.destroy(context);
    if (!destroyed)
        Report(erf, failure.oper, failure.type);
    return destroyed ? TRUE : FALSE;
}
