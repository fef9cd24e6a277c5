// Every callback failure and every format limit: the failing call reports it in the ERF, and the
// library releases all it holds.
#include "Scenario.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace kf::cabtest {
namespace {

struct FaultCase {
    const char* label;
    Callback callback;
    Role role;
    int expectedOper;
    bool reportsError; // the callback's error value reaches erfType
};

std::ostream& operator<<(std::ostream& aStream, const FaultCase& aCase) {
    return aStream << aCase.label;
}

// A set of three cabinets with a stored and an MSZIP folder exercises every callback but those of
// the temporary file, which only a cabinet whose data outgrows memory needs.
std::vector<Source> SweepSources() {
    std::vector<Source> sources = SpanningSources(tcompTYPE_MSZIP);
    sources.push_back({"stored.bin", RandomBytes(20000, 9), tcompTYPE_NONE});
    return sources;
}

PackOptions SweepOptions() {
    PackOptions options;
    options.cabinetSize = 50000;
    return options;
}

// Three cabinets of 400 KB, each too large for memory: one temporary file, used again by each.
std::vector<Source> SpillingSources() {
    return {{"large.bin", RandomBytes(900000, 12), tcompTYPE_NONE}, {"text.txt", TextBytes(60000, 13)}};
}

PackOptions SpillingOptions() {
    PackOptions options;
    options.cabinetSize = 400000;
    return options;
}

class FciFault : public testing::TestWithParam<FaultCase> {};

TEST_P(FciFault, EveryOccurrenceFailsCleanly) {
    const FaultCase& fault = GetParam();
    ScratchFolder scratch;
    const bool spilling = fault.role == Role::Temporary;
    const std::vector<Member> members =
        Materialise(scratch / "in", spilling ? SpillingSources() : SweepSources());
    const PackOptions options = spilling ? SpillingOptions() : SweepOptions();
    int occurrences = 0;
    {
        FciClient clean(scratch / "clean");
        ASSERT_TRUE(clean.pack(members, options)) << clean.failedCall;
        occurrences = clean.calls[{fault.callback, fault.role}];
    }
    ASSERT_GT(occurrences, 0) << "the scenario never calls this callback";
    for (int occurrence = 1; occurrence <= occurrences; ++occurrence) {
        SCOPED_TRACE("occurrence " + std::to_string(occurrence) + " of " + std::to_string(occurrences));
        const std::filesystem::path output = scratch / ("run" + std::to_string(occurrence));
        FciClient client(output);
        client.fault = Fault{fault.callback, fault.role, occurrence, 1234};
        EXPECT_FALSE(client.pack(members, options));
        EXPECT_TRUE(client.erf.fError);
        EXPECT_EQ(client.erf.erfOper, fault.expectedOper) << "failed in " << client.failedCall;
        EXPECT_EQ(client.erf.erfType, fault.reportsError ? 1234 : 0);
        EXPECT_EQ(client.liveAllocations(), 0u) << "blocks not released";
        EXPECT_EQ(client.openHandles(), 0u) << "handles not closed";
        if (fault.callback != Callback::Delete) {
            EXPECT_TRUE(client.leftTemporaryFiles().empty()) << "temporary files left behind";
        }
        // Whatever cabinet files stay behind are whole cabinets.
        for (const auto& entry : std::filesystem::directory_iterator(output))
            EXPECT_NO_THROW(ParseCabinet(ReadFile(entry.path()))) << entry.path();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Callbacks, FciFault,
    testing::Values(FaultCase{"Alloc", Callback::Alloc, Role::Any, FCIERR_ALLOC_FAIL, false},
                    FaultCase{"TempName", Callback::TempName, Role::Temporary, FCIERR_TEMP_FILE, false},
                    FaultCase{"OpenTemporary", Callback::Open, Role::Temporary, FCIERR_TEMP_FILE, true},
                    FaultCase{"OpenCabinet", Callback::Open, Role::Cabinet, FCIERR_CAB_FILE, true},
                    FaultCase{"OpenInfo", Callback::OpenInfo, Role::Source, FCIERR_OPEN_SRC, true},
                    FaultCase{"ReadSource", Callback::Read, Role::Source, FCIERR_READ_SRC, true},
                    FaultCase{"ReadTemporary", Callback::Read, Role::Temporary, FCIERR_TEMP_FILE, true},
                    FaultCase{"WriteTemporary", Callback::Write, Role::Temporary, FCIERR_TEMP_FILE, true},
                    FaultCase{"WriteCabinet", Callback::Write, Role::Cabinet, FCIERR_CAB_FILE, true},
                    FaultCase{"SeekSource", Callback::Seek, Role::Source, FCIERR_READ_SRC, true},
                    FaultCase{"SeekTemporary", Callback::Seek, Role::Temporary, FCIERR_TEMP_FILE, true},
                    FaultCase{"CloseSource", Callback::Close, Role::Source, FCIERR_READ_SRC, true},
                    FaultCase{"CloseCabinet", Callback::Close, Role::Cabinet, FCIERR_CAB_FILE, true},
                    FaultCase{"CloseTemporary", Callback::Close, Role::Temporary, FCIERR_TEMP_FILE, true},
                    FaultCase{"DeleteTemporary", Callback::Delete, Role::Temporary, FCIERR_TEMP_FILE, true},
                    FaultCase{"NextCabinet", Callback::NextCabinet, Role::Any, FCIERR_USER_ABORT, false},
                    FaultCase{"Status", Callback::Status, Role::Any, FCIERR_USER_ABORT, false},
                    FaultCase{"FilePlaced", Callback::FilePlaced, Role::Any, FCIERR_USER_ABORT, false}),
    [](const testing::TestParamInfo<FaultCase>& anInfo) { return std::string(anInfo.param.label); });

class FciLimits : public testing::Test {
protected:
    Member member(const std::string& aName, const std::string& aBytes, TCOMP aType = tcompTYPE_MSZIP) {
        const std::filesystem::path path = scratch / "in" / std::to_string(++counter);
        WriteFile(path, aBytes);
        return {path, aName, aType};
    }
    Member sparse(uint64_t aSize) {
        const std::filesystem::path path = scratch / "in" / ("sparse" + std::to_string(++counter));
        WriteFile(path, "");
        EXPECT_EQ(::truncate(path.c_str(), static_cast<off_t>(aSize)), 0);
        return {path, "sparse.bin", tcompTYPE_MSZIP};
    }
    // The call failed with the error, and the context still makes a good cabinet afterwards.
    void expectRefusedAndUsable(FciClient& aClient, const Member& aMember, int anOper) {
        EXPECT_FALSE(aClient.add(aMember));
        EXPECT_EQ(aClient.erf.erfOper, anOper);
        EXPECT_TRUE(aClient.add(member("after.txt", "still fine")));
        EXPECT_TRUE(aClient.flushCabinet());
        EXPECT_TRUE(aClient.end());
        const ParsedCabinet cabinet = ParseCabinet(ReadFile(aClient.output / aClient.cabinets[0]));
        ASSERT_EQ(cabinet.files.size(), 1u);
        EXPECT_EQ(cabinet.files[0].name, "after.txt");
        EXPECT_EQ(aClient.liveAllocations(), 0u);
    }

    ScratchFolder scratch;
    int counter = 0;
};

TEST_F(FciLimits, StoredNamesMustHaveOneTo255Characters) {
    FciClient client(scratch / "out");
    ASSERT_TRUE(client.begin());
    EXPECT_TRUE(client.add(member(std::string(255, 'n'), "longest name")));
    EXPECT_FALSE(client.add(member(std::string(256, 'n'), "too long")));
    EXPECT_EQ(client.erf.erfOper, FCIERR_CAB_FORMAT_LIMIT);
    EXPECT_FALSE(client.add(member("", "no name")));
    EXPECT_EQ(client.erf.erfOper, FCIERR_CAB_FORMAT_LIMIT);
    EXPECT_TRUE(client.flushCabinet());
    EXPECT_TRUE(client.end());
    const ParsedCabinet cabinet = ParseCabinet(ReadFile(scratch / "out" / client.cabinets[0]));
    ASSERT_EQ(cabinet.files.size(), 1u);
    EXPECT_EQ(cabinet.files[0].name, std::string(255, 'n'));
}

TEST_F(FciLimits, LzxOutsideItsWindowsAndQuantumAreRefusedNotStored) {
    for (TCOMP type : {TCOMP(tcompTYPE_LZX | (14 << 8)), TCOMP(tcompTYPE_LZX | (22 << 8)),
                       TCOMP(tcompTYPE_LZX), TCOMP(tcompTYPE_LZX | (21 << 8) | 0x2000),
                       TCOMP(tcompTYPE_QUANTUM), TCOMP(0x0004), TCOMP(tcompTYPE_MSZIP | 0x0100)}) {
        FciClient client(scratch / ("out" + std::to_string(type)));
        ASSERT_TRUE(client.begin());
        SCOPED_TRACE("type " + std::to_string(type));
        expectRefusedAndUsable(client, member("x", "data", type), FCIERR_BAD_COMPR_TYPE);
    }
}

TEST_F(FciLimits, FilesOverTheFolderLimitAreRefusedBeforeReading) {
    for (uint64_t size : {uint64_t{0x7FFF8001}, uint64_t{0xC0000000}}) {
        FciClient client(scratch / ("out" + std::to_string(size)));
        ASSERT_TRUE(client.begin());
        SCOPED_TRACE("size " + std::to_string(size));
        expectRefusedAndUsable(client, sparse(size), FCIERR_CAB_FORMAT_LIMIT);
    }
}

TEST_F(FciLimits, At65535FilesTheCabinetIsFull) {
    const Member empty = member("e", "");
    FciClient client(scratch / "out");
    ASSERT_TRUE(client.begin());
    for (int i = 0; i < 65535; ++i)
        ASSERT_TRUE(client.add({empty.source, "e" + std::to_string(i), tcompTYPE_NONE})) << i;
    EXPECT_FALSE(client.add({empty.source, "one too many", tcompTYPE_NONE}));
    EXPECT_EQ(client.erf.erfOper, FCIERR_CAB_FORMAT_LIMIT);
    EXPECT_TRUE(client.flushCabinet());
    EXPECT_TRUE(client.end());
    const ParsedCabinet cabinet = ParseCabinet(ReadFile(scratch / "out" / client.cabinets[0]));
    EXPECT_EQ(cabinet.files.size(), 65535u);
    EXPECT_EQ(cabinet.files.back().name, "e65534");
}

TEST_F(FciLimits, ACabinetLimitTooSmallForAnyDataFails) {
    FciClient client(scratch / "out");
    PackOptions options;
    options.cabinetSize = 300;
    EXPECT_FALSE(client.pack({member("data.bin", RandomBytes(5000, 1))}, options));
    EXPECT_EQ(client.erf.erfOper, FCIERR_CAB_FORMAT_LIMIT);
    EXPECT_EQ(client.liveAllocations(), 0u);
}

TEST_F(FciLimits, ReserveSizesBeyondTheFormatAreRefused) {
    for (const auto& [header, folder, data] : {std::tuple{60001u, 0u, 0u}, {0u, 256u, 0u}, {0u, 0u, 256u}}) {
        FciClient client(scratch / "out");
        PackOptions options;
        options.reserveHeader = header;
        options.reserveFolder = folder;
        options.reserveData = data;
        EXPECT_FALSE(client.begin(options));
        EXPECT_EQ(client.erf.erfOper, FCIERR_CAB_FORMAT_LIMIT);
        EXPECT_EQ(client.liveAllocations(), 0u);
    }
}

TEST(FciState, AFailureHalfWayThroughAFileIsRepeatedByLaterCalls) {
    ScratchFolder scratch;
    const std::vector<Member> members = Materialise(scratch / "in", {{"big", RandomBytes(200000, 1)}});
    FciClient client(scratch / "out");
    client.fault = Fault{Callback::Read, Role::Source, 3, 77};
    ASSERT_TRUE(client.begin());
    EXPECT_FALSE(client.add(members[0]));
    EXPECT_EQ(client.erf.erfOper, FCIERR_READ_SRC);
    client.erf = {};
    EXPECT_FALSE(client.flushCabinet());
    EXPECT_EQ(client.erf.erfOper, FCIERR_READ_SRC);
    EXPECT_EQ(client.erf.erfType, 77);
    EXPECT_TRUE(client.end());
    EXPECT_FALSE(std::filesystem::exists(scratch / "out" / client.cabinets[0]))
        << "no cabinet from a failed set";
    EXPECT_EQ(client.liveAllocations(), 0u);
}

// A cabinet too large for memory is copied from its temporary file when it is written; a client
// that stops during the copy gets no partial cabinet.
TEST(FciState, StoppingWhileALargeCabinetIsCopiedLeavesNoCabinet) {
    ScratchFolder scratch;
    const std::vector<Member> members =
        Materialise(scratch / "in", {{"large.bin", RandomBytes(1500000, 5), tcompTYPE_NONE}});
    int partOfTheCopy = 0;
    {
        FciClient clean(scratch / "clean");
        ASSERT_TRUE(clean.pack(members));
        for (size_t i = 0; i < clean.statuses.size() && partOfTheCopy == 0; ++i) {
            const StatusCall& call = clean.statuses[i];
            if (call.kind == statusFolder && call.first < call.second)
                partOfTheCopy = static_cast<int>(i) + 1;
        }
    }
    ASSERT_GT(partOfTheCopy, 0) << "the copy reports no progress";
    FciClient client(scratch / "out");
    client.fault = Fault{Callback::Status, Role::Any, partOfTheCopy};
    EXPECT_FALSE(client.pack(members));
    EXPECT_EQ(client.failedCall, "FCIFlushCabinet");
    EXPECT_EQ(client.erf.erfOper, FCIERR_USER_ABORT);
    EXPECT_TRUE(std::filesystem::is_empty(scratch / "out")) << "a partial cabinet was left";
    EXPECT_TRUE(client.leftTemporaryFiles().empty());
    EXPECT_EQ(client.liveAllocations(), 0u);
    EXPECT_EQ(client.openHandles(), 0u);
}

} // namespace
} // namespace kf::cabtest
