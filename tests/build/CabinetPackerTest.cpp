#include "build/CabinetPacker.h"
#include "build/cabinet/CabIntf.h"
#include "project/OSError.h"

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

    void SetUp() override {
        std::filesystem::create_directories(temp.Path("cabs"));
        for (int i = 0; i < 6; ++i) {
            const std::string name = "file" + std::to_string(i) + ".txt";
            rows.push_back(
                TFileEntry{temp.WriteFile("src/" + name, name + std::string(100 + i, 'x')), "", ""});
        }
    }
    void TearDown() override { unsetenv("KELPFORGE_CABINET_LIBRARY"); }

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
        TCabinetPacker packer(rows, 1, CabinetFor());
        try {
            packer.Take(0, [] {});
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
    TCabinetPacker packer(rows, 1, CabinetFor());
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string cabinet = temp.Path("cabs/" + std::to_string(i) + ".cab");
        const uint64_t size = packer.Take(i, [] {});
        EXPECT_EQ(size, std::filesystem::file_size(cabinet));
        const test::TMembers members =
            test::ExtractCabinetFile(cabinet, temp.Path("out" + std::to_string(i)));
        ASSERT_EQ(members.size(), 1u);
        EXPECT_EQ(members[0].first, "file" + std::to_string(i) + ".txt");
        EXPECT_EQ(members[0].second, test::ReadFile(rows[i].SourcePath));
    }
    EXPECT_EQ(cabinetsNamed, static_cast<int>(rows.size()));
}
