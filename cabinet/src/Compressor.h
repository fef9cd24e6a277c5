#pragma once

#include "Heap.h"
#include "fcifdi.h"

#include <cstdint>
#include <span>

namespace kf::cab {

// Compresses the data blocks of one folder in order, one CFDATA payload per call. The history is
// the folder data just before the block (empty at the start of a folder); a compressor may keep
// more of it, and other state, itself.
class BlockCompressor {
public:
    virtual ~BlockCompressor() = default;
    // The result stays valid until the next call and may point into the block itself.
    virtual bool compress(std::span<const uint8_t> aHistory, std::span<const uint8_t> aBlock,
                          std::span<const uint8_t>& aResult) = 0;
    // Redoes the block just compressed, cut to its first bytes, as the last of the folder. A
    // compressor that depends on the history alone compresses it anew.
    virtual bool compressLastAgain(std::span<const uint8_t> aHistory, std::span<const uint8_t> aBlock,
                                   std::span<const uint8_t>& aResult) {
        return compress(aHistory, aBlock, aResult);
    }
    // The next block starts a new folder.
    virtual void restart() {}
};

enum class CompressorStatus { Ready, UnknownType, OutOfMemory };

// The compression codes this library writes.
bool IsSupportedCompression(TCOMP aType);

// A compressor for the code, created on the client's heap; destroy it with aHeap.destroy().
BlockCompressor* CreateCompressor(TCOMP aType, const Heap& aHeap, CompressorStatus& aStatus);

} // namespace kf::cab
