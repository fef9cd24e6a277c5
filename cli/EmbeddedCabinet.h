#pragma once

#include "runtime/core/ByteSource.h"

#include <memory>
#include <string>

namespace kf {

// A cabinet held by a byte source, such as one inside a setup file, decoded through libmspack.
class TEmbeddedCabinet {
public:
    // Raises an error naming aWhat when the bytes are not a cabinet.
    TEmbeddedCabinet(TByteSource& aCabinet, const std::string& aWhat);
    ~TEmbeddedCabinet();
    TEmbeddedCabinet(const TEmbeddedCabinet&) = delete;
    TEmbeddedCabinet& operator=(const TEmbeddedCabinet&) = delete;

    // Decodes a member into memory.
    std::string Read(size_t anIndex);
    // Decodes a member into a file.
    void ExtractTo(size_t anIndex, const std::string& aTarget);

private:
    struct TState;
    void Decode(size_t anIndex, const std::string& aTarget);

    std::unique_ptr<TState> fState;
    std::string fWhat;
};

} // namespace kf
