#include "runtime/core/CabinetCheck.h"

#include "../builder/CabinetReader.h"
#include "../project/TestSupport.h"
#include "ErrorText.h"

#include <filesystem>
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
    for (const char offset : {0x0C, 0x2B, 0x2D}) { // the member list stands at 0x2C, behind the one folder
        std::string moved = cabinet;
        moved[16] = offset;
        EXPECT_NE(Error(moved).find("does not list its members where its header says"), std::string::npos)
            << int{offset};
    }
    EXPECT_NE(Error("").find("cabinet 1"), std::string::npos);
}

// The folder's compression field is read by the decoders without further checks.
TEST_F(CabinetCheckTest, RefusesFoldersOfUnknownCompressionBeforeAnyDecoderSeesThem) {
    const size_t field = 36 + 6; // the first folder record's compression
    const auto withCompression = [&](uint16_t aField) {
        std::string changed = cabinet;
        changed[field] = static_cast<char>(aField & 0xFF);
        changed[field + 1] = static_cast<char>(aField >> 8);
        return changed;
    };
    for (const uint16_t sound : {0x0000, 0x0001, 0x0F03, 0x1503})
        EXPECT_EQ(Error(withCompression(sound)).find("compression"), std::string::npos) << std::hex << sound;
    for (const uint16_t unknown :
         {0x0002, 0x0004, 0x000F, 0x0E03, 0x1603, 0x1F03, 0x1513, 0x3503, 0x8001, 0x0101})
        EXPECT_NE(Error(withCompression(unknown)).find("a compression this installer does not know"),
                  std::string::npos)
            << std::hex << unknown;
}

TEST(CabinetChecksum, FoldsTrailingBytesWithTheFirstMostSignificant) {
    // Words XOR together; a 3-byte tail b0 b1 b2 counts as 0x00b0b1b2; the sizes form one word.
    const std::string data("\x01\x02\x03\x04\x10\x20\x30", 7);
    const uint32_t expected = (0x04030201u ^ 0x00102030u) ^ 0x00090007u;
    EXPECT_EQ(DataBlockChecksum(data, 7, 9), expected);
}

namespace {

// A cabinet of one member written by gcab, which flags a name beyond ASCII as UTF-8.
class CabinetMemberNameTest : public ::testing::Test {
protected:
    test::TTempFolder temp;

    std::string Cabinet(const std::string& aName) {
        temp.WriteFile("in/" + aName, "named");
        int code = -1;
        const std::string output = test::RunCommand(
            "cd '" + temp.Path("in") + "' && gcab -c '" + temp.Path("n.cab") + "' '" + aName + "'", code);
        EXPECT_EQ(code, 0) << output;
        std::filesystem::remove(temp.Path("in/" + aName));
        return test::ReadFile(temp.Path("n.cab"));
    }

    // Where the only member's record starts; its attribute bits are 14 bytes in, its name 16.
    static size_t Record(const std::string& aCabinet) {
        size_t offset = 0;
        for (size_t i = 0; i < 4; ++i)
            offset |= static_cast<size_t>(static_cast<unsigned char>(aCabinet[16 + i])) << (8 * i);
        return offset;
    }
    static void SetUtf8Flag(std::string& aCabinet, bool aSet) {
        char& attributes = aCabinet[Record(aCabinet) + 14];
        attributes = static_cast<char>(aSet ? attributes | 0x80 : attributes & ~0x80);
    }

    static std::string MemberName(const std::string& aCabinet) {
        TMemorySource source(aCabinet);
        const auto members = CheckCabinet(source, "cabinet 1");
        EXPECT_EQ(members.size(), 1u);
        return members.empty() ? "" : members[0].Name;
    }
};

} // namespace

