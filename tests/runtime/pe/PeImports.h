#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kf::test {

// One library a program imports from: by the loader at start, or by the delay-load helper on the
// first call.
struct TImportedLibrary {
    std::string Name; // as the image spells it, for example "USER32.dll"
    bool Delayed = false;
    size_t Functions = 0; // entries of its name table
    // What is wrong with its slots: a slot that nothing fills, or one whose first value does not
    // lead to the delay-load stub; empty when every slot is sound.
    std::vector<std::string> Faults;
};

// The import tables, normal and delay, of a 32- or 64-bit Windows program. The delay descriptors
// are taken from the data directory, or, where the linker left it empty, found by their shape.
// Raises std::runtime_error for a file that is not such a program.
std::vector<TImportedLibrary> ReadImports(const std::string& aBytes);

} // namespace kf::test
