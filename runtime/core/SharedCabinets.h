#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kf {

// A file row whose packed size on line 10 is this has no cabinet of its own: it installs the
// member of the first earlier row that has a cabinet of its own and whose member is named as the
// file that ends this row's install-to path. The build writes it only for a row whose source has
// that name and the same bytes as that earlier row's source, so that identical files are stored
// once; a cabinet is never empty, so no other row can have this size. Identical files that this
// rule does not pair are written as "@N" instead: the cabinet of file N, whatever its name.
inline constexpr uint64_t kSharedCabinetSize = 0;

// The file name that ends an install-to path: what follows its last backslash or slash, both of
// which Windows takes for a separator.
std::string_view InstallToFileName(std::string_view anInstallTo);

// The row whose cabinet row aRow installs when it has none of its own: aPackedSizes and
// aMemberNames hold, for every row before aRow, its packed size and the name of its cabinet's
// member (unused for rows without a cabinet). Nothing when no earlier row fits.
std::optional<size_t> SharedCabinetRow(const std::vector<uint64_t>& aPackedSizes,
                                       const std::vector<std::string>& aMemberNames, size_t aRow,
                                       std::string_view anInstallTo);

} // namespace kf
