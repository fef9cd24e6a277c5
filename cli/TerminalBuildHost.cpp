#include "cli/TerminalBuildHost.h"

#include "builder/BuildDriver.h"

#include <cstdio>
#include <unistd.h>

namespace kf {

namespace {

constexpr int kBarWidth = 30;

} // namespace

TTerminalBuildHost::TTerminalBuildHost(bool aQuiet) : fTerminal(!aQuiet && ::isatty(STDERR_FILENO) == 1) {}

TTerminalBuildHost::~TTerminalBuildHost() {
    if (fTerminal && fPercent >= 0)
        std::fputs("\r\033[K", stderr);
}

bool TTerminalBuildHost::Interrupted() const {
    return fStopSignals.Raised();
}

void TTerminalBuildHost::ShowStatus(const std::string& aText) {
    fStatus = aText;
    Draw();
}

void TTerminalBuildHost::ShowProgress(int aPercent) {
    if (aPercent == fPercent)
        return;
    fPercent = aPercent;
    Draw();
}

void TTerminalBuildHost::ProcessEvents() {
    if (fStopSignals.Raised() && fDriver != nullptr)
        fDriver->RequestCancel();
}

void TTerminalBuildHost::Draw() {
    if (!fTerminal)
        return;
    const int percent = fPercent < 0 ? 0 : fPercent;
    const int filled = percent * kBarWidth / 100;
    std::fprintf(stderr, "\r\033[K[%.*s%*s] %3d%% %s", filled, "##############################",
                 kBarWidth - filled, "", percent, fStatus.c_str());
    std::fflush(stderr);
}

} // namespace kf
