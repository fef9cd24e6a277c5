#include "runtime/core/SetupSignature.h"

#include "base/Exception.h"
#include "runtime/core/LittleEndian.h"

#include <string>

namespace kf {

namespace {

constexpr uint64_t kNewHeaderPointer = 0x3C;
constexpr uint64_t kFileHeaderSize = 20;
constexpr uint16_t kPe32 = 0x10B;
constexpr uint16_t kPe32Plus = 0x20B;
constexpr uint32_t kSecurityDirectory = 4;
constexpr uint64_t kCertificateHeaderSize = 8; // dwLength, wRevision, wCertificateType
constexpr uint64_t kMaxAlignment = 7;

[[noreturn]] void Fail(const std::string& aReason) {
    throw Exception("The setup file is damaged or incomplete: " + aReason + ".");
}

// The bytes at anOffset, or fewer when the file ends first.
std::string ReadUpTo(TByteSource& aSource, uint64_t anOffset, size_t aLength) {
    if (anOffset >= aSource.Size())
        return {};
    const uint64_t left = aSource.Size() - anOffset;
    return aSource.Read(anOffset, static_cast<size_t>(left < aLength ? left : aLength));
}

// The security directory's entry (file offset and size), when the runtime's headers have one.
std::optional<TSetupSignature> SecurityDirectory(TByteSource& aSetup) {
    const std::string dos = ReadUpTo(aSetup, 0, kNewHeaderPointer + 4);
    if (dos.size() < kNewHeaderPointer + 4 || dos.compare(0, 2, "MZ") != 0)
        return std::nullopt;
    const uint64_t pe = LittleEndian(dos, kNewHeaderPointer, 4);
    const std::string headers = ReadUpTo(aSetup, pe, 4 + kFileHeaderSize + 2);
    if (headers.size() < 4 + kFileHeaderSize + 2 || headers.compare(0, 4, std::string("PE\0\0", 4)) != 0)
        return std::nullopt;
    const uint64_t optional = pe + 4 + kFileHeaderSize;
    const uint16_t magic = static_cast<uint16_t>(LittleEndian(headers, 4 + kFileHeaderSize, 2));
    if (magic != kPe32 && magic != kPe32Plus)
        return std::nullopt;
    const uint64_t countAt = optional + (magic == kPe32 ? 92 : 108);
    const std::string count = ReadUpTo(aSetup, countAt, 4);
    if (count.size() < 4 || LittleEndian(count, 0, 4) <= kSecurityDirectory)
        return std::nullopt;
    const std::string entry = ReadUpTo(aSetup, countAt + 4 + 8 * kSecurityDirectory, 8);
    if (entry.size() < 8 || (LittleEndian(entry, 0, 4) == 0 && LittleEndian(entry, 4, 4) == 0))
        return std::nullopt;
    return TSetupSignature{LittleEndian(entry, 0, 4), LittleEndian(entry, 4, 4)};
}

} // namespace

TPackageExtent FindPackageExtent(TByteSource& aSetup) {
    const auto signature = SecurityDirectory(aSetup);
    if (!signature)
        return TPackageExtent{aSetup.Size(), std::nullopt};
    const uint64_t size = aSetup.Size();
    if (signature->Size < kCertificateHeaderSize || signature->Offset > size || signature->Size > size ||
        signature->Offset + signature->Size != size)
        Fail("its signature does not lie at the end of the file");
    const std::string table = aSetup.Read(signature->Offset, kCertificateHeaderSize);
    const uint64_t certificate = LittleEndian(table, 0, 4);
    if (certificate < kCertificateHeaderSize || certificate > signature->Size)
        Fail("its signature's certificate does not fit in its table");
    uint64_t end = signature->Offset;
    const std::string padding =
        aSetup.Read(end - std::min(end, kMaxAlignment), static_cast<size_t>(std::min(end, kMaxAlignment)));
    for (size_t i = padding.size(); i > 0 && padding[i - 1] == '\0'; --i)
        --end;
    return TPackageExtent{end, signature};
}

} // namespace kf
