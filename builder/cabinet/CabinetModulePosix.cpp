#include "builder/cabinet/CabinetModule.h"

#include "base/OSError.h"
#include "project/HostPaths.h"

#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <mutex>
#include <unistd.h>

namespace kf {

namespace {

std::mutex LoadMutex;

} // namespace

std::string CabinetLibraryPath() {
    if (const char* path = std::getenv("KELPFORGE_CABINET_LIBRARY"); path != nullptr && *path != '\0')
        return path;
    return ProgramFolder() + "libkfcabinet.so";
}

void* LoadCabinetModule(const std::string& aPath) {
    void* module = ::dlopen(aPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        // dlopen keeps no error number: a readable file that does not load is no library.
        const int error = ::access(aPath.c_str(), R_OK) == 0 ? ENOEXEC : errno;
        throw EOSError(error, SystemErrorText(error) + ": " + aPath);
    }
    return module;
}

void* CabinetModuleSymbol(void* aModule, const char* aName, const std::string& aPath) {
    void* symbol = ::dlsym(aModule, aName);
    if (symbol == nullptr)
        throw EOSError(ENOSYS, std::string("The entry point ") + aName + " was not found in " + aPath);
    return symbol;
}

void FreeCabinetModule(void* aModule) {
    ::dlclose(aModule);
}

TCabinetLoadLock::TCabinetLoadLock() {
    LoadMutex.lock();
}

TCabinetLoadLock::~TCabinetLoadLock() {
    LoadMutex.unlock();
}

} // namespace kf
