#include "runtime/core/SetupContents.h"

#include "../builder/CabinetReader.h"
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

    std::string Cabinet(const TMembers& aMembers, bool aCompressed = true) {
        const std::string folder = "cab" + std::to_string(++cabinets);
        std::string names;
        for (const auto& [name, bytes] : aMembers) {
            temp.WriteFile(folder + "/" + name, bytes);
            names += " '" + name + "'";
        }
        int code = -1;
        const std::string output =
            test::RunCommand("cd '" + temp.Path(folder) + "' && gcab -c " + (aCompressed ? "-z " : "") +
                                 "../" + folder + ".cab" + names,
                             code);
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

    // kelpforge.dat of a project with these install-to paths and packed sizes.
    static std::string DataFileWith(const std::vector<std::pair<std::string, uint64_t>>& aRows) {
        std::vector<std::pair<std::string, std::string>> rows;
        for (const auto& [installTo, size] : aRows)
            rows.emplace_back(installTo, std::to_string(size));
        return DataFileWithElements(rows);
    }

    // The same with the elements of line 10 as they stand.
    static std::string DataFileWithElements(const std::vector<std::pair<std::string, std::string>>& aRows) {
        TProject project = test::ProjectWithOneFile();
        project.Files.clear();
        TDataLines lines = ComposeDataLines(project);
        for (const auto& [installTo, element] : aRows) {
            project.Files.push_back(TFileEntry{"/src/x", "1", installTo});
            lines[kPackedSizeLine] += element + "?";
        }
        const std::string sizes = lines[kPackedSizeLine];
        lines = ComposeDataLines(project);
        lines[kPackedSizeLine] = sizes;
        return DataFileBytes(lines);
    }

    // A main cabinet with the members a build writes.
    std::string Main(const std::string& aDataFile, const std::string& aLogo = "BM logo") {
        return Cabinet({{kDataFileName, aDataFile},
                        {"license.rtf", "{\\rtf1 licence}"},
                        {"readme.rtf", "{\\rtf1 readme}"},
                        {"logo.bmp", aLogo},
                        {"header.bmp", "BM header"}});
    }

    std::string MainCabinet(const std::vector<std::string>& aCabinets) { return Main(DataFile(aCabinets)); }

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
    ASSERT_EQ(contents.MainMembers.size(), 5u);
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
        {Assemble(stub, twoFiles, MainCabinet(twoFiles)),
         "the cabinet of file 2 holds 2 files, and no file row installs its file 2"},
        {Assemble(stub, fileCabinets,
                  Cabinet({{"license.rtf", "x"}, {kDataFileName, DataFile(fileCabinets)}})),
         "does not hold kelpforge.dat, license.rtf, readme.rtf, logo.bmp and header.bmp, in this order"},
        {Assemble(stub, fileCabinets,
                  Cabinet({{kDataFileName, DataFile(fileCabinets)},
                           {"license.rtf", "l"},
                           {"readme.rtf", "r"},
                           {"logo.bmp", "BM"}})),
         "does not hold kelpforge.dat, license.rtf, readme.rtf, logo.bmp and header.bmp, in this order"},
    };
    for (const auto& [setup, complaint] : cases)
        EXPECT_NE(Error(setup).find(complaint), std::string::npos) << complaint << ": " << Error(setup);
}

