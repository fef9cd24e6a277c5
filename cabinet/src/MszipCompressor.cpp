#include "MszipCompressor.h"

#include "Format.h"

namespace kf::cab {

namespace {

// The strongest zlib settings: with the history they still run at about gcab's speed, and every
// tenth of a percent of output counts in a setup file.
constexpr int kLevel = 9;
constexpr int kRawWindowBits = -15;
constexpr int kMemoryLevel = 9;
constexpr uint32_t kSignatureSize = 2;

voidpf Allocate(voidpf anOpaque, uInt anItems, uInt aSize) {
    return static_cast<Heap*>(anOpaque)->allocate(static_cast<size_t>(anItems) * aSize);
}

void Release(voidpf anOpaque, voidpf aBlock) {
    static_cast<Heap*>(anOpaque)->release(aBlock);
}

} // namespace

MszipCompressor::MszipCompressor(const Heap& aHeap) : fHeap(aHeap), fOutput(aHeap) {}

MszipCompressor::~MszipCompressor() {
    if (fReady)
        deflateEnd(&fStream);
}

bool MszipCompressor::initialise() {
    fStream.zalloc = Allocate;
    fStream.zfree = Release;
    fStream.opaque = &fHeap;
    if (deflateInit2(&fStream, kLevel, Z_DEFLATED, kRawWindowBits, kMemoryLevel, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    fReady = true;
    return fOutput.allocate(kSignatureSize + deflateBound(&fStream, format::kBlockSize));
}

bool MszipCompressor::compress(std::span<const uint8_t> aHistory, std::span<const uint8_t> aBlock,
                               std::span<const uint8_t>& aResult) {
    if (deflateReset(&fStream) != Z_OK)
        return false;
    if (!aHistory.empty() &&
        deflateSetDictionary(&fStream, aHistory.data(), static_cast<uInt>(aHistory.size())) != Z_OK)
        return false;
    uint8_t* output = fOutput.data();
    output[0] = 'C';
    output[1] = 'K';
    fStream.next_in = const_cast<Bytef*>(aBlock.data());
    fStream.avail_in = static_cast<uInt>(aBlock.size());
    fStream.next_out = output + kSignatureSize;
    fStream.avail_out = fOutput.size() - kSignatureSize;
    if (deflate(&fStream, Z_FINISH) != Z_STREAM_END)
        return false;
    aResult = std::span<const uint8_t>(output, kSignatureSize + fStream.total_out);
    return true;
}

} // namespace kf::cab
