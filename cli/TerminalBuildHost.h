#pragma once

#include "builder/BuildHost.h"
#include "cli/StopSignals.h"

namespace kf {

class TBuildDriver;

// Shows a build's progress as a bar on stderr when that is a terminal, and turns Ctrl+C, SIGTERM
// and SIGHUP into a cancel request that the build sees at its next check.
class TTerminalBuildHost : public BuildHost {
public:
    // Quiet: no bar, even on a terminal.
    explicit TTerminalBuildHost(bool aQuiet = false);
    ~TTerminalBuildHost() override;
    TTerminalBuildHost(const TTerminalBuildHost&) = delete;
    TTerminalBuildHost& operator=(const TTerminalBuildHost&) = delete;

    void Attach(TBuildDriver& aDriver) { fDriver = &aDriver; }
    bool Interrupted() const;

    void ShowStatus(const std::string& aText) override;
    void ShowProgress(int aPercent) override;
    void ProcessEvents() override;

private:
    void Draw();

    TStopSignals fStopSignals;
    TBuildDriver* fDriver = nullptr;
    bool fTerminal;
    std::string fStatus;
    int fPercent = -1;
};

} // namespace kf