TEST_F(SetupContentsTest, ARowWithoutACabinetInstallsTheFirstEarlierCabinetOfItsFileName) {
    const std::string stub(kStubSize, 'M');
    const std::string& a = fileCabinets[0];
    const std::string& b = fileCabinets[1];
    const std::string otherA = Cabinet({{"a.exe", "another a"}});
    const std::string main = Main(DataFileWith({{"%Install Path%\\a.exe", a.size()},
                                                {"%Install Path%\\b.txt", b.size()},
                                                {"%Install Path%\\one\\a.exe", 0},
                                                {"%Install Path%\\two\\a.exe", otherA.size()},
                                                {"%Install Path%\\three\\a.exe", 0},
                                                {"%Install Path%\\b.txt", 0}}));
    const TSetupContents contents = Read(Assemble(stub, {a, b, otherA}, main));
    EXPECT_EQ(contents.CabinetRows, (std::vector<size_t>{0, 1, 0, 3, 0, 1}));
    const uint64_t otherOffset = kStubSize + a.size() + b.size();
    EXPECT_EQ(contents.Layout.CabinetOffsets,
              (std::vector<uint64_t>{kStubSize, kStubSize + a.size(), kStubSize, otherOffset, kStubSize,
                                     kStubSize + a.size()}));
    EXPECT_EQ(contents.Layout.CabinetSizes,
              (std::vector<uint64_t>{a.size(), b.size(), a.size(), otherA.size(), a.size(), b.size()}));
    ASSERT_EQ(contents.FileMembers.size(), 6u);
    EXPECT_EQ(contents.FileMembers[2].Name, "a.exe");
    EXPECT_EQ(contents.FileMembers[2].Length, 3000u);
    EXPECT_EQ(contents.FileMembers[5].Length, 40007u);

    // A row without a cabinet needs an earlier cabinet of its install-to file's name.
    const std::vector<std::pair<std::vector<std::pair<std::string, uint64_t>>, std::string>> refused = {
        {{{"%Install Path%\\a.exe", 0}, {"%Install Path%\\b.txt", b.size()}},
         "file 1 has no cabinet, and no earlier file's cabinet holds a.exe"},
        {{{"%Install Path%\\a.exe", a.size()},
          {"%Install Path%\\c.txt", 0},
          {"%Install Path%\\b.txt", b.size()}},
         "file 2 has no cabinet, and no earlier file's cabinet holds c.txt"},
        {{{"%Install Path%\\a.exe", a.size()},
          {"%Install Path%\\A.EXE", 0},
          {"%Install Path%\\b.txt", b.size()}},
         "file 2 has no cabinet, and no earlier file's cabinet holds A.EXE"},
    };
    for (const auto& [rows, complaint] : refused) {
        const std::string setup = Assemble(stub, {a, b}, Main(DataFileWith(rows)));
        EXPECT_NE(Error(setup).find(complaint), std::string::npos) << complaint << ": " << Error(setup);
    }
}

TEST_F(SetupContentsTest, ARowThatNamesAnEarlierFileInstallsItsCabinetWhateverTheNames) {
    const std::string stub(kStubSize, 'M');
    const std::string& a = fileCabinets[0];
    const std::string& b = fileCabinets[1];
    const TSetupContents contents =
        Read(Assemble(stub, {a, b},
                      Main(DataFileWithElements({{"%Install Path%\\a.exe", std::to_string(a.size())},
                                                 {"%Install Path%\\b.txt", std::to_string(b.size())},
                                                 {"%Install Path%\\copy.bin", "@1"},
                                                 {"%Install Path%\\a.exe", "@2"},
                                                 {"%Install Path%\\one\\a.exe", "0"}}))));
    EXPECT_EQ(contents.CabinetRows, (std::vector<size_t>{0, 1, 0, 1, 0}));
    EXPECT_EQ(contents.Layout.CabinetOffsets[3], kStubSize + a.size());
    EXPECT_EQ(contents.FileMembers[2].Name, "a.exe");
    EXPECT_EQ(contents.FileMembers[3].Length, 40007u);

    const std::vector<std::pair<std::vector<std::pair<std::string, std::string>>, std::string>> refused = {
        {{{"%Install Path%\\a.exe", "@1"}, {"%Install Path%\\b.txt", std::to_string(a.size() + b.size())}},
         "line 10 of its installer data, element 1, holds \"@1\", which names no earlier file"},
        {{{"%Install Path%\\a.exe", std::to_string(a.size())},
          {"%Install Path%\\b.txt", "@3"},
          {"%Install Path%\\c.txt", std::to_string(b.size())}},
         "element 2, holds \"@3\", which names no earlier file"},
        {{{"%Install Path%\\a.exe", std::to_string(a.size())},
          {"%Install Path%\\b.txt", "@x"},
          {"%Install Path%\\c.txt", std::to_string(b.size())}},
         "element 2, holds \"@x\", which names no earlier file"},
        {{{"%Install Path%\\a.exe", std::to_string(a.size())},
          {"%Install Path%\\one\\a.exe", "0"},
          {"%Install Path%\\c.txt", "@2"},
          {"%Install Path%\\b.txt", std::to_string(b.size())}},
         "file 3 installs the cabinet of file 2, which has none of its own"},
    };
    for (const auto& [rows, complaint] : refused) {
        const std::string setup = Assemble(stub, {a, b}, Main(DataFileWithElements(rows)));
        EXPECT_NE(Error(setup).find(complaint), std::string::npos) << complaint << ": " << Error(setup);
    }
}

