// The check of the wizard's pictures: a bitmap it accepts has every byte that the system's
// bitmap functions read (header, bit masks, colour table, each row of pixels) inside the input.
// The input is an exact copy on the heap, so a byte beyond it is a finding of the address sanitizer.
#include "FuzzContract.h"

#include "runtime/core/BitmapCheck.h"
#include "runtime/core/LittleEndian.h"

#include <cstring>
#include <memory>

using namespace kf;
using kf::fuzz::Require;

namespace {

// Reads what CreateDIBitmap reads, worked out from the fields as the format describes them.
unsigned Touch(const unsigned char* aBytes, size_t aSize, const TBitmapLayout& aLayout) {
    const unsigned char* info = aBytes + aLayout.InfoOffset;
    const std::string_view header(reinterpret_cast<const char*>(info), 40);
    const uint32_t headerSize = LittleEndian(header, 0, 4);
    const int32_t width = static_cast<int32_t>(LittleEndian(header, 4, 4));
    const int32_t height = static_cast<int32_t>(LittleEndian(header, 8, 4));
    const uint32_t bits = LittleEndian(header, 14, 2);
    const uint32_t compression = LittleEndian(header, 16, 4);
    const uint32_t used = LittleEndian(header, 32, 4);
    const size_t masks = compression == 3 && headerSize == 40 ? 12 : 0;
    const size_t colours = used != 0 ? used : (bits <= 8 ? size_t{1} << bits : 0);
    const size_t infoSize = headerSize + masks + colours * 4;
    const size_t rows =
        height < 0 ? 0 - static_cast<size_t>(static_cast<int64_t>(height)) : static_cast<size_t>(height);
    const size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    Require(aLayout.InfoOffset + infoSize <= aSize, "the bitmap's info lies inside the file");
    Require(aLayout.PixelOffset + stride * rows <= aSize, "the bitmap's pixels lie inside the file");
    unsigned sum = 0;
    for (size_t i = 0; i < infoSize; ++i)
        sum += info[i];
    for (size_t i = 0; i < stride * rows; ++i)
        sum += aBytes[aLayout.PixelOffset + i];
    return sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    const auto exact = std::make_unique<unsigned char[]>(aSize);
    if (aSize != 0)
        std::memcpy(exact.get(), aData, aSize);
    const std::string_view bytes(reinterpret_cast<const char*>(exact.get()), aSize);
    const TBitmapCheck check = CheckBitmap(bytes);
    if (!check.Problem.empty())
        return 0;
    volatile unsigned sink = Touch(exact.get(), aSize, check.Layout);
    (void)sink;
    return 0;
}
