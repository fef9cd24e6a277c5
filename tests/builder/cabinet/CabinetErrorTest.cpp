#include "base/OSError.h"
#include "builder/cabinet/CabQvConsts.h"
#include "builder/cabinet/QvCabinetError.h"

#include <gtest/gtest.h>

using namespace kf;

TEST(CabinetErrorText, CoversBothTablesAndFallsBackForUnknownNumbers) {
    EXPECT_EQ(FCIErrorText(0), "No error");
    EXPECT_EQ(FCIErrorText(6), "Could not create cabinet file");
    EXPECT_EQ(FCIErrorText(8), "Failure compressing data");
    EXPECT_EQ(FCIErrorText(9), "FCI error");
    EXPECT_EQ(FCIErrorText(-1), "FCI error");
    EXPECT_EQ(FDIErrorText(4), "Cabinet file is corrupt");
    EXPECT_EQ(FDIErrorText(11), "FDI aborted");
    EXPECT_EQ(FDIErrorText(12), "FDI error");
}

TEST(EQvCabinet, BuildsItsMessageFromTheErrorRecord) {
    const EQvCabinet tempFile(ERF{4, 0, TRUE}, true);
    EXPECT_STREQ(tempFile.what(), "Could not create a temporary file [0x0004]");
    EXPECT_EQ(tempFile.ErrorCode, 4);
    EXPECT_EQ(tempFile.ErrorType, 0);
    EXPECT_TRUE(tempFile.HasErrorInfo);
    EXPECT_TRUE(tempFile.IsFCI);

    const EQvCabinet openSource(ERF{1, 2, TRUE}, true);
    EXPECT_EQ(std::string(openSource.what()), "Failure opening file to be stored in cabinet [0x0001].\r\n" +
                                                  SystemErrorText(2) + " [0x0002].");

    EXPECT_STREQ(EQvCabinet(ERF{9, 0, TRUE}, true).what(), "FCI error [0x0009]");
    EXPECT_STREQ(EQvCabinet(ERF{3, 0, FALSE}, true).what(), "FCI error");
    EXPECT_STREQ(EQvCabinet(ERF{3, 0, FALSE}, false).what(), "FDI error");
    EXPECT_STREQ(EQvCabinet(ERF{2, 0, TRUE}, false).what(),
                 "Cabinet file does not have the correct format [0x0002]");
    EXPECT_STREQ(EQvCabinet(ERF{-1, 0, TRUE}, true).what(), "FCI error [0xFFFFFFFF]");
    EXPECT_EQ(std::string(EQvCabinet(ERF{6, 0x1234, TRUE}, true).what()),
              "Could not create cabinet file [0x0006].\r\n" + SystemErrorText(0x1234) + " [0x1234].");
}

TEST(EOSError, NamesTheCodeAndTheSystemText) {
    EXPECT_STREQ(EOSError(0).what(), "A call to an OS function failed");
    EXPECT_EQ(std::string(EOSError(2).what()), "System Error.  Code: 2.\r\n" + SystemErrorText(2));
    EXPECT_STREQ(EOSError(38, "Entry point missing").what(),
                 "System Error.  Code: 38.\r\nEntry point missing");
    const std::string text = SystemErrorText(2);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '.');
    EXPECT_NE(text.back(), ' ');
}
