#pragma once

#include "runtime/core/ByteSource.h"

namespace kf {

// A run of bytes inside another source, such as one cabinet inside a setup file.
class TByteWindow : public TByteSource {
public:
    // Raises an error when the run does not lie inside aSource.
    TByteWindow(TByteSource& aSource, uint64_t anOffset, uint64_t aLength);
    uint64_t Size() const override { return fLength; }
    std::string Read(uint64_t anOffset, size_t aLength) override;

private:
    TByteSource& fSource;
    uint64_t fOffset;
    uint64_t fLength;
};

} // namespace kf
