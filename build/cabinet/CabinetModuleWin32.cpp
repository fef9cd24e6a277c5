#include "build/cabinet/CabinetModule.h"

#include "project/OSError.h"

#include <windows.h>

namespace kf {

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

} // namespace kf
