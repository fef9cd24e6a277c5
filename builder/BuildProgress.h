#pragma once

#include "builder/BuildHost.h"

#include <cstddef>
#include <cstdint>

namespace kf {

// Progress of a stage as a rounded percentage, halves going to the even neighbour.
int RoundedPercent(uint64_t aNumerator, uint64_t aDenominator);

// The bar of one build. It moves with the bytes packed and appended within a file, so that a large
// file does not hold it still, and it never goes back until the build ends.
class TBuildProgress {
public:
    explicit TBuildProgress(BuildHost& aHost) : fHost(aHost) {}

    // A new build: the first value is shown whatever the bar stood at.
    void Begin() { fShown = -1; }
    // Shows aPercent unless the bar already stands further.
    void Advance(int aPercent);
    // aRows of aCount rows done, in the stage of 50 points from aBase.
    void AdvanceToRow(int aBase, size_t aRows, size_t aCount);
    // Row anIndex of aCount in the stage of 50 points from aBase, with aDone of its aTotal bytes done.
    void AdvanceWithin(int aBase, size_t anIndex, size_t aCount, uint64_t aDone, uint64_t aTotal) {
        AdvanceAcross(aBase, anIndex, anIndex + 1, aCount, aDone, aTotal);
    }
    // Rows aFirst up to anEnd of aCount, done together (a solid cabinet), with aDone of aTotal bytes.
    void AdvanceAcross(int aBase, size_t aFirst, size_t anEnd, size_t aCount, uint64_t aDone,
                       uint64_t aTotal);
    // After a successful build the bar returns to 0.
    void Reset();

private:
    BuildHost& fHost;
    int fShown = -1;
};

} // namespace kf
