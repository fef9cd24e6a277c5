#pragma once

#include <string>

namespace kf {

// Where the cabinet library comes from: the program folder here (KELPFORGE_CABINET_LIBRARY
// overrides it), the system's "cabinet.dll" on Windows.
std::string CabinetLibraryPath();
// Loads the library; raises EOSError when it cannot.
void* LoadCabinetModule(const std::string& aPath);
// Looks an entry point up; raises EOSError naming it when it is missing.
void* CabinetModuleSymbol(void* aModule, const char* aName, const std::string& aPath);
void FreeCabinetModule(void* aModule);

// Held while the library is loaded, so that threads creating cabinets at once load it only once.
class TCabinetLoadLock {
public:
    TCabinetLoadLock();
    ~TCabinetLoadLock();
    TCabinetLoadLock(const TCabinetLoadLock&) = delete;
    TCabinetLoadLock& operator=(const TCabinetLoadLock&) = delete;
};

} // namespace kf
