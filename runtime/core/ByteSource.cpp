#include "runtime/core/ByteSource.h"

#include "base/Exception.h"

namespace kf {

void TByteSource::RequireRange(uint64_t anOffset, uint64_t aLength) const {
    if (anOffset > Size() || aLength > Size() - anOffset)
        throw Exception("Read past the end of the data.");
}

std::string TMemorySource::Read(uint64_t anOffset, size_t aLength) {
    RequireRange(anOffset, aLength);
    return std::string(fBytes.substr(static_cast<size_t>(anOffset), aLength));
}

} // namespace kf
