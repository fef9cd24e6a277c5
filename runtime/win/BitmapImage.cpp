#include "runtime/win/BitmapImage.h"

#include "runtime/core/BitmapCheck.h"

namespace kf {

HBITMAP BitmapFromFile(const std::string& aBytes) {
    // A damaged picture is left out rather than read beyond its bytes; the install goes on.
    const TBitmapCheck check = CheckBitmap(aBytes);
    if (!check.Problem.empty())
        return nullptr;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(aBytes.data() + check.Layout.InfoOffset);
    const HDC screen = ::GetDC(nullptr);
    const HBITMAP bitmap = ::CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT,
                                            aBytes.data() + check.Layout.PixelOffset, info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    return bitmap;
}

} // namespace kf
