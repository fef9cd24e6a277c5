// Cabinets this library writes, extracted by readers written elsewhere: cabextract (libmspack),
// 7-Zip, gcab and Wine's cabinet.dll through a MinGW program, and this library's FDI; all must
// restore the source bytes exactly. Also the other way round: gcab's cabinets through our FDI.
#include "FdiClient.h"
#include "ForeignReaders.h"
#include "Scenario.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace kf::cabtest {
namespace {

class Readers : public testing::TestWithParam<TCOMP> {
protected:
    void packAndCheck(const std::vector<Source>& aSources, const PackOptions& anOptions = {},
                      size_t aCabinets = 1) {
        FciClient client(scratch / "out");
        ASSERT_TRUE(client.pack(Materialise(scratch / "in", aSources), anOptions))
            << client.failedCall << ": " << client.erf.erfOper;
        ASSERT_EQ(client.cabinets.size(), aCabinets);
        ExpectEveryReaderRestores(scratch / "out", client.cabinets, ExpectedContents(aSources),
                                  scratch / "x");
    }

    ScratchFolder scratch;
};

TEST_P(Readers, BoundarySizesAndIncompressibleData) {
    packAndCheck(BoundarySources(GetParam()));
}

TEST_P(Readers, OnlyAnEmptyFile) {
    packAndCheck({{"empty", "", GetParam()}});
}

TEST_P(Readers, ManySmallFiles) {
    std::vector<Source> sources;
    for (int i = 0; i < 400; ++i)
        sources.push_back(
            {"small\\f" + std::to_string(i) + ".txt", TextBytes((i * 37) % 3000, i), GetParam()});
    packAndCheck(sources);
}

// LZX takes stored data as the other folder: Wine's FDI shares one state between methods and
// loses an LZX folder that follows an MSZIP one.
TEST_P(Readers, SeveralFolders) {
    const TCOMP other = GetParam() == tcompTYPE_NONE ? tcompTYPE_MSZIP : tcompTYPE_NONE;
    packAndCheck({{"a.txt", TextBytes(40000, 1), GetParam(), false, true},
                  {"b.bin", RandomBytes(33000, 2), GetParam()},
                  {"c.txt", TextBytes(70000, 3), other},
                  {"d.txt", TextBytes(10, 4), GetParam()},
                  {"e.bin", "", GetParam()}});
}

TEST_P(Readers, ReserveAreas) {
    PackOptions options;
    options.reserveHeader = 6000;
    options.reserveFolder = 20;
    options.reserveData = 8;
    packAndCheck(BoundarySources(GetParam()), options);
}

TEST_P(Readers, SetOfThreeCabinets) {
    PackOptions options;
    options.cabinetSize = GetParam() == tcompTYPE_NONE ? 80000 : 50000;
    packAndCheck(SpanningSources(GetParam()), options, 3);
}

TEST_P(Readers, SetWithReserveAreasAndSmallFiles) {
    PackOptions options;
    options.cabinetSize = 20000;
    options.reserveData = 4;
    options.reserveHeader = 100;
    std::vector<Source> sources;
    for (int i = 0; i < 30; ++i)
        sources.push_back({std::string("m").append(std::to_string(i)),
                           i % 3 == 0 ? RandomBytes(2500, i) : TextBytes(4000, i), GetParam()});
    FciClient client(scratch / "out");
    ASSERT_TRUE(client.pack(Materialise(scratch / "in", sources), options)) << client.erf.erfOper;
    ASSERT_GE(client.cabinets.size(), 3u);
    ExpectEveryReaderRestores(scratch / "out", client.cabinets, ExpectedContents(sources), scratch / "x");
}

TEST_P(Readers, FullCabinetsEndingFoldersEarly) {
    for (const TightSet& tight : {FullAtMemberBoundary(GetParam()), FullInsideMember(GetParam())}) {
        std::filesystem::remove_all(scratch / "out");
        std::filesystem::remove_all(scratch / "x");
        packAndCheck(tight.sources, tight.options, 3);
    }
}

TEST_P(Readers, ACorruptedByteIsReportedByEveryReader) {
    FciClient client(scratch / "out");
    ASSERT_TRUE(client.pack(Materialise(scratch / "in", {{"text.txt", TextBytes(100000, 5), GetParam()}})));
    const std::filesystem::path cabinet = scratch / "out" / client.cabinets[0];
    std::string bytes = ReadFile(cabinet);
    bytes[bytes.size() / 2] ^= 0x10;
    WriteFile(cabinet, bytes);
    for (const Extraction& extraction : ExtractEverywhere(scratch / "out", client.cabinets, scratch / "x"))
        EXPECT_NE(extraction.tool.status, 0) << extraction.reader << " accepted a corrupted cabinet";
}

INSTANTIATE_TEST_SUITE_P(Compression, Readers,
                         testing::Values(tcompTYPE_NONE, tcompTYPE_MSZIP, TCOMPfromLZXWindow(15),
                                         TCOMPfromLZXWindow(21)),
                         [](const testing::TestParamInfo<TCOMP>& anInfo) {
                             return CompressionName(anInfo.param);
                         });

TEST(ForeignCabinets, GcabCabinetsReadThroughOurFdi) {
    ScratchFolder scratch;
    const std::vector<Source> sources = BoundarySources(tcompTYPE_MSZIP);
    Materialise(scratch / "in", sources);
    for (const char* flag : {"-c", "-cz"}) {
        const std::string name = std::string("gcab") + flag + ".cab";
        std::vector<std::string> command = {"gcab", flag, (scratch / name).string()};
        Contents expected;
        for (const auto& entry : std::filesystem::directory_iterator(scratch / "in")) {
            command.push_back(entry.path().filename().string());
            expected[entry.path().filename().string()] = ReadFile(entry.path());
        }
        const ToolResult made = RunTool(command, scratch / "in");
        ASSERT_EQ(made.status, 0) << made.output;
        const FdiRun run = ExtractWithFdi(scratch.path(), name);
        EXPECT_TRUE(run.ok) << flag << ": FDI error " << run.erf.erfOper;
        EXPECT_TRUE(run.files == expected) << flag << ":" << Differences(expected, run.files);
        EXPECT_EQ(run.leakedBlocks, 0u);
    }
}

// A large member goes through in bounded memory and comes out whole: a gibibyte through the
// spool and folder stored, and 2,048 blocks of MSZIP data.
class Streaming : public testing::TestWithParam<std::pair<TCOMP, uint64_t>> {};

TEST_P(Streaming, LargeMemberWithBoundedMemory) {
    ScratchFolder scratch;
    const auto [compression, kSize] = GetParam();
    const std::filesystem::path source = scratch / "big.bin";
    WriteFile(source, "");
    ASSERT_EQ(::truncate(source.c_str(), static_cast<off_t>(kSize)), 0);
    FciClient client(scratch / "out");
    ASSERT_TRUE(client.pack({{source, "big.bin", compression}})) << client.erf.erfOper;
    EXPECT_LT(client.peakAllocated(), 64u << 20);
    const std::filesystem::path cabinet = scratch / "out" / client.cabinets[0];
    for (const auto& [reader, command] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"cabextract", {"cabextract", "-q", "-d", (scratch / "cabextract").string(), cabinet.string()}},
             {"7z", {"7z", "x", "-y", "-o" + (scratch / "7z").string(), cabinet.string()}},
             {"gcab", {"gcab", "-x", "-C", (scratch / "gcab").string(), cabinet.string()}}}) {
        std::filesystem::create_directories(scratch / reader);
        const ToolResult result = RunTool(command);
        EXPECT_EQ(result.status, 0) << reader << ": " << result.output;
        const std::filesystem::path extracted = scratch / reader / "big.bin";
        ASSERT_TRUE(std::filesystem::exists(extracted)) << reader;
        EXPECT_EQ(std::filesystem::file_size(extracted), kSize) << reader;
        std::ifstream in(extracted, std::ios::binary);
        std::vector<char> chunk(1 << 20);
        bool zeros = true;
        while (zeros && in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())))
            zeros = std::all_of(chunk.begin(), chunk.end(), [](char c) { return c == 0; });
        EXPECT_TRUE(zeros) << reader << " restored other bytes than the source's zeros";
        std::filesystem::remove(extracted);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, Streaming,
                         testing::Values(std::pair{TCOMP{tcompTYPE_NONE}, uint64_t{1} << 30},
                                         std::pair{TCOMP{tcompTYPE_MSZIP}, uint64_t{64} << 20}));

} // namespace
} // namespace kf::cabtest
