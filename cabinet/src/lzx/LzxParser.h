#pragma once

#include "Heap.h"
#include "LzxCostModel.h"
#include "LzxFormat.h"
#include "LzxMatchFinder.h"

#include <cstdint>

namespace kf::cab::lzx {

// Near-optimal parsing of one frame: the matches of every position are gathered once, then the
// cheapest path through the frame under a cost model is found, following the repeated offsets
// along each path. A match of the nice length or longer is taken as found.
class Parser {
public:
    explicit Parser(const Heap& aHeap);

    bool allocate();
    // Gathers the matches of the frame [aStart, aStart + aSize), whose data the finder holds.
    void collect(MatchFinder& aFinder, uint32_t aStart, uint32_t aSize);
    // The cheapest items for the collected frame; aReps go in as the frame starts and come out as
    // it ends. Returns the number of items.
    uint32_t choose(const CostModel& aCosts, uint32_t* aReps, Item* aItems);

private:
    struct Node {
        uint32_t cost;
        uint32_t from;
        uint32_t length;
        uint32_t code;
        uint32_t reps[kRepeatedOffsets];
    };

    void open(uint32_t anEnd);
    void relax(uint32_t aFrom, uint32_t aTo, uint32_t aCost, uint32_t aLength, uint32_t aCode);
    void arrive(uint32_t anIndex);
    uint32_t repeatLength(uint32_t anIndex, uint32_t aDistance, uint32_t anAvailable) const;
    uint32_t trace(uint32_t aStart, uint32_t anEnd, Item* aItems);

    HeapBuffer fMatchStore;
    HeapBuffer fFirstStore;
    HeapBuffer fCountStore;
    HeapBuffer fNodeStore;
    HeapBuffer fPathStore;
    Match* fMatches = nullptr;
    uint32_t* fFirst = nullptr;
    uint16_t* fCounts = nullptr;
    Node* fNodes = nullptr;
    Item* fPath = nullptr;
    const MatchFinder* fFinder = nullptr;
    uint32_t fStart = 0;
    uint32_t fSize = 0;
    uint32_t fReach = 0;
};

} // namespace kf::cab::lzx
