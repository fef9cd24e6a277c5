#include "runtime/core/SharedCabinets.h"

namespace kf {

std::string_view InstallToFileName(std::string_view anInstallTo) {
    const size_t separator = anInstallTo.find_last_of("\\/");
    return separator == std::string_view::npos ? anInstallTo : anInstallTo.substr(separator + 1);
}

std::optional<size_t> SharedCabinetRow(const std::vector<uint64_t>& aPackedSizes,
                                       const std::vector<std::string>& aMemberNames, size_t aRow,
                                       std::string_view anInstallTo) {
    const std::string_view name = InstallToFileName(anInstallTo);
    for (size_t row = 0; row < aRow && row < aPackedSizes.size() && row < aMemberNames.size(); ++row)
        if (aPackedSizes[row] != kSharedCabinetSize && aMemberNames[row] == name)
            return row;
    return std::nullopt;
}

} // namespace kf
