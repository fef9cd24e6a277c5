#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kf {

// Random access to a run of bytes, such as one cabinet inside a setup file.
class TByteSource {
public:
    virtual ~TByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Exactly aLength bytes from anOffset; raises an error when they cannot be read.
    virtual std::string Read(uint64_t anOffset, size_t aLength) = 0;
    // Raises an error when the run of bytes does not lie inside the source.
    void RequireRange(uint64_t anOffset, uint64_t aLength) const;
};

// Bytes held in memory.
class TMemorySource : public TByteSource {
public:
    explicit TMemorySource(std::string_view aBytes) : fBytes(aBytes) {}
    uint64_t Size() const override { return fBytes.size(); }
    std::string Read(uint64_t anOffset, size_t aLength) override;

private:
    std::string_view fBytes;
};

} // namespace kf
