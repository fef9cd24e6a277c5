#include "Spool.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kf::cab {

namespace {

constexpr uint32_t kSpoolBufferSize = 256 * 1024;

} // namespace

BufferedWriter::BufferedWriter(FciHost& aHost, int anOper)
    : fHost(aHost), fOper(anOper), fBuffer(aHost.heap()) {}

bool BufferedWriter::write(const void* aData, uint32_t aSize) {
    const auto* source = static_cast<const uint8_t*>(aData);
    while (aSize > 0) {
        if (fUsed == fBuffer.size() && !flush())
            return false;
        const uint32_t count = std::min(aSize, fBuffer.size() - fUsed);
        std::memcpy(fBuffer.data() + fUsed, source, count);
        fUsed += count;
        source += count;
        aSize -= count;
    }
    return true;
}

bool BufferedWriter::writeZeros(uint32_t aSize) {
    while (aSize > 0) {
        if (fUsed == fBuffer.size() && !flush())
            return false;
        const uint32_t count = std::min(aSize, fBuffer.size() - fUsed);
        std::memset(fBuffer.data() + fUsed, 0, count);
        fUsed += count;
        aSize -= count;
    }
    return true;
}

bool BufferedWriter::flush() {
    if (fUsed == 0)
        return true;
    const uint32_t count = fUsed;
    fUsed = 0;
    return fHost.write(fHandle, fBuffer.data(), count, fOper);
}

Spool::Spool(FciHost& aHost) : fHost(aHost), fWriter(aHost, FCIERR_TEMP_FILE) {}

Spool::~Spool() {
    if (fWriter.handle() == -1)
        return;
    fHost.closeQuietly(fWriter.handle());
    fHost.removeQuietly(fName);
}

bool Spool::allocate() {
    return fWriter.allocate(kSpoolBufferSize);
}

// Moves the spool into a temporary file, when what it holds is about to outgrow its buffer.
bool Spool::spill() {
    if (!fHost.makeTempName(fName, sizeof fName))
        return false;
    if (std::memchr(fName, '\0', sizeof fName) == nullptr)
        return fHost.failure().set(FCIERR_TEMP_FILE);
    const INT_PTR handle = fHost.open(fName, _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY, FCIERR_TEMP_FILE);
    fWriter.attach(handle);
    return handle != -1;
}

bool Spool::append(const void* aData, uint32_t aSize) {
    if (fWriter.handle() == -1 && aSize > fWriter.capacity() - fWriter.used() && !spill())
        return false;
    if (fNeedsRewind && !rewind())
        return false;
    fSize += aSize;
    return fWriter.write(aData, aSize);
}

bool Spool::copyTo(BufferedWriter& aTarget) {
    if (fWriter.handle() == -1)
        return aTarget.write(fWriter.buffer(), fWriter.used());
    if (!fWriter.flush() || !rewind())
        return false;
    fNeedsRewind = true;
    for (uint32_t copied = 0; copied < fSize;) {
        const uint32_t count = std::min(fSize - copied, fWriter.capacity());
        if (!fHost.readAll(fWriter.handle(), fWriter.buffer(), count, FCIERR_TEMP_FILE) ||
            !aTarget.write(fWriter.buffer(), count))
            return false;
        copied += count;
        // Copying a large cabinet's data takes a while: the client may watch it and stop it.
        if (!fHost.reportStatus(statusFolder, copied, fSize))
            return false;
    }
    return true;
}

void Spool::clear() {
    fWriter.discard();
    fSize = 0;
    fNeedsRewind = fWriter.handle() != -1;
}

bool Spool::destroy() {
    const INT_PTR handle = fWriter.handle();
    if (handle == -1)
        return true;
    fWriter.attach(-1);
    const bool closed = fHost.close(handle, FCIERR_TEMP_FILE);
    return fHost.remove(fName, FCIERR_TEMP_FILE) && closed;
}

bool Spool::rewind() {
    int32_t position = 0;
    if (!fHost.seek(fWriter.handle(), 0, SEEK_SET, position, FCIERR_TEMP_FILE))
        return false;
    fNeedsRewind = false;
    return true;
}

} // namespace kf::cab
