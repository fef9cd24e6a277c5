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

// A temporary file that collects one part of the cabinet being built (its file entries or its data
// blocks); read back once when the cabinet file is written, then reused for the next cabinet.
class Spool {
public:
    explicit Spool(FciHost& aHost);
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;
    ~Spool();

    bool create();
    bool append(const void* aData, uint32_t aSize);
    uint32_t size() const { return fSize; }
    bool copyTo(BufferedWriter& aTarget);
    void clear();
    bool destroy();

private:
    bool rewind();

    FciHost& fHost;
    BufferedWriter fWriter;
    char fName[CB_MAX_FILENAME] = {};
    uint32_t fSize = 0;
    bool fNeedsRewind = false;
};

} // namespace kf::cab
