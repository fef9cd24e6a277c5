#pragma once

#include "Compressor.h"
#include "DeflateEncoder.h"

namespace kf::cab {

// MSZIP: "CK" and a raw deflate stream that ends in a final block, whose matches may reach back
// into the folder's previous 32 KiB.
class MszipCompressor final : public BlockCompressor {
public:
    explicit MszipCompressor(const Heap& aHeap);

    bool initialise();
    bool compress(std::span<const uint8_t> aHistory, std::span<const uint8_t> aBlock,
                  std::span<const uint8_t>& aResult) override;

private:
    HeapBuffer fOutput;
    deflate::Encoder fEncoder;
};

} // namespace kf::cab
