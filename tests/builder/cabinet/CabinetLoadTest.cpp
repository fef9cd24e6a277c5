#include "base/OSError.h"
#include "builder/cabinet/CabQvComps.h"

#include "../../project/TestSupport.h"

#include <cstddef>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace kf;

// Each test runs in a process of its own, so each starts with the library not loaded.
class CabinetLoadTest : public ::testing::Test {
protected:
    test::TTempFolder temp;
    TQvCabWriter writer;

    void SetUp() override { writer.SetCompressionType(cctMsZip); }
    void TearDown() override { unsetenv("KELPFORGE_CABINET_LIBRARY"); }

    std::string OpenError() {
        try {
            writer.Open(temp.Path("a.cab"));
        } catch (const EOSError& error) {
            return error.what();
        }
        return "";
    }
};

TEST_F(CabinetLoadTest, AMissingLibraryRaisesTheSystemErrorAndTheNextCallTriesAgain) {
    setenv("KELPFORGE_CABINET_LIBRARY", "/nonexistent/libkfcabinet.so", 1);
    const std::string message = OpenError();
    EXPECT_TRUE(message.starts_with("System Error.  Code: 2.\r\n" + SystemErrorText(2))) << message;
    EXPECT_NE(message.find("/nonexistent/libkfcabinet.so"), std::string::npos);
    EXPECT_FALSE(CabinetLibraryLoaded());
    EXPECT_FALSE(writer.IsOpen());

    unsetenv("KELPFORGE_CABINET_LIBRARY");
    writer.Open(temp.Path("a.cab"));
    EXPECT_TRUE(CabinetLibraryLoaded());
    EXPECT_TRUE(writer.IsOpen());
}

TEST_F(CabinetLoadTest, ALibraryLackingOneReadingEntryPointCannotBeUsed) {
    setenv("KELPFORGE_CABINET_LIBRARY", KF_MISSING_ENTRY_LIBRARY, 1);
    const std::string message = OpenError();
    EXPECT_TRUE(message.starts_with("System Error.  Code: ")) << message;
    EXPECT_NE(message.find("FDICopy"), std::string::npos) << message;
    EXPECT_FALSE(CabinetLibraryLoaded());
    EXPECT_FALSE(writer.IsOpen());
}

TEST_F(CabinetLoadTest, AFileThatIsNoLibraryIsRefused) {
    setenv("KELPFORGE_CABINET_LIBRARY", temp.WriteFile("fake.so", "not a library").c_str(), 1);
    EXPECT_TRUE(OpenError().starts_with("System Error.  Code: "));
    EXPECT_FALSE(CabinetLibraryLoaded());
}

TEST_F(CabinetLoadTest, TheFirstCabinetLoadsTheLibraryAndLaterOnesReuseIt) {
    writer.Open(temp.Path("first.cab"));
    writer.Close(false);
    // Once loaded, the library is not looked up again.
    setenv("KELPFORGE_CABINET_LIBRARY", "/nonexistent/libkfcabinet.so", 1);
    TQvCabWriter second;
    second.SetCompressionType(cctMsZip);
    second.Open(temp.Path("second.cab"));
    EXPECT_TRUE(second.IsOpen());
    second.Close(false);
}

TEST(CabinetRecords, KeepThePublishedLayouts) {
    EXPECT_EQ(sizeof(ERF), 12u);
    EXPECT_EQ(sizeof(CCAB), 804u);
    EXPECT_EQ(offsetof(CCAB, cbReserveCFHeader), 8u);
    EXPECT_EQ(offsetof(CCAB, iCab), 20u);
    EXPECT_EQ(offsetof(CCAB, setID), 32u);
    EXPECT_EQ(offsetof(CCAB, szDisk), 34u);
    EXPECT_EQ(offsetof(CCAB, szCab), 290u);
    EXPECT_EQ(offsetof(CCAB, szCabPath), 546u);
    EXPECT_EQ(sizeof(ULONG), 4u);
    EXPECT_EQ(sizeof(LONG), 4u);
    EXPECT_EQ(sizeof(INT_PTR), sizeof(void*));
}
