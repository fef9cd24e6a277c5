#include "runtime/win/ServerRegistration.h"

#include "base/Exception.h"
#include "runtime/win/WinText.h"

#include <windows.h>

#include <cstdio>

namespace kf {

namespace {

using TServerEntry = HRESULT(STDAPICALLTYPE*)();

} // namespace

void RegisterServer(const std::string& aLibrary, bool aRegister) {
    const char* entry = aRegister ? "DllRegisterServer" : "DllUnregisterServer";
    const HMODULE library = ::LoadLibraryExW(Wide(aLibrary).c_str(), nullptr,
                                             LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!library)
        ThrowLastError("Cannot load " + aLibrary + " to call " + entry);
    const FARPROC address = ::GetProcAddress(library, entry);
    const HRESULT result =
        address ? reinterpret_cast<TServerEntry>(reinterpret_cast<void*>(address))() : E_NOTIMPL;
    ::FreeLibrary(library);
    if (!address)
        throw Exception(aLibrary + " has no " + entry + ".");
    if (FAILED(result)) {
        char code[16];
        std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(result));
        throw Exception(std::string(entry) + " of " + aLibrary + " failed (error 0x" + code + ").");
    }
}

} // namespace kf
