#include "builder/CabinetLayout.h"

#include <gtest/gtest.h>

using namespace kf;

namespace {

std::vector<std::pair<size_t, size_t>> Refs(const TCabinetLayout& aLayout) {
    std::vector<std::pair<size_t, size_t>> refs;
    for (const TCabinetMemberRef& ref : aLayout.Rows)
        refs.emplace_back(ref.Cabinet, ref.Member);
    return refs;
}

} // namespace

// Consecutive stored files fill a solid cabinet up to its bound; a file larger than the bound has
// one of its own; a file stored by an earlier row installs that row's member, named on line 10 in
// the shortest form the installer reads back to the same member.
TEST(CabinetLayout, SolidCabinetsHoldConsecutiveFilesUpToTheirBoundAndLineTenNamesEveryMember) {
    const uint64_t bound = kSolidCabinetInput;
    const std::vector<uint64_t> sizes = {10, 20, bound - 30, 20, 1, bound + 5, 3, 10, 1};
    TSharedRows shared(sizes.size());
    shared[3] = TSharedRow{1}; // another name
    shared[7] = TSharedRow{0}; // the same name as row 0
    shared[8] = TSharedRow{4}; // the first file of a later cabinet
    const TCabinetLayout solid = LayOutCabinets(sizes, shared, true);
    EXPECT_EQ(solid.Cabinets, (std::vector<std::vector<size_t>>{{0, 1, 2}, {4}, {5}, {6}}));
    EXPECT_EQ(Refs(solid), (std::vector<std::pair<size_t, size_t>>{
                               {0, 0}, {0, 1}, {0, 2}, {0, 1}, {1, 0}, {2, 0}, {3, 0}, {0, 0}, {1, 0}}));

    const std::vector<std::string> names = {"app.exe", "a.dll", "b.dll",   "a.dll", "c.txt",
                                            "big.bin", "d.txt", "app.exe", "c.txt"};
    const std::vector<std::string> installTo = {
        "%Install Path%\\app.exe",  "%Install Path%\\a.dll",      "%Install Path%\\b.dll",
        "%Install Path%\\x\\a.dll", "%Install Path%\\c.txt",      "%Install Path%\\big.bin",
        "%Install Path%\\d.txt",    "%Install Path%\\x\\app.exe", "%Install Path%\\copy.txt"};
    EXPECT_EQ(PackedSizeLine(solid, {900, 80, 7000, 4}, names, installTo),
              "900?@1/2?@1/3?@1/2?80?7000?4?0?@5?");

    // Without solid every stored row has a cabinet of its own, and the line is as it always was.
    const TCabinetLayout apart = LayOutCabinets(sizes, shared, false);
    EXPECT_EQ(apart.Cabinets, (std::vector<std::vector<size_t>>{{0}, {1}, {2}, {4}, {5}, {6}}));
    EXPECT_EQ(PackedSizeLine(apart, {1, 2, 3, 4, 5, 6}, names, installTo), "1?2?3?0?4?5?6?0?@5?");
    EXPECT_EQ(PackedSizeLine(LayOutCabinets({5, 6}, {}, false), {50, 60}, {"a", "b"}, {"a", "b"}), "50?60?");
}
