#pragma once

#include "runtime/core/PathTokens.h"

namespace kf {

// This machine's folder for every token but the install folder, which the caller chooses.
TFolderMap SystemFolders();

} // namespace kf
