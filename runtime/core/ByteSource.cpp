#include "runtime/core/ByteSource.h"

#include "project/Exception.h"

namespace kf {

std::string TMemorySource::Read(uint64_t anOffset, size_t aLength) {
    if (anOffset > fBytes.size() || aLength > fBytes.size() - anOffset)
        throw Exception("Read past the end of the data.");
    return std::string(fBytes.substr(static_cast<size_t>(anOffset), aLength));
}

} // namespace kf
