#pragma once

#include "runtime/win/SystemCabinet.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace kf {

// Keeps the named members of a cabinet in memory and skips the others.
class TMemorySink : public TMemberSink {
public:
    explicit TMemorySink(std::map<std::string, std::string>& aMembers) : fMembers(aMembers) {}
    std::unique_ptr<TMemberOutput> Open(const std::string& aName, uint32_t aLength) override;

private:
    std::map<std::string, std::string>& fMembers;
};

// Writes members of a file cabinet, by their place in it, to target files, replacing what is there;
// a member may go to several targets, and the extraction ends after the last member asked for.
class TTargetFilesSink : public TMemberSink {
public:
    // Told the bytes decoded so far and the (first) target of the member being written, after each
    // part of a member.
    using TProgress = std::function<void(uint64_t aWritten, const std::wstring& aTarget)>;

    explicit TTargetFilesSink(TProgress aProgress) : fProgress(std::move(aProgress)) {}
    void Add(size_t aMember, std::wstring aTarget);
    std::unique_ptr<TMemberOutput> Open(const std::string& aName, uint32_t aLength) override;
    bool Finished() const override { return fNext > fLast; }

private:
    std::multimap<size_t, std::wstring> fTargets;
    size_t fLast = 0;
    size_t fNext = 0;
    uint64_t fWritten = 0;
    TProgress fProgress;
};

} // namespace kf
