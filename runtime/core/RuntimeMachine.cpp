#include "runtime/core/RuntimeMachine.h"

#include "runtime/core/LittleEndian.h"

#include <cstdio>

namespace kf {

namespace {

constexpr uint64_t kHeaderOffsetField = 0x3C;

} // namespace

uint16_t WindowsMachineOf(TByteSource& aSource, uint64_t aLength) {
    if (aLength < kHeaderOffsetField + 4 || aSource.Read(0, 2) != "MZ")
        return 0;
    const uint32_t header = LittleEndian(aSource.Read(kHeaderOffsetField, 4), 0, 4);
    if (header > aLength - 6 || aSource.Read(header, 4) != std::string("PE\0\0", 4))
        return 0;
    return static_cast<uint16_t>(LittleEndian(aSource.Read(header + 4, 2), 0, 2));
}

std::string MachineName(uint16_t aMachine) {
    if (aMachine == kMachineX86)
        return "32-bit (x86)";
    if (aMachine == kMachineX64)
        return "64-bit (x64)";
    if (aMachine == 0)
        return "unknown";
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", aMachine);
    return std::string("unknown (machine 0x") + hex + ")";
}

} // namespace kf
