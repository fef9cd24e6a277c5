#include "builder/SharedRows.h"

#include "base/Exception.h"
#include "base/RegularFile.h"
#include "project/HostPaths.h"
#include "runtime/core/SharedCabinets.h"

#include <array>
#include <filesystem>

namespace kf {

namespace {

constexpr size_t kCompareBlock = 1 << 20;

enum class TComparison { Same, Different, Stopped };

TComparison CompareOpened(TRegularFile& aFirst, TRegularFile& aSecond,
                          const std::function<bool()>& aKeepGoing) {
    if (aFirst.Size() != aSecond.Size())
        return TComparison::Different;
    std::vector<char> block1(kCompareBlock), block2(kCompareBlock);
    for (uint64_t left = aFirst.Size(); left > 0;) {
        if (!aKeepGoing())
            return TComparison::Stopped;
        const size_t count = static_cast<size_t>(std::min<uint64_t>(left, kCompareBlock));
        if (aFirst.Read(block1.data(), count) != count || aSecond.Read(block2.data(), count) != count ||
            !std::equal(block1.begin(), block1.begin() + static_cast<std::ptrdiff_t>(count), block2.begin()))
            return TComparison::Different;
        left -= count;
    }
    return TComparison::Same;
}

// A source that cannot be read, or is no regular file, is never the same: packing it reports the error.
TComparison CompareContents(const std::string& aFirst, const std::string& aSecond,
                            const std::function<bool()>& aKeepGoing) {
    std::error_code error;
    if (std::filesystem::equivalent(aFirst, aSecond, error))
        return TComparison::Same;
    try {
        TRegularFile first(aFirst), second(aSecond);
        return CompareOpened(first, second, aKeepGoing);
    } catch (const Exception&) {
        return TComparison::Different;
    }
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
