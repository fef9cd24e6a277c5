#pragma once

#include "runtime/core/ByteSource.h"

#include <cstdint>
#include <optional>

namespace kf {

// The Authenticode certificate table that a signing tool appends after the package.
struct TSetupSignature {
    uint64_t Offset = 0;
    uint64_t Size = 0;
};

// Where the package of a setup file ends and its signature, if it carries one, begins.
struct TPackageExtent {
    uint64_t End = 0;
    std::optional<TSetupSignature> Signature;
};

// Reads the PE security directory of the setup's runtime. Without one the package runs to the end
// of the file; with one it ends where the certificate table starts, less the zero bytes that
// align the table. Raises the "damaged" error for a directory that does not describe a table at
// the end of the file.
TPackageExtent FindPackageExtent(TByteSource& aSetup);

} // namespace kf
