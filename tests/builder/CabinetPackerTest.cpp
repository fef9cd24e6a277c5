#include "builder/CabinetPacker.h"
#include "base/OSError.h"
#include "builder/cabinet/CabIntf.h"

#include "../project/TestSupport.h"
#include "CabinetReader.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace kf;

namespace {

// Each test runs in a process of its own, so each starts with the cabinet library not loaded.
class CabinetPackerTest : public ::testing::Test {
protected:
    test::TTempFolder temp;
    std::vector<TFileEntry> rows;
    std::atomic<int> cabinetsNamed{0};
    std::atomic<bool> cancelled{false};

    void SetUp() override {
        std::filesystem::create_directories(temp.Path("cabs"));
        for (int i = 0; i < 6; ++i) {
            const std::string name = "file" + std::to_string(i) + ".txt";
            rows.push_back(
                TFileEntry{temp.WriteFile("src/" + name, name + std::string(100 + i, 'x')), "", ""});
        }
    }
    void TearDown() override { unsetenv("KELPFORGE_CABINET_LIBRARY"); }

    std::vector<std::vector<size_t>> OnePerRow() const {
        std::vector<std::vector<size_t>> cabinets;
        for (size_t i = 0; i < rows.size(); ++i)
            cabinets.push_back({i});
        return cabinets;
    }

    // Every cabinet a packer is told to write passes through here, on whichever thread packs it.
    std::function<std::string(size_t)> CabinetFor() {
        return [this](size_t anIndex) {
            ++cabinetsNamed;
            return temp.Path("cabs/" + std::to_string(anIndex) + ".cab");
        };
    }
};

} // namespace

TEST_F(CabinetPackerTest, ALibraryThatCannotLoadFailsTheFirstRowBeforeAnyWorkerStartsAndALaterPackerRetries) {
    setenv("KELPFORGE_CABINET_LIBRARY", "/nonexistent/libkfcabinet.so", 1);
    {
        TCabinetPacker packer(rows, OnePerRow(), 1, CabinetFor(), cancelled);
        try {
            packer.Take(0, [](uint64_t) {});
            FAIL() << "the first row was packed without a cabinet library";
        } catch (const EOSError& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with("System Error.  Code: 2.")) << error.what();
            EXPECT_NE(std::string(error.what()).find("/nonexistent/libkfcabinet.so"), std::string::npos);
        }
    }
    EXPECT_EQ(cabinetsNamed, 0) << "a row was packed after the library failed to load";
    EXPECT_TRUE(std::filesystem::is_empty(temp.Path("cabs")));
    EXPECT_FALSE(CabinetLibraryLoaded());

    unsetenv("KELPFORGE_CABINET_LIBRARY");
    TCabinetPacker packer(rows, OnePerRow(), 1, CabinetFor(), cancelled);
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string cabinet = temp.Path("cabs/" + std::to_string(i) + ".cab");
        const std::optional<uint64_t> size = packer.Take(i, [](uint64_t) {});
        ASSERT_TRUE(size);
        EXPECT_EQ(*size, std::filesystem::file_size(cabinet));
        const test::TMembers members =
            test::ExtractCabinetFile(cabinet, temp.Path("out" + std::to_string(i)));
        ASSERT_EQ(members.size(), 1u);
        EXPECT_EQ(members[0].first, "file" + std::to_string(i) + ".txt");
        EXPECT_EQ(members[0].second, test::ReadFile(rows[i].SourcePath));
    }
    EXPECT_EQ(cabinetsNamed, static_cast<int>(rows.size()));
}

// A large file packs for seconds; a cancelled or abandoned build must not wait for it.
TEST_F(CabinetPackerTest, CancelStopsTheWaitAndTheWorkerInTheMiddleOfAFile) {
    const std::string large = test::NoiseBytes(4 << 20);
    rows = {TFileEntry{temp.WriteFile("src/large.bin", large), "", ""}};
    uint64_t seen = 0;
    {
        TCabinetPacker packer(rows, OnePerRow(), 2, CabinetFor(), cancelled);
        const std::optional<uint64_t> size = packer.Take(0, [&](uint64_t aPacked) {
            ASSERT_GE(aPacked, seen) << "the bytes packed went back";
            seen = aPacked;
            if (aPacked > 0)
                cancelled = true;
        });
        EXPECT_FALSE(size);
    }
    EXPECT_GT(seen, 0u);
    EXPECT_LT(seen, large.size());
    EXPECT_FALSE(std::filesystem::exists(temp.Path("cabs/0.cab"))) << "the worker went on to the end";
}

TEST_F(CabinetPackerTest, APackerLeftEarlyAbandonsTheCabinetsStillBeingPacked) {
    rows.push_back(TFileEntry{temp.WriteFile("src/large.bin", test::NoiseBytes(4 << 20)), "", ""});
    {
        TCabinetPacker packer(rows, OnePerRow(), 2, CabinetFor(), cancelled);
        ASSERT_TRUE(packer.Take(0, [](uint64_t) {}));
    }
    EXPECT_FALSE(std::filesystem::exists(temp.Path("cabs/" + std::to_string(rows.size() - 1) + ".cab")));
}
