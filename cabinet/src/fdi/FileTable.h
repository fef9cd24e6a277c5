#pragma once

#include "Heap.h"
#include "MspackSystem.h"

#include <cstdint>

namespace kf::cab {

// The folder index of every CFFILE record of a cabinet, in order. libmspack keeps the
// continuation markers (continued from the previous cabinet, to the next) to itself, and the FDI
// notifications depend on them.
class FileTable {
public:
    explicit FileTable(const Heap& aHeap) : fIndexes(aHeap) {}

    bool read(const FdiCallbacks& aCallbacks, char* aPath);
    uint32_t size() const { return fIndexes.size(); }
    bool continuedFromPrev(uint32_t aFile) const;
    bool continuedToNext(uint32_t aFile) const;
    // The cabinet's first folder goes on into the next cabinet.
    bool firstFolderContinues(uint32_t aFolderCount) const;

private:
    bool readRecords(const FdiCallbacks& aCallbacks, INT_PTR aHandle);

    HeapArray<uint16_t> fIndexes;
};

} // namespace kf::cab
