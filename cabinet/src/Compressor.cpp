#include "Compressor.h"

#include "MszipCompressor.h"

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

} // namespace

bool IsSupportedCompression(TCOMP aType) {
    return aType == tcompTYPE_NONE || aType == tcompTYPE_MSZIP;
}

BlockCompressor* CreateCompressor(TCOMP aType, const Heap& aHeap, CompressorStatus& aStatus) {
    aStatus = CompressorStatus::OutOfMemory;
    if (aType == tcompTYPE_NONE) {
        BlockCompressor* store = aHeap.create<StoreCompressor>();
        if (store != nullptr)
            aStatus = CompressorStatus::Ready;
        return store;
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
