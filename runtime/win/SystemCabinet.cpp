#include "runtime/win/SystemCabinet.h"

#include "base/Exception.h"
#include "runtime/win/WinText.h"

#include <fdi.h>

#include <algorithm>
#include <cstring>
#include <exception>

namespace kf {

namespace {

using TFdiCreate = HFDI(DIAMONDAPI*)(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE, PFNCLOSE, PFNSEEK, int,
                                     PERF);
using TFdiCopy = BOOL(DIAMONDAPI*)(HFDI, char*, char*, int, PFNFDINOTIFY, PFNFDIDECRYPT, void*);
using TFdiDestroy = BOOL(DIAMONDAPI*)(HFDI);

// The library asks for the cabinet by this name; it never opens a real file.
char kCabinetName[] = "setup-cabinet";
char kNoPath[] = "";

// What the library's callbacks work on during one extraction.
struct TExtraction {
    TByteSource* Cabinet = nullptr;
    TMemberSink* Sink = nullptr;
    std::exception_ptr Error;
    bool Finished = false;
};

TExtraction* gExtraction = nullptr;

class THandle {
public:
    virtual ~THandle() = default;
    virtual UINT Read(void*, UINT) { return static_cast<UINT>(-1); }
    virtual UINT Write(const void*, UINT) { return static_cast<UINT>(-1); }
    virtual LONG Seek(LONG, int) { return -1; }
};

class TCabinetHandle : public THandle {
public:
    explicit TCabinetHandle(TByteSource& aCabinet) : fCabinet(aCabinet) {}
    UINT Read(void* aBuffer, UINT aLength) override {
        const size_t length = static_cast<size_t>(std::min<uint64_t>(aLength, fCabinet.Size() - fPosition));
        const std::string bytes = fCabinet.Read(fPosition, length);
        std::memcpy(aBuffer, bytes.data(), length);
        fPosition += length;
        return static_cast<UINT>(length);
    }
    LONG Seek(LONG aDistance, int aFrom) override {
        const int64_t base = aFrom == SEEK_SET   ? 0
                             : aFrom == SEEK_CUR ? static_cast<int64_t>(fPosition)
                                                 : static_cast<int64_t>(fCabinet.Size());
        const int64_t position = base + aDistance;
        if (position < 0 || position > static_cast<int64_t>(fCabinet.Size()))
            return -1;
        fPosition = static_cast<uint64_t>(position);
        return static_cast<LONG>(position);
    }

private:
    TByteSource& fCabinet;
    uint64_t fPosition = 0;
};

class TOutputHandle : public THandle {
public:
    explicit TOutputHandle(std::unique_ptr<TMemberOutput> anOutput) : Output(std::move(anOutput)) {}
    UINT Write(const void* aData, UINT aLength) override {
        Output->Write(aData, aLength);
        return aLength;
    }
    std::unique_ptr<TMemberOutput> Output;
};

THandle* HandleOf(INT_PTR aHandle) {
    return reinterpret_cast<THandle*>(aHandle);
}

// Every callback keeps exceptions on this side of the library and hands the first one back.
template <typename TResult, typename TCall> TResult Guarded(TResult aFailure, TCall aCall) {
    try {
        return aCall();
    } catch (...) {
        if (gExtraction && !gExtraction->Error)
            gExtraction->Error = std::current_exception();
        return aFailure;
    }
}

FNALLOC(Allocate) {
    return ::HeapAlloc(::GetProcessHeap(), 0, cb);
}

FNFREE(Release) {
    ::HeapFree(::GetProcessHeap(), 0, pv);
}

FNOPEN(Open) {
    (void)oflag;
    (void)pmode;
    if (!gExtraction || std::strcmp(pszFile, kCabinetName) != 0)
        return -1;
    return reinterpret_cast<INT_PTR>(static_cast<THandle*>(new TCabinetHandle(*gExtraction->Cabinet)));
}

FNREAD(Read) {
    return Guarded(static_cast<UINT>(-1), [&] { return HandleOf(hf)->Read(pv, cb); });
}

FNWRITE(Write) {
    return Guarded(static_cast<UINT>(-1), [&] { return HandleOf(hf)->Write(pv, cb); });
}

FNCLOSE(Close) {
    delete HandleOf(hf);
    return 0;
}

FNSEEK(Seek) {
    return Guarded(static_cast<LONG>(-1), [&] { return HandleOf(hf)->Seek(dist, seektype); });
}

FNFDINOTIFY(Notify) {
    switch (fdint) {
    case fdintCOPY_FILE:
        return Guarded(static_cast<INT_PTR>(-1), [&]() -> INT_PTR {
            if (gExtraction->Sink->Finished()) {
                gExtraction->Finished = true;
                return -1;
            }
            auto output = gExtraction->Sink->Open(pfdin->psz1, static_cast<uint32_t>(pfdin->cb));
            if (!output)
                return 0;
            return reinterpret_cast<INT_PTR>(static_cast<THandle*>(new TOutputHandle(std::move(output))));
        });
    case fdintCLOSE_FILE_INFO:
        return Guarded(static_cast<INT_PTR>(FALSE), [&]() -> INT_PTR {
            std::unique_ptr<THandle> handle(HandleOf(pfdin->hf));
            static_cast<TOutputHandle&>(*handle).Output->Finish(pfdin->date, pfdin->time);
            return TRUE;
        });
    default:
        return 0;
    }
}

template <typename TFunction> TFunction EntryPoint(HMODULE aModule, const char* aName) {
    const FARPROC address = ::GetProcAddress(aModule, aName);
    if (!address)
        throw Exception(std::string("The system's cabinet.dll has no entry point ") + aName + ".");
    return reinterpret_cast<TFunction>(reinterpret_cast<void*>(address));
}

} // namespace

struct TSystemCabinet::TEntryPoints {
    TFdiCreate Create;
    TFdiCopy Copy;
    TFdiDestroy Destroy;
};

TSystemCabinet::TSystemCabinet()
    : fModule(::LoadLibraryExW(L"cabinet.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    if (!fModule)
        ThrowLastError("Cannot load cabinet.dll from the system folder");
    try {
        fEntryPoints = std::make_unique<TEntryPoints>(TEntryPoints{
            EntryPoint<TFdiCreate>(fModule, "FDICreate"), EntryPoint<TFdiCopy>(fModule, "FDICopy"),
            EntryPoint<TFdiDestroy>(fModule, "FDIDestroy")});
    } catch (...) {
        ::FreeLibrary(fModule);
        throw;
    }
}

TSystemCabinet::~TSystemCabinet() {
    ::FreeLibrary(fModule);
}

void TSystemCabinet::Extract(TByteSource& aCabinet, TMemberSink& aSink, const std::string& aWhat) {
    ERF error{};
    HFDI context =
        fEntryPoints->Create(Allocate, Release, Open, Read, Write, Close, Seek, cpuUNKNOWN, &error);
    if (!context)
        throw Exception("The system's cabinet library cannot start (error " + std::to_string(error.erfOper) +
                        ").");
    TExtraction extraction{&aCabinet, &aSink, nullptr, false};
    gExtraction = &extraction;
    const BOOL copied = fEntryPoints->Copy(context, kCabinetName, kNoPath, 0, Notify, nullptr, &extraction);
    const int reason = error.erfOper;
    fEntryPoints->Destroy(context);
    gExtraction = nullptr;
    if (extraction.Error)
        std::rethrow_exception(extraction.Error);
    if (!copied && !extraction.Finished)
        throw Exception("The system's cabinet library cannot decode " + aWhat + " (error " +
                        std::to_string(reason) + ").");
}

} // namespace kf