TEST_F(SetupContentsTest, EachRowOfASolidCabinetInstallsItsMemberAndEveryMemberHasARow) {
    const std::string stub(kStubSize, 'M');
    const std::string solid =
        Cabinet({{"x.dll", std::string(5000, 'x')}, {"y.txt", "why"}, {"z.txt", std::string(70000, 'z')}});
    const std::string& b = fileCabinets[1];
    const std::string size = std::to_string(solid.size());
    const TSetupContents contents =
        Read(Assemble(stub, {solid, b},
                      Main(DataFileWithElements({{"%Install Path%\\x.dll", size},
                                                 {"%Install Path%\\y.txt", "@1/2"},
                                                 {"%Install Path%\\z.txt", "@1/3"},
                                                 {"%Install Path%\\copy.txt", "@1/2"},
                                                 {"%Install Path%\\b.txt", std::to_string(b.size())},
                                                 {"%Install Path%\\one\\x.dll", "0"},
                                                 {"%Install Path%\\again.dll", "@1/1"}}))));
    EXPECT_EQ(contents.CabinetRows, (std::vector<size_t>{0, 0, 0, 0, 4, 0, 0}));
    EXPECT_EQ(contents.MemberIndexes, (std::vector<size_t>{0, 1, 2, 1, 0, 0, 0}));
    std::vector<std::string> names;
    for (const TCabinetMember& member : contents.FileMembers)
        names.push_back(member.Name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"x.dll", "y.txt", "z.txt", "y.txt", "b.txt", "x.dll", "x.dll"}));
    EXPECT_EQ(contents.FileMembers[2].Length, 70000u);
    EXPECT_EQ(contents.Layout.CabinetOffsets[3], kStubSize);
    EXPECT_EQ(contents.Layout.CabinetSizes[2], solid.size());

    const std::vector<std::pair<std::vector<std::pair<std::string, std::string>>, std::string>> refused = {
        {{{"%Install Path%\\x.dll", size},
          {"%Install Path%\\y.txt", "@1/2"},
          {"%Install Path%\\z.txt", "@1/4"},
          {"%Install Path%\\b.txt", std::to_string(b.size())}},
         "file 3 installs file 4 of the cabinet of file 1, which holds 3 files"},
        {{{"%Install Path%\\x.dll", size},
          {"%Install Path%\\y.txt", "@1/2"},
          {"%Install Path%\\b.txt", std::to_string(b.size())}},
         "the cabinet of file 1 holds 3 files, and no file row installs its file 3"},
        {{{"%Install Path%\\x.dll", size},
          {"%Install Path%\\y.txt", "@1/0"},
          {"%Install Path%\\z.txt", "@1/3"}},
         "element 2, holds \"@1/0\", which names no file of a cabinet"},
        {{{"%Install Path%\\x.dll", size},
          {"%Install Path%\\b.txt", std::to_string(b.size())},
          {"%Install Path%\\y.txt", "@1/2"},
          {"%Install Path%\\z.txt", "@1/3"},
          {"%Install Path%\\c.txt", "@2/2"}},
         "file 5 installs file 2 of the cabinet of file 2, which holds 1 file"},
    };
    for (const auto& [rows, complaint] : refused) {
        const std::string setup = Assemble(stub, {solid, b}, Main(DataFileWithElements(rows)));
        EXPECT_NE(Error(setup).find(complaint), std::string::npos) << complaint << ": " << Error(setup);
    }
}

TEST_F(SetupContentsTest, EveryCabinetIsInACompressionTheBuildWrites) {
    const std::string stub(kStubSize, 'M');
    const std::vector<std::string> mixed = {fileCabinets[0], Cabinet({{"b.txt", "stored b"}}, false)};
    EXPECT_NE(Error(Assemble(stub, mixed, MainCabinet(mixed)))
                  .find("the cabinet of file 2 is not in the compression of the other files"),
              std::string::npos);
    const std::vector<std::string> stored = {Cabinet({{"a.exe", "stored a"}}, false),
                                             Cabinet({{"b.txt", "stored b"}}, false)};
    Read(Assemble(stub, stored, MainCabinet(stored)));
    const std::string storedMain = Cabinet({{kDataFileName, DataFile(stored)},
                                            {"license.rtf", "l"},
                                            {"readme.rtf", "r"},
                                            {"logo.bmp", "BM"},
                                            {"header.bmp", "BM"}},
                                           false);
    EXPECT_NE(Error(Assemble(stub, stored, storedMain))
                  .find("holds kelpforge.dat in a compression the build does not use"),
              std::string::npos);
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
    const std::string hugeData = Assemble(stub, fileCabinets, Main(data + huge));
    EXPECT_NE(Error(hugeData).find("holds kelpforge.dat, which is " +
                                   std::to_string(huge.size() + data.size()) +
                                   " bytes long, more than the 16 MiB a setup may carry"),
              std::string::npos)
        << Error(hugeData);
    const std::string hugeBitmap = Assemble(stub, fileCabinets, Main(data, huge));
    EXPECT_NE(Error(hugeBitmap).find("holds logo.bmp, which is"), std::string::npos);
    EXPECT_EQ(decodes, 0);
    // At the limit the member is decoded.
    Read(Assemble(stub, fileCabinets, Main(data, std::string(kMainMemberLimit, 'b'))));
    EXPECT_EQ(decodes, 1);
}

