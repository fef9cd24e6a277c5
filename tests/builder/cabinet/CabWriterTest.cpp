#include "builder/cabinet/CabQvComps.h"

#include "../../project/TestSupport.h"
#include "../CabinetReader.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

using namespace kf;
using kf::test::ReadFile;

namespace {

// The members of a cabinet set, extracted by a reader we did not write, by name.
std::map<std::string, std::string> Extract(const std::string& aCabinet, const std::string& aFolder) {
    std::map<std::string, std::string> files;
    for (auto& [name, content] : test::ExtractCabinetFile(aCabinet, aFolder))
        files[name] = content;
    return files;
}

struct TPlaced {
    std::string Cabinet;
    std::string Disk;
    std::string Name;
    int32_t Size;
};

class CabWriterTest : public ::testing::Test {
protected:
    test::TTempFolder temp;
    TQvCabWriter writer;
    std::vector<TPlaced> placed;

    void SetUp() override {
        writer.SetCompressionType(cctMsZip);
        writer.OnFilePlaced = [this](TQvCabWriter&, const TCCAB& aCCab, const std::string& aName,
                                     int32_t aSize, bool aContinuation, bool&) {
            if (!aContinuation)
                placed.push_back({aCCab.szCab, aCCab.szDisk, aName, aSize});
        };
    }

    std::string Source(const std::string& aName, size_t aSize) {
        std::string bytes(aSize, '\0');
        for (size_t i = 0; i < aSize; ++i)
            bytes[i] = static_cast<char>((i * 7 + aName.size()) % 251);
        return temp.WriteFile("src/" + aName, bytes);
    }
};

} // namespace

TEST_F(CabWriterTest, DefaultsAreLzxLevel21WithoutLimits) {
    TQvCabWriter fresh;
    EXPECT_EQ(fresh.CompressionType(), cctLzx);
    EXPECT_EQ(fresh.CompressionLzxLevel(), 21);
    EXPECT_EQ(fresh.CompressionCode(), 0x1503);
    EXPECT_EQ(fresh.CabinetSizeThreshold, 0u);
    EXPECT_EQ(fresh.FolderFileCountThreshold, 0u);
    EXPECT_FALSE(fresh.IsOpen());
    fresh.Close(true); // nothing to do on a closed writer
    EXPECT_FALSE(fresh.IsOpen());
}

TEST_F(CabWriterTest, CompressionCodeFollowsTypeAndStoredLevel) {
    writer.SetCompressionLzxLevel(15);
    EXPECT_EQ(writer.CompressionCode(), 0x0001);
    writer.SetCompressionType(cctLzx);
    EXPECT_EQ(writer.CompressionCode(), 0x0F03);
    writer.SetCompressionType(cctNone);
    EXPECT_EQ(writer.CompressionCode(), 0x0000);
}

TEST_F(CabWriterTest, TwoFilesMakeOneCabinetThatAnotherReaderExtracts) {
    const std::string a = Source("a.exe", 70000);
    const std::string b = Source("b.txt", 1);
    writer.Open(temp.Path("out/a.cab"));
    writer.AddFile(a, "a.exe", false);
    writer.AddFile(b, "\\docs\\b.txt", false);
    writer.Close(true);
    EXPECT_FALSE(writer.IsOpen());

    const auto files = Extract(temp.Path("out/a.cab"), temp.Path("x"));
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files.at("a.exe"), ReadFile(a));
    EXPECT_EQ(files.at("docs/b.txt"), ReadFile(b)); // cabextract shows "\\" as "/"
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed[1].Name, "docs\\b.txt");
    EXPECT_EQ(placed[0].Disk, "Disk1");
    EXPECT_EQ(placed[0].Size, 70000);
}

TEST_F(CabWriterTest, OnlyOneLeadingBackslashIsDropped) {
    writer.Open(temp.Path("n.cab"));
    writer.AddFile(Source("x", 3), "\\\\x", false);
    writer.Close(true);
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed[0].Name, "\\x");
}

