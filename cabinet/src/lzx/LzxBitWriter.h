#pragma once

#include <cstdint>
#include <cstring>

namespace kf::cab::lzx {

// LZX bits: most significant first, gathered into 16-bit little-endian words.
class BitWriter {
public:
    void start(uint8_t* aTarget) {
        fTarget = aTarget;
        fUsed = 0;
        fBits = 0;
        fCount = 0;
    }

    // Up to 25 bits at a time.
    void put(uint32_t aValue, uint32_t aCount) {
        fBits = (fBits << aCount) | aValue;
        fCount += aCount;
        while (fCount >= 16) {
            fCount -= 16;
            const auto word = static_cast<uint32_t>(fBits >> fCount);
            fTarget[fUsed] = static_cast<uint8_t>(word);
            fTarget[fUsed + 1] = static_cast<uint8_t>(word >> 8);
            fUsed += 2;
        }
    }

    // Zero bits up to the next word; with `aWholeWordIfAligned` a full word when already there.
    void align(bool aWholeWordIfAligned = false) {
        if (fCount > 0)
            put(0, 16 - fCount);
        else if (aWholeWordIfAligned)
            put(0, 16);
    }

    // Raw bytes, for stored data; only on a word boundary.
    void bytes(const uint8_t* aData, uint32_t aCount) {
        std::memcpy(fTarget + fUsed, aData, aCount);
        fUsed += aCount;
    }

    uint32_t size() const { return fUsed; }
    uint64_t bitCount() const { return uint64_t{fUsed} * 8 + fCount; }

private:
    uint8_t* fTarget = nullptr;
    uint32_t fUsed = 0;
    uint64_t fBits = 0;
    uint32_t fCount = 0;
};

} // namespace kf::cab::lzx