namespace {

constexpr size_t kPeHeader = 0x80;

void Put32(std::string& aBytes, size_t aPos, uint64_t aValue) {
    test::PutLittleEndian(aBytes, aPos, aValue, 4);
}

// A runtime stand-in with the headers a PE file has, as far as the security directory.
std::string PeStub(bool aPlus) {
    std::string stub(kStubSize, '\0');
    stub[0] = 'M';
    stub[1] = 'Z';
    Put32(stub, 0x3C, kPeHeader);
    stub.replace(kPeHeader, 4, std::string("PE\0\0", 4));
    const size_t optional = kPeHeader + 24;
    stub[optional] = 0x0B;
    stub[optional + 1] = aPlus ? 0x02 : 0x01;
    Put32(stub, optional + (aPlus ? 108 : 92), 16);
    return stub;
}

size_t SecurityEntry(bool aPlus) {
    return kPeHeader + 24 + (aPlus ? 112 : 96) + 8 * 4;
}

// What a signing tool does: zero bytes up to a multiple of 8, the certificate table, and the
// security directory pointing to it.
std::string Signed(std::string aSetup, bool aPlus, uint64_t aTableSize = 40) {
    aSetup.append((8 - aSetup.size() % 8) % 8, '\0');
    std::string table(aTableSize, 'c');
    Put32(table, 0, aTableSize);
    Put32(aSetup, SecurityEntry(aPlus), aSetup.size());
    Put32(aSetup, SecurityEntry(aPlus) + 4, aTableSize);
    return aSetup + table;
}

} // namespace

TEST_F(SetupContentsTest, ASignedSetupReadsLikeItsUnsignedSelf) {
    const std::string main = MainCabinet(fileCabinets);
    for (bool plus : {false, true}) {
        // A runtime of odd length, so that the signing pads.
        std::string stub = PeStub(plus);
        const size_t packageSize = Assemble("", fileCabinets, main).size();
        stub.append((stub.size() + packageSize) % 8 == 0 ? 1 : 0, '\0');
        const std::string unsignedSetup = Assemble(stub, fileCabinets, main);
        const TSetupContents before = Read(unsignedSetup);
        EXPECT_FALSE(before.Signature);
        const std::string signedSetup = Signed(unsignedSetup, plus);
        const TSetupContents after = Read(signedSetup);
        ASSERT_TRUE(after.Signature);
        EXPECT_EQ(after.Signature->Offset, signedSetup.size() - 40);
        EXPECT_EQ(after.Signature->Size, 40u);
        EXPECT_EQ(after.Layout.MainOffset, before.Layout.MainOffset);
        EXPECT_EQ(after.Layout.CabinetOffsets, before.Layout.CabinetOffsets);
        EXPECT_EQ(after.Trailer, before.Trailer);
        EXPECT_EQ(after.DataLines, before.DataLines);
    }
}

TEST_F(SetupContentsTest, ASecurityDirectoryThatDescribesNoTableAtTheEndIsRefused) {
    const std::string setup = Signed(Assemble(PeStub(false), fileCabinets, MainCabinet(fileCabinets)), false);
    const size_t entry = SecurityEntry(false);
    std::string outside = setup;
    Put32(outside, entry, setup.size() + 16);
    std::string tooLong = setup;
    Put32(tooLong, entry + 4, 1u << 30);
    std::string notAtTheEnd = setup + "appended";
    std::string certificateTooLong = setup;
    Put32(certificateTooLong, setup.size() - 40, 41);
    std::string tiny = setup;
    Put32(tiny, entry, setup.size() - 4);
    Put32(tiny, entry + 4, 4);
    for (const std::string* bad : {&outside, &tooLong, &notAtTheEnd, &certificateTooLong, &tiny})
        EXPECT_NE(Error(*bad).find("The setup file is damaged or incomplete: its signature"),
                  std::string::npos)
            << Error(*bad);
    EXPECT_EQ(decodes, 0);
}