TEST_F(CabWriterTest, OpenReplacesAnOldCabinetMakesItsFolderAndResolvesRelativeNames) {
    const std::string old = temp.WriteFile("deep/er/c.cab", "stale bytes that must go");
    writer.Open(old);
    writer.AddFile(Source("f", 10), "f", false);
    writer.Close(true);
    EXPECT_EQ(ReadFile(old).substr(0, 4), "MSCF");

    const std::string previous = std::filesystem::current_path();
    std::filesystem::current_path(temp.Path(""));
    writer.Open("rel/d.cab");
    std::filesystem::current_path(previous);
    EXPECT_EQ(writer.CabinetFileName(), temp.Path("rel/d.cab"));
    EXPECT_TRUE(std::filesystem::is_directory(temp.Path("rel")));
    writer.Close(false);
}

TEST_F(CabWriterTest, AFileCountThresholdSplitsTheSetIntoNumberedCabinets) {
    writer.CabinetFileCountThreshold = 2;
    std::vector<std::string> sources;
    writer.Open(temp.Path("set/s.cab"));
    for (int i = 0; i < 5; ++i) {
        sources.push_back(Source("f" + std::to_string(i), 1000 + i));
        writer.AddFile(sources.back(), "f" + std::to_string(i), false);
    }
    writer.Close(true);

    ASSERT_EQ(placed.size(), 5u);
    const std::vector<std::string> expected = {"s.cab", "s.cab", "s1.cab", "s1.cab", "s2.cab"};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(placed[i].Cabinet, expected[i]) << i;
    EXPECT_EQ(placed[4].Disk, "Disk3");
    EXPECT_TRUE(std::filesystem::exists(temp.Path("set/s2.cab")));
    const auto files = Extract(temp.Path("set/s.cab"), temp.Path("x"));
    ASSERT_EQ(files.size(), 5u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(files.at("f" + std::to_string(i)), ReadFile(sources[i]));
}

TEST_F(CabWriterTest, TemplatesNameAndPlaceTheLaterCabinets) {
    writer.CabinetFileCountThreshold = 1;
    writer.CabinetNameTemplate = "part*_of_*.cab";
    writer.CabinetPathTemplate = temp.Path("disk*");
    writer.DiskLabelTemplate = "Volume *";
    writer.Open(temp.Path("first/p.cab"));
    EXPECT_EQ(writer.CabinetNameFor(3), "part3_of_3.cab");
    EXPECT_EQ(writer.CabinetPathFor(2), temp.Path("disk2/"));
    EXPECT_EQ(writer.DiskLabelFor(2), "Volume 2");
    writer.AddFile(Source("a", 5), "a", false);
    writer.AddFile(Source("b", 5), "b", false);
    writer.Close(true);
    EXPECT_TRUE(std::filesystem::exists(temp.Path("first/p.cab")));
    EXPECT_TRUE(std::filesystem::exists(temp.Path("disk2/part1_of_1.cab")));
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed[1].Disk, "Volume 2");
}

TEST_F(CabWriterTest, DefaultNamesInsertTheNumberBeforeTheExtension) {
    writer.OnGetNextCabinet = [](TQvCabWriter&, TCCAB&, uint32_t, bool& anAbort) { anAbort = true; };
    writer.Open(temp.Path("out/setup.cab"));
    EXPECT_FALSE(writer.IsOpen()); // an abort inside Open returns quietly
    EXPECT_EQ(writer.CabinetNameFor(1), "setup1.cab");
    EXPECT_EQ(writer.CabinetPathFor(7), temp.Path("out/"));
    EXPECT_EQ(writer.DiskLabelFor(2), "Disk2");
    writer.Open(temp.Path("out/data"));
    EXPECT_EQ(writer.CabinetNameFor(12), "data12");
}

TEST(JoinPath, PutsExactlyOneSeparatorBetweenThePieces) {
    EXPECT_EQ(JoinPath("/a/", "/b"), "/a/b");
    EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/a", "/b"), "/a/b");
    EXPECT_EQ(JoinPath("", "b"), "b");
    EXPECT_EQ(JoinPath("/a", ""), "/a");
}

