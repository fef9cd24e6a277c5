#include "PeImports.h"

#include "../../project/TestSupport.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <set>

using namespace kf::test;

namespace {

std::string Lower(std::string aText) {
    std::transform(aText.begin(), aText.end(), aText.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return aText;
}

std::string FaultsOf(const std::vector<TImportedLibrary>& aLibraries) {
    std::string faults;
    for (const TImportedLibrary& library : aLibraries)
        for (const std::string& fault : library.Faults)
            faults += library.Name + ": " + fault + "\n";
    return faults;
}

} // namespace

TEST(RuntimeImports, EverySlotOfTheShippedProgramsIsFilledAndTheShellLibrariesLoadLate) {
    const std::set<std::string> late = {"user32.dll",  "gdi32.dll", "comctl32.dll",
                                        "shell32.dll", "ole32.dll", "bcrypt.dll"};
    for (const char* program : {"/Installer.exe", "/Uninstall.exe", "/Installer64.exe", "/Uninstall64.exe"}) {
        const std::string path = std::string(KF_PROGRAM_FOLDER) + program;
        SCOPED_TRACE(path);
        const auto libraries = ReadImports(ReadFile(path));
        EXPECT_EQ(FaultsOf(libraries), "");
        std::set<std::string> delayed;
        for (const TImportedLibrary& library : libraries) {
            EXPECT_GT(library.Functions, 0u) << library.Name;
            if (library.Delayed)
                delayed.insert(Lower(library.Name));
            else
                EXPECT_EQ(late.count(Lower(library.Name)), 0u) << library.Name << " loads with the program";
        }
        EXPECT_TRUE(delayed.count("user32.dll")) << "no delay-loaded user32.dll was found";
        EXPECT_TRUE(std::includes(late.begin(), late.end(), delayed.begin(), delayed.end()));
    }
}

TEST(RuntimeImports, TheCheckFindsTheSlotsThatADirectCallLeavesEmpty) {
    const auto direct = ReadImports(ReadFile(KF_DELAY_PROBE_DIRECT));
    EXPECT_NE(FaultsOf(direct).find("SHGetFolderPathW: its slot holds 0"), std::string::npos)
        << FaultsOf(direct);
    const auto stub = ReadImports(ReadFile(KF_DELAY_PROBE_STUB));
    EXPECT_EQ(FaultsOf(stub), "");
    EXPECT_TRUE(std::any_of(stub.begin(), stub.end(), [](const TImportedLibrary& aLibrary) {
        return aLibrary.Delayed && Lower(aLibrary.Name) == "shell32.dll" && aLibrary.Functions == 1;
    }));
}
