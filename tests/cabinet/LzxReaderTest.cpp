// LZX cabinets of every window size through cabextract, 7-Zip, gcab, Wine's cabinet.dll and this
// library's FDI: the cases where the format's frame, block and translation rules bite.
#include "ForeignReaders.h"
#include "Scenario.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kf::cabtest {
namespace {

constexpr uint32_t kFrame = 32768;
const std::filesystem::path kPeSample = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/ntdll.dll";

TCOMP Lzx(uint32_t aLevel) {
    return TCOMPfromLZXWindow(aLevel);
}

// A real x86-64 program: its calls are what the E8 translation is for.
std::string X86Code(size_t aSize) {
    const std::string bytes = ReadFile(kPeSample);
    EXPECT_GE(bytes.size(), aSize) << kPeSample << " is missing or short: run scripts/setup.sh";
    return bytes.substr(0, aSize);
}

// Real text: the C library's headers, in name order.
std::string CHeaders(size_t aSize) {
    std::vector<std::filesystem::path> headers;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/include"))
        if (entry.path().extension() == ".h")
            headers.push_back(entry.path());
    std::sort(headers.begin(), headers.end());
    std::string text;
    for (size_t i = 0; i < headers.size() && text.size() < aSize; ++i)
        text += ReadFile(headers[i]);
    EXPECT_GE(text.size(), aSize) << "too few headers in /usr/include: run scripts/setup.sh";
    return text.substr(0, aSize);
}

// A pattern whose period does not divide the frame size: its matches run over every frame end.
std::string Periodic(size_t aSize, size_t aPeriod, uint32_t aSeed) {
    const std::string period = RandomBytes(aPeriod, aSeed);
    std::string bytes;
    while (bytes.size() < aSize)
        bytes += period;
    bytes.resize(aSize);
    return bytes;
}

class LzxReaders : public testing::Test {
protected:
    std::vector<std::string> pack(const std::vector<Source>& aSources, const PackOptions& anOptions = {}) {
        std::filesystem::remove_all(scratch / "out");
        FciClient client(scratch / "out");
        EXPECT_TRUE(client.pack(Materialise(scratch / "in", aSources), anOptions))
            << client.failedCall << ": " << client.erf.erfOper;
        peak = client.peakAllocated();
        return client.cabinets;
    }

    void packAndCheck(const std::vector<Source>& aSources, const PackOptions& anOptions = {}) {
        const std::vector<std::string> cabinets = pack(aSources, anOptions);
        ASSERT_FALSE(cabinets.empty());
        std::filesystem::remove_all(scratch / "x");
        ExpectEveryReaderRestores(scratch / "out", cabinets, ExpectedContents(aSources), scratch / "x");
    }

    uintmax_t cabinetSize(const std::vector<std::string>& aCabinets) const {
        uintmax_t total = 0;
        for (const std::string& name : aCabinets)
            total += std::filesystem::file_size(scratch / "out" / name);
        return total;
    }

