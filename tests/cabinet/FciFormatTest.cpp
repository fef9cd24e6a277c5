// What FCI writes, read back with the tests' own parser and zlib.
#include "Scenario.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

namespace kf::cabtest {
namespace {

constexpr uint16_t kContinuedFromPrev = 0xFFFD;
constexpr uint16_t kContinuedToNext = 0xFFFE;
constexpr uint16_t kContinuedBoth = 0xFFFF;

class FciFormat : public testing::TestWithParam<TCOMP> {
protected:
    std::vector<ParsedCabinet> pack(const std::vector<Source>& aSources, const PackOptions& anOptions = {}) {
        FciClient client(scratch / "out");
        const bool packed = client.pack(Materialise(scratch / "in", aSources), anOptions);
        EXPECT_TRUE(packed) << client.failedCall << " failed: " << client.erf.erfOper << "/"
                            << client.erf.erfType;
        EXPECT_EQ(client.liveAllocations(), 0u);
        EXPECT_EQ(client.openHandles(), 0u);
        EXPECT_TRUE(client.leftTemporaryFiles().empty());
        cabinets = client.cabinets;
        placed = client.placed;
        statuses = client.statuses;
        estimates = client.estimates;
        openFlags = client.openFlags;
        temporaryNames = client.calls[{Callback::TempName, Role::Temporary}];
        return ParseSet(scratch / "out", cabinets);
    }

