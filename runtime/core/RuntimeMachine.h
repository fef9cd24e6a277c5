#pragma once

#include "runtime/core/ByteSource.h"

#include <cstdint>
#include <string>

namespace kf {

inline constexpr uint16_t kMachineX86 = 0x014C;
inline constexpr uint16_t kMachineX64 = 0x8664;

// The machine field of the Windows program in the first aLength bytes of aSource; 0 when they hold
// no such program.
uint16_t WindowsMachineOf(TByteSource& aSource, uint64_t aLength);
// How the target Windows of a machine field is named: "32-bit (x86)", "64-bit (x64)", or
// "unknown", with the field in hexadecimal when there is one.
std::string MachineName(uint16_t aMachine);

} // namespace kf
