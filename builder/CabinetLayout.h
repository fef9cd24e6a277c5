#pragma once

#include "builder/SharedRows.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kf {

// Input a solid cabinet takes at most before the next one starts: it bounds the decoding that
// reaching its last file costs, the memory of a packing thread and what one bad block spoils.
inline constexpr uint64_t kSolidCabinetInput = 32u << 20;

// The member a file row installs: the cabinet (a position in TCabinetLayout::Cabinets) and its
// place there.
struct TCabinetMemberRef {
    size_t Cabinet = 0;
    size_t Member = 0;
};

// Which rows' files each cabinet of a build holds, in the order it holds them, and where each row
// finds its file. A cabinet belongs to its first row, which line 10 gives its size.
struct TCabinetLayout {
    std::vector<std::vector<size_t>> Cabinets;
    std::vector<TCabinetMemberRef> Rows;

    size_t OwnerOf(size_t aCabinet) const { return Cabinets[aCabinet].front(); }
};

// A cabinet for each row that stores its file; solid, consecutive such rows share one up to
// kSolidCabinetInput bytes of input (a larger file has one of its own). A row whose file an
// earlier row stores installs that row's member. aInputSizes are the sources' sizes.
TCabinetLayout LayOutCabinets(const std::vector<uint64_t>& anInputSizes, const TSharedRows& aShared,
                              bool aSolid);

// Line 10: each cabinet's size at its first row; for every other row "0" where the installer's
// name rule finds its member (the only or first file of an earlier cabinet, named as the file that
// ends the row's install-to path), else "@N" (the first file of the cabinet of file N) or "@N/K"
// (its K-th file). aMemberNames and anInstallTo are per row.
std::string PackedSizeLine(const TCabinetLayout& aLayout, const std::vector<uint64_t>& aCabinetSizes,
                           const std::vector<std::string>& aMemberNames,
                           const std::vector<std::string>& anInstallTo);

} // namespace kf
