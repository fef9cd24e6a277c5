#pragma once

#include <cstdint>
#include <cstring>

namespace kf::cab::deflate {

// Deflate's bit order: least significant bit first, codes already bit-reversed by the caller.
// Writing past the end of the buffer is remembered instead of done.
class BitWriter {
public:
    BitWriter(uint8_t* anOutput, uint32_t aCapacity) : fOutput(anOutput), fCapacity(aCapacity) {}

    void put(uint32_t aBits, unsigned aCount) {
        fBits |= static_cast<uint64_t>(aBits) << fCount;
        fCount += aCount;
        if (fCount >= 32) {
            if (fSize + 4 <= fCapacity)
                for (unsigned i = 0; i < 4; ++i)
                    fOutput[fSize + i] = static_cast<uint8_t>(fBits >> (8 * i));
            else
                fOverflow = true;
            fSize += 4;
            fBits >>= 32;
            fCount -= 32;
        }
    }

    // Pads with zero bits to the next byte boundary and writes out every whole byte.
    void alignToByte() {
        fCount = (fCount + 7) & ~7u;
        while (fCount > 0) {
            if (fSize < fCapacity)
                fOutput[fSize] = static_cast<uint8_t>(fBits);
            else
                fOverflow = true;
            ++fSize;
            fBits >>= 8;
            fCount -= 8;
        }
    }

    // Only on a byte boundary.
    void putBytes(const uint8_t* aBytes, uint32_t aCount) {
        if (fSize + aCount <= fCapacity)
            std::memcpy(fOutput + fSize, aBytes, aCount);
        else
            fOverflow = true;
        fSize += aCount;
    }

    // Bits written so far, the pending ones included.
    uint64_t bitCount() const { return static_cast<uint64_t>(fSize) * 8 + fCount; }
    uint32_t finish() {
        alignToByte();
        return fSize;
    }
    bool overflowed() const { return fOverflow; }

private:
    uint8_t* fOutput;
    uint32_t fCapacity;
    uint32_t fSize = 0;
    uint64_t fBits = 0;
    unsigned fCount = 0;
    bool fOverflow = false;
};

} // namespace kf::cab::deflate
