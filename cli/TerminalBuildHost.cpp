#include "cli/TerminalBuildHost.h"

#include "builder/BuildDriver.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace kf {

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void OnInterrupt(int) {
    gInterrupted = 1;
}

constexpr int kBarWidth = 30;
// Ctrl+C, kill and a closed terminal all stop the build the same way, cleaning up behind it.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

} // namespace

TTerminalBuildHost::TTerminalBuildHost(bool aQuiet) : fTerminal(!aQuiet && ::isatty(STDERR_FILENO) == 1) {
    gInterrupted = 0;
    static_assert(std::size(kStopSignals) == kStopSignalCount);
    // A signal that was ignored (nohup) stays ignored.
    for (size_t i = 0; i < std::size(kStopSignals); ++i) {
        fPreviousHandlers[i] = std::signal(kStopSignals[i], OnInterrupt);
        if (fPreviousHandlers[i] == SIG_IGN)
            std::signal(kStopSignals[i], SIG_IGN);
    }
}

TTerminalBuildHost::~TTerminalBuildHost() {
    for (size_t i = 0; i < std::size(kStopSignals); ++i)
        std::signal(kStopSignals[i], fPreviousHandlers[i]);
    if (fTerminal && fPercent >= 0)
        std::fputs("\r\033[K", stderr);
}

bool TTerminalBuildHost::Interrupted() const {
    return gInterrupted != 0;
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
    if (gInterrupted != 0 && fDriver != nullptr)
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
