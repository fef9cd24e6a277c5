#include "runtime/core/SetupLayout.h"

#include "base/Exception.h"

#include <gtest/gtest.h>

using namespace kf;

TEST(SetupLayout, FindsEveryPieceFromTheTrailerAndThePackedSizes) {
    // A stub of 1000 bytes, cabinets of 70 and 30 bytes, a main cabinet of 987 bytes.
    const uint64_t fileSize = 1000 + 70 + 30 + 987 + 10;
    TSetupLayout layout = ReadTrailer("0000000987", fileSize);
    EXPECT_EQ(layout.MainSize, 987u);
    EXPECT_EQ(layout.MainOffset, 1100u);
    PlaceFileCabinets(layout, {70, 30});
    EXPECT_EQ(layout.StubSize, 1000u);
    EXPECT_EQ(layout.CabinetOffsets, (std::vector<uint64_t>{1000, 1070}));
    EXPECT_EQ(layout.CabinetSizes, (std::vector<uint64_t>{70, 30}));
}

TEST(SetupLayout, RefusesTrailersThatCannotBeRight) {
    EXPECT_THROW(ReadTrailer("000000098", 2000), Exception);  // nine bytes
    EXPECT_THROW(ReadTrailer("00000009 7", 2000), Exception); // not all digits
    EXPECT_THROW(ReadTrailer("0000000000", 2000), Exception); // no main cabinet
    EXPECT_THROW(ReadTrailer("0000001991", 2000), Exception); // one byte more than the file holds
    EXPECT_EQ(ReadTrailer("0000001990", 2000).MainOffset, 0u);
    EXPECT_THROW(ReadTrailer("0000000001", 9), Exception);
}

TEST(SetupLayout, RefusesPackedSizesThatDoNotAddUp) {
    TSetupLayout layout = ReadTrailer("0000000100", 1110);
    EXPECT_THROW(PlaceFileCabinets(layout, {600, 401}), Exception);
    EXPECT_THROW(PlaceFileCabinets(layout, {UINT64_MAX, 2}), Exception); // must not wrap around
    PlaceFileCabinets(layout, {600, 400});
    EXPECT_EQ(layout.StubSize, 0u);
}

TEST(SetupLayout, ARowWithoutACabinetOfItsOwnTakesNoSpace) {
    TSetupLayout layout = ReadTrailer("0000000100", 1110);
    PlaceFileCabinets(layout, {500, 0, 400});
    EXPECT_EQ(layout.StubSize, 100u);
    EXPECT_EQ(layout.CabinetOffsets, (std::vector<uint64_t>{100, 600, 600}));
    EXPECT_EQ(layout.CabinetSizes, (std::vector<uint64_t>{500, 0, 400}));
}
