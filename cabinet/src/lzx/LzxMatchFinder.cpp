#include "LzxMatchFinder.h"

#include <algorithm>
#include <cstring>

namespace kf::cab::lzx {

namespace {

constexpr uint32_t kHash2Size = 1u << 16;
constexpr uint32_t kHash3Bits = 16;
constexpr uint32_t kMinHashBits = 16;
constexpr uint32_t kMaxHashBits = 20;
constexpr uint32_t kReadMargin = 8;

uint32_t Read32(const uint8_t* aData) {
    uint32_t value;
    std::memcpy(&value, aData, sizeof value);
    return value;
}

uint32_t Hash3(const uint8_t* aData) {
    return ((Read32(aData) & 0xFFFFFF) * 0x9E3779B1u) >> (32 - kHash3Bits);
}

uint32_t Hash4(const uint8_t* aData, uint32_t aBits) {
    return (Read32(aData) * 0x9E3779B1u) >> (32 - aBits);
}

} // namespace

MatchFinder::MatchFinder(const Heap& aHeap)
    : fBuffer(aHeap), fHead2(aHeap), fHead3(aHeap), fHead4(aHeap), fTree(aHeap) {}

bool MatchFinder::allocate(uint32_t aWindowBits, uint32_t aDepth, uint32_t aNiceLength) {
    const uint32_t window = 1u << aWindowBits;
    fWindowMask = window - 1;
    fMaxDistance = window - 3;
    fBias = window;
    fHashBits = std::clamp(aWindowBits - 1, kMinHashBits, kMaxHashBits);
    fDepth = aDepth;
    fNice = aNiceLength;
    // The window, and as much room again so that the data slides only once per window.
    return fBuffer.allocate(2 * window + kReadMargin) && fHead2.allocate(kHash2Size * 4) &&
           fHead3.allocate((1u << kHash3Bits) * 4) && fHead4.allocate((1u << fHashBits) * 4) &&
           fTree.allocate(2 * window * 4);
}

void MatchFinder::reset() {
    std::memset(fHead2.data(), 0, fHead2.size());
    std::memset(fHead3.data(), 0, fHead3.size());
    std::memset(fHead4.data(), 0, fHead4.size());
    fBufferStart = fEnd = 0;
}

void MatchFinder::append(const uint8_t* aData, uint32_t aSize) {
    if (fEnd - fBufferStart + aSize > fBuffer.size() - kReadMargin) {
        const uint32_t keep = fWindowMask + 1;
        std::memmove(fBuffer.data(), data(fEnd - keep), keep);
        fBufferStart = fEnd - keep;
    }
    std::memcpy(fBuffer.data() + (fEnd - fBufferStart), aData, aSize);
    fEnd += aSize;
}

uint32_t MatchFinder::find(uint32_t aPosition, uint32_t aAvailable, Match* aMatches) {
    const uint32_t limit = std::min(aAvailable, fNice);
    if (limit < 4)
        return 0;
    const uint8_t* current = data(aPosition);
    const uint32_t here = aPosition + fBias;
    uint32_t* head2 = table(fHead2) + (current[0] | (current[1] << 8));
    uint32_t* head3 = table(fHead3) + Hash3(current);
    const uint32_t distance2 = here - *head2;
    const uint32_t distance3 = here - *head3;
    *head2 = *head3 = here;
    uint32_t count = 0;
    uint32_t best = 1;
    if (distance2 <= fMaxDistance) {
        best = MatchLength(current, current - distance2, 2, limit);
        aMatches[count++] = {best, distance2};
    }
    if (distance3 != distance2 && distance3 <= fMaxDistance &&
        Read32(current - distance3) << 8 == Read32(current) << 8) {
        const uint32_t length = MatchLength(current, current - distance3, 3, limit);
        if (length > best) {
            best = length;
            aMatches[count++] = {length, distance3};
        }
    }
    if (limit < fNice)
        count += lookUp(aPosition, limit, best, aMatches + count);
    else if (best == limit)
        search(aPosition, limit, limit, nullptr);
    else
        count += search(aPosition, limit, best, aMatches + count);
    // Searches stop at the nice length; the longest match may go on beyond it.
    if (count > 0 && aMatches[count - 1].length == limit) {
        Match& longest = aMatches[count - 1];
        longest.length = MatchLength(current, current - longest.distance, limit, aAvailable);
    }
    return count;
}

// The binary tree of the position's hash: walks from the newest to older positions, collecting
// ever longer matches, and re-links the tree so that the position becomes its root.
uint32_t MatchFinder::search(uint32_t aPosition, uint32_t aLimit, uint32_t aBest, Match* aMatches) {
    const uint8_t* current = data(aPosition);
    const uint32_t here = aPosition + fBias;
    uint32_t* tree = table(fTree);
    uint32_t* head = table(fHead4) + Hash4(current, fHashBits);
    // The next position's tree root is far off in memory: have it on its way.
    __builtin_prefetch(table(fHead4) + Hash4(current + 1, fHashBits));
    uint32_t candidate = *head;
    *head = here;
    uint32_t* smaller = tree + 2 * (aPosition & fWindowMask);
    uint32_t* larger = smaller + 1;
    uint32_t smallerLength = 0, largerLength = 0;
    uint32_t count = 0;
    for (uint32_t depth = fDepth;; --depth) {
        const uint32_t distance = here - candidate;
        if (depth == 0 || distance > fMaxDistance) {
            *smaller = *larger = 0;
            break;
        }
        uint32_t* node = tree + 2 * ((aPosition - distance) & fWindowMask);
        const uint8_t* earlier = current - distance;
        uint32_t length = std::min(smallerLength, largerLength);
        if (earlier[length] == current[length]) {
            length = MatchLength(current, earlier, length + 1, aLimit);
            if (length > aBest && aMatches != nullptr) {
                aBest = length;
                aMatches[count++] = {length, distance};
            }
            if (length == aLimit) {
                *smaller = node[0];
                *larger = node[1];
                break;
            }
        }
        if (earlier[length] < current[length]) {
            *smaller = candidate;
            smaller = node + 1;
            candidate = *smaller;
            smallerLength = length;
        } else {
            *larger = candidate;
            larger = node;
            candidate = *larger;
            largerLength = length;
        }
    }
    return count;
}

// Near the end of the data the comparisons stop short, and a node inserted then could sit on the
// wrong side of later ones: such positions are looked up but stay out of the tree.
uint32_t MatchFinder::lookUp(uint32_t aPosition, uint32_t aLimit, uint32_t aBest, Match* aMatches) const {
    const uint8_t* current = data(aPosition);
    const uint32_t here = aPosition + fBias;
    const uint32_t* tree = reinterpret_cast<const uint32_t*>(fTree.data());
    uint32_t candidate = reinterpret_cast<const uint32_t*>(fHead4.data())[Hash4(current, fHashBits)];
    uint32_t smallerLength = 0, largerLength = 0;
    uint32_t count = 0;
    for (uint32_t depth = fDepth; depth > 0; --depth) {
        const uint32_t distance = here - candidate;
        if (distance > fMaxDistance)
            break;
        const uint32_t* node = tree + 2 * ((aPosition - distance) & fWindowMask);
        const uint8_t* earlier = current - distance;
        uint32_t length = std::min(smallerLength, largerLength);
        if (earlier[length] == current[length]) {
            length = MatchLength(current, earlier, length + 1, aLimit);
            if (length > aBest) {
                aBest = length;
                aMatches[count++] = {length, distance};
            }
            if (length == aLimit)
                break;
        }
        if (earlier[length] < current[length]) {
            candidate = node[1];
            smallerLength = length;
        } else {
            candidate = node[0];
            largerLength = length;
        }
    }
    return count;
}

void MatchFinder::skip(uint32_t aPosition, uint32_t aAvailable) {
    const uint32_t limit = std::min(aAvailable, fNice);
    if (limit < fNice)
        return;
    const uint8_t* current = data(aPosition);
    const uint32_t here = aPosition + fBias;
    table(fHead2)[current[0] | (current[1] << 8)] = here;
    table(fHead3)[Hash3(current)] = here;
    search(aPosition, limit, limit, nullptr);
}

} // namespace kf::cab::lzx
