#pragma once

#include "fcifdi.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

namespace kf::cab {

using AllocFunction = void*(DIAMONDAPI*)(ULONG);
using FreeFunction = void(DIAMONDAPI*)(void*);

// The client's allocator. The library allocates nothing else: no global new, no malloc.
class Heap {
public:
    Heap(AllocFunction anAlloc, FreeFunction aFree) : fAlloc(anAlloc), fFree(aFree) {}

    void* allocate(size_t aSize) const {
        return aSize > UINT32_MAX ? nullptr : fAlloc(static_cast<ULONG>(aSize));
    }
    void release(void* aBlock) const {
        if (aBlock != nullptr)
            fFree(aBlock);
    }

    template <typename T, typename... Args> T* create(Args&&... args) const {
        void* block = allocate(sizeof(T));
        return block == nullptr ? nullptr : new (block) T(std::forward<Args>(args)...);
    }
    template <typename T> void destroy(T* anObject) const {
        if (anObject == nullptr)
            return;
        anObject->~T();
        release(anObject);
    }

private:
    AllocFunction fAlloc;
    FreeFunction fFree;
};

// A fixed-size byte buffer from the client's heap.
class HeapBuffer {
public:
    explicit HeapBuffer(const Heap& aHeap) : fHeap(aHeap) {}
    HeapBuffer(const HeapBuffer&) = delete;
    HeapBuffer& operator=(const HeapBuffer&) = delete;
    ~HeapBuffer() { fHeap.release(fData); }

    bool allocate(uint32_t aSize) {
        fHeap.release(fData);
        fData = static_cast<uint8_t*>(fHeap.allocate(aSize));
        fSize = fData == nullptr ? 0 : aSize;
        return fData != nullptr;
    }
    uint8_t* data() const { return fData; }
    uint32_t size() const { return fSize; }
    void swap(HeapBuffer& anOther) {
        std::swap(fData, anOther.fData);
        std::swap(fSize, anOther.fSize);
    }

private:
    Heap fHeap;
    uint8_t* fData = nullptr;
    uint32_t fSize = 0;
};

// A growing array of plain records on the client's heap.
template <typename T> class HeapArray {
public:
    explicit HeapArray(const Heap& aHeap) : fHeap(aHeap) {}
    HeapArray(const HeapArray&) = delete;
    HeapArray& operator=(const HeapArray&) = delete;
    ~HeapArray() { fHeap.release(fItems); }

    bool push(const T& anItem) {
        if (fCount == fCapacity && !grow())
            return false;
        new (&fItems[fCount++]) T(anItem);
        return true;
    }
    bool append(const T* anItems, uint32_t aCount) {
        for (uint32_t i = 0; i < aCount; ++i)
            if (!push(anItems[i]))
                return false;
        return true;
    }
    const T* data() const { return fItems; }
    T& operator[](uint32_t anIndex) { return fItems[anIndex]; }
    const T& operator[](uint32_t anIndex) const { return fItems[anIndex]; }
    T& back() { return fItems[fCount - 1]; }
    uint32_t size() const { return fCount; }
    void clear() { fCount = 0; }

private:
    bool grow() {
        const uint32_t capacity = fCapacity == 0 ? 16 : fCapacity * 2;
        T* items = static_cast<T*>(fHeap.allocate(sizeof(T) * static_cast<size_t>(capacity)));
        if (items == nullptr)
            return false;
        for (uint32_t i = 0; i < fCount; ++i)
            new (&items[i]) T(fItems[i]);
        fHeap.release(fItems);
        fItems = items;
        fCapacity = capacity;
        return true;
    }

    Heap fHeap;
    T* fItems = nullptr;
    uint32_t fCount = 0;
    uint32_t fCapacity = 0;
};

} // namespace kf::cab
