#include "LzxParser.h"

#include <algorithm>
#include <cstring>

namespace kf::cab::lzx {

namespace {

constexpr uint32_t kUnreached = UINT32_MAX;
// Room for eight matches per position on average; a frame that needs more parses its rest
// with repeated offsets and literals only.
constexpr uint32_t kMatchCapacity = kFrameSize * 8 + MatchFinder::kMaxResults;

void Follow(const uint32_t* aReps, uint32_t aLength, uint32_t aCode, uint32_t* aResult) {
    aResult[0] = aReps[0];
    aResult[1] = aReps[1];
    aResult[2] = aReps[2];
    if (aLength == 0)
        return;
    if (aCode < kRepeatedOffsets) {
        std::swap(aResult[0], aResult[aCode]);
        return;
    }
    aResult[2] = aReps[1];
    aResult[1] = aReps[0];
    aResult[0] = aCode - 2;
}

} // namespace

Parser::Parser(const Heap& aHeap)
    : fMatchStore(aHeap), fFirstStore(aHeap), fCountStore(aHeap), fNodeStore(aHeap), fPathStore(aHeap) {}

bool Parser::allocate() {
    if (!fMatchStore.allocate(kMatchCapacity * sizeof(Match)) ||
        !fFirstStore.allocate(kFrameSize * sizeof(uint32_t)) ||
        !fCountStore.allocate(kFrameSize * sizeof(uint16_t)) ||
        !fNodeStore.allocate((kFrameSize + 1) * sizeof(Node)) ||
        !fPathStore.allocate(kFrameSize * sizeof(Item)))
        return false;
    fMatches = reinterpret_cast<Match*>(fMatchStore.data());
    fFirst = reinterpret_cast<uint32_t*>(fFirstStore.data());
    fCounts = reinterpret_cast<uint16_t*>(fCountStore.data());
    fNodes = reinterpret_cast<Node*>(fNodeStore.data());
    fPath = reinterpret_cast<Item*>(fPathStore.data());
    return true;
}

void Parser::collect(MatchFinder& aFinder, uint32_t aStart, uint32_t aSize) {
    fFinder = &aFinder;
    fStart = aStart;
    fSize = aSize;
    uint32_t used = 0;
    uint32_t skipUntil = 0;
    for (uint32_t i = 0; i < aSize; ++i) {
        const uint32_t available = std::min(kMaxMatch, aSize - i);
        fFirst[i] = used;
        fCounts[i] = 0;
        // Inside a long match the data is in the window already, at the match's source: leaving
        // these positions out of the search costs 0.2% of output and saves a tenth of the time.
        if (i < skipUntil)
            continue;
        if (used + MatchFinder::kMaxResults > kMatchCapacity) {
            aFinder.skip(aStart + i, available);
            continue;
        }
        const uint32_t count = aFinder.find(aStart + i, available, fMatches + used);
        fCounts[i] = static_cast<uint16_t>(count);
        if (count > 0 && fMatches[used + count - 1].length >= aFinder.niceLength())
            skipUntil = i + fMatches[used + count - 1].length;
        used += count;
    }
}

void Parser::open(uint32_t anEnd) {
    for (; fReach < anEnd; ++fReach)
        fNodes[fReach + 1].cost = kUnreached;
}

void Parser::relax(uint32_t aFrom, uint32_t aTo, uint32_t aCost, uint32_t aLength, uint32_t aCode) {
    if (aTo > fReach)
        open(aTo);
    Node& node = fNodes[aTo];
    if (aCost < node.cost) {
        node.cost = aCost;
        node.from = aFrom;
        node.length = aLength;
        node.code = aCode;
    }
}

void Parser::arrive(uint32_t anIndex) {
    Node& node = fNodes[anIndex];
    Follow(fNodes[node.from].reps, node.length, node.code, node.reps);
}

uint32_t Parser::repeatLength(uint32_t anIndex, uint32_t aDistance, uint32_t anAvailable) const {
    const uint8_t* current = fFinder->data(fStart + anIndex);
    return MatchLength(current, current - aDistance, 0, anAvailable);
}

uint32_t Parser::trace(uint32_t aStart, uint32_t anEnd, Item* aItems) {
    uint32_t first = kFrameSize;
    for (uint32_t index = anEnd; index != aStart; index = fNodes[index].from)
        fPath[--first] = {fNodes[index].length, fNodes[index].code};
    std::memcpy(aItems, fPath + first, (kFrameSize - first) * sizeof(Item));
    return kFrameSize - first;
}

uint32_t Parser::choose(const CostModel& aCosts, uint32_t* aReps, Item* aItems) {
    const uint32_t nice = fFinder->niceLength();
    uint32_t count = 0;
    uint32_t start = 0;
    fNodes[0].cost = 0;
    std::memcpy(fNodes[0].reps, aReps, sizeof fNodes[0].reps);
    fReach = 0;
    uint32_t i = 0;
    while (i < fSize) {
        if (i != start)
            arrive(i);
        const Node& node = fNodes[i];
        const uint32_t position = fStart + i;
        const uint32_t available = std::min(kMaxMatch, fSize - i);
        uint32_t repLengths[kRepeatedOffsets] = {};
        uint32_t bestRep = 0;
        for (uint32_t k = 0; k < kRepeatedOffsets; ++k) {
            const uint32_t distance = node.reps[k];
            if (distance > position || (k > 0 && distance == node.reps[0]) ||
                (k == 2 && distance == node.reps[1]))
                continue;
            repLengths[k] = repeatLength(i, distance, available);
            if (repLengths[k] > repLengths[bestRep])
                bestRep = k;
        }
        const Match* matches = fMatches + fFirst[i];
        const uint32_t matchCount = fCounts[i];
        const uint32_t longest = matchCount > 0 ? matches[matchCount - 1].length : 0;
        if (std::max(longest, repLengths[bestRep]) >= nice) {
            count += trace(start, i, aItems + count);
            Item item = repLengths[bestRep] >= longest ? Item{repLengths[bestRep], bestRep}
                                                       : Item{longest, matches[matchCount - 1].distance + 2};
            aItems[count++] = item;
            uint32_t reps[kRepeatedOffsets];
            Follow(node.reps, item.length, item.code, reps);
            i += item.length;
            start = fReach = i;
            fNodes[i].cost = 0;
            std::memcpy(fNodes[i].reps, reps, sizeof reps);
            continue;
        }
        const uint32_t cost = node.cost;
        const uint8_t byte = *fFinder->data(position);
        relax(i, i + 1, cost + aCosts.literal(byte), 0, byte);
        for (uint32_t k = 0; k < kRepeatedOffsets; ++k) {
            const uint16_t* costs = aCosts.match(k);
            for (uint32_t length = kMinMatch; length <= repLengths[k]; ++length)
                relax(i, i + length, cost + costs[length], length, k);
        }
        uint32_t covered = kMinMatch - 1;
        for (uint32_t m = 0; m < matchCount; ++m) {
            const Match match = matches[m];
            if (match.distance == node.reps[0] || match.distance == node.reps[1] ||
                match.distance == node.reps[2]) {
                covered = match.length;
                continue;
            }
            const uint16_t* costs = aCosts.match(SlotOf(match.distance + 2));
            for (uint32_t length = covered + 1; length <= match.length; ++length)
                relax(i, i + length, cost + costs[length], length, match.distance + 2);
            covered = match.length;
        }
        ++i;
    }
    if (start != fSize)
        arrive(fSize);
    count += trace(start, fSize, aItems + count);
    std::memcpy(aReps, fNodes[fSize].reps, sizeof fNodes[fSize].reps);
    return count;
}

} // namespace kf::cab::lzx