TEST_F(CabWriterTest, ASkippedFileTouchesNeitherTheCabinetNorTheCounters) {
    writer.CabinetFileCountThreshold = 2;
    writer.OnBeforeFileAdd = [](TQvCabWriter&, const std::string& aName, bool& aSkip) {
        aSkip = aName.ends_with("skip");
    };
    writer.Open(temp.Path("k.cab"));
    writer.AddFile(Source("one", 4), "one", false);
    writer.AddFile(Source("skip", 4), "skip", false);
    EXPECT_EQ(writer.CabinetFileCount(), 1u);
    writer.AddFile(Source("two", 4), "two", false);
    writer.Close(true);
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed[1].Cabinet, "k.cab");
}

TEST_F(CabWriterTest, ProgressFiresOnTheSecondAndEveryNinthFileNotificationAfter) {
    std::vector<int> progressAt;
    int notifications = 0;
    writer.OnFileStatus = [&](TQvCabWriter&, uint32_t, uint32_t, bool&) { ++notifications; };
    writer.OnProgress = [&](TQvCabWriter&, bool&) { progressAt.push_back(notifications); };
    writer.Open(temp.Path("p.cab"));
    writer.AddFile(Source("big", 32768 * 25), "big", false);
    writer.Close(true);
    ASSERT_GE(notifications, 20);
    std::vector<int> expected;
    for (int at = 2; at <= notifications; at += 9)
        expected.push_back(at);
    EXPECT_EQ(progressAt, expected);
}

TEST_F(CabWriterTest, AnAbortFromAnEventFailsTheCallWithTheUserAbortError) {
    writer.OnFileStatus = [](TQvCabWriter&, uint32_t, uint32_t, bool& anAbort) { anAbort = true; };
    writer.Open(temp.Path("abort.cab"));
    try {
        writer.AddFile(Source("f", 40000), "f", false);
        writer.FlushCabinet(false);
        FAIL() << "the abort was not reported";
    } catch (const EQvCabinet& error) {
        EXPECT_EQ(error.ErrorCode, FCIERR_USER_ABORT);
        EXPECT_TRUE(std::string(error.what()).starts_with("Client requested abort [0x0007]")) << error.what();
    }
    EXPECT_TRUE(writer.IsOpen());
    writer.Close(false);
}

// A cabinet too large for memory is written from a temporary file, and can be stopped on the way.
TEST_F(CabWriterTest, AnAbortWhileALargeCabinetIsWrittenLeavesNoCabinet) {
    writer.SetCompressionType(cctNone);
    std::vector<std::pair<uint32_t, uint32_t>> copied;
    writer.OnFolderStatus = [&](TQvCabWriter&, uint32_t aCopied, uint32_t aTotal, bool& anAbort) {
        copied.emplace_back(aCopied, aTotal);
        anAbort = aCopied < aTotal;
    };
    writer.Open(temp.Path("large.cab"));
    writer.AddFile(temp.WriteFile("large.bin", test::NoiseBytes(3 << 20)), "large.bin", false);
    try {
        writer.Close(true);
        FAIL() << "the abort was not reported";
    } catch (const EQvCabinet& error) {
        EXPECT_EQ(error.ErrorCode, FCIERR_USER_ABORT);
    }
    ASSERT_FALSE(copied.empty());
    EXPECT_LT(copied.back().first, copied.back().second) << "the copy was not reported as it went";
    EXPECT_FALSE(std::filesystem::exists(temp.Path("large.cab")));
}

TEST_F(CabWriterTest, AnErrorThrownByAHandlerComesOutOfTheWriterCall) {
    writer.OnFileStatus = [](TQvCabWriter&, uint32_t, uint32_t, bool&) {
        throw std::runtime_error("handler broke");
    };
    writer.Open(temp.Path("throw.cab"));
    try {
        writer.AddFile(Source("f", 40000), "f", false);
        writer.FlushCabinet(false);
        FAIL() << "the handler's error was lost";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "handler broke");
    }
}

