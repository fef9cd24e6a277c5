#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kf {

// Where the parts of a .bmp file lie, once CheckBitmap has found that every byte the system's
// bitmap functions read from them lies inside the file.
struct TBitmapLayout {
    size_t InfoOffset = 0;  // the BITMAPINFO: its header, bit masks and colour table
    size_t PixelOffset = 0; // the first row of pixels
};

// The shapes of bitmap this program shows: a Windows BITMAPINFOHEADER (or one of its later,
// longer versions), one plane, 1, 4, 8, 16, 24 or 32 bits per pixel, uncompressed or with bit
// masks, a colour table no longer than its bit count allows, and every row of pixels inside the
// file. Anything else gives a problem text ("its header is cut short", ...).
struct TBitmapCheck {
    TBitmapLayout Layout;
    std::string Problem; // empty for a bitmap that may be shown
};

TBitmapCheck CheckBitmap(std::string_view aBytes);

} // namespace kf
