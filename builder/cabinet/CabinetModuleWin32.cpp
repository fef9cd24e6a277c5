#include "builder/cabinet/CabinetModule.h"

#include "base/OSError.h"

#include <windows.h>

namespace kf {

namespace {

// A slim lock needs no set-up, so it is ready before any constructor runs.
SRWLOCK LoadLock = SRWLOCK_INIT;

} // namespace

std::string CabinetLibraryPath() {
    return "cabinet.dll";
}

void* LoadCabinetModule(const std::string& aPath) {
    HMODULE module = ::LoadLibraryA(aPath.c_str());
    if (module == nullptr)
        throw EOSError(static_cast<int>(::GetLastError()));
    return reinterpret_cast<void*>(module);
}

void* CabinetModuleSymbol(void* aModule, const char* aName, const std::string&) {
    FARPROC symbol = ::GetProcAddress(static_cast<HMODULE>(aModule), aName);
    if (symbol == nullptr)
        throw EOSError(static_cast<int>(::GetLastError()));
    return reinterpret_cast<void*>(symbol);
}

void FreeCabinetModule(void* aModule) {
    ::FreeLibrary(static_cast<HMODULE>(aModule));
}

TCabinetLoadLock::TCabinetLoadLock() {
    ::AcquireSRWLockExclusive(&LoadLock);
}

TCabinetLoadLock::~TCabinetLoadLock() {
    ::ReleaseSRWLockExclusive(&LoadLock);
}

} // namespace kf
