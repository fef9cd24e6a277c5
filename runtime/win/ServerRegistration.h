#pragma once

#include <string>

namespace kf {

// Calls the library's DllRegisterServer (or DllUnregisterServer) in this process; COM must be
// initialised. The library's own imports are looked up beside it and in the system folder only.
// Raises an error naming the library when it cannot be loaded or the call fails.
void RegisterServer(const std::string& aLibrary, bool aRegister);

} // namespace kf
