#include "base/Exception.h"
#include "cli/EmbeddedCabinet.h"
#include "project/ProjectFileWriter.h"
#include "runtime/core/ByteWindow.h"
#include "runtime/core/SetupContents.h"

#include "../builder/CabinetReader.h"
#include "../project/TestSupport.h"
#include "../runtime/HeaderFields.h"

#include <gtest/gtest.h>
#include <optional>
#include <set>

using namespace kf;
using kf::test::ReadFile;
using kf::test::RunCommand;

namespace {

constexpr const char* kStandIn = "MZ stand-in runtime";

// Setups built by kelpforge-cli, each with a name beyond ASCII and a file of several data blocks,
// damaged by one bit at a time in every cabinet header field.
class HeaderBitFlipTest : public ::testing::TestWithParam<int> {
protected:
    test::TTempFolder temp;
    std::vector<std::string> sources;
    std::vector<std::string> mainMembers;

    std::string BuildSetup() {
        const std::string programFolder = temp.Path("program/");
        temp.WriteFile("program/Installer.exe", kStandIn);
        TProject project(programFolder, temp.Path("Setup.exe"));
        project.Compression = GetParam();
        project.LogoBitmap = temp.WriteFile("art/logo.bmp", test::TinyBitmap('L'));
        project.HeaderBitmap = temp.WriteFile("art/header.bmp", test::TinyBitmap('H'));
        sources = {"Read me first.\r\n", test::NoiseBytes(70000, 7)};
        project.Files.push_back(
            TFileEntry{temp.WriteFile("src/readme.txt", sources[0]), "0", "%Install Path%\\readme.txt"});
        project.Files.push_back(TFileEntry{temp.WriteFile("src/no\xC3\xAFse.bin", sources[1]), "0",
                                           "%Install Path%\\bin\\no\xC3\xAFse.bin"});
        SaveProjectFile(project, temp.Path("setup.kfp"));
        int code = -1;
        const std::string output = RunCommand(
            "KELPFORGE_PROGRAM_FOLDER='" + programFolder +
                "' KELPFORGE_CABINET_LIBRARY='" KF_BIN_FOLDER "/libkfcabinet.so' TMPDIR='" + temp.Path("") +
                "' '" KF_BIN_FOLDER "/kelpforge-cli' build '" + temp.Path("setup.kfp") + "' 2>&1",
            code);
        EXPECT_EQ(code, 0) << output;
        return ReadFile(temp.Path("Setup.exe"));
    }

    static TSetupContents Read(TByteSource& aSetup) {
        return ReadSetupContents(
            aSetup, [](TByteSource& aMain) { return TEmbeddedCabinet(aMain, kMainCabinetName).Read(0); });
    }

    // What Installer.exe would install from a setup its reader accepted: every row's file and the
    // main cabinet's members, decoded through libmspack.
    static std::vector<std::string> Installed(TByteSource& aSetup, const TSetupContents& aContents) {
        std::vector<std::string> decoded;
        TByteWindow main(aSetup, aContents.Layout.MainOffset, aContents.Layout.MainSize);
        TEmbeddedCabinet mainCabinet(main, kMainCabinetName);
        for (size_t i = 0; i < aContents.MainMembers.size(); ++i)
            decoded.push_back(mainCabinet.Read(i));
        for (size_t row = 0; row < aContents.Data.Files.size(); ++row) {
            TByteWindow window(aSetup, aContents.Layout.CabinetOffsets[row],
                               aContents.Layout.CabinetSizes[row]);
            decoded.push_back(TEmbeddedCabinet(window, FileCabinetName(row)).Read(0));
        }
        return decoded;
    }
};

} // namespace

// A flip that the reader lets through must change nothing that is installed: a member's date,
// an attribute the installer does not apply, or a file cabinet's member name, which the installer
// does not use (it writes to the row's install-to path).
TEST_P(HeaderBitFlipTest, EveryFlipInACabinetHeaderIsRefusedOrChangesNothingInstalled) {
    const std::string setup = BuildSetup();
    ASSERT_FALSE(setup.empty());
    TMemorySource sound(setup);
    const TSetupContents contents = Read(sound);
    const std::vector<std::string> expected = Installed(sound, contents);
    ASSERT_EQ(expected.size(), 7u);
    EXPECT_EQ(expected[5], sources[0]);
    EXPECT_EQ(expected[6], sources[1]);

    const auto fields = test::HeaderFieldsOf(setup, std::string(kStandIn).size());
    size_t flips = 0, refused = 0;
    std::set<std::string> harmlessFields;
    for (const test::THeaderField& field : fields) {
        for (size_t bit = 0; bit < field.Width * 8; ++bit) {
            std::string damaged = setup;
            damaged[field.Offset + bit / 8] ^= static_cast<char>(1 << (bit % 8));
            TMemorySource source(damaged);
            ++flips;
            std::optional<TSetupContents> accepted;
            try {
                accepted = Read(source);
            } catch (const Exception& error) {
                ++refused;
                EXPECT_NE(std::string(error.what()).find("The setup file is damaged"), std::string::npos)
                    << field.Name << " bit " << bit << ": " << error.what();
                continue;
            }
            harmlessFields.insert(field.Name);
            try {
                EXPECT_EQ(Installed(source, *accepted), expected) << field.Name << " bit " << bit;
            } catch (const Exception& error) {
                ADD_FAILURE() << field.Name << " bit " << bit
                              << " passes the reader but fails to decode: " << error.what();
            }
        }
    }
    EXPECT_GT(fields.size(), 60u);
    EXPECT_GT(refused, flips * 3 / 4) << flips << " flips";
    // Only fields the installer has no use for may take a flip, and no name in the main cabinet
    // (cabinet 3), whose members the installer finds by name.
    for (const std::string& name : harmlessFields) {
        const std::string field = name.substr(name.find(": ") + 2);
        EXPECT_TRUE(field == "date" || field == "time" || field == "attribs" ||
                    (field == "name" && !name.starts_with("cabinet 3")))
            << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Compression, HeaderBitFlipTest, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int>& anInfo) {
                             return std::string(anInfo.param == 0   ? "Stored"
                                                : anInfo.param == 1 ? "Mszip"
                                                                    : "Lzx");
                         });
