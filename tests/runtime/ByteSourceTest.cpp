#include "runtime/core/ByteWindow.h"
#include "runtime/core/FileSource.h"

#include "../project/TestSupport.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

using namespace kf;

TEST(FileSource, ReadsAnyRunOfTheFileAndNothingBeyondIt) {
    test::TTempFolder temp;
    TFileSource file(temp.WriteFile("digits", "0123456789"));
    EXPECT_EQ(file.Size(), 10u);
    EXPECT_EQ(file.Read(3, 4), "3456");
    EXPECT_EQ(file.Read(0, 10), "0123456789");
    EXPECT_EQ(file.Read(10, 0), "");
    EXPECT_THROW(file.Read(8, 3), Exception);
    EXPECT_THROW(file.Read(UINT64_MAX, 1), Exception);
    EXPECT_EQ(file.Read(1, 2), "12") << "a refused read must not spoil the next one";
}

TEST(FileSource, NamesAFileItCannotOpen) {
    test::TTempFolder temp;
    for (const std::string& path : {temp.Path("missing.exe"), temp.Path("")}) {
        try {
            TFileSource file(path);
            ADD_FAILURE() << path << " opened";
        } catch (const Exception& error) {
            EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
        }
    }
}

TEST(ByteWindow, ReadsFromItsOwnStartAndStaysInside) {
    TMemorySource bytes("0123456789");
    TByteWindow window(bytes, 2, 5);
    EXPECT_EQ(window.Size(), 5u);
    EXPECT_EQ(window.Read(0, 5), "23456");
    EXPECT_EQ(window.Read(4, 1), "6");
    EXPECT_THROW(window.Read(4, 2), Exception); // "7" lies in the source but outside the window
    TByteWindow inner(window, 1, 3);
    EXPECT_EQ(inner.Read(0, 3), "345");
    EXPECT_EQ(TByteWindow(bytes, 10, 0).Size(), 0u);
    EXPECT_THROW(TByteWindow(bytes, 8, 3), Exception);
    EXPECT_THROW(TByteWindow(bytes, UINT64_MAX, 2), Exception); // must not wrap around
}
