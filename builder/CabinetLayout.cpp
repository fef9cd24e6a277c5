#include "builder/CabinetLayout.h"

#include "runtime/core/SharedCabinets.h"

namespace kf {

TCabinetLayout LayOutCabinets(const std::vector<uint64_t>& anInputSizes, const TSharedRows& aShared,
                              bool aSolid) {
    TCabinetLayout layout;
    layout.Rows.resize(anInputSizes.size());
    uint64_t input = 0;
    for (size_t row = 0; row < anInputSizes.size(); ++row) {
        if (row < aShared.size() && aShared[row]) {
            layout.Rows[row] = layout.Rows[aShared[row]->Row];
            continue;
        }
        const bool joins =
            aSolid && !layout.Cabinets.empty() && input + anInputSizes[row] <= kSolidCabinetInput;
        if (!joins) {
            layout.Cabinets.emplace_back();
            input = 0;
        }
        input += anInputSizes[row];
        layout.Rows[row] = TCabinetMemberRef{layout.Cabinets.size() - 1, layout.Cabinets.back().size()};
        layout.Cabinets.back().push_back(row);
    }
    return layout;
}

std::string PackedSizeLine(const TCabinetLayout& aLayout, const std::vector<uint64_t>& aCabinetSizes,
                           const std::vector<std::string>& aMemberNames,
                           const std::vector<std::string>& anInstallTo) {
    std::string line;
    std::vector<uint64_t> sizes; // as the installer reads them, for its name rule
    std::vector<std::string> names;
    for (size_t row = 0; row < aLayout.Rows.size(); ++row) {
        const TCabinetMemberRef ref = aLayout.Rows[row];
        const size_t owner = aLayout.OwnerOf(ref.Cabinet);
        std::string element;
        if (owner == row) {
            element = std::to_string(aCabinetSizes[ref.Cabinet]);
            sizes.push_back(aCabinetSizes[ref.Cabinet]);
        } else {
            const bool byName =
                ref.Member == 0 && SharedCabinetRow(sizes, names, row, anInstallTo[row]) == owner;
            element = byName ? std::to_string(kSharedCabinetSize) : "@" + std::to_string(owner + 1);
            if (ref.Member != 0)
                element += "/" + std::to_string(ref.Member + 1);
            sizes.push_back(kSharedCabinetSize);
        }
        names.push_back(aMemberNames[aLayout.Cabinets[ref.Cabinet][ref.Member]]);
        line += element + "?";
    }
    return line;
}

} // namespace kf