TEST_F(CabWriterTest, AMissingSourceFileNamesTheSystemError) {
    writer.Open(temp.Path("m.cab"));
    try {
        writer.AddFile(temp.Path("no-such-file"), "x", false);
        FAIL() << "a missing source was accepted";
    } catch (const EQvCabinet& error) {
        EXPECT_EQ(error.ErrorCode, FCIERR_OPEN_SRC);
        EXPECT_EQ(error.ErrorType, ENOENT);
        EXPECT_TRUE(std::string(error.what())
                        .starts_with("Failure opening file to be stored in cabinet [0x0001].\r\n"))
            << error.what();
        EXPECT_TRUE(std::string(error.what()).ends_with("[0x0002].\r\n" + temp.Path("no-such-file")))
            << error.what();
        EXPECT_EQ(writer.CabinetFileCount(), 0u);
    }
    writer.Close(false);
}

// "Maximal" compression: LZX with the 2 MiB window, in a cabinet another reader extracts.
TEST_F(CabWriterTest, LzxLevel21CabinetsExtract) {
    writer.SetCompressionLzxLevel(21);
    writer.SetCompressionType(cctLzx);
    const std::string a = Source("a.exe", 200000);
    const std::string b = Source("b.txt", 33);
    writer.Open(temp.Path("out/l.cab"));
    writer.AddFile(a, "a.exe", false);
    writer.AddFile(b, "b.txt", false);
    writer.Close(true);
    const std::string cabinet = ReadFile(temp.Path("out/l.cab"));
    ASSERT_GT(cabinet.size(), 44u);
    EXPECT_EQ(static_cast<uint8_t>(cabinet[42]) | (static_cast<uint8_t>(cabinet[43]) << 8), 0x1503)
        << "the folder's compression code";
    EXPECT_LT(cabinet.size(), 200000u / 4);
    const auto files = Extract(temp.Path("out/l.cab"), temp.Path("x"));
    ASSERT_EQ(files.size(), 2u);
    EXPECT_TRUE(files.at("a.exe") == ReadFile(a));
    EXPECT_TRUE(files.at("b.txt") == ReadFile(b));
}

TEST_F(CabWriterTest, ANameLongerThanACabinetFieldIsRefusedBeforeTheLibrarySeesIt) {
    writer.CabinetFileCountThreshold = 1;
    writer.CabinetNameTemplate = std::string(300, 'n') + "*.cab";
    writer.Open(temp.Path("long.cab"));
    writer.AddFile(Source("a", 5), "a", false);
    try {
        writer.AddFile(Source("b", 5), "b", false);
        FAIL() << "an over-long cabinet name was passed on";
    } catch (const EQvCabinet&) {
        FAIL() << "the library saw the name";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find("longer than 255 characters"), std::string::npos);
    }
}

TEST_F(CabWriterTest, DestroyingAnOpenWriterAbandonsTheSet) {
    {
        TQvCabWriter dropped;
        dropped.SetCompressionType(cctNone);
        dropped.Open(temp.Path("dropped.cab"));
        dropped.AddFile(Source("f", 100), "f", false);
    }
    EXPECT_FALSE(std::filesystem::exists(temp.Path("dropped.cab")));
}

TEST_F(CabWriterTest, AFirstCabinetInAFolderBeyondTheFieldSizeIsRefusedAtOpen) {
    const std::string folder =
        temp.Path(std::string(120, 'a') + "/" + std::string(120, 'b') + "/" + std::string(40, 'c'));
    try {
        writer.Open(folder + "/x.cab");
        FAIL() << "a folder of " << folder.size() << " characters was passed on";
    } catch (const EQvCabinet&) {
        FAIL() << "the library saw the folder";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find("longer than 255 characters"), std::string::npos);
    }
    EXPECT_FALSE(writer.IsOpen());
}
