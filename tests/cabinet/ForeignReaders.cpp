#include "ForeignReaders.h"

#include "FdiClient.h"

#include <gtest/gtest.h>

namespace kf::cabtest {

namespace {

std::string WindowsPath(const std::filesystem::path& aPath) {
    std::string path = "Z:" + aPath.string();
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

ToolResult RunWine(const std::vector<std::string>& anArguments) {
    std::vector<std::string> command = {KF_WINE_LOADER, KF_WINE_FDI_EXE};
    command.insert(command.end(), anArguments.begin(), anArguments.end());
    return RunTool(command, {}, {{"WINEPREFIX", KF_WINE_PREFIX}, {"WINEDEBUG", "-all"}, {"DISPLAY", ""}});
}

} // namespace

std::vector<Extraction> ExtractEverywhere(const std::filesystem::path& aFolder,
                                          const std::vector<std::string>& aSet,
                                          const std::filesystem::path& aTarget) {
    const std::string first = (aFolder / aSet[0]).string();
    std::vector<Extraction> results;
    const auto target = [&](const std::string& aReader) { return aTarget / aReader; };
    results.push_back(
        {"cabextract", RunTool({"cabextract", "-q", "-d", target("cabextract").string(), first}), {}});
    results.push_back({"7z", RunTool({"7z", "x", "-y", "-o" + target("7z").string(), first}), {}});
    if (aSet.size() == 1) {
        std::filesystem::create_directories(target("gcab"));
        results.push_back({"gcab", RunTool({"gcab", "-x", "-C", target("gcab").string(), first}), {}});
    }
    results.push_back({"wine", RunWine({WindowsPath(aFolder), aSet[0], WindowsPath(target("wine"))}), {}});
    for (Extraction& extraction : results)
        extraction.files = ReadTree(target(extraction.reader));
    const FdiRun ours = ExtractWithFdi(aFolder, aSet[0]);
    results.push_back(
        {"kfcabinet", {ours.ok ? 0 : 1, "FDI error " + std::to_string(ours.erf.erfOper)}, ours.files});
    return results;
}

void ExpectEveryReaderRestores(const std::filesystem::path& aFolder, const std::vector<std::string>& aSet,
                               const Contents& anExpected, const std::filesystem::path& aTarget) {
    for (const Extraction& extraction : ExtractEverywhere(aFolder, aSet, aTarget)) {
        EXPECT_EQ(extraction.tool.status, 0) << extraction.reader << ": " << extraction.tool.output;
        EXPECT_TRUE(extraction.files == anExpected)
            << extraction.reader << ":" << Differences(anExpected, extraction.files);
    }
}

std::string CompressionName(TCOMP aType) {
    switch (aType & tcompMASK_TYPE) {
    case tcompTYPE_NONE:
        return "None";
    case tcompTYPE_MSZIP:
        return "Mszip";
    default:
        return "Lzx" + std::to_string(LZXCompressionWindowFromTCOMP(aType));
    }
}

} // namespace kf::cabtest
