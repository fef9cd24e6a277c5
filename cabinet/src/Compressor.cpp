#include "Compressor.h"

#include "deflate/MszipCompressor.h"
#include "lzx/LzxCompressor.h"
#include "lzx/LzxFormat.h"

namespace kf::cab {

namespace {

// Stored data: the payload is the block itself.
class StoreCompressor final : public BlockCompressor {
public:
    bool compress(std::span<const uint8_t>, std::span<const uint8_t> aBlock,
                  std::span<const uint8_t>& aResult) override {
        aResult = aBlock;
        return true;
    }
};

uint32_t LzxLevel(TCOMP aType) {
    return (aType & tcompMASK_LZX_WINDOW) >> tcompSHIFT_LZX_WINDOW;
}

bool IsSupportedLzx(TCOMP aType) {
    const uint32_t level = LzxLevel(aType);
    return (aType & ~(tcompMASK_TYPE | tcompMASK_LZX_WINDOW)) == 0 &&
           (aType & tcompMASK_TYPE) == tcompTYPE_LZX && level >= lzx::kMinLevel && level <= lzx::kMaxLevel;
}

BlockCompressor* CreateLzx(TCOMP aType, const Heap& aHeap) {
    auto* lzx = aHeap.create<LzxCompressor>(aHeap, LzxLevel(aType));
    if (lzx != nullptr && !lzx->initialise()) {
        aHeap.destroy(lzx);
        lzx = nullptr;
    }
    return lzx;
}

} // namespace

bool IsSupportedCompression(TCOMP aType) {
    return aType == tcompTYPE_NONE || aType == tcompTYPE_MSZIP || IsSupportedLzx(aType);
}

BlockCompressor* CreateCompressor(TCOMP aType, const Heap& aHeap, CompressorStatus& aStatus) {
    aStatus = CompressorStatus::OutOfMemory;
    if (aType == tcompTYPE_NONE) {
        BlockCompressor* store = aHeap.create<StoreCompressor>();
        if (store != nullptr)
            aStatus = CompressorStatus::Ready;
        return store;
    }
    if (IsSupportedLzx(aType)) {
        BlockCompressor* lzx = CreateLzx(aType, aHeap);
        if (lzx != nullptr)
            aStatus = CompressorStatus::Ready;
        return lzx;
    }
    if (aType != tcompTYPE_MSZIP) {
        aStatus = CompressorStatus::UnknownType;
        return nullptr;
    }
    auto* mszip = aHeap.create<MszipCompressor>(aHeap);
    if (mszip != nullptr && !mszip->initialise()) {
        aHeap.destroy(mszip);
        mszip = nullptr;
    }
    if (mszip != nullptr)
        aStatus = CompressorStatus::Ready;
    return mszip;
}

} // namespace kf::cab
