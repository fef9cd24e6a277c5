#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kf {

inline constexpr uint64_t kTrailerSize = 10;

// Where the pieces of a setup file stand: the runtime, one cabinet per file row, the main cabinet.
struct TSetupLayout {
    uint64_t StubSize = 0;
    uint64_t MainOffset = 0;
    uint64_t MainSize = 0;
    std::vector<uint64_t> CabinetOffsets;
    std::vector<uint64_t> CabinetSizes;
};

// The main cabinet's size from the last ten bytes of a setup file of aFileSize bytes; raises an
// error when they are not ten decimal digits or name a cabinet that does not fit.
TSetupLayout ReadTrailer(std::string_view aTrailer, uint64_t aFileSize);
// Places the file cabinets of the packed-size list in front of the main cabinet; raises an error
// when they do not fit between the runtime and the main cabinet. A row without a cabinet of its
// own (size 0) is placed where the next cabinet begins, with size 0, until its cabinet is known.
void PlaceFileCabinets(TSetupLayout& aLayout, const std::vector<uint64_t>& aPackedSizes);

} // namespace kf
