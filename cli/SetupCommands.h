#pragma once

#include <string>

namespace kf {

// "inspect [--json] SETUP": prints the layout of a setup file, as text or one JSON document, after
// checking its sizes and checksums.
int RunInspectCommand(const std::string& aSetupPath, bool aJson = false);
// "extract SETUP DIR": writes the main cabinet's members at the top of DIR and each file under
// its install-to path, the path token kept as a folder name.
int RunExtractCommand(const std::string& aSetupPath, const std::string& aFolder);

} // namespace kf
