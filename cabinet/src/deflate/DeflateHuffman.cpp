#include "DeflateHuffman.h"

#include "DeflateFormat.h"

#include <algorithm>

namespace kf::cab::deflate {

namespace {

constexpr unsigned kMaxSymbols = kLiteralLengthSymbols;
constexpr unsigned kSymbolBits = 9;
static_assert(kMaxSymbols <= 1u << kSymbolBits);

void GiveTwoSymbolsOneBit(const uint32_t* aFrequencies, unsigned aCount, uint8_t* aLengths) {
    unsigned given = 0;
    for (unsigned symbol = 0; symbol < aCount; ++symbol)
        if (aFrequencies[symbol] != 0) {
            aLengths[symbol] = 1;
            ++given;
        }
    for (unsigned symbol = 0; symbol < aCount && given < 2; ++symbol)
        if (aLengths[symbol] == 0) {
            aLengths[symbol] = 1;
            ++given;
        }
}

// Huffman's tree by the two-queue method over leaves sorted by weight; returns each leaf's depth.
void TreeDepths(const uint32_t* aWeights, unsigned aLeaves, unsigned* aDepths) {
    uint32_t weight[2 * kMaxSymbols];
    uint16_t parent[2 * kMaxSymbols];
    std::copy(aWeights, aWeights + aLeaves, weight);
    unsigned leaf = 0;
    unsigned inner = aLeaves;
    unsigned next = aLeaves;
    auto lightest = [&] {
        if (leaf < aLeaves && (inner == next || weight[leaf] <= weight[inner]))
            return leaf++;
        return inner++;
    };
    while (next < 2 * aLeaves - 1) {
        const unsigned a = lightest();
        const unsigned b = lightest();
        weight[next] = weight[a] + weight[b];
        parent[a] = parent[b] = static_cast<uint16_t>(next);
        ++next;
    }
    unsigned depth[2 * kMaxSymbols];
    depth[next - 1] = 0;
    for (unsigned node = next - 1; node-- > 0;)
        depth[node] = depth[parent[node]] + 1;
    std::copy(depth, depth + aLeaves, aDepths);
}

// Moves leaves between levels until the code is complete again after the clamp to aLimit.
void CompleteCode(unsigned* aCounts, unsigned aLimit) {
    const uint32_t capacity = 1u << aLimit;
    uint32_t kraft = 0;
    for (unsigned length = 1; length <= aLimit; ++length)
        kraft += aCounts[length] << (aLimit - length);
    while (kraft > capacity) {
        unsigned length = aLimit - 1;
        while (aCounts[length] == 0)
            --length;
        --aCounts[length];
        ++aCounts[length + 1];
        kraft -= 1u << (aLimit - length - 1);
    }
    while (kraft < capacity) {
        unsigned length = aLimit;
        while (aCounts[length] == 0)
            --length;
        --aCounts[length];
        ++aCounts[length - 1];
        kraft += 1u << (aLimit - length);
    }
}

} // namespace

void BuildCodeLengths(const uint32_t* aFrequencies, unsigned aCount, unsigned aLimit, uint8_t* aLengths) {
    // Sorted by frequency, then symbol: both in one key.
    uint32_t keys[kMaxSymbols];
    unsigned used = 0;
    for (unsigned symbol = 0; symbol < aCount; ++symbol) {
        aLengths[symbol] = 0;
        if (aFrequencies[symbol] != 0)
            keys[used++] = (aFrequencies[symbol] << kSymbolBits) | symbol;
    }
    if (used < 2) {
        GiveTwoSymbolsOneBit(aFrequencies, aCount, aLengths);
        return;
    }
    std::sort(keys, keys + used);
    uint16_t symbols[kMaxSymbols];
    uint32_t weights[kMaxSymbols];
    for (unsigned i = 0; i < used; ++i) {
        symbols[i] = static_cast<uint16_t>(keys[i] & ((1u << kSymbolBits) - 1));
        weights[i] = keys[i] >> kSymbolBits;
    }
    unsigned depths[kMaxSymbols];
    TreeDepths(weights, used, depths);

    unsigned counts[kMaxCodeLength + 1] = {};
    for (unsigned i = 0; i < used; ++i)
        ++counts[std::min(depths[i], aLimit)];
    CompleteCode(counts, aLimit);
    // The rarest symbols take the longest codes.
    unsigned next = 0;
    for (unsigned length = aLimit; length >= 1; --length)
        for (unsigned i = 0; i < counts[length]; ++i)
            aLengths[symbols[next++]] = static_cast<uint8_t>(length);
}

void BuildCodes(const uint8_t* aLengths, unsigned aCount, uint16_t* aCodes) {
    unsigned counts[kMaxCodeLength + 1] = {};
    for (unsigned symbol = 0; symbol < aCount; ++symbol)
        ++counts[aLengths[symbol]];
    counts[0] = 0;
    unsigned next[kMaxCodeLength + 1] = {};
    unsigned code = 0;
    for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
        code = (code + counts[length - 1]) << 1;
        next[length] = code;
    }
    for (unsigned symbol = 0; symbol < aCount; ++symbol) {
        const unsigned length = aLengths[symbol];
        aCodes[symbol] = 0;
        if (length == 0)
            continue;
        unsigned value = next[length]++;
        unsigned reversed = 0;
        for (unsigned bit = 0; bit < length; ++bit, value >>= 1)
            reversed = (reversed << 1) | (value & 1);
        aCodes[symbol] = static_cast<uint16_t>(reversed);
    }
}

void SmoothForRunLengths(uint32_t* aCounts, unsigned aCount) {
    constexpr uint32_t kCloseEnough = 4;
    while (aCount > 0 && aCounts[aCount - 1] == 0)
        --aCount;
    bool inRun[kMaxSymbols] = {};
    for (unsigned i = 0; i < aCount;) {
        unsigned run = 1;
        while (i + run < aCount && aCounts[i + run] == aCounts[i])
            ++run;
        if (run >= (aCounts[i] == 0 ? 5u : 7u))
            std::fill(inRun + i, inRun + i + run, true);
        i += run;
    }
    auto reference = [&](unsigned aFrom) -> uint32_t {
        if (aFrom + 4 <= aCount)
            return (aCounts[aFrom] + aCounts[aFrom + 1] + aCounts[aFrom + 2] + aCounts[aFrom + 3] + 2) / 4;
        return aFrom < aCount ? aCounts[aFrom] : 0;
    };
    unsigned stride = 0;
    uint64_t sum = 0;
    uint32_t level = aCount > 0 ? aCounts[0] : 0;
    for (unsigned i = 0; i <= aCount; ++i) {
        const bool ends = i == aCount || inRun[i] ||
                          (aCounts[i] > level ? aCounts[i] - level : level - aCounts[i]) >= kCloseEnough;
        if (ends) {
            if (stride >= 4 || (stride >= 3 && sum == 0)) {
                const uint32_t mean =
                    sum == 0 ? 0 : std::max<uint32_t>(1, static_cast<uint32_t>((sum + stride / 2) / stride));
                std::fill(aCounts + i - stride, aCounts + i, mean);
            }
            stride = 0;
            sum = 0;
            level = reference(i);
        }
        ++stride;
        if (i != aCount)
            sum += aCounts[i];
    }
}

} // namespace kf::cab::deflate
