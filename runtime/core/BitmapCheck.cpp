#include "runtime/core/BitmapCheck.h"

#include "runtime/core/LittleEndian.h"

#include <cstdint>

namespace kf {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kV5HeaderSize = 124;
constexpr uint32_t kRgb = 0;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kMaskBytes = 12;
constexpr uint32_t kEmbeddedProfile = 0x4D424544; // 'MBED'
constexpr uint32_t kLinkedProfile = 0x4C494E4B;   // 'LINK'
// Far beyond any wizard picture, and small enough that no size the system computes from it
// overflows 32 bits.
constexpr int64_t kMaxSide = 16384;
constexpr int64_t kMaxPixels = int64_t{1} << 24;

int32_t Signed(std::string_view aBytes, size_t aPos) {
    return static_cast<int32_t>(LittleEndian(aBytes, aPos, 4));
}

// The header sizes Windows defines: BITMAPINFOHEADER, the V2 and V3 info headers, V4 and V5.
bool KnownHeaderSize(uint32_t aSize) {
    return aSize == kInfoHeaderSize || aSize == 52 || aSize == 56 || aSize == 108 || aSize == kV5HeaderSize;
}

bool KnownBitCount(uint32_t aBits) {
    return aBits == 1 || aBits == 4 || aBits == 8 || aBits == 16 || aBits == 24 || aBits == 32;
}

class TBitmapReader {
public:
    explicit TBitmapReader(std::string_view aBytes) : fBytes(aBytes) {}

    TBitmapCheck Run() {
        TBitmapCheck check;
        check.Problem = Problem();
        if (check.Problem.empty())
            check.Layout = TBitmapLayout{kFileHeaderSize, static_cast<size_t>(fPixelOffset)};
        return check;
    }

private:
    std::string Problem() {
        if (fBytes.size() < kFileHeaderSize + kInfoHeaderSize || fBytes.substr(0, 2) != "BM")
            return "it does not start as a BMP picture does";
        fHeaderSize = LittleEndian(fBytes, kFileHeaderSize, 4);
        if (!KnownHeaderSize(fHeaderSize))
            return "its header is of a kind this installer does not show";
        if (fHeaderSize > fBytes.size() - kFileHeaderSize)
            return "its header is cut short";
        if (std::string problem = ShapeProblem(); !problem.empty())
            return problem;
        if (std::string problem = ColourTableProblem(); !problem.empty())
            return problem;
        if (std::string problem = ProfileProblem(); !problem.empty())
            return problem;
        return PixelProblem();
    }

    uint32_t Field(size_t anOffset) const { return LittleEndian(fBytes, kFileHeaderSize + anOffset, 4); }

    std::string ShapeProblem() {
        const int64_t width = Signed(fBytes, kFileHeaderSize + 4);
        const int64_t height = Signed(fBytes, kFileHeaderSize + 8);
        fWidth = width;
        fRows = height < 0 ? -height : height;
        if (width <= 0 || fRows == 0 || width > kMaxSide || fRows > kMaxSide || width * fRows > kMaxPixels)
            return "its width or height is out of range";
        fBits = LittleEndian(fBytes, kFileHeaderSize + 14, 2);
        if (LittleEndian(fBytes, kFileHeaderSize + 12, 2) != 1 || !KnownBitCount(fBits))
            return "it has a number of planes or bits per pixel that bitmaps do not have";
        fCompression = Field(16);
        if (fCompression != kRgb && (fCompression != kBitFields || (fBits != 16 && fBits != 32)))
            return "it is compressed in a way this installer does not show";
        return {};
    }

    std::string ColourTableProblem() {
        const uint32_t used = Field(32);
        const uint32_t most = fBits <= 8 ? 1u << fBits : 256;
        if (used > most)
            return "its colour table is longer than its bits per pixel allow";
        const uint64_t entries = used != 0 ? used : (fBits <= 8 ? most : 0);
        // With the shortest header the bit masks follow it; the longer headers hold them.
        const uint64_t masks = fCompression == kBitFields && fHeaderSize == kInfoHeaderSize ? kMaskBytes : 0;
        const uint64_t infoEnd = kFileHeaderSize + fHeaderSize + masks + entries * 4;
        fPixelOffset = LittleEndian(fBytes, 10, 4);
        if (infoEnd > fBytes.size() || infoEnd > fPixelOffset)
            return "its colour table is cut short";
        return {};
    }

    // A V5 header may name colour profile data by its offset from the header.
    std::string ProfileProblem() const {
        if (fHeaderSize < kV5HeaderSize)
            return {};
        const uint32_t space = Field(56);
        if (space != kEmbeddedProfile && space != kLinkedProfile)
            return {};
        const uint64_t end = kFileHeaderSize + uint64_t{Field(112)} + Field(116);
        return end > fBytes.size() ? "its colour profile lies outside the file" : std::string{};
    }

    std::string PixelProblem() const {
        const uint64_t stride = ((static_cast<uint64_t>(fWidth) * fBits + 31) / 32) * 4;
        if (fPixelOffset > fBytes.size() ||
            stride * static_cast<uint64_t>(fRows) > fBytes.size() - fPixelOffset)
            return "its pixels are cut short";
        return {};
    }

    std::string_view fBytes;
    uint32_t fHeaderSize = 0;
    int64_t fWidth = 0;
    int64_t fRows = 0;
    uint32_t fBits = 0;
    uint32_t fCompression = 0;
    uint64_t fPixelOffset = 0;
};

} // namespace

TBitmapCheck CheckBitmap(std::string_view aBytes) {
    return TBitmapReader(aBytes).Run();
}

} // namespace kf
