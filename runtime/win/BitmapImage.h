#pragma once

#include <windows.h>

#include <string>

namespace kf {

// A bitmap made from the bytes of a .bmp file; null when the bytes are not a bitmap.
HBITMAP BitmapFromFile(const std::string& aBytes);

} // namespace kf
