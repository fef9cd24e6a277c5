#include "builder/SharedRows.h"

#include "../project/TestSupport.h"

#include <gtest/gtest.h>

using namespace kf;

namespace {

std::vector<std::optional<size_t>> Rows(const TSharedRows& aShared) {
    std::vector<std::optional<size_t>> rows;
    for (const auto& shared : aShared)
        rows.push_back(shared ? std::optional(shared->Row) : std::nullopt);
    return rows;
}

} // namespace

// Only the same bytes share, whatever the names; files of a size no other file has are never read,
// and a stop asked for while reading is honoured.
TEST(SharedRows, PairsOnlyTheSameBytesAndStopsWhenAsked) {
    test::TTempFolder temp;
    const std::string noise = test::NoiseBytes(3 << 20, 3);
    std::string changedAtTheEnd = noise;
    changedAtTheEnd.back() ^= 1;
    const auto row = [&](const std::string& aName, const std::string& aBytes) {
        return TFileEntry{temp.WriteFile(aName, aBytes), "0", "%Install Path%\\" + aName};
    };
    std::vector<TFileEntry> rows = {row("a.bin", noise),
                                    row("b.dat", noise),
                                    row("c.bin", changedAtTheEnd),
                                    row("d.bin", changedAtTheEnd),
                                    row("e.txt", ""),
                                    row("f.txt", ""),
                                    row("alone.bin", "unique size")};
    rows.push_back(TFileEntry{temp.Path("missing.bin"), "0", "%Install Path%\\missing.bin"});
    rows.push_back(TFileEntry{temp.Path("missing.bin"), "0", "%Install Path%\\again\\missing.bin"});
    size_t asked = 0;
    const auto shared = FindSharedRows(rows, [&] { return ++asked, true; });
    ASSERT_TRUE(shared);
    EXPECT_EQ(Rows(*shared),
              (std::vector<std::optional<size_t>>{std::nullopt, 0, std::nullopt, 2, std::nullopt, 4,
                                                  std::nullopt, std::nullopt, std::nullopt}));
    // Three blocks each for the checksums of the four large files, the comparison of two pairs.
    EXPECT_EQ(asked, 4 * 3 + 2 * 3u);

    for (size_t stopAt : {1u, 13u}) {
        size_t calls = 0;
        EXPECT_FALSE(FindSharedRows(rows, [&] { return ++calls < stopAt; })) << stopAt;
        EXPECT_EQ(calls, stopAt);
    }
}