    ScratchFolder scratch;
    size_t peak = 0;
};

TEST_F(LzxReaders, EveryWindowSizeWithFrameBoundarySizes) {
    for (uint32_t level = 15; level <= 21; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        packAndCheck(
            {{"empty", "", Lzx(level)},
             {"tiny", "ab", Lzx(level)},
             {"frame", TextBytes(kFrame, level), Lzx(level)},
             {"frame-and-one", TextBytes(kFrame + 1, level + 100), Lzx(level)},
             {"code", X86Code(100000), Lzx(level)},
             {"far", TextBytes(3 * kFrame, level + 200) + TextBytes(3 * kFrame, level + 200), Lzx(level)}});
    }
}

// Folders of these sizes, compressed and stored: the last frame's padding and the odd stored
// block's pad byte.
TEST_F(LzxReaders, FoldersAtTheFrameSizes) {
    for (const size_t size :
         {size_t{0}, size_t{1}, size_t{kFrame - 1}, size_t{kFrame}, size_t{kFrame + 1}, size_t{2 * kFrame}}) {
        SCOPED_TRACE("size " + std::to_string(size));
        packAndCheck(
            {{"text", TextBytes(size, 7), Lzx(21), false, true}, {"random", RandomBytes(size, 8), Lzx(21)}});
    }
}

TEST_F(LzxReaders, LongRunsAndMatchesOverFrameEnds) {
    packAndCheck({{"run", std::string(300000, 'z'), Lzx(21)},
                  {"period-1000", Periodic(200000, 1000, 1), Lzx(21)},
                  {"period-3", Periodic(100003, 3, 2), Lzx(21)},
                  {"run-again", std::string(kFrame + 7, 'z'), Lzx(21)}});
    packAndCheck({{"period-5000", Periodic(150001, 5000, 3), Lzx(15)}});
}

TEST_F(LzxReaders, IncompressibleDataIsStoredInUncompressedBlocks) {
    const std::vector<Source> sources = {{"random", RandomBytes(5 * kFrame + 4001, 4), Lzx(21)},
                                         {"text", TextBytes(20000, 5), Lzx(21)},
                                         {"random-again", RandomBytes(40001, 6), Lzx(21)}};
    packAndCheck(sources);
    // Uncompressed blocks cost 16 bytes per frame; anything more means a compressed try was kept.
    const uintmax_t randomBytes = 5 * kFrame + 4001 + 40001;
    EXPECT_LT(cabinetSize(pack(sources)), randomBytes + 20000 / 2 + 1000);
}

TEST_F(LzxReaders, X86CodeAndText) {
    packAndCheck(
        {{"ntdll.dll", X86Code(1500000), Lzx(21), true}, {"readme.txt", TextBytes(300000, 9), Lzx(21)}});
}

// The window, the repeated offsets and the codes carry across files: a second copy of a file
// costs almost nothing, at any distance the window reaches.
TEST_F(LzxReaders, HistoryCarriesAcrossFilesOfAFolder) {
    const std::string data = RandomBytes(100000, 10);
    const std::vector<Source> near = {{"one", data, Lzx(18)}, {"two", data, Lzx(18)}};
    packAndCheck(near);
    EXPECT_LT(cabinetSize(pack(near)), 100000 + 5000);
    const std::vector<Source> far = {
        {"one", data, Lzx(21)}, {"gap", RandomBytes(1500000, 11), Lzx(21)}, {"two", data, Lzx(21)}};
    packAndCheck(far);
    EXPECT_LT(cabinetSize(pack(far)), 1600000 + 5000);
}

TEST_F(LzxReaders, SetsSpanningSeveralCabinets) {
    PackOptions options;
    options.cabinetSize = 30000;
    const std::vector<Source> sources = {{"a.txt", TextBytes(400000, 12), Lzx(21)},
                                         {"b.dll", X86Code(200000), Lzx(21)},
                                         {"c.bin", RandomBytes(50000, 13), Lzx(21)},
                                         {"d.txt", TextBytes(100000, 14), Lzx(21)}};
    const std::vector<std::string> cabinets = pack(sources, options);
    EXPECT_GE(cabinets.size(), 4u);
    ExpectEveryReaderRestores(scratch / "out", cabinets, ExpectedContents(sources), scratch / "x");
}

// Several folders of different window sizes and compressions in one cabinet. Wine's FDI keeps
// the state of every method in one place: an LZX folder after an MSZIP one comes out empty there,
// so MSZIP comes last.
TEST_F(LzxReaders, FoldersOfDifferentWindowsInOneCabinet) {
    packAndCheck({{"a", TextBytes(70000, 15), Lzx(15)},
                  {"b", TextBytes(70000, 16), Lzx(21)},
                  {"c", TextBytes(70000, 17), tcompTYPE_NONE},
                  {"d", TextBytes(70000, 18), Lzx(16), false, true},
                  {"e", TextBytes(70000, 19), Lzx(16)},
                  {"f", TextBytes(70000, 20), tcompTYPE_MSZIP}});
}

TEST_F(LzxReaders, OutputBeatsMszipAndMemoryFollowsTheWindow) {
    std::vector<Source> sources = {{"code", X86Code(1000000), Lzx(21)}, {"text", CHeaders(1000000), Lzx(21)}};
    const uintmax_t lzx = cabinetSize(pack(sources));
    const size_t lzxPeak = peak;
    for (Source& source : sources)
        source.type = tcompTYPE_MSZIP;
    const uintmax_t mszip = cabinetSize(pack(sources));
    // A parse that misses matches or prices them wrong falls behind MSZIP; the size targets
    // themselves are measured on a larger corpus by bench/lzx-bench.sh.
    EXPECT_LT(lzx, mszip * 95 / 100);
    EXPECT_LT(lzxPeak, size_t{100} << 20);
    // Four times the data takes no more memory; a smaller window takes less.
    pack({{"big", TextBytes(4000000, 21) + X86Code(1000000), Lzx(21)}});
    EXPECT_LE(peak, lzxPeak + (64u << 10));
    pack({{"small", TextBytes(1000000, 22), Lzx(15)}});
    EXPECT_LT(peak, lzxPeak / 2);
}

} // namespace
} // namespace kf::cabtest