    ScratchFolder scratch;
    std::vector<std::string> cabinets;
    std::vector<Placed> placed;
    std::vector<StatusCall> statuses;
    std::vector<ULONG> estimates;
    std::map<Role, std::set<int>> openFlags;
    int temporaryNames = 0;
};

TEST_P(FciFormat, BlocksFillAcrossMembersAndDecodeToTheSources) {
    const std::vector<Source> sources = BoundarySources(GetParam());
    const std::vector<ParsedCabinet> set = pack(sources);
    ASSERT_EQ(set.size(), 1u);
    const ParsedCabinet& cabinet = set[0];
    EXPECT_EQ(cabinet.versionMajor, 1);
    EXPECT_EQ(cabinet.versionMinor, 3);
    EXPECT_EQ(cabinet.flags, 0);
    EXPECT_EQ(cabinet.setID, PackOptions{}.setID);
    ASSERT_EQ(cabinet.folders.size(), 1u);
    EXPECT_EQ(cabinet.folders[0].type, GetParam());
    const std::vector<ParsedBlock>& blocks = cabinet.folders[0].blocks;
    uint32_t total = 0;
    for (size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_NE(blocks[i].checksum, 0u) << "checksums are always written";
        if (i + 1 < blocks.size()) {
            EXPECT_EQ(blocks[i].uncompressed, 32768) << "only the last block of a folder is short";
        }
        total += blocks[i].uncompressed;
    }
    uint32_t offset = 0;
    for (size_t i = 0; i < sources.size(); ++i) {
        EXPECT_EQ(cabinet.files[i].name, sources[i].name);
        EXPECT_EQ(cabinet.files[i].offset, offset) << "members follow each other in the folder";
        offset += cabinet.files[i].size;
    }
    EXPECT_EQ(total, offset);
    ExpectSame(DecodeSet(set), ExpectedContents(sources));
}

// The file records of a cabinet grow with every member until the cabinet is written.
TEST_P(FciFormat, ThousandsOfLongNamesAreListedInOrder) {
    std::vector<Source> sources;
    for (int i = 0; i < 2000; ++i) {
        const std::string number = std::to_string(i);
        sources.push_back(
            {std::string(200 - number.size(), 'n') + number, TextBytes(40 + i % 7, i), GetParam()});
    }
    const std::vector<ParsedCabinet> set = pack(sources);
    ASSERT_EQ(set.size(), 1u);
    ASSERT_EQ(set[0].files.size(), sources.size());
    for (size_t i = 0; i < sources.size(); ++i)
        ASSERT_EQ(set[0].files[i].name, sources[i].name) << "record " << i;
    ExpectSame(DecodeSet(set), ExpectedContents(sources));
}

TEST_P(FciFormat, CompressionChangesAndFlushesStartFolders) {
    const TCOMP other = GetParam() == tcompTYPE_MSZIP ? tcompTYPE_NONE : tcompTYPE_MSZIP;
    const std::vector<Source> sources = {{"a", TextBytes(1000, 1), GetParam()},
                                         {"b", TextBytes(2000, 2), GetParam(), false, true},
                                         {"c", TextBytes(3000, 3), GetParam()},
                                         {"d", TextBytes(4000, 4), other},
                                         {"e", TextBytes(5000, 5), GetParam()}};
    const std::vector<ParsedCabinet> set = pack(sources);
    ASSERT_EQ(set.size(), 1u);
    const ParsedCabinet& cabinet = set[0];
    ASSERT_EQ(cabinet.folders.size(), 4u);
    EXPECT_EQ(cabinet.folders[0].type, GetParam());
    EXPECT_EQ(cabinet.folders[1].type, GetParam());
    EXPECT_EQ(cabinet.folders[2].type, other);
    EXPECT_EQ(cabinet.folders[3].type, GetParam());
    const std::vector<uint16_t> folders = {0, 0, 1, 2, 3};
    for (size_t i = 0; i < folders.size(); ++i)
        EXPECT_EQ(cabinet.files[i].folder, folders[i]) << cabinet.files[i].name;
    ExpectSame(DecodeSet(set), ExpectedContents(sources));
}

TEST_P(FciFormat, FolderThresholdBoundsFolders) {
    std::vector<Source> sources;
    for (int i = 0; i < 6; ++i)
        sources.push_back({"part" + std::to_string(i), TextBytes(40000, 30 + i), GetParam()});
    sources.push_back({"large", TextBytes(150000, 40), GetParam()});
    PackOptions options;
    options.folderThreshold = 100000;
    const std::vector<ParsedCabinet> set = pack(sources, options);
    ASSERT_EQ(set.size(), 1u);
    std::map<uint16_t, uint64_t> folderSizes;
    std::map<uint16_t, int> folderMembers;
    for (const ParsedFile& file : set[0].files) {
        folderSizes[file.folder] += file.size;
        ++folderMembers[file.folder];
    }
    EXPECT_EQ(folderSizes.size(), 4u);
    for (const auto& [folder, size] : folderSizes)
        EXPECT_TRUE(size <= options.folderThreshold || folderMembers[folder] == 1) << "folder " << folder;
    ExpectSame(DecodeSet(set), ExpectedContents(sources));
}

TEST_P(FciFormat, ReserveAreasAreWrittenZeroed) {
    PackOptions options;
    options.reserveHeader = 6000;
    options.reserveFolder = 255;
    options.reserveData = 7;
    const std::vector<Source> sources = BoundarySources(GetParam());
    const std::vector<ParsedCabinet> set = pack(sources, options);
    ASSERT_EQ(set.size(), 1u);
    const ParsedCabinet& cabinet = set[0];
    EXPECT_EQ(cabinet.flags, 4);
    EXPECT_EQ(cabinet.headerReserve, std::string(6000, '\0'));
    EXPECT_EQ(cabinet.folders[0].reserve, std::string(255, '\0'));
    for (const ParsedBlock& block : cabinet.folders[0].blocks)
        EXPECT_EQ(block.reserve, std::string(7, '\0'));
    ExpectSame(DecodeSet(set), ExpectedContents(sources));
}

TEST_P(FciFormat, DateTimeAndAttributesComeFromGetOpenInfo) {
    const std::vector<Source> sources = {{"plain.txt", "plain", GetParam()},
                                         {"locked.txt", "locked", GetParam()},
                                         {"run.exe", "MZ", GetParam(), true}};
    const std::vector<Member> members = Materialise(scratch / "in", sources);
    tm stamp{};
    stamp.tm_year = 2021 - 1900;
    stamp.tm_mon = 5;
    stamp.tm_mday = 15;
    stamp.tm_hour = 13;
    stamp.tm_min = 45;
    stamp.tm_sec = 30;
    stamp.tm_isdst = -1;
    const timespec times[2] = {{mktime(&stamp), 0}, {mktime(&stamp), 0}};
    for (const Member& member : members)
        ASSERT_EQ(utimensat(AT_FDCWD, member.source.c_str(), times, 0), 0);
    ASSERT_EQ(chmod(members[1].source.c_str(), 0444), 0);
    FciClient client(scratch / "out");
    ASSERT_TRUE(client.pack(members));
    const ParsedCabinet cabinet = ParseCabinet(ReadFile(scratch / "out" / client.cabinets[0]));
    ASSERT_EQ(cabinet.files.size(), 3u);
    for (const ParsedFile& file : cabinet.files) {
        EXPECT_EQ(file.date, DosDate(2021, 6, 15)) << file.name;
        EXPECT_EQ(file.time, DosTime(13, 45, 30)) << file.name;
    }
    EXPECT_EQ(cabinet.files[0].attribs, _A_ARCH);
    EXPECT_EQ(cabinet.files[1].attribs, _A_ARCH | _A_RDONLY);
    EXPECT_EQ(cabinet.files[2].attribs, _A_ARCH | _A_EXEC);
}

TEST_P(FciFormat, OpenFlagsAreTheCRuntimeValues) {
    std::vector<Source> sources = SpanningSources(GetParam());
    sources.push_back({"spills.bin", RandomBytes(300000, 31), GetParam()});
    pack(sources);
    EXPECT_EQ(openFlags[Role::Temporary], (std::set<int>{_O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY}));
    EXPECT_EQ(openFlags[Role::Cabinet], (std::set<int>{_O_RDWR | _O_CREAT | _O_TRUNC | _O_BINARY}));
}

// Most cabinets are small: their data stays in memory and no temporary file is made. A larger one
// goes on in a single temporary file, removed again by the end (pack() checks that).
TEST_P(FciFormat, OnlyDataThatOutgrowsMemoryGoesToATemporaryFile) {
    const std::vector<Source> small = {{"small.bin", RandomBytes(200000, 32), GetParam()}};
    const std::vector<ParsedCabinet> inMemory = pack(small);
    EXPECT_EQ(temporaryNames, 0);
    ExpectSame(DecodeSet(inMemory), ExpectedContents(small));

    const std::vector<Source> large = {{"small.bin", RandomBytes(200000, 32), GetParam()},
                                       {"large.bin", RandomBytes(700000, 33), GetParam()}};
    const std::vector<ParsedCabinet> spilled = pack(large);
    EXPECT_EQ(temporaryNames, 1);
    ExpectSame(DecodeSet(spilled), ExpectedContents(large));
}

TEST_P(FciFormat, SetSpansThreeCabinetsWithContinuationMarkers) {
    PackOptions options;
    options.cabinetSize = GetParam() == tcompTYPE_NONE ? 80000 : 50000;
    const std::vector<Source> sources = SpanningSources(GetParam());
    const std::vector<ParsedCabinet> set = pack(sources, options);
    ASSERT_EQ(set.size(), 3u);
    ASSERT_EQ(cabinets, (std::vector<std::string>{"pack.cab", "pack1.cab", "pack2.cab"}));
    for (size_t i = 0; i < set.size(); ++i) {
        EXPECT_LE(set[i].size, options.cabinetSize);
        EXPECT_EQ(set[i].index, i) << "the cabinet number is advanced before each next-cabinet request";
        EXPECT_EQ(set[i].setID, options.setID);
        EXPECT_EQ((set[i].flags & 1) != 0, i > 0);
        EXPECT_EQ((set[i].flags & 2) != 0, i + 1 < set.size());
        if (i > 0) {
            EXPECT_EQ(set[i].prevCabinet, cabinets[i - 1]);
            EXPECT_EQ(set[i].prevDisk, "Disk" + std::to_string(i));
        }
        if (i + 1 < set.size()) {
            EXPECT_EQ(set[i].nextCabinet, cabinets[i + 1]);
            EXPECT_EQ(set[i].nextDisk, "Disk" + std::to_string(i + 2));
            EXPECT_EQ(set[i].folders.back().blocks.back().uncompressed, 0)
                << "a split block ends the cabinet";
            EXPECT_GE(set[i].size + 600, options.cabinetSize) << "a full cabinet is filled to its limit";
            EXPECT_EQ(set[i].files.back().folder & 0xFFFE, 0xFFFE)
                << "the member goes on in the next cabinet";
        }
    }
    ExpectSame(DecodeSet(set), ExpectedContents(sources));
    ASSERT_EQ(estimates.size(), 2u);
    for (ULONG estimate : estimates)
        EXPECT_LE(estimate, options.cabinetSize);
}

TEST_P(FciFormat, ContinuedFolderHoldsOnlyContinuedMembers) {
    PackOptions options;
    options.cabinetSize = GetParam() == tcompTYPE_NONE ? 80000 : 50000;
    const std::vector<ParsedCabinet> set = pack(SpanningSources(GetParam()), options);
    for (size_t i = 1; i < set.size(); ++i) {
        std::vector<std::string> continued, leftBehind;
        for (const ParsedFile& file : set[i].files)
            if (file.folder == kContinuedFromPrev || file.folder == kContinuedBoth)
                continued.push_back(file.name);
        for (const ParsedFile& file : set[i - 1].files)
            if (file.folder == kContinuedToNext || file.folder == kContinuedBoth)
                leftBehind.push_back(file.name);
        EXPECT_EQ(continued, leftBehind)
            << "cabinet " << i << " lists the members the previous one continues";
        // Readers join a continued folder only through such members and drop any other member of it.
        for (const ParsedFile& file : set[i].files)
            EXPECT_TRUE(continued.empty() || file.folder != 0) << file.name << " in cabinet " << i;
    }
    for (const Placed& member : placed) {
        if (member.continuation) {
            EXPECT_NE(member.cabinet, cabinets.front()) << member.name;
        }
    }
}

TEST_P(FciFormat, StatusReportsBlocksFoldersAndCabinets) {
    PackOptions options;
    options.cabinetSize = GetParam() == tcompTYPE_NONE ? 80000 : 50000;
    const std::vector<Source> sources = SpanningSources(GetParam());
    const std::vector<ParsedCabinet> set = pack(sources, options);
    uint64_t uncompressed = 0, expected = 0;
    std::vector<ULONG> cabinetSizes;
    for (const StatusCall& call : statuses) {
        if (call.kind == statusFile)
            uncompressed += call.second;
        if (call.kind == statusCabinet)
            cabinetSizes.push_back(call.second);
    }
    for (const Source& source : sources)
        expected += source.bytes.size();
    EXPECT_EQ(uncompressed, expected);
    ASSERT_EQ(cabinetSizes.size(), set.size());
    for (size_t i = 0; i < set.size(); ++i)
        EXPECT_EQ(cabinetSizes[i], set[i].fileSize);
}

TEST_P(FciFormat, AFullCabinetEndsTheFolderAtAMemberBoundary) {
    const TightSet tight = FullAtMemberBoundary(GetParam());
    const std::vector<ParsedCabinet> set = pack(tight.sources, tight.options);
    ASSERT_EQ(set.size(), 3u);
    ASSERT_EQ(set[0].files.size(), 1u);
    EXPECT_EQ(set[0].files[0].folder, 0) << "the first member is complete in the first cabinet";
    EXPECT_NE(set[0].folders.back().blocks.back().uncompressed, 0) << "no block is split";
    // The second member's first block was compressed again as the start of a new folder.
    ASSERT_EQ(set[1].files.size(), 1u);
    EXPECT_EQ(set[1].files[0].name, "b");
    EXPECT_EQ(set[1].files[0].offset, 0u);
    EXPECT_EQ(set[1].files[0].folder, kContinuedToNext);
    ExpectSame(DecodeSet(set), ExpectedContents(tight.sources));
}

TEST_P(FciFormat, AFullCabinetEndsTheFolderWithTheMemberInside) {
    const TightSet tight = FullInsideMember(GetParam());
    const std::vector<ParsedCabinet> set = pack(tight.sources, tight.options);
    ASSERT_EQ(set.size(), 3u);
    ASSERT_EQ(set[0].files.size(), 1u);
    EXPECT_EQ(set[0].files[0].folder, kContinuedToNext);
    ASSERT_EQ(set[1].files.size(), 2u);
    EXPECT_EQ(set[1].files[0].folder, kContinuedFromPrev);
    EXPECT_EQ(set[1].folders.size(), 2u) << "the second member starts a new folder";
    EXPECT_EQ(set[1].files[1].offset, 0u);
    ExpectSame(DecodeSet(set), ExpectedContents(tight.sources));
}

INSTANTIATE_TEST_SUITE_P(Compression, FciFormat, testing::Values(tcompTYPE_NONE, tcompTYPE_MSZIP),
                         [](const testing::TestParamInfo<TCOMP>& anInfo) {
                             return anInfo.param == tcompTYPE_NONE ? std::string("None")
                                                                   : std::string("Mszip");
                         });

TEST(FciSets, FlushCabinetWithNextStartsALinkedCabinet) {
    ScratchFolder scratch;
    const std::vector<Source> sources = {{"a", TextBytes(5000, 1)}, {"b", TextBytes(6000, 2)}};
    const std::vector<Member> members = Materialise(scratch / "in", sources);
    FciClient client(scratch / "out");
    ASSERT_TRUE(client.begin());
    ASSERT_TRUE(client.add(members[0]));
    ASSERT_TRUE(client.flushCabinet(true));
    ASSERT_TRUE(client.add(members[1]));
    ASSERT_TRUE(client.flushCabinet());
    ASSERT_TRUE(client.end());
    const std::vector<ParsedCabinet> set = ParseSet(scratch / "out", client.cabinets);
    ASSERT_EQ(set.size(), 2u);
    EXPECT_EQ(set[0].nextCabinet, client.cabinets[1]);
    EXPECT_EQ(set[1].prevCabinet, client.cabinets[0]);
    EXPECT_EQ(set[1].files[0].folder, 0) << "no folder was continued";
    ExpectSame(DecodeSet(set), ExpectedContents(sources));
}

TEST(FciSets, AddingAfterAFinalFlushStartsANewUnlinkedCabinet) {
    ScratchFolder scratch;
    const std::vector<Source> sources = {{"a", TextBytes(5000, 1)}, {"b", TextBytes(6000, 2)}};
    const std::vector<Member> members = Materialise(scratch / "in", sources);
    FciClient client(scratch / "out");
    ASSERT_TRUE(client.begin());
    ASSERT_TRUE(client.add(members[0]));
    ASSERT_TRUE(client.flushCabinet(false));
    ASSERT_TRUE(client.add(members[1]));
    ASSERT_TRUE(client.flushCabinet(false));
    ASSERT_TRUE(client.end());
    ASSERT_EQ(client.cabinets.size(), 2u) << "the client names the new cabinet";
    const std::vector<ParsedCabinet> set = ParseSet(scratch / "out", client.cabinets);
    ASSERT_EQ(set.size(), 2u);
    EXPECT_EQ(set[0].flags, 0);
    EXPECT_EQ(set[1].flags, 0);
    ASSERT_EQ(set[1].files.size(), 1u);
    EXPECT_EQ(set[1].files[0].name, "b");
    ExpectSame(DecodeSet({set[1]}), ExpectedContents({sources[1]}));
}

} // namespace
} // namespace kf::cabtest
