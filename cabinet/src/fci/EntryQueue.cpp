#include "EntryQueue.h"

#include <new>

namespace kf::cab {

bool EntryQueue::push(const FileEntry& anEntry) {
    if (fCount == fCapacity && !grow())
        return false;
    ++fCount;
    new (&(*this)[fCount - 1]) FileEntry(anEntry);
    return true;
}

void EntryQueue::popFront() {
    fHead = (fHead + 1) % fCapacity;
    --fCount;
}

bool EntryQueue::grow() {
    const uint32_t capacity = fCapacity == 0 ? 8 : fCapacity * 2;
    auto* items = static_cast<FileEntry*>(fHeap.allocate(sizeof(FileEntry) * static_cast<size_t>(capacity)));
    if (items == nullptr)
        return false;
    for (uint32_t i = 0; i < fCount; ++i)
        new (&items[i]) FileEntry((*this)[i]);
    fHeap.release(fItems);
    fItems = items;
    fCapacity = capacity;
    fHead = 0;
    return true;
}

} // namespace kf::cab
