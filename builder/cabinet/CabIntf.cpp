#include "builder/cabinet/CabIntf.h"

#include "builder/cabinet/CabinetModule.h"

#include <atomic>
#include <cstdlib>

namespace kf {

namespace {

// The process-wide binding; released when the program ends, never earlier.
class TCabinetLibrary {
public:
    ~TCabinetLibrary() {
        if (fHandle != nullptr)
            FreeCabinetModule(fHandle);
    }

    bool Loaded() const { return fLoaded; }

    void Load() {
        if (fLoaded)
            return;
        const TCabinetLoadLock lock;
        if (fLoaded)
            return;
        const std::string path = CabinetLibraryPath();
        fHandle = LoadCabinetModule(path);
        try {
            BindAll(path);
        } catch (...) {
            FreeCabinetModule(fHandle);
            fHandle = nullptr;
            throw;
        }
        fLoaded = true;
    }

    decltype(&::FCICreate) Create = nullptr;
    decltype(&::FCIAddFile) AddFile = nullptr;
    decltype(&::FCIFlushCabinet) FlushCabinet = nullptr;
    decltype(&::FCIFlushFolder) FlushFolder = nullptr;
    decltype(&::FCIDestroy) Destroy = nullptr;
    decltype(&::FDICreate) FdiCreate = nullptr;
    decltype(&::FDIIsCabinet) FdiIsCabinet = nullptr;
    decltype(&::FDICopy) FdiCopy = nullptr;
    decltype(&::FDIDestroy) FdiDestroy = nullptr;

private:
    template <typename Slot> void Bind(Slot& aSlot, const char* aName, const std::string& aPath) {
        aSlot = reinterpret_cast<Slot>(CabinetModuleSymbol(fHandle, aName, aPath));
    }

    void BindAll(const std::string& aPath) {
        Bind(Create, "FCICreate", aPath);
        Bind(AddFile, "FCIAddFile", aPath);
        Bind(FlushCabinet, "FCIFlushCabinet", aPath);
        Bind(FlushFolder, "FCIFlushFolder", aPath);
        Bind(Destroy, "FCIDestroy", aPath);
        Bind(FdiCreate, "FDICreate", aPath);
        Bind(FdiIsCabinet, "FDIIsCabinet", aPath);
        Bind(FdiCopy, "FDICopy", aPath);
        Bind(FdiDestroy, "FDIDestroy", aPath);
    }

    void* fHandle = nullptr;
    // Set only once every entry point is bound, so a reader that sees it may call them unlocked.
    std::atomic<bool> fLoaded{false};
};

TCabinetLibrary CabinetLibrary;

} // namespace

TCOMP MakeLzxCompression(int aLevel) {
    return static_cast<TCOMP>((aLevel << 8) | tcompTYPE_LZX);
}

void LoadCabinetLibrary() {
    CabinetLibrary.Load();
}

bool CabinetLibraryLoaded() {
    return CabinetLibrary.Loaded();
}

HFCI FCICreate(PERF perf, PFNFCIFILEPLACED pfnfcifp, PFNFCIALLOC pfna, PFNFCIFREE pfnf, PFNFCIOPEN pfnopen,
               PFNFCIREAD pfnread, PFNFCIWRITE pfnwrite, PFNFCICLOSE pfnclose, PFNFCISEEK pfnseek,
               PFNFCIDELETE pfndelete, PFNFCIGETTEMPFILE pfnfcigtf, PCCAB pccab, void* pv) {
    LoadCabinetLibrary();
    return CabinetLibrary.Create(perf, pfnfcifp, pfna, pfnf, pfnopen, pfnread, pfnwrite, pfnclose, pfnseek,
                                 pfndelete, pfnfcigtf, pccab, pv);
}

BOOL FCIAddFile(HFCI hfci, char* pszSourceFile, char* pszFileName, BOOL fExecute,
                PFNFCIGETNEXTCABINET pfnfcignc, PFNFCISTATUS pfnfcis, PFNFCIGETOPENINFO pfnfcigoi,
                TCOMP typeCompress) {
    return CabinetLibrary.AddFile(hfci, pszSourceFile, pszFileName, fExecute, pfnfcignc, pfnfcis, pfnfcigoi,
                                  typeCompress);
}

BOOL FCIFlushCabinet(HFCI hfci, BOOL fGetNextCab, PFNFCIGETNEXTCABINET pfnfcignc, PFNFCISTATUS pfnfcis) {
    return CabinetLibrary.FlushCabinet(hfci, fGetNextCab, pfnfcignc, pfnfcis);
}

BOOL FCIFlushFolder(HFCI hfci, PFNFCIGETNEXTCABINET pfnfcignc, PFNFCISTATUS pfnfcis) {
    return CabinetLibrary.FlushFolder(hfci, pfnfcignc, pfnfcis);
}

BOOL FCIDestroy(HFCI hfci) {
    return CabinetLibrary.Destroy(hfci);
}

void* DIAMONDAPI CabAlloc(ULONG cb) {
    return std::malloc(cb);
}

void DIAMONDAPI CabFree(void* memory) {
    std::free(memory);
}

} // namespace kf
