#pragma once

#include "LzxBitWriter.h"
#include "LzxFormat.h"

#include <cstdint>

namespace kf::cab::lzx {

// The code lengths a block sends: each tree goes as differences from the previous block's.
struct CodeLengths {
    uint8_t main[kMaxMainSymbols];
    uint8_t length[kLengthSymbols];
};

// Writes verbatim and aligned-offset blocks of parsed items, with their trees coded against the
// previous block's, and stored blocks.
class BlockWriter {
public:
    void reset(uint32_t aMainCount);
    const CodeLengths& lengths() const { return fPrevious; }
    void restore(const CodeLengths& aLengths) { fPrevious = aLengths; }

    // The code lengths the items would get, for a further parse with their costs.
    void estimate(const Item* aItems, uint32_t aCount, CodeLengths& aLengths) const;
    // One block of aSize bytes, verbatim or aligned, whichever is shorter.
    void write(BitWriter& aBits, const Item* aItems, uint32_t aCount, uint32_t aSize);
    static void writeStored(BitWriter& aBits, const uint8_t* aData, uint32_t aSize, const uint32_t* aReps);

private:
    struct Frequencies {
        uint32_t main[kMaxMainSymbols];
        uint32_t length[kLengthSymbols];
        uint32_t aligned[kAlignedSymbols];
    };

    void count(const Item* aItems, uint32_t aCount, Frequencies& aFrequencies) const;
    void writeTree(BitWriter& aBits, const uint8_t* aLengths, uint8_t* aPrevious, uint32_t aCount);
    void writeItems(BitWriter& aBits, const Item* aItems, uint32_t aCount, const CodeLengths& aLengths,
                    const uint8_t* anAlignedLengths) const;

    uint32_t fMainCount = 0;
    CodeLengths fPrevious{};
};

} // namespace kf::cab::lzx
