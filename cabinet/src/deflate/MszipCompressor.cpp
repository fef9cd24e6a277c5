#include "MszipCompressor.h"

namespace kf::cab {

namespace {

constexpr uint32_t kSignatureSize = 2;

} // namespace

MszipCompressor::MszipCompressor(const Heap& aHeap) : fOutput(aHeap), fEncoder(aHeap) {}

bool MszipCompressor::initialise() {
    return fEncoder.allocate() && fOutput.allocate(kSignatureSize + deflate::Encoder::kMaxOutputSize);
}

bool MszipCompressor::compress(std::span<const uint8_t> aHistory, std::span<const uint8_t> aBlock,
                               std::span<const uint8_t>& aResult) {
    uint8_t* output = fOutput.data();
    output[0] = 'C';
    output[1] = 'K';
    const uint32_t size = fEncoder.encode(aHistory, aBlock, output + kSignatureSize);
    if (size == 0)
        return false;
    aResult = std::span<const uint8_t>(output, kSignatureSize + size);
    return true;
}

} // namespace kf::cab
