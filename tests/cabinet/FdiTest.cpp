// Reading through this library's FDI: cabinets it wrote, with the notifications installers use.
#include "FdiClient.h"
#include "Scenario.h"

#include <gtest/gtest.h>

namespace kf::cabtest {
namespace {

class Fdi : public testing::Test {
protected:
    std::vector<std::string> pack(const std::vector<Source>& aSources, const PackOptions& anOptions = {}) {
        FciClient client(scratch / "out");
        EXPECT_TRUE(client.pack(Materialise(scratch / "in", aSources), anOptions)) << client.failedCall;
        return client.cabinets;
    }
    FdiRun extract(const std::string& aFirst, const CopyDecision& aDecision = {}) {
        FdiRun run = ExtractWithFdi(scratch / "out", aFirst, aDecision);
        EXPECT_EQ(run.leakedBlocks, 0u);
        EXPECT_EQ(run.leakedHandles, 0u);
        return run;
    }

    ScratchFolder scratch;
};

TEST_F(Fdi, ExtractsWhatFciWrote) {
    for (TCOMP type : {TCOMP(tcompTYPE_NONE), TCOMP(tcompTYPE_MSZIP)}) {
        const std::vector<Source> sources = BoundarySources(type);
        std::filesystem::remove_all(scratch / "out");
        const std::vector<std::string> cabinets = pack(sources);
        const FdiRun run = extract(cabinets[0]);
        EXPECT_TRUE(run.ok) << run.erf.erfOper;
        ExpectSame(run.files, ExpectedContents(sources));
        ASSERT_EQ(run.cabinetInfo.size(), 1u);
        EXPECT_EQ(run.cabinetInfo[0], "/ " + std::to_string(PackOptions{}.setID) + " 0");
    }
}

TEST_F(Fdi, ReportsDateTimeAttributesAndTheExecuteFlag) {
    const std::vector<Source> sources = {{"tool.exe", "MZ", tcompTYPE_MSZIP, true}, {"data.txt", "text"}};
    const std::vector<std::string> cabinets = pack(sources);
    const ParsedCabinet parsed = ParseCabinet(ReadFile(scratch / "out" / cabinets[0]));
    const FdiRun run = extract(cabinets[0]);
    ASSERT_EQ(run.members.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(run.members[i].date, parsed.files[i].date);
        EXPECT_EQ(run.members[i].time, parsed.files[i].time);
        EXPECT_EQ(run.members[i].attribs, parsed.files[i].attribs & ~_A_EXEC);
    }
    EXPECT_TRUE(run.members[0].execute);
    EXPECT_FALSE(run.members[1].execute);
}

TEST_F(Fdi, FollowsMembersAcrossASet) {
    PackOptions options;
    options.cabinetSize = 50000;
    const std::vector<Source> sources = SpanningSources(tcompTYPE_MSZIP);
    const std::vector<std::string> cabinets = pack(sources, options);
    ASSERT_EQ(cabinets.size(), 3u);
    const FdiRun run = extract(cabinets[0]);
    EXPECT_TRUE(run.ok) << run.erf.erfOper;
    ExpectSame(run.files, ExpectedContents(sources));
    EXPECT_EQ(run.cabinetInfo.front(), cabinets[1] + "/Disk2 " + std::to_string(options.setID) + " 0");
    EXPECT_FALSE(run.nextRequests.empty());
    EXPECT_FALSE(run.partial.empty()) << "later cabinets report members continued from earlier ones";
    for (const std::string& partial : run.partial)
        EXPECT_TRUE(partial.ends_with("<-" + cabinets[0]) || partial.ends_with("<-" + cabinets[1]))
            << partial;
}

TEST_F(Fdi, SkipsAndAbortsOnTheClientsWord) {
    const std::vector<Source> sources = BoundarySources(tcompTYPE_MSZIP);
    const std::vector<std::string> cabinets = pack(sources);
    const FdiRun skipped =
        extract(cabinets[0], [](const std::string& aName) { return aName == "one.bin" ? 0 : 1; });
    EXPECT_TRUE(skipped.ok);
    EXPECT_EQ(skipped.files.size(), sources.size() - 1);
    EXPECT_EQ(skipped.files.count("one.bin"), 0u);
    const FdiRun aborted =
        extract(cabinets[0], [](const std::string& aName) { return aName == "random.bin" ? -1 : 1; });
    EXPECT_FALSE(aborted.ok);
    EXPECT_EQ(aborted.erf.erfOper, FDIERROR_USER_ABORT);
}

TEST_F(Fdi, ACorruptedByteIsReported) {
    for (TCOMP type : {TCOMP(tcompTYPE_NONE), TCOMP(tcompTYPE_MSZIP)}) {
        std::filesystem::remove_all(scratch / "out");
        const std::vector<std::string> cabinets = pack({{"text.txt", TextBytes(100000, 7), type}});
        std::string bytes = ReadFile(scratch / "out" / cabinets[0]);
        bytes[bytes.size() / 2] ^= 0x10;
        WriteFile(scratch / "out" / cabinets[0], bytes);
        const FdiRun run = extract(cabinets[0]);
        EXPECT_FALSE(run.ok);
        EXPECT_EQ(run.erf.erfOper, FDIERROR_CORRUPT_CABINET);
    }
}

TEST_F(Fdi, IsCabinetDescribesTheHeader) {
    PackOptions options;
    options.cabinetSize = 50000;
    options.reserveHeader = 16;
    const std::vector<std::string> cabinets = pack(SpanningSources(tcompTYPE_MSZIP), options);
    for (size_t i = 0; i < cabinets.size(); ++i) {
        const std::filesystem::path path = scratch / "out" / cabinets[i];
        const ParsedCabinet parsed = ParseCabinet(ReadFile(path));
        FDICABINETINFO info{};
        ERF erf{};
        ASSERT_TRUE(IsCabinet(path, info, erf)) << cabinets[i];
        EXPECT_EQ(static_cast<uint32_t>(info.cbCabinet), parsed.fileSize);
        EXPECT_EQ(info.cFolders, parsed.folders.size());
        EXPECT_EQ(info.cFiles, parsed.files.size());
        EXPECT_EQ(info.setID, options.setID);
        EXPECT_EQ(info.iCabinet, i);
        EXPECT_TRUE(info.fReserve);
        EXPECT_EQ(info.hasprev != FALSE, i > 0);
        EXPECT_EQ(info.hasnext != FALSE, i + 1 < cabinets.size());
    }
    WriteFile(scratch / "plain.txt", "not a cabinet at all, just text");
    FDICABINETINFO info{};
    ERF erf{};
    EXPECT_FALSE(IsCabinet(scratch / "plain.txt", info, erf));
    EXPECT_EQ(erf.erfOper, FDIERROR_NOT_A_CABINET);
}

TEST_F(Fdi, AMissingCabinetIsNotFound) {
    const FdiRun run = extract("absent.cab");
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.erf.erfOper, FDIERROR_CABINET_NOT_FOUND);
}

} // namespace
} // namespace kf::cabtest
