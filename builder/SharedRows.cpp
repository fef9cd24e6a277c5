#include "builder/SharedRows.h"

#include "project/HostPaths.h"
#include "runtime/core/SharedCabinets.h"

#include <array>
#include <filesystem>
#include <fstream>

namespace kf {

namespace {

constexpr size_t kCompareBlock = 1 << 20;

enum class TComparison { Same, Different, Stopped };

// A source that cannot be read is never the same: packing it reports the error.
TComparison CompareContents(const std::string& aFirst, const std::string& aSecond,
                            const std::function<bool()>& aKeepGoing) {
    std::error_code error1, error2;
    if (std::filesystem::equivalent(aFirst, aSecond, error1))
        return TComparison::Same;
    const uintmax_t size = std::filesystem::file_size(aFirst, error1);
    if (error1 || size != std::filesystem::file_size(aSecond, error2) || error2)
        return TComparison::Different;
    std::ifstream first(aFirst, std::ios::binary), second(aSecond, std::ios::binary);
    if (!first || !second)
        return TComparison::Different;
    std::vector<char> block1(kCompareBlock), block2(kCompareBlock);
    for (uintmax_t left = size; left > 0;) {
        if (!aKeepGoing())
            return TComparison::Stopped;
        const auto count = static_cast<std::streamsize>(std::min<uintmax_t>(left, kCompareBlock));
        if (!first.read(block1.data(), count) || !second.read(block2.data(), count) ||
            !std::equal(block1.begin(), block1.begin() + count, block2.begin()))
            return TComparison::Different;
        left -= static_cast<uintmax_t>(count);
    }
    return TComparison::Same;
}

} // namespace

std::optional<TSharedRows> FindSharedRows(const std::vector<TFileEntry>& aRows,
                                          const std::function<bool()>& aKeepGoing) {
    TSharedRows shared;
    std::vector<uint64_t> sizes; // as line 10 will say: a cabinet of its own or none
    std::vector<std::string> names;
    for (size_t row = 0; row < aRows.size(); ++row) {
        const std::string name = FileNameOf(aRows[row].SourcePath);
        const auto earlier = SharedCabinetRow(sizes, names, row, aRows[row].InstallTo);
        std::optional<size_t> found;
        if (earlier && name == InstallToFileName(aRows[row].InstallTo)) {
            const TComparison same =
                CompareContents(aRows[*earlier].SourcePath, aRows[row].SourcePath, aKeepGoing);
            if (same == TComparison::Stopped)
                return std::nullopt;
            if (same == TComparison::Same)
                found = earlier;
        }
        shared.push_back(found);
        sizes.push_back(found ? kSharedCabinetSize : 1);
        names.push_back(name);
    }
    return shared;
}

} // namespace kf
