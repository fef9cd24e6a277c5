#pragma once

#include <string>
#include <string_view>

namespace kf {

// The SHA-256 digest of aBytes in lower-case hex, computed by the system's cryptography library.
// Raises an error when the system cannot compute it.
std::string Sha256Hex(std::string_view aBytes);

} // namespace kf
