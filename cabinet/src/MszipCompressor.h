#pragma once

#include "Compressor.h"

#include <zlib.h>

namespace kf::cab {

// MSZIP: "CK" and a raw deflate stream that ends in a final block, with the folder's previous
// 32 KiB as the preset dictionary so that matches may reach back into the previous block.
class MszipCompressor final : public BlockCompressor {
public:
    explicit MszipCompressor(const Heap& aHeap);
    ~MszipCompressor() override;

    bool initialise();
    bool compress(std::span<const uint8_t> aHistory, std::span<const uint8_t> aBlock,
                  std::span<const uint8_t>& aResult) override;

private:
    Heap fHeap;
    HeapBuffer fOutput;
    z_stream fStream{};
    bool fReady = false;
};

} // namespace kf::cab
