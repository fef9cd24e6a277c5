#pragma once

#include <string>

namespace kf {

// What a build shows and how it keeps its front end alive; the Setup Building window in the
// desktop program, a progress bar on the terminal in the command-line builder.
class BuildHost {
public:
    virtual ~BuildHost() = default;
    // The status line: the file name of the file being packed.
    virtual void ShowStatus(const std::string& aText) = 0;
    // The progress bar, 0 to 100.
    virtual void ShowProgress(int aPercent) = 0;
    // Handles pending input; a Cancel confirmed here reaches the build through RequestCancel.
    virtual void ProcessEvents() = 0;
};

} // namespace kf
