#include "cli/StopSignals.h"

#include <csignal>
#include <iterator>

namespace kf {

namespace {

volatile std::sig_atomic_t gRaised = 0;

extern "C" void OnStopSignal(int) {
    gRaised = 1;
}

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

} // namespace

TStopSignals::TStopSignals() {
    gRaised = 0;
    static_assert(std::size(kSignals) == kCount);
    for (size_t i = 0; i < kCount; ++i) {
        fPrevious[i] = std::signal(kSignals[i], OnStopSignal);
        if (fPrevious[i] == SIG_IGN)
            std::signal(kSignals[i], SIG_IGN);
    }
}

TStopSignals::~TStopSignals() {
    for (size_t i = 0; i < kCount; ++i)
        std::signal(kSignals[i], fPrevious[i]);
}

bool TStopSignals::Raised() const {
    return gRaised != 0;
}

} // namespace kf