TEST_F(CabinetMemberNameTest, AFlaggedNameIsUtf8AndAnUnflaggedOneWindows1252) {
    std::string cabinet = Cabinet("caf\xC3\xA9.txt");
    ASSERT_EQ(cabinet.substr(Record(cabinet) + 16, 10), std::string("caf\xC3\xA9.txt\0", 10));
    SetUtf8Flag(cabinet, true);
    EXPECT_EQ(MemberName(cabinet), "caf\xC3\xA9.txt");
    // The same bytes unflagged are two Windows-1252 characters.
    SetUtf8Flag(cabinet, false);
    EXPECT_EQ(MemberName(cabinet), "caf\xC3\x83\xC2\xA9.txt");

    std::string legacy = Cabinet("cafX.txt");
    legacy[Record(legacy) + 16 + 3] = '\xE9'; // é in Windows-1252
    SetUtf8Flag(legacy, false);
    EXPECT_EQ(MemberName(legacy), "caf\xC3\xA9.txt");
    // A name in the euro's code position shows the code page is Windows-1252, not Latin-1.
    legacy[Record(legacy) + 16 + 3] = '\x80';
    EXPECT_EQ(MemberName(legacy), "caf\xE2\x82\xAC.txt");
}

// The checksums cover only the packed bytes; the blocks still show which compression made them.
TEST_F(CabinetCheckTest, AFolderMarkedWithAnotherKnownCompressionIsRefusedByTheShapeOfItsBlocks) {
    const auto withCompression = [](std::string aCabinet, uint16_t aField) {
        aCabinet[36 + 6] = static_cast<char>(aField & 0xFF);
        aCabinet[36 + 7] = static_cast<char>(aField >> 8);
        return aCabinet;
    };
    EXPECT_NE(Error(withCompression(cabinet, 0x0000)).find("stored data block whose two sizes differ"),
              std::string::npos);
    int code = -1;
    const std::string output = test::RunCommand(
        "cd '" + temp.Path("in") + "' && gcab -c '" + temp.Path("s.cab") + "' noise.bin", code);
    ASSERT_EQ(code, 0) << output;
    const std::string stored = test::ReadFile(temp.Path("s.cab"));
    EXPECT_EQ(Error(stored), "");
    EXPECT_NE(Error(withCompression(stored, 0x0001)).find("MSZIP data block without its signature"),
              std::string::npos);
}

namespace {

// A cabinet whose aFolders folders all name the same aBlocks empty data blocks: a reader that
// walks every folder's blocks reads aFolders x aBlocks block headers.
std::string OverlappingFolders(uint16_t aFolders, uint16_t aBlocks) {
    const size_t membersAt = 36 + size_t{aFolders} * 8;
    const size_t dataAt = membersAt + 16 + 2;
    std::string bytes(dataAt + size_t{aBlocks} * 8, '\0');
    bytes.replace(0, 4, "MSCF");
    test::PutLittleEndian(bytes, 8, static_cast<uint32_t>(bytes.size()), 4);
    test::PutLittleEndian(bytes, 16, static_cast<uint32_t>(membersAt), 4);
    test::PutLittleEndian(bytes, 24, 0x0103, 2);
    test::PutLittleEndian(bytes, 26, aFolders, 2);
    test::PutLittleEndian(bytes, 28, 1, 2);
    for (size_t folder = 0; folder < aFolders; ++folder) {
        test::PutLittleEndian(bytes, 36 + folder * 8, static_cast<uint32_t>(dataAt), 4);
        test::PutLittleEndian(bytes, 36 + folder * 8 + 4, aBlocks, 2);
    }
    test::PutLittleEndian(bytes, membersAt + 10, 0x21, 2); // 1 January 1980
    bytes[membersAt + 16] = 'a';
    return bytes;
}

std::string CheckError(const std::string& aBytes) {
    TMemorySource source(aBytes);
    return test::ErrorText([&] { CheckCabinet(source, "cabinet 1"); });
}

} // namespace

// Such cabinets once kept the check busy for minutes to hours; each is refused on its header.
TEST(CabinetWalk, FoldersThatShareTheirBlocksAreRefusedWithoutWalkingThem) {
    for (const auto& [folders, blocks] : {std::pair<uint16_t, uint16_t>{4096, 4096}, {65535, 65535}}) {
        const std::string cabinet = OverlappingFolders(folders, blocks);
        EXPECT_NE(CheckError(cabinet).find("does not hold exactly one folder"), std::string::npos) << folders;
    }
    // With one folder the empty blocks are found in the one pass over them.
    EXPECT_NE(CheckError(OverlappingFolders(1, 65535)).find("holds an empty data block"), std::string::npos);
}
