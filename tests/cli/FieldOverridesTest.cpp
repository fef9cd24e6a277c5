#include "cli/FieldOverrides.h"

#include <gtest/gtest.h>

using namespace kf;

namespace {

std::string Refusal(TProject& aProject, const std::string& anAssignment) {
    try {
        ApplyFieldOverride(aProject, anAssignment);
    } catch (const EUsage& error) {
        return error.what();
    }
    return "";
}

} // namespace

TEST(FieldOverrides, SetFieldsAsTheirPagesDo) {
    TProject project("/program/", "/out/Setup.exe");
    project.Files.push_back(TFileEntry{"/src/a.exe", "1", "%Install Path%\\a.exe"});
    project.RefreshFileList();
    for (const char* assignment :
         {"ProductName=Kelp Notes", "ProductVersion=1.4.2", "SetupFile=dist/App=1.4.2.exe", "Compression=2",
          "InstallBase=6", "InstallPathRoot=0", "InstallPathFromRegistry=1", "RestartComputer=1",
          "LaunchFile=1", "LaunchFileIndex=0", "CompanyName="})
        ApplyFieldOverride(project, assignment);
    EXPECT_EQ(project.ProductName(), "Kelp Notes");
    EXPECT_EQ(project.InstallFolder(), "Kelp Notes") << "the product name flows into the install folder";
    EXPECT_EQ(project.ProductVersion, "1.4.2");
    EXPECT_EQ(project.SetupFile, "dist/App=1.4.2.exe") << "only the first = separates name and value";
    EXPECT_EQ(project.Compression, 2);
    EXPECT_EQ(project.InstallBase, 6);
    EXPECT_EQ(project.InstallPathRoot, 0);
    EXPECT_TRUE(project.InstallPathFromRegistry);
    EXPECT_TRUE(project.RestartComputer);
    EXPECT_EQ(project.LaunchFileIndex, 0);
    EXPECT_EQ(project.CompanyName, "");
    ApplyFieldOverride(project, "IncludeUninstaller=1");
    EXPECT_EQ(project.Files.size(), 2u) << "the uninstaller row comes with the flag";
}

TEST(FieldOverrides, RefuseWhatNoFieldCanHoldNamingIt) {
    TProject project("/program/", "/out/Setup.exe");
    EXPECT_NE(Refusal(project, "Compression=3").find("Compression takes a whole number from 0 to 2"),
              std::string::npos);
    EXPECT_NE(Refusal(project, "InstallBase=x").find("InstallBase"), std::string::npos);
    EXPECT_NE(Refusal(project, "InstallPathRoot=").find("InstallPathRoot"), std::string::npos);
    EXPECT_NE(Refusal(project, "RestartComputer=yes").find("RestartComputer takes 1 (on) or 0 (off)"),
              std::string::npos);
    EXPECT_NE(Refusal(project, "LaunchFileIndex=0").find("from -1 to -1"), std::string::npos)
        << "a project without files has no launch file to choose";
    EXPECT_NE(Refusal(project, "Colour=red").find("no field Colour"), std::string::npos);
    EXPECT_NE(Refusal(project, "LicenseText=x").find("no field LicenseText"), std::string::npos)
        << "only the General, Files and Finish pages' scalar fields";
    EXPECT_NE(Refusal(project, "ProductVersion").find("Field=Value"), std::string::npos);
    EXPECT_EQ(project.Compression, 1) << "a refused value changes nothing";
    EXPECT_THROW(CheckFieldOverride("Nothing=1"), EUsage);
    EXPECT_NO_THROW(CheckFieldOverride("RestartComputer=anything"));
}
