#include "runtime/core/SharedCabinets.h"

#include <gtest/gtest.h>

using namespace kf;

TEST(SharedCabinets, TheFileNameEndsAtEitherSeparator) {
    EXPECT_EQ(InstallToFileName("%Install Path%\\bin\\app.dll"), "app.dll");
    EXPECT_EQ(InstallToFileName("%Install Path%\\pe/0-app.dll"), "0-app.dll");
    EXPECT_EQ(InstallToFileName("app.dll"), "app.dll");
    EXPECT_EQ(InstallToFileName("%Install Path%\\"), "");
}

TEST(SharedCabinets, TheFirstEarlierRowWithACabinetOfThatNameIsTheOne) {
    const std::vector<uint64_t> sizes = {90, 0, 80, 70};
    const std::vector<std::string> names = {"a.dll", "b.dll", "b.dll", "a.dll"};
    EXPECT_EQ(SharedCabinetRow(sizes, names, 4, "%Install Path%\\x\\a.dll"), 0u);
    // Row 1 has no cabinet of its own, so the b.dll it installs is row 2's.
    EXPECT_EQ(SharedCabinetRow(sizes, names, 4, "%Install Path%\\b.dll"), 2u);
    EXPECT_EQ(SharedCabinetRow(sizes, names, 2, "%Install Path%\\b.dll"), std::nullopt);
    EXPECT_EQ(SharedCabinetRow(sizes, names, 4, "%Install Path%\\A.DLL"), std::nullopt);
    EXPECT_EQ(SharedCabinetRow(sizes, names, 0, "%Install Path%\\a.dll"), std::nullopt);
}
