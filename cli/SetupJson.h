#pragma once

#include "runtime/core/SetupContents.h"

#include <cstdint>
#include <string>

namespace kf {

// What inspect says of a setup, as one JSON document for scripts: the runtime, each cabinet with
// its place, member, install-to path and compression, the size trailer, the signature, and the
// data file as its lines and decoded into named fields.
std::string SetupJson(const std::string& aPath, uint64_t aFileSize, const TSetupContents& aContents);

} // namespace kf
