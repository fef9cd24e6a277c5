#include "runtime/win/BitmapImage.h"

namespace kf {

HBITMAP BitmapFromFile(const std::string& aBytes) {
    BITMAPFILEHEADER file;
    if (aBytes.size() < sizeof file + sizeof(BITMAPINFOHEADER))
        return nullptr;
    memcpy(&file, aBytes.data(), sizeof file);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(aBytes.data() + sizeof file);
    if (file.bfType != 0x4D42 || file.bfOffBits >= aBytes.size() ||
        info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER))
        return nullptr;
    const HDC screen = ::GetDC(nullptr);
    const HBITMAP bitmap = ::CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT,
                                            aBytes.data() + file.bfOffBits, info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    return bitmap;
}

} // namespace kf
