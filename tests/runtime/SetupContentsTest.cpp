#include "runtime/core/SetupContents.h"

#include "../build/CabinetReader.h"
#include "../project/TestSupport.h"
#include "ErrorText.h"
#include "TestData.h"

#include <cstdio>
#include <gtest/gtest.h>

using namespace kf;

namespace {

constexpr size_t kStubSize = 1000;

using TMembers = std::vector<std::pair<std::string, std::string>>;

// Setups laid out as a build lays them out, from cabinets that gcab writes, read back with
// cabextract as the decoder.
class SetupContentsTest : public ::testing::Test {
protected:
    test::TTempFolder temp;
    std::vector<std::string> fileCabinets;
    int decodes = 0;

    void SetUp() override {
        fileCabinets = {Cabinet({{"a.exe", std::string(3000, 'a')}}),
                        Cabinet({{"b.txt", "seven b" + std::string(40000, 'b')}})};
    }

    std::string Cabinet(const TMembers& aMembers) {
        const std::string folder = "cab" + std::to_string(++cabinets);
        std::string names;
        for (const auto& [name, bytes] : aMembers) {
            temp.WriteFile(folder + "/" + name, bytes);
            names += " '" + name + "'";
        }
        int code = -1;
        const std::string output = test::RunCommand(
            "cd '" + temp.Path(folder) + "' && gcab -c -z ../" + folder + ".cab" + names, code);
        EXPECT_EQ(code, 0) << output;
        return test::ReadFile(temp.Path(folder + ".cab"));
    }

    // kelpforge.dat of a project with a row for each of two file cabinets, with their sizes.
    static std::string DataFile(const std::vector<std::string>& aCabinets) {
        TProject project = test::ProjectWithOneFile();
        project.Files.push_back(TFileEntry{"/src/b.txt", "40", "%Install Path%\\doc\\b.txt"});
        TDataLines lines = ComposeDataLines(project);
        lines[kPackedSizeLine] = PackedSizeLine({aCabinets.at(0).size(), aCabinets.at(1).size()});
        return DataFileBytes(lines);
    }

    std::string MainCabinet(const std::vector<std::string>& aCabinets) {
        return Cabinet({{kDataFileName, DataFile(aCabinets)}, {"license.rtf", "{\\rtf1 licence}"}});
    }

    static std::string Assemble(const std::string& aStub, const std::vector<std::string>& aCabinets,
                                const std::string& aMain) {
        std::string setup = aStub;
        for (const std::string& cabinet : aCabinets)
            setup += cabinet;
        char trailer[11];
        std::snprintf(trailer, sizeof trailer, "%010zu", aMain.size());
        return setup + aMain + trailer;
    }

    TSetupContents Read(const std::string& aSetup) {
        TMemorySource source(aSetup);
        return ReadSetupContents(source, [this](TByteSource& aMain) {
            ++decodes;
            const auto members = test::ExtractCabinet(aMain.Read(0, aMain.Size()),
                                                      temp.Path("decoded" + std::to_string(decodes)));
            return members.at(0).second;
        });
    }

    std::string Error(const std::string& aSetup) {
        return test::ErrorText([&] { Read(aSetup); });
    }

private:
    int cabinets = 0;
};

} // namespace

