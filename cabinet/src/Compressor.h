#pragma once

#include "Heap.h"
#include "fcifdi.h"

#include <cstdint>
#include <span>

namespace kf::cab {

// Compresses the data blocks of one folder, one CFDATA payload per call. The history is the folder
// data just before the block (empty at the start of a folder). Compressing the same block again
// with the same history gives the same result, so a block can be redone shorter.
class BlockCompressor {
public:
    virtual ~BlockCompressor() = default;
    // The result stays valid until the next call and may point into the block itself.
    virtual bool compress(std::span<const uint8_t> aHistory, std::span<const uint8_t> aBlock,
                          std::span<const uint8_t>& aResult) = 0;
};

enum class CompressorStatus { Ready, UnknownType, OutOfMemory };

// The compression codes this library writes.
bool IsSupportedCompression(TCOMP aType);

// A compressor for the code, created on the client's heap; destroy it with aHeap.destroy().
BlockCompressor* CreateCompressor(TCOMP aType, const Heap& aHeap, CompressorStatus& aStatus);

} // namespace kf::cab
