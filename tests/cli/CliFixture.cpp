#include "CliFixture.h"

#include "../builder/CabinetReader.h"
#include "../builder/SetupRepack.h"

#include "builder/InstallerDataFile.h"
#include "cli/EmbeddedCabinet.h"
#include "project/ProjectFileWriter.h"
#include "runtime/core/ByteWindow.h"
#include "runtime/core/SetupContents.h"

namespace kf::test {

void CliTest::SetUp() {
    programFolder = temp.Path("program/");
    temp.WriteFile("program/Installer.exe", "MZ stand-in runtime");
    environment = "KELPFORGE_PROGRAM_FOLDER='" + programFolder + "' KELPFORGE_CABINET_LIBRARY='" +
                  KF_BIN_FOLDER "/libkfcabinet.so' TMPDIR='" + temp.Path("") + "' ";
}

std::string CliTest::WriteProject(const std::string& aName, size_t aFileCount) {
    TProject project(programFolder, temp.Path(aName + "/Setup.exe"));
    project.LogoBitmap = temp.WriteFile("art/logo.bmp", test::TinyBitmap('L'));
    project.HeaderBitmap = temp.WriteFile("art/header.bmp", test::TinyBitmap('H'));
    for (size_t i = 0; i < aFileCount; ++i) {
        const std::string source = temp.WriteFile(aName + "/src/f" + std::to_string(i) + ".txt",
                                                  aName + std::string(5000 + i, static_cast<char>('a' + i)));
        project.Files.push_back(TFileEntry{source, "0", "%Install Path%\\f" + std::to_string(i) + ".txt"});
    }
    const std::string path = temp.Path(aName + ".kfp");
    SaveProjectFile(project, path);
    return path;
}

std::string CliTest::SetupWithInstallPaths(const std::vector<std::string>& aPaths) {
    int code = -1;
    const std::string built = Cli("build '" + WriteProject("crafted", aPaths.size()) + "'", code);
    EXPECT_EQ(code, 0) << built;
    const std::string setup = ReadFile(temp.Path("crafted/Setup.exe"));
    const size_t mainSize = std::stoul(setup.substr(setup.size() - 10));
    const size_t mainOffset = setup.size() - 10 - mainSize;
    TMemorySource source(setup);
    TByteWindow main(source, mainOffset, mainSize);
    TEmbeddedCabinet cabinet(main, "the main cabinet");
    TInstallerDataLines lines = SplitInstallerData(cabinet.Read(0));
    lines[8].clear();
    for (const std::string& path : aPaths)
        lines[8] += path + "?";
    TMembers members{{kMainMemberNames[0], DataFileBytes(lines)}};
    for (size_t i = 1; i < std::size(kMainMemberNames); ++i)
        members.emplace_back(kMainMemberNames[i], cabinet.Read(i));
    return temp.WriteFile("crafted/Crafted.exe", WithMainCabinet(setup, members, temp.Path("crafted/main")));
}

std::string CliTest::Cli(const std::string& anArguments, int& anExitCode) {
    return RunCommand(environment + "'" KF_BIN_FOLDER "/kelpforge-cli' " + anArguments, anExitCode);
}

} // namespace kf::test