TEST_F(SetupContentsTest, FindsEveryPieceOfASoundSetup) {
    const std::string main = MainCabinet(fileCabinets);
    const TSetupContents contents = Read(Assemble(std::string(kStubSize, 'M'), fileCabinets, main));
    const TSetupLayout& layout = contents.Layout;
    EXPECT_EQ(layout.StubSize, kStubSize);
    EXPECT_EQ(layout.CabinetOffsets, (std::vector<uint64_t>{kStubSize, kStubSize + fileCabinets[0].size()}));
    EXPECT_EQ(layout.CabinetSizes, (std::vector<uint64_t>{fileCabinets[0].size(), fileCabinets[1].size()}));
    EXPECT_EQ(layout.MainOffset, kStubSize + fileCabinets[0].size() + fileCabinets[1].size());
    EXPECT_EQ(layout.MainSize, main.size());
    EXPECT_EQ(std::stoull(contents.Trailer), main.size());
    ASSERT_EQ(contents.MainMembers.size(), 2u);
    EXPECT_EQ(contents.MainMembers[1].Name, "license.rtf");
    EXPECT_EQ(contents.DataLines[0], "My Program");
    EXPECT_EQ(contents.DataLines[2], "\xC2\xA9 2006 Company");
    EXPECT_EQ(contents.DataLines[8], "%Install Path%\\a.exe?%Install Path%\\doc\\b.txt?");
    ASSERT_EQ(contents.Data.Files.size(), 2u);
    EXPECT_EQ(contents.Data.Files[1].InstallTo, "%Install Path%\\doc\\b.txt");
    ASSERT_EQ(contents.FileMembers.size(), 2u);
    EXPECT_EQ(contents.FileMembers[0].Name, "a.exe");
    EXPECT_EQ(contents.FileMembers[1].Name, "b.txt");
    EXPECT_EQ(contents.FileMembers[1].Length, 40007u);
    EXPECT_EQ(decodes, 1);
}

TEST_F(SetupContentsTest, NamesThePieceThatIsDamaged) {
    const std::string stub(kStubSize, 'M');
    const std::string main = MainCabinet(fileCabinets);
    const std::string good = Assemble(stub, fileCabinets, main);
    std::string flippedFile = good;
    flippedFile[kStubSize + fileCabinets[0].size() + fileCabinets[1].size() - 1] ^= 0x20;
    std::string cutFile = good;
    cutFile.erase(kStubSize + fileCabinets[0].size() / 2, 1);
    const std::vector<std::string> twoFiles = {fileCabinets[0], Cabinet({{"c.txt", "c"}, {"d.txt", "d"}})};
    const std::vector<std::pair<std::string, std::string>> cases = {
        {flippedFile, "the cabinet of file 2 holds a data block whose checksum does not match"},
        {cutFile, "the cabinet of file 1 "},
        {Assemble("", {fileCabinets[0].substr(1), fileCabinets[1]}, main), "do not fit"},
        {Assemble(stub, twoFiles, MainCabinet(twoFiles)), "file 2 does not hold exactly one file"},
        {Assemble(stub, fileCabinets,
                  Cabinet({{"license.rtf", "x"}, {kDataFileName, DataFile(fileCabinets)}})),
         "does not start with kelpforge.dat"},
    };
    for (const auto& [setup, complaint] : cases)
        EXPECT_NE(Error(setup).find(complaint), std::string::npos) << complaint << ": " << Error(setup);
}

TEST_F(SetupContentsTest, DecodesNothingFromAMainCabinetThatFailsItsChecksums) {
    std::string setup = Assemble(std::string(kStubSize, 'M'), fileCabinets, MainCabinet(fileCabinets));
    setup[setup.size() - 11] ^= 0x01; // the last data byte of the main cabinet
    EXPECT_NE(Error(setup).find("the installer data holds a data block whose checksum"), std::string::npos);
    EXPECT_EQ(decodes, 0);
}

TEST_F(SetupContentsTest, AMainMemberBeyondTheLimitIsRefusedBeforeAnythingIsDecoded) {
    const std::string stub(kStubSize, 'M');
    const std::string data = DataFile(fileCabinets);
    const std::string huge(kMainMemberLimit + 1, '\0');
    const std::string hugeData = Assemble(stub, fileCabinets, Cabinet({{kDataFileName, data + huge}}));
    EXPECT_NE(Error(hugeData).find("holds kelpforge.dat, which is " +
                                   std::to_string(huge.size() + data.size()) +
                                   " bytes long, more than the 16 MiB a setup may carry"),
              std::string::npos)
        << Error(hugeData);
    const std::string hugeBitmap =
        Assemble(stub, fileCabinets, Cabinet({{kDataFileName, data}, {"logo.bmp", huge}}));
    EXPECT_NE(Error(hugeBitmap).find("holds logo.bmp, which is"), std::string::npos);
    EXPECT_EQ(decodes, 0);
    // At the limit the member is decoded.
    Read(Assemble(stub, fileCabinets,
                  Cabinet({{kDataFileName, data}, {"logo.bmp", std::string(kMainMemberLimit, 'b')}})));
    EXPECT_EQ(decodes, 1);
}
