#include "DeflateParser.h"

#include <algorithm>

namespace kf::cab::deflate {

namespace {

constexpr uint32_t kBlockCapacity = 32768;
// Room for the matches of the whole block; past it a position keeps only its longest match.
constexpr uint32_t kMatchCapacity = kBlockCapacity * 12;
constexpr uint32_t kUnreached = UINT32_MAX;

} // namespace

Parser::Parser(const Heap& aHeap) : fMatches(aHeap), fFirstMatch(aHeap), fCosts(aHeap), fSteps(aHeap) {}

bool Parser::allocate() {
    return fMatches.allocate(kMatchCapacity) && fFirstMatch.allocate(kBlockCapacity + 1) &&
           fCosts.allocate(kBlockCapacity + 1) && fSteps.allocate(kBlockCapacity + 1);
}

void Parser::gatherMatches(MatchFinder& aFinder, const uint8_t* aWindow, uint32_t aStart, uint32_t anEnd,
                           unsigned aNiceLength) {
    fBlock = aWindow + aStart;
    fSize = anEnd - aStart;
    Match spare[kMaxMatch];
    uint32_t used = 0;
    for (uint32_t i = 0; i < fSize;) {
        fFirstMatch[i] = used;
        const bool room = used + kMaxMatch <= kMatchCapacity;
        Match* matches = room ? &fMatches[used] : spare;
        const uint32_t count = aFinder.find(aStart + i, matches);
        ++i;
        if (count == 0)
            continue;
        const Match longest = matches[count - 1];
        if (room)
            used += count;
        else if (used < kMatchCapacity)
            fMatches[used++] = longest;
        if (longest.length < aNiceLength)
            continue;
        for (uint32_t covered = 1; covered < longest.length; ++covered, ++i) {
            fFirstMatch[i] = used;
            aFinder.skip(aStart + i);
        }
    }
    fFirstMatch[fSize] = used;
}

uint32_t Parser::parseGreedy(Item* anItems) const {
    uint32_t count = 0;
    for (uint32_t i = 0; i < fSize;) {
        const uint32_t first = fFirstMatch[i];
        const uint32_t last = fFirstMatch[i + 1];
        if (first == last) {
            anItems[count++] = {0, fBlock[i]};
            ++i;
            continue;
        }
        const Match longest = fMatches[last - 1];
        anItems[count++] = {longest.length, longest.distance};
        i += longest.length;
    }
    return count;
}

uint32_t Parser::parseCheapest(const CostModel* aCosts, const uint32_t* aBlockEnds, bool anEveryLength,
                               Item* anItems) {
    uint32_t* costs = fCosts.data();
    uint32_t* steps = fSteps.data();
    costs[0] = 0;
    std::fill(costs + 1, costs + fSize + 1, kUnreached);
    const CostModel* model = aCosts;
    for (uint32_t i = 0; i < fSize; ++i) {
        while (i >= *aBlockEnds) {
            ++aBlockEnds;
            ++model;
        }
        const uint32_t cost = costs[i];
        const uint32_t literal = cost + model->literal(fBlock[i]);
        if (literal < costs[i + 1]) {
            costs[i + 1] = literal;
            steps[i + 1] = 1;
        }
        // Without branches the inner loop runs at the same speed whichever way the comparisons go.
        uint32_t* targets = costs + i;
        uint32_t* choices = steps + i;
        const uint32_t* lengthCosts = model->lengths();
        uint32_t shorter = kMinMatch - 1;
        for (uint32_t m = fFirstMatch[i]; m < fFirstMatch[i + 1]; ++m) {
            const Match match = fMatches[m];
            const uint32_t base = cost + model->distance(match.distance);
            const uint32_t step = static_cast<uint32_t>(match.distance) << 16;
            for (uint32_t length = anEveryLength ? shorter + 1 : match.length; length <= match.length;
                 ++length) {
                const uint32_t total = base + lengthCosts[length];
                const bool cheaper = total < targets[length];
                targets[length] = cheaper ? total : targets[length];
                choices[length] = cheaper ? (step | length) : choices[length];
            }
            shorter = match.length;
        }
    }
    // Walk back from the end, then put the items in order.
    uint32_t count = 0;
    for (uint32_t i = fSize; i > 0;) {
        const uint32_t length = steps[i] & 0xFFFF;
        const uint32_t distance = steps[i] >> 16;
        i -= length;
        anItems[count++] = distance == 0
                               ? Item{0, fBlock[i]}
                               : Item{static_cast<uint16_t>(length), static_cast<uint16_t>(distance)};
    }
    std::reverse(anItems, anItems + count);
    return count;
}

} // namespace kf::cab::deflate
