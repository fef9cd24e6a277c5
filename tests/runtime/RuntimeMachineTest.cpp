#include "runtime/core/RuntimeMachine.h"

#include <gtest/gtest.h>

using namespace kf;

namespace {

// A program header as the linker writes it: "MZ", the PE header's place at 0x3C, "PE\0\0" and
// the machine field.
std::string Program(uint16_t aMachine, uint32_t aHeader = 0x80) {
    std::string bytes(aHeader + 24, '\0');
    bytes[0] = 'M', bytes[1] = 'Z';
    for (int i = 0; i < 4; ++i)
        bytes[0x3C + i] = static_cast<char>(aHeader >> (8 * i));
    bytes.replace(aHeader, 4, std::string("PE\0\0", 4));
    bytes[aHeader + 4] = static_cast<char>(aMachine & 0xFF);
    bytes[aHeader + 5] = static_cast<char>(aMachine >> 8);
    return bytes;
}

uint16_t MachineOf(const std::string& aBytes, uint64_t aLength) {
    TMemorySource source(aBytes);
    return WindowsMachineOf(source, aLength);
}

} // namespace

TEST(RuntimeMachine, ReadsTheMachineOfAProgramAndNamesIt) {
    EXPECT_EQ(MachineOf(Program(0x014C), 200), kMachineX86);
    EXPECT_EQ(MachineOf(Program(0x8664), 200), kMachineX64);
    EXPECT_EQ(MachineName(kMachineX86), "32-bit (x86)");
    EXPECT_EQ(MachineName(kMachineX64), "64-bit (x64)");
    EXPECT_EQ(MachineName(0xAA64), "unknown (machine 0xAA64)");
    EXPECT_EQ(MachineName(0), "unknown");
}

TEST(RuntimeMachine, AnythingElseHasNoMachine) {
    EXPECT_EQ(MachineOf("MZ stand-in runtime", 19), 0);
    std::string notPe = Program(0x8664);
    notPe[0x81] = 'X';
    EXPECT_EQ(MachineOf(notPe, notPe.size()), 0);
    // A header beyond the runtime's bytes is not read, even where the file goes on.
    EXPECT_EQ(MachineOf(Program(0x8664), 0x80 + 5), 0);
    std::string far = Program(0x8664);
    far.replace(0x3C, 4, "\xF0\xFF\xFF\xFF");
    EXPECT_EQ(MachineOf(far, far.size()), 0);
}
