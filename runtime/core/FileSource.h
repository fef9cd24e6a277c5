#pragma once

#include "runtime/core/ByteSource.h"

#include <fstream>
#include <string>

namespace kf {

// The bytes of a file on disk, read where they are asked for rather than all at once.
class TFileSource : public TByteSource {
public:
    // Raises an error naming aPath when the file cannot be opened.
    explicit TFileSource(const std::string& aPath);
    uint64_t Size() const override { return fSize; }
    std::string Read(uint64_t anOffset, size_t aLength) override;

private:
    std::string fPath;
    std::ifstream fStream;
    uint64_t fSize = 0;
};

} // namespace kf
