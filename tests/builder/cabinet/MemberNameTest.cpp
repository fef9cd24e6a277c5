#include "builder/cabinet/CabQvComps.h"

#include "../../project/TestSupport.h"
#include "../CabinetReader.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

using namespace kf;
using kf::test::ReadFile;
using kf::test::WindowsPath;

namespace {

const std::string kAccented = "caf\xC3\xA9.txt"; // "café.txt" in UTF-8

struct TStoredMember {
    std::string Name;
    uint16_t Attributes;
};

uint32_t Get(const std::string& aBytes, size_t aPos, size_t aWidth) {
    uint32_t value = 0;
    for (size_t i = 0; i < aWidth; ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(aBytes.at(aPos + i))) << (8 * i);
    return value;
}

// The file records of a cabinet, straight from its bytes.
std::vector<TStoredMember> StoredMembers(const std::string& aCabinet) {
    std::vector<TStoredMember> members;
    size_t pos = Get(aCabinet, 16, 4);
    for (uint32_t i = 0, count = Get(aCabinet, 28, 2); i < count; ++i) {
        const size_t end = aCabinet.find('\0', pos + 16);
        members.push_back(
            {aCabinet.substr(pos + 16, end - pos - 16), static_cast<uint16_t>(Get(aCabinet, pos + 14, 2))});
        pos = end + 1;
    }
    return members;
}

// A cabinet written by our writer holding one member named beyond ASCII and one within it.
class MemberNameTest : public ::testing::Test {
protected:
    test::TTempFolder temp;
    std::string accentedBytes = "an accented name\r\n" + std::string(3000, 'e');
    std::string plainBytes = "a plain name";

    void SetUp() override {
        TQvCabWriter writer;
        writer.SetCompressionType(cctMsZip);
        writer.Open(temp.Path("cabs/names.cab"));
        writer.AddFile(temp.WriteFile("src/" + kAccented, accentedBytes), kAccented, false);
        writer.AddFile(temp.WriteFile("src/plain.txt", plainBytes), "plain.txt", false);
        writer.Close(true);
    }

    std::set<std::string> NamesIn(const std::string& aFolder) const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(aFolder))
            names.insert(entry.path().filename().string());
        return names;
    }
};

} // namespace

TEST_F(MemberNameTest, OnlyANameBeyondAsciiIsFlaggedAsUtf8) {
    const auto members = StoredMembers(ReadFile(temp.Path("cabs/names.cab")));
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].Name, kAccented);
    EXPECT_EQ(members[0].Attributes & _A_NAME_IS_UTF, _A_NAME_IS_UTF);
    EXPECT_EQ(members[0].Attributes & _A_ARCH, _A_ARCH) << "the file's own attributes are kept";
    EXPECT_EQ(members[1].Name, "plain.txt");
    EXPECT_EQ(members[1].Attributes & _A_NAME_IS_UTF, 0);
}

TEST_F(MemberNameTest, CabextractListsAndRestoresTheName) {
    const test::TMembers members = test::ExtractCabinetFile(temp.Path("cabs/names.cab"), temp.Path("out"));
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].first, kAccented);
    EXPECT_EQ(members[0].second, accentedBytes);
    EXPECT_EQ(members[1].first, "plain.txt");
    EXPECT_EQ(members[1].second, plainBytes);
    EXPECT_EQ(NamesIn(temp.Path("out")), (std::set<std::string>{kAccented, "plain.txt"}));
}

TEST_F(MemberNameTest, WineCabinetLibraryRestoresTheName) {
    const std::string reader =
        "WINEPREFIX='" KF_WINE_PREFIX "' WINEDEBUG=-all DISPLAY= '" KF_WINE_LOADER "' '" KF_WINE_FDI_EXE "'";
    int code = -1;
    const std::string output = test::RunCommand(reader + " '" + WindowsPath(temp.Path("cabs")) +
                                                    "' names.cab '" + WindowsPath(temp.Path("wine")) + "'",
                                                code);
    ASSERT_EQ(code, 0) << output;
    EXPECT_EQ(NamesIn(temp.Path("wine")), (std::set<std::string>{kAccented, "plain.txt"})) << output;
    EXPECT_EQ(ReadFile(temp.Path("wine/" + kAccented)), accentedBytes);
    EXPECT_EQ(ReadFile(temp.Path("wine/plain.txt")), plainBytes);
}
