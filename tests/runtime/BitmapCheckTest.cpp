#include "runtime/core/BitmapCheck.h"

#include "../project/TestSupport.h"

#include <cstdint>
#include <gtest/gtest.h>

using namespace kf;

namespace {

// Fields are stored as two's complement, as a negative height is.
void Put(std::string& aBytes, size_t aPos, int64_t aValue, size_t aWidth) {
    test::PutLittleEndian(aBytes, aPos, static_cast<uint64_t>(aValue), aWidth);
}

struct TShape {
    int32_t Width = 3;
    int32_t Height = 2;
    uint16_t Bits = 24;
    uint32_t Compression = 0;
    uint32_t HeaderSize = 40;
    uint32_t ColoursUsed = 0;
    size_t Colours = 0; // colour table entries written
    size_t Masks = 0;   // bytes of bit masks written behind the header
    size_t PixelBytes = 0;
};

// A bitmap file laid out as the fields say, whatever they say: the file header, the info header,
// the masks and colour table, then the pixels.
std::string Bitmap(const TShape& aShape) {
    const size_t pixelsAt = 14 + aShape.HeaderSize + aShape.Masks + aShape.Colours * 4;
    std::string bytes(pixelsAt + aShape.PixelBytes, '\x5A');
    bytes.replace(0, 2, "BM");
    Put(bytes, 2, static_cast<int64_t>(bytes.size()), 4);
    Put(bytes, 6, 0, 4);
    Put(bytes, 10, static_cast<int64_t>(pixelsAt), 4);
    Put(bytes, 14, aShape.HeaderSize, 4);
    Put(bytes, 18, aShape.Width, 4);
    Put(bytes, 22, aShape.Height, 4);
    Put(bytes, 26, 1, 2);
    Put(bytes, 28, aShape.Bits, 2);
    Put(bytes, 30, aShape.Compression, 4);
    Put(bytes, 34, 0, 4);
    Put(bytes, 46, aShape.ColoursUsed, 4);
    Put(bytes, 50, 0, 4);
    for (size_t pos = 54; pos < 14 + aShape.HeaderSize; ++pos)
        bytes[pos] = '\0';
    return bytes;
}

std::string Problem(const std::string& aBytes) {
    // An exact copy on the heap, so that a read past its end is seen by the address sanitizer.
    const std::string exact(aBytes);
    return CheckBitmap(exact).Problem;
}

} // namespace

TEST(BitmapCheck, TheShippedPicturesPassWithTheirPixelsWhereTheFileHeaderSays) {
    for (const char* name : {"Logo.bmp", "Header.bmp"}) {
        const std::string bytes = test::ReadFile(std::string(KF_SOURCE_FOLDER "/resources/") + name);
        const TBitmapCheck check = CheckBitmap(bytes);
        EXPECT_EQ(check.Problem, "") << name;
        EXPECT_EQ(check.Layout.InfoOffset, 14u) << name;
        EXPECT_EQ(check.Layout.PixelOffset, 54u) << name;
    }
}

TEST(BitmapCheck, EveryKindOfBitmapTheWizardShowsPasses) {
    // Rows are padded to four bytes: 3 pixels of 24 bits take 12 bytes, 3 of 1 bit take 4.
    const TShape shapes[] = {
        {.PixelBytes = 24},
        {.Height = -2, .PixelBytes = 24}, // top-down
        {.Bits = 1, .Colours = 2, .PixelBytes = 8},
        {.Bits = 4, .ColoursUsed = 5, .Colours = 5, .PixelBytes = 8},
        {.Bits = 8, .Colours = 256, .PixelBytes = 8},
        {.Bits = 16, .Compression = 3, .Masks = 12, .PixelBytes = 16},
        {.Bits = 32, .Compression = 3, .HeaderSize = 124, .PixelBytes = 24},
        {.Bits = 32, .HeaderSize = 108, .PixelBytes = 24},
    };
    for (const TShape& shape : shapes)
        EXPECT_EQ(Problem(Bitmap(shape)), "") << shape.Bits << " bits, header " << shape.HeaderSize;
}

TEST(BitmapCheck, EveryCutOfASoundBitmapIsRefused) {
    for (const TShape& shape :
         {TShape{.PixelBytes = 24}, TShape{.Bits = 8, .Colours = 256, .PixelBytes = 8}}) {
        const std::string whole = Bitmap(shape);
        for (size_t length = 0; length < whole.size(); ++length)
            EXPECT_NE(Problem(whole.substr(0, length)), "") << length;
    }
}

