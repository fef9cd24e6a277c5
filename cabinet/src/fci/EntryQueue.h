#pragma once

#include "Format.h"
#include "Heap.h"
#include "fcifdi.h"

#include <cstdint>

namespace kf::cab {

// One member of a folder, from the moment it is added until its CFFILE record is written.
struct FileEntry {
    uint32_t size = 0;
    uint32_t start = 0; // offset of its data in the folder's uncompressed data
    uint16_t date = 0;
    uint16_t time = 0;
    uint16_t attribs = 0;
    uint16_t nameLength = 0;
    bool continued = false; // also listed in an earlier cabinet of the set
    char name[CB_MAX_FILENAME] = {};

    uint32_t end() const { return start + size; }
    uint32_t recordSize() const { return format::kFileSize + nameLength + 1; }
};

// First-in first-out queue of file entries on the client's heap.
class EntryQueue {
public:
    explicit EntryQueue(const Heap& aHeap) : fHeap(aHeap) {}
    EntryQueue(const EntryQueue&) = delete;
    EntryQueue& operator=(const EntryQueue&) = delete;
    ~EntryQueue() { fHeap.release(fItems); }

    bool push(const FileEntry& anEntry);
    FileEntry& operator[](uint32_t anIndex) { return fItems[(fHead + anIndex) % fCapacity]; }
    void popFront();
    uint32_t size() const { return fCount; }

private:
    bool grow();

    Heap fHeap;
    FileEntry* fItems = nullptr;
    uint32_t fCapacity = 0;
    uint32_t fHead = 0;
    uint32_t fCount = 0;
};

} // namespace kf::cab
