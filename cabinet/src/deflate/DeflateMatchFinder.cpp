#include "DeflateMatchFinder.h"

#include "DeflateFormat.h"

#include <algorithm>

namespace kf::cab::deflate {

namespace {

constexpr unsigned kHash3Bits = 15;
constexpr unsigned kHash4Bits = 16;
// Positions are kept plus one in 16 bits, so that 0 means none and the tables stay small.
constexpr uint16_t kNone = 0;
constexpr uint32_t kMultiplier = 0x1E35A7BD;

uint32_t Load32(const uint8_t* aBytes) {
    return aBytes[0] | (aBytes[1] << 8) | (aBytes[2] << 16) | (static_cast<uint32_t>(aBytes[3]) << 24);
}

uint32_t Hash3(const uint8_t* aBytes) {
    return ((aBytes[0] | (aBytes[1] << 8) | (aBytes[2] << 16)) * kMultiplier) >> (32 - kHash3Bits);
}

uint32_t Hash4(const uint8_t* aBytes) {
    return (Load32(aBytes) * kMultiplier) >> (32 - kHash4Bits);
}

uint16_t Stored(int32_t aPosition) {
    return static_cast<uint16_t>(aPosition + 1);
}

int32_t Position(uint16_t aStored) {
    return static_cast<int32_t>(aStored) - 1;
}

// The latest position with the same first 3 bytes, checked byte by byte; the position becomes the
// latest one. Returns the count of matches (0 or 1) put in aMatches, if given.
inline uint32_t NearMatch(uint16_t* aHead3, const uint8_t* aWindow, uint32_t aPosition, uint32_t aLimit,
                   int32_t aLowest, Match* aMatches) {
    const uint8_t* current = aWindow + aPosition;
    const uint32_t hash3 = Hash3(current);
    const int32_t near = Position(aHead3[hash3]);
    aHead3[hash3] = Stored(static_cast<int32_t>(aPosition));
    if (aMatches == nullptr || near < aLowest)
        return 0;
    const uint32_t length = ExtendMatch(aWindow + near, current, 0, aLimit);
    if (length < kMinMatch)
        return 0;
    aMatches[0] = {static_cast<uint16_t>(length), static_cast<uint16_t>(aPosition - near)};
    return 1;
}

} // namespace

MatchFinder::MatchFinder(const Heap& aHeap) : fHead3(aHeap), fHead4(aHeap), fChildren(aHeap) {}

bool MatchFinder::allocate() {
    return fHead3.allocate(1u << kHash3Bits) && fHead4.allocate(1u << kHash4Bits) &&
           fChildren.allocate(2 * kCapacity);
}

void MatchFinder::reset(const uint8_t* aWindow, uint32_t anEnd, unsigned aNiceLength, unsigned aSearchDepth,
                        unsigned aSkipDepth) {
    fWindow = aWindow;
    fEnd = anEnd;
    fNiceLength = aNiceLength;
    fSearchDepth = aSearchDepth;
    fSkipDepth = aSkipDepth;
    fJoinLookahead = std::max<uint32_t>(aNiceLength, kMinLookahead);
    fJoinedEnd = 0;
    std::fill(fHead3.data(), fHead3.data() + fHead3.size(), kNone);
    std::fill(fHead4.data(), fHead4.data() + fHead4.size(), kNone);
}

void MatchFinder::slide(uint32_t aShift, uint32_t anEnd) {
    auto moved = [aShift](uint16_t aStored) {
        return aStored > aShift ? static_cast<uint16_t>(aStored - aShift) : kNone;
    };
    std::transform(fHead3.data(), fHead3.data() + fHead3.size(), fHead3.data(), moved);
    std::transform(fHead4.data(), fHead4.data() + fHead4.size(), fHead4.data(), moved);
    std::transform(fChildren.data() + 2 * aShift, fChildren.data() + fChildren.size(), fChildren.data(),
                   moved);
    fEnd = anEnd;
    fJoinedEnd = fJoinedEnd > aShift ? fJoinedEnd - aShift : 0;
}

uint32_t MatchFinder::findAfterCatchingUp(uint32_t aPosition, Match* aMatches) {
    return catchUp(aPosition) ? advance<true>(aPosition, aMatches) : search(aPosition, aMatches);
}

void MatchFinder::skipAfterCatchingUp(uint32_t aPosition) {
    if (catchUp(aPosition))
        advance<false>(aPosition, nullptr);
}

// Adds the positions before this one that were waiting for more bytes and can join now; tells
// whether this one joins too.
bool MatchFinder::catchUp(uint32_t aPosition) {
    for (; fJoinedEnd < aPosition && fEnd - fJoinedEnd >= fJoinLookahead; ++fJoinedEnd)
        advance<false>(fJoinedEnd, nullptr);
    return joins(aPosition);
}

// Walks the tree of the position's hash as advance() does, leaving it as it is.
uint32_t MatchFinder::search(uint32_t aPosition, Match* aMatches) {
    const uint32_t available = fEnd - aPosition;
    if (available < kMinLookahead)
        return 0;
    const uint32_t limit = std::min(available, kMaxMatch);
    const uint32_t nice = std::min(limit, fNiceLength);
    const int32_t lowest = aPosition > kWindowSize ? static_cast<int32_t>(aPosition - kWindowSize) : 0;
    const uint8_t* current = fWindow + aPosition;
    uint32_t count = NearMatch(fHead3.data(), fWindow, aPosition, limit, lowest, aMatches);
    uint32_t best = count > 0 ? aMatches[0].length : kMinMatch - 1;
    int32_t node = Position(fHead4[Hash4(current)]);
    uint32_t smallerLength = 0;
    uint32_t greaterLength = 0;
    uint32_t length = 0;
    for (unsigned depth = fSearchDepth; node >= lowest && depth > 0; --depth) {
        const uint8_t* candidate = fWindow + node;
        if (candidate[length] == current[length]) {
            length = ExtendMatch(candidate, current, length + 1, limit);
            if (length > best) {
                best = length;
                aMatches[count++] = {static_cast<uint16_t>(length), static_cast<uint16_t>(aPosition - node)};
            }
            if (length >= nice)
                break;
        }
        if (candidate[length] < current[length]) {
            node = Position(fChildren[2 * node + 1]);
            smallerLength = length;
        } else {
            node = Position(fChildren[2 * node]);
            greaterLength = length;
        }
        length = std::min(smallerLength, greaterLength);
    }
    return count;
}

// The tree of a hash bucket is ordered by the strings that follow each position. The new position
// becomes the root; the old nodes are split into its smaller and greater subtrees on the way down.
// Every node between the nearest smaller and greater one shares their common prefix with the new
// string, so comparisons start after it. Nodes beyond the depth or out of reach are cut off.
template <bool kCollect> uint32_t MatchFinder::advance(uint32_t aPosition, Match* aMatches) {
    const uint32_t limit = std::min(fEnd - aPosition, kMaxMatch);
    const uint32_t nice = std::min(limit, fNiceLength);
    const int32_t lowest = aPosition > kWindowSize ? static_cast<int32_t>(aPosition - kWindowSize) : 0;
    const uint8_t* current = fWindow + aPosition;
    uint32_t count =
        NearMatch(fHead3.data(), fWindow, aPosition, limit, lowest, kCollect ? aMatches : nullptr);
    uint32_t best = count > 0 ? aMatches[0].length : kMinMatch - 1;

    const uint32_t hash4 = Hash4(current);
    int32_t node = Position(fHead4[hash4]);
    fHead4[hash4] = Stored(static_cast<int32_t>(aPosition));
    uint16_t* pendingSmaller = &fChildren[2 * aPosition];
    uint16_t* pendingGreater = &fChildren[2 * aPosition + 1];
    uint32_t smallerLength = 0;
    uint32_t greaterLength = 0;
    uint32_t length = 0;
    for (unsigned depth = kCollect ? fSearchDepth : fSkipDepth; node >= lowest && depth > 0; --depth) {
        const uint8_t* candidate = fWindow + node;
        if (candidate[length] == current[length]) {
            length = ExtendMatch(candidate, current, length + 1, limit);
            if (kCollect && length > best) {
                best = length;
                aMatches[count++] = {static_cast<uint16_t>(length), static_cast<uint16_t>(aPosition - node)};
            }
            if (length >= nice) {
                *pendingSmaller = fChildren[2 * node];
                *pendingGreater = fChildren[2 * node + 1];
                return count;
            }
        }
        if (candidate[length] < current[length]) {
            *pendingSmaller = Stored(node);
            pendingSmaller = &fChildren[2 * node + 1];
            node = Position(*pendingSmaller);
            smallerLength = length;
        } else {
            *pendingGreater = Stored(node);
            pendingGreater = &fChildren[2 * node];
            node = Position(*pendingGreater);
            greaterLength = length;
        }
        length = std::min(smallerLength, greaterLength);
    }
    *pendingSmaller = kNone;
    *pendingGreater = kNone;
    return count;
}

template uint32_t MatchFinder::advance<true>(uint32_t, Match*);
template uint32_t MatchFinder::advance<false>(uint32_t, Match*);

} // namespace kf::cab::deflate