TEST(BitmapCheck, HeadersThatWouldMakeTheSystemReadBeyondTheFileAreRefused) {
    const auto problem = [](TShape aShape) { return Problem(Bitmap(aShape)); };
    EXPECT_EQ(problem({.HeaderSize = 12, .PixelBytes = 60}),
              "its header is of a kind this installer does not show");
    EXPECT_EQ(problem({.HeaderSize = 64, .PixelBytes = 60}),
              "its header is of a kind this installer does not show");
    EXPECT_EQ(problem({.Width = 3000, .Height = 2000, .PixelBytes = 24}), "its pixels are cut short");
    EXPECT_EQ(problem({.Width = 4, .PixelBytes = 23}), "its pixels are cut short");
    for (const auto& [width, height] : {std::pair<int32_t, int32_t>{0, 2},
                                        {-3, 2},
                                        {3, 0},
                                        {3, INT32_MIN},
                                        {INT32_MAX, 1},
                                        {16385, 1},
                                        {8192, 8192}})
        EXPECT_EQ(problem({.Width = width, .Height = height, .PixelBytes = 24}),
                  "its width or height is out of range")
            << width << " x " << height;
    for (const uint16_t bits : {0, 2, 3, 33, 64})
        EXPECT_EQ(problem({.Bits = bits, .PixelBytes = 64}),
                  "it has a number of planes or bits per pixel that bitmaps do not have")
            << bits;
    for (const auto& [bits, compression] :
         {std::pair<uint16_t, uint32_t>{8, 1}, {4, 2}, {24, 3}, {24, 4}, {24, 5}})
        EXPECT_EQ(problem({.Bits = bits, .Compression = compression, .Colours = 16, .PixelBytes = 64}),
                  "it is compressed in a way this installer does not show")
            << compression;
    EXPECT_EQ(problem({.Bits = 4, .ColoursUsed = 17, .Colours = 17, .PixelBytes = 8}),
              "its colour table is longer than its bits per pixel allow");
    EXPECT_EQ(problem({.Bits = 24, .ColoursUsed = 257, .Colours = 257, .PixelBytes = 24}),
              "its colour table is longer than its bits per pixel allow");
    // The table an 8-bit picture implies, and masks the short header implies, must be there.
    EXPECT_EQ(problem({.Bits = 8, .Colours = 255, .PixelBytes = 8}), "its colour table is cut short");
    EXPECT_EQ(problem({.Bits = 16, .Compression = 3, .Masks = 8, .PixelBytes = 16}),
              "its colour table is cut short");
}

TEST(BitmapCheck, APlaneCountOtherThanOneAndAProfileOutsideTheFileAreRefused) {
    std::string planes = Bitmap({.PixelBytes = 24});
    Put(planes, 26, 2, 2);
    EXPECT_EQ(Problem(planes), "it has a number of planes or bits per pixel that bitmaps do not have");
    std::string profile = Bitmap({.Bits = 32, .HeaderSize = 124, .PixelBytes = 24});
    Put(profile, 14 + 56, 0x4D424544, 4); // an embedded profile
    Put(profile, 14 + 112, 124, 4);
    Put(profile, 14 + 116, 4096, 4);
    EXPECT_EQ(Problem(profile), "its colour profile lies outside the file");
    Put(profile, 14 + 116, 24, 4);
    EXPECT_EQ(Problem(profile), "");
}

TEST(BitmapCheck, PixelsMustStartBehindTheColourTableAndInsideTheFile) {
    std::string bytes = Bitmap({.Bits = 8, .Colours = 256, .PixelBytes = 8});
    Put(bytes, 10, 54 + 1000, 4); // inside the colour table
    EXPECT_EQ(Problem(bytes), "its colour table is cut short");
    std::string beyond = Bitmap({.PixelBytes = 24});
    Put(beyond, 10, 0xFFFFFFF0, 4);
    EXPECT_NE(Problem(beyond), "");
    EXPECT_EQ(Problem("BMP"), "it does not start as a BMP picture does");
    EXPECT_EQ(Problem(std::string(60, 'B')), "it does not start as a BMP picture does");
}
