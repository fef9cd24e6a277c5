#include "runtime/core/SetupLayout.h"

#include "base/Exception.h"

#include <string>

namespace kf {

namespace {

const char* const kDamaged = "The setup file is damaged or incomplete: ";

} // namespace

TSetupLayout ReadTrailer(std::string_view aTrailer, uint64_t aFileSize) {
    if (aFileSize < kTrailerSize || aTrailer.size() != kTrailerSize)
        throw Exception(std::string(kDamaged) + "it is too short to hold a setup.");
    uint64_t mainSize = 0;
    for (char digit : aTrailer) {
        if (digit < '0' || digit > '9')
            throw Exception(std::string(kDamaged) + "its last 10 bytes are not a size.");
        mainSize = mainSize * 10 + static_cast<uint64_t>(digit - '0');
    }
    if (mainSize == 0 || mainSize > aFileSize - kTrailerSize)
        throw Exception(std::string(kDamaged) + "its installer data of " + std::to_string(mainSize) +
                        " bytes does not fit in the file.");
    TSetupLayout layout;
    layout.MainSize = mainSize;
    layout.MainOffset = aFileSize - kTrailerSize - mainSize;
    layout.StubSize = layout.MainOffset;
    return layout;
}

void PlaceFileCabinets(TSetupLayout& aLayout, const std::vector<uint64_t>& aPackedSizes) {
    uint64_t total = 0;
    for (uint64_t size : aPackedSizes) {
        if (size > aLayout.MainOffset - total)
            throw Exception(std::string(kDamaged) +
                            "its file cabinets do not fit in front of the installer data.");
        total += size;
    }
    aLayout.StubSize = aLayout.MainOffset - total;
    aLayout.CabinetOffsets.clear();
    aLayout.CabinetSizes = aPackedSizes;
    uint64_t offset = aLayout.StubSize;
    for (uint64_t size : aPackedSizes) {
        aLayout.CabinetOffsets.push_back(offset);
        offset += size;
    }
}

} // namespace kf
