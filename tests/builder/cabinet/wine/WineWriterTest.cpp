#include "../../../project/TestSupport.h"
#include "../../CabinetReader.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kf;
using kf::test::WindowsPath;

TEST(WineWriter, TheWriterIsATrueClientOfTheSystemCabinetLibrary) {
    test::TTempFolder temp;
    std::string incompressible(70000, '\0');
    for (size_t i = 0; i < incompressible.size(); ++i)
        incompressible[i] = static_cast<char>((i * 2654435761u) >> 13);
    const std::vector<std::pair<std::string, std::string>> sources = {
        {"empty.txt", ""},
        {"one.bin", "x"},
        {"block.txt", std::string(32768, 'k')},
        {"noise.bin", incompressible},
        {"text.txt", std::string(50000, 't') + "end"}};
    std::string arguments;
    for (const auto& [name, content] : sources)
        arguments += " '" + WindowsPath(temp.WriteFile("src/" + name, content)) + "'";
    std::filesystem::create_directories(temp.Path("out"));

    int code = -1;
    const std::string output = test::RunCommand("WINEPREFIX='" KF_WINE_PREFIX "' WINEDEBUG=-all '" KF_WINE64
                                                "' '" KF_WINE_WRITER_CHECK "' '" +
                                                    WindowsPath(temp.Path("out")) + "'" + arguments,
                                                code);
    ASSERT_EQ(code, 0) << output;
    // The console turns the message's line break into CR CR LF; the texts around it are what count.
    EXPECT_NE(output.find("EQvCabinet 1 2: Failure opening file to be stored in cabinet [0x0001].\r"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find(" [0x0002]."), std::string::npos) << output;

    for (const char* cabinet : {"mszip.cab", "store.cab"}) {
        const auto members = test::ExtractCabinetFile(temp.Path(std::string("out/") + cabinet),
                                                      temp.Path(std::string("x-") + cabinet));
        ASSERT_EQ(members.size(), sources.size()) << cabinet;
        for (size_t i = 0; i < sources.size(); ++i)
            EXPECT_EQ(members[i], sources[i]) << cabinet << ": " << sources[i].first;
    }
    EXPECT_LT(std::filesystem::file_size(temp.Path("out/mszip.cab")),
              std::filesystem::file_size(temp.Path("out/store.cab")));
}
