#pragma once

#include "runtime/win/SystemCabinet.h"

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

// Writes the only member of a file cabinet to its target file, replacing what is there.
class TTargetFileSink : public TMemberSink {
public:
    explicit TTargetFileSink(std::wstring aTarget) : fTarget(std::move(aTarget)) {}
    std::unique_ptr<TMemberOutput> Open(const std::string& aName, uint32_t aLength) override;

private:
    std::wstring fTarget;
    bool fOpened = false;
};

} // namespace kf
