#include "runtime/core/CabinetCheck.h"

#include "../build/CabinetReader.h"
#include "../project/TestSupport.h"
#include "ErrorText.h"

#include <gtest/gtest.h>

using namespace kf;

namespace {

// A cabinet written by gcab, a writer we did not write, with checksums on every data block.
class CabinetCheckTest : public ::testing::Test {
protected:
    test::TTempFolder temp;
    std::string cabinet;

    void SetUp() override {
        std::string noise(70000, '\0');
        for (size_t i = 0; i < noise.size(); ++i)
            noise[i] = static_cast<char>((i * 2654435761u) >> 13);
        temp.WriteFile("in/noise.bin", noise);
        temp.WriteFile("in/odd.txt", "seven b"); // a length that leaves trailing bytes for the checksum
        int code = -1;
        const std::string output = test::RunCommand("cd '" + temp.Path("in") + "' && gcab -c -z '" +
                                                        temp.Path("x.cab") + "' noise.bin odd.txt",
                                                    code);
        ASSERT_EQ(code, 0) << output;
        cabinet = test::ReadFile(temp.Path("x.cab"));
    }

    std::string Error(const std::string& aBytes) {
        TMemorySource source(aBytes);
        return test::ErrorText([&] { CheckCabinet(source, "cabinet 1"); });
    }
};

} // namespace

TEST_F(CabinetCheckTest, AcceptsASoundCabinetAndListsItsMembers) {
    TMemorySource source(cabinet);
    const auto members = CheckCabinet(source, "cabinet 1");
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].Name, "noise.bin");
    EXPECT_EQ(members[0].Length, 70000u);
    EXPECT_EQ(members[1].Name, "odd.txt");
    EXPECT_EQ(members[1].Length, 7u);
}

TEST_F(CabinetCheckTest, FindsAFlippedByteInTheData) {
    // Every byte of the compressed data is covered by a checksum.
    const size_t dataStart = cabinet.size() / 2;
    for (size_t pos : {dataStart, cabinet.size() - 1}) {
        std::string damaged = cabinet;
        damaged[pos] = static_cast<char>(damaged[pos] ^ 0x10);
        EXPECT_NE(Error(damaged).find("checksum does not match"), std::string::npos) << pos;
    }
}

TEST_F(CabinetCheckTest, RefusesCutAndMalformedCabinets) {
    EXPECT_NE(Error(cabinet.substr(0, cabinet.size() - 1)).find("does not have the size"), std::string::npos);
    EXPECT_NE(Error(cabinet + "x").find("does not have the size"), std::string::npos);
    EXPECT_NE(Error(cabinet.substr(0, 20)).find("ends too early"), std::string::npos);
    EXPECT_NE(Error("MSCX" + cabinet.substr(4)).find("is not a cabinet"), std::string::npos);
    std::string chained = cabinet;
    chained[30] = 0x02; // "continues in the next cabinet"
    EXPECT_NE(Error(chained).find("cabinet set"), std::string::npos);
    std::string longMember = cabinet;
    longMember[36 + 8] = static_cast<char>(0xFF); // the first member's length, now beyond its folder
    longMember[36 + 8 + 1] = static_cast<char>(0xFF);
    longMember[36 + 8 + 2] = static_cast<char>(0xFF);
    EXPECT_NE(Error(longMember).find("outside its data"), std::string::npos);
    EXPECT_NE(Error("").find("cabinet 1"), std::string::npos);
}

TEST(CabinetChecksum, FoldsTrailingBytesWithTheFirstMostSignificant) {
    // Words XOR together; a 3-byte tail b0 b1 b2 counts as 0x00b0b1b2; the sizes form one word.
    const std::string data("\x01\x02\x03\x04\x10\x20\x30", 7);
    const uint32_t expected = (0x04030201u ^ 0x00102030u) ^ 0x00090007u;
    EXPECT_EQ(DataBlockChecksum(data, 7, 9), expected);
}
