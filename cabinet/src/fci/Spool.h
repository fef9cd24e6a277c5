#pragma once

#include "FciHost.h"
#include "Heap.h"

#include <cstdint>

namespace kf::cab {

// Sequential writes to a client file, collected into large writes.
class BufferedWriter {
public:
    BufferedWriter(FciHost& aHost, int anOper);

    bool allocate(uint32_t aSize) {
        return fBuffer.allocate(aSize) || fHost.failure().set(FCIERR_ALLOC_FAIL);
    }
    void attach(INT_PTR aHandle) { fHandle = aHandle; }
    INT_PTR handle() const { return fHandle; }
    uint8_t* buffer() const { return fBuffer.data(); }
    uint32_t capacity() const { return fBuffer.size(); }
    uint32_t used() const { return fUsed; }

    bool write(const void* aData, uint32_t aSize);
    bool writeZeros(uint32_t aSize);
    bool flush();
    void discard() { fUsed = 0; }

private:
    FciHost& fHost;
    int fOper;
    HeapBuffer fBuffer;
    INT_PTR fHandle = -1;
    uint32_t fUsed = 0;
};

// Collects one part of the cabinet being built (its data blocks) until the cabinet file is written,
// then starts again for the next cabinet. It stays in memory while it fits its buffer, as most
// cabinets do; past that it goes on in a temporary file, kept until the context is destroyed.
class Spool {
public:
    explicit Spool(FciHost& aHost);
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;
    ~Spool();

    bool allocate();
    bool append(const void* aData, uint32_t aSize);
    uint32_t size() const { return fSize; }
    // Reports statusFolder with the bytes copied so far after each part read from a temporary file.
    bool copyTo(BufferedWriter& aTarget);
    void clear();
    bool destroy();

private:
    bool spill();
    bool rewind();

    FciHost& fHost;
    BufferedWriter fWriter;
    char fName[CB_MAX_FILENAME] = {};
    uint32_t fSize = 0;
    bool fNeedsRewind = false;
};

} // namespace kf::cab
