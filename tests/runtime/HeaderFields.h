#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kf::test {

// One field of a cabinet's header, folder record, member record or data-block header inside a
// setup file.
struct THeaderField {
    std::string Name; // such as "cabinet 2, member 1: date"
    size_t Offset = 0;
    size_t Width = 0;
};

// Every such field of every cabinet in a setup, found by the cabinet format alone: the cabinets
// follow each other from aFirstCabinet, each as long as its header says, up to the trailer.
std::vector<THeaderField> HeaderFieldsOf(const std::string& aSetup, size_t aFirstCabinet);

} // namespace kf::test
