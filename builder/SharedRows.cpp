#include "builder/SharedRows.h"

#include "base/Exception.h"
#include "base/RegularFile.h"
#include "project/HostPaths.h"
#include "runtime/core/SharedCabinets.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <zlib.h>

namespace kf {

namespace {

constexpr size_t kReadBlock = 1 << 20;

enum class TComparison { Same, Different, Stopped };

struct TStopped {};

// What is known of a source before its bytes are compared; a source that cannot be read, or is no
// regular file, has none and is never the same as another: packing it reports the error.
struct TFingerprint {
    uint64_t Size = 0;
    uLong Checksum = 0;
    auto operator<=>(const TFingerprint&) const = default;
};

TComparison CompareOpened(TRegularFile& aFirst, TRegularFile& aSecond,
                          const std::function<bool()>& aKeepGoing) {
    if (aFirst.Size() != aSecond.Size())
        return TComparison::Different;
    std::vector<char> block1(kReadBlock), block2(kReadBlock);
    for (uint64_t left = aFirst.Size(); left > 0;) {
        if (!aKeepGoing())
            return TComparison::Stopped;
        const size_t count = static_cast<size_t>(std::min<uint64_t>(left, kReadBlock));
        if (aFirst.Read(block1.data(), count) != count || aSecond.Read(block2.data(), count) != count ||
            !std::equal(block1.begin(), block1.begin() + static_cast<std::ptrdiff_t>(count), block2.begin()))
            return TComparison::Different;
        left -= count;
    }
    return TComparison::Same;
}

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

std::optional<uint64_t> SizeOf(const std::string& aPath) {
    try {
        return TRegularFile(aPath).Size();
    } catch (const Exception&) {
        return std::nullopt;
    }
}

std::optional<uLong> ChecksumOf(const std::string& aPath, const std::function<bool()>& aKeepGoing) {
    try {
        TRegularFile file(aPath);
        std::vector<char> block(kReadBlock);
        uLong checksum = crc32(0, nullptr, 0);
        for (size_t count; (count = file.Read(block.data(), block.size())) > 0;) {
            if (!aKeepGoing())
                throw TStopped{};
            checksum =
                crc32(checksum, reinterpret_cast<const Bytef*>(block.data()), static_cast<uInt>(count));
        }
        return checksum;
    } catch (const Exception&) {
        return std::nullopt;
    }
}

// Each row's fingerprint; only rows whose size another row has are read for a checksum.
std::vector<std::optional<TFingerprint>> Fingerprints(const std::vector<TFileEntry>& aRows,
                                                      const std::function<bool()>& aKeepGoing) {
    std::vector<std::optional<uint64_t>> sizes;
    std::map<uint64_t, size_t> rowsOfSize;
    for (const TFileEntry& row : aRows) {
        sizes.push_back(SizeOf(row.SourcePath));
        if (sizes.back())
            ++rowsOfSize[*sizes.back()];
    }
    std::vector<std::optional<TFingerprint>> prints(aRows.size());
    for (size_t row = 0; row < aRows.size(); ++row) {
        if (!sizes[row] || rowsOfSize[*sizes[row]] < 2)
            continue;
        if (const auto checksum = ChecksumOf(aRows[row].SourcePath, aKeepGoing))
            prints[row] = TFingerprint{*sizes[row], *checksum};
    }
    return prints;
}

// The name rule's row first: a setup whose identical files share their names stays as it was built
// before other names could share.
std::vector<size_t> CandidatesInOrder(std::vector<size_t> aCandidates, std::optional<size_t> aByName) {
    if (const auto named = std::find(aCandidates.begin(), aCandidates.end(), aByName);
        aByName && named != aCandidates.end())
        std::rotate(aCandidates.begin(), named, named + 1);
    return aCandidates;
}

} // namespace

std::optional<TSharedRows> FindSharedRows(const std::vector<TFileEntry>& aRows,
                                          const std::function<bool()>& aKeepGoing) {
    try {
        const auto prints = Fingerprints(aRows, aKeepGoing);
        TSharedRows shared;
        std::vector<uint64_t> sizes; // as line 10 will say: a cabinet of its own or none
        std::vector<std::string> names;
        std::map<TFingerprint, std::vector<size_t>> stored; // rows with a cabinet of their own
        for (size_t row = 0; row < aRows.size(); ++row) {
            const std::string name = FileNameOf(aRows[row].SourcePath);
            std::optional<size_t> byName = SharedCabinetRow(sizes, names, row, aRows[row].InstallTo);
            if (name != InstallToFileName(aRows[row].InstallTo))
                byName.reset();
            std::optional<TSharedRow> found;
            if (prints[row])
                for (size_t earlier : CandidatesInOrder(stored[*prints[row]], byName)) {
                    const TComparison same =
                        CompareContents(aRows[earlier].SourcePath, aRows[row].SourcePath, aKeepGoing);
                    if (same == TComparison::Stopped)
                        return std::nullopt;
                    if (same == TComparison::Same) {
                        found = TSharedRow{earlier};
                        break;
                    }
                }
            if (!found && prints[row])
                stored[*prints[row]].push_back(row);
            shared.push_back(found);
            sizes.push_back(found ? kSharedCabinetSize : 1);
            names.push_back(name);
        }
        return shared;
    } catch (const TStopped&) {
        return std::nullopt;
    }
}

} // namespace kf
