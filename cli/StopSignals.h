#pragma once

#include <cstddef>

namespace kf {

// Turns Ctrl+C, SIGTERM and SIGHUP into a request that a long command sees at its next check, so
// that it stops cleaning up behind itself, for as long as the object lives. A signal that was
// ignored (nohup) stays ignored.
class TStopSignals {
public:
    TStopSignals();
    ~TStopSignals();
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

    bool Raised() const;

private:
    static constexpr size_t kCount = 3;
    using THandler = void (*)(int);
    THandler fPrevious[kCount] = {};
};

} // namespace kf
