#include "LzxHuffman.h"

#include <algorithm>

namespace kf::cab::lzx::huffman {

namespace {

// Code lengths for weights sorted in ascending order, in place (Moffat and Katajainen): on return
// aWeights[i] is the length of the i-th lightest symbol.
void MinimumRedundancy(uint32_t* aWeights, uint32_t aCount) {
    uint32_t* a = aWeights;
    const int n = static_cast<int>(aCount);
    a[0] += a[1];
    int root = 0, leaf = 2;
    for (int next = 1; next < n - 1; ++next) {
        if (leaf >= n || a[root] < a[leaf]) {
            a[next] = a[root];
            a[root++] = static_cast<uint32_t>(next);
        } else {
            a[next] = a[leaf++];
        }
        if (leaf >= n || (root < next && a[root] < a[leaf])) {
            a[next] += a[root];
            a[root++] = static_cast<uint32_t>(next);
        } else {
            a[next] += a[leaf++];
        }
    }
    a[n - 2] = 0;
    for (int next = n - 3; next >= 0; --next)
        a[next] = a[a[next]] + 1;
    int available = 1, used = 0, depth = 0, next = n - 1;
    root = n - 2;
    while (available > 0) {
        while (root >= 0 && static_cast<int>(a[root]) == depth) {
            ++used;
            --root;
        }
        while (available > used) {
            a[next--] = static_cast<uint32_t>(depth);
            --available;
        }
        available = 2 * used;
        ++depth;
        used = 0;
    }
}

// Moves leaves deeper than the limit up while keeping the code complete.
void LimitDepth(uint32_t* aCounts, uint32_t aDeepest, uint32_t aMaxLength) {
    for (uint32_t depth = aDeepest; depth > aMaxLength; --depth) {
        while (aCounts[depth] > 0) {
            uint32_t shallower = depth - 2;
            while (aCounts[shallower] == 0)
                --shallower;
            aCounts[depth] -= 2;
            aCounts[depth - 1] += 1;
            aCounts[shallower + 1] += 2;
            aCounts[shallower] -= 1;
        }
    }
}

} // namespace

void BuildLengths(const uint32_t* aFrequencies, uint32_t aCount, uint32_t aMaxLength, uint8_t* aLengths) {
    // Frequency and symbol in one key: sorted, the lightest come first, ties by symbol.
    uint64_t keys[kMaxSymbols];
    uint32_t symbols[kMaxSymbols];
    uint32_t weights[kMaxSymbols];
    uint32_t used = 0;
    for (uint32_t i = 0; i < aCount; ++i) {
        aLengths[i] = 0;
        if (aFrequencies[i] > 0)
            keys[used++] = (uint64_t{aFrequencies[i]} << 16) | i;
    }
    if (used < 2) {
        const uint32_t first = used == 1 ? static_cast<uint32_t>(keys[0] & 0xFFFF) : 0;
        aLengths[first] = 1;
        aLengths[first == 0 ? 1 : 0] = 1;
        return;
    }
    std::sort(keys, keys + used);
    for (uint32_t i = 0; i < used; ++i) {
        symbols[i] = static_cast<uint32_t>(keys[i] & 0xFFFF);
        weights[i] = static_cast<uint32_t>(keys[i] >> 16);
    }
    MinimumRedundancy(weights, used);
    uint32_t counts[kMaxSymbols + 1] = {};
    const uint32_t deepest = weights[0];
    for (uint32_t i = 0; i < used; ++i)
        ++counts[weights[i]];
    LimitDepth(counts, deepest, aMaxLength);
    // The lightest symbols take the longest codes.
    uint32_t index = 0;
    for (uint32_t length = std::min(deepest, aMaxLength); length > 0; --length)
        for (uint32_t k = 0; k < counts[length]; ++k)
            aLengths[symbols[index++]] = static_cast<uint8_t>(length);
}

void BuildCodes(const uint8_t* aLengths, uint32_t aCount, uint16_t* aCodes) {
    uint32_t code = 0;
    for (uint32_t length = 1; length <= 16; ++length) {
        for (uint32_t i = 0; i < aCount; ++i)
            if (aLengths[i] == length)
                aCodes[i] = static_cast<uint16_t>(code++);
        code <<= 1;
    }
}

} // namespace kf::cab::lzx::huffman
