#pragma once

#include "Heap.h"

#include <cstdint>
#include <utility>

namespace kf::cab::deflate {

// A fixed-size array of plain values on the client's heap.
template <typename T> class Table {
public:
    explicit Table(const Heap& aHeap) : fBytes(aHeap) {}

    bool allocate(uint32_t aCount) {
        fCount = 0;
        if (static_cast<uint64_t>(aCount) * sizeof(T) > UINT32_MAX || !fBytes.allocate(aCount * sizeof(T)))
            return false;
        fCount = aCount;
        return true;
    }
    T* data() const { return reinterpret_cast<T*>(fBytes.data()); }
    T& operator[](uint32_t anIndex) const { return data()[anIndex]; }
    uint32_t size() const { return fCount; }
    void swap(Table& anOther) {
        fBytes.swap(anOther.fBytes);
        std::swap(fCount, anOther.fCount);
    }

private:
    HeapBuffer fBytes;
    uint32_t fCount = 0;
};

} // namespace kf::cab::deflate
