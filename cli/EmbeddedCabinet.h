#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kf {

// A cabinet stored at a known place inside a larger file, read through libmspack.
class TEmbeddedCabinet {
public:
    struct TMember {
        std::string Name;
        uint32_t Length;
    };

    // Raises an error naming aWhat when the bytes there are not a cabinet.
    TEmbeddedCabinet(const std::string& aPath, uint64_t anOffset, uint64_t aLength, const std::string& aWhat);
    ~TEmbeddedCabinet();
    TEmbeddedCabinet(const TEmbeddedCabinet&) = delete;
    TEmbeddedCabinet& operator=(const TEmbeddedCabinet&) = delete;

    const std::vector<TMember>& Members() const { return fMembers; }
    // Decodes a member into memory.
    std::string Read(size_t anIndex);
    // Decodes a member into a file.
    void ExtractTo(size_t anIndex, const std::string& aTarget);
    // Decodes every member, checking each data block's checksum, and keeps nothing.
    void Verify();

private:
    struct TState;
    void Decode(size_t anIndex, const std::string& aTarget);

    std::unique_ptr<TState> fState;
    std::vector<TMember> fMembers;
    std::string fWhat;
};

} // namespace kf
