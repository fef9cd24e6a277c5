#include "runtime/core/CabinetCheck.h"

#include "base/Exception.h"
#include "base/Windows1252.h"
#include "runtime/core/LittleEndian.h"

#include <algorithm>

namespace kf {

namespace {

constexpr size_t kHeaderSize = 36;
constexpr size_t kFolderSize = 8;
constexpr size_t kFileEntrySize = 16;
constexpr size_t kDataHeaderSize = 8;
constexpr size_t kMaxNameSize = 256;
constexpr uint16_t kFlagPrevious = 0x1;
constexpr uint16_t kFlagNext = 0x2;
constexpr uint16_t kFlagReserve = 0x4;
constexpr uint16_t kMaxUnpackedBlock = 32768;
constexpr uint16_t kNameIsUtf8 = 0x80;
constexpr uint16_t kStored = 0;
constexpr uint16_t kMsZip = 1;
constexpr uint16_t kLzx = 3;

// The compressions the readers take: stored, MSZIP, and LZX with a window of 2^15 to 2^21 bytes,
// with no other bit set. A reader given anything else may shift by the window field unchecked.
bool KnownCompression(uint16_t aField) {
    if (aField == kStored || aField == kMsZip)
        return true;
    const uint16_t window = (aField >> 8) & 0x1F;
    return (aField & 0xE0FF) == kLzx && window >= 15 && window <= 21;
}

uint32_t Checksum(std::string_view aBytes, uint32_t aSeed) {
    uint32_t sum = aSeed;
    const size_t words = aBytes.size() / 4;
    for (size_t i = 0; i < words; ++i)
        sum ^= LittleEndian(aBytes, i * 4, 4);
    uint32_t tail = 0;
    for (size_t i = words * 4; i < aBytes.size(); ++i)
        tail = (tail << 8) | static_cast<unsigned char>(aBytes[i]);
    return sum ^ tail;
}

struct TFolder {
    uint32_t DataStart;
    uint16_t Blocks;
    uint16_t Compression;
    uint64_t UnpackedSize = 0;
};

class TCabinetWalk {
public:
    TCabinetWalk(TByteSource& aSource, const std::string& aWhat) : fSource(aSource), fWhat(aWhat) {}

    std::vector<TCabinetMember> Run() {
        ReadHeader();
        for (TFolder& folder : fFolders)
            WalkData(folder);
        return ReadMembers();
    }

private:
    [[noreturn]] void Fail(const std::string& aReason) const {
        throw Exception("The setup file is damaged: " + fWhat + " " + aReason + ".");
    }

    std::string ReadAt(uint64_t anOffset, size_t aLength) const {
        if (anOffset > fSource.Size() || aLength > fSource.Size() - anOffset)
            Fail("ends too early");
        return fSource.Read(anOffset, aLength);
    }

    void ReadHeader() {
        const std::string header = ReadAt(0, kHeaderSize);
        if (header.compare(0, 4, "MSCF") != 0)
            Fail("is not a cabinet");
        if (LittleEndian(header, 8, 4) != fSource.Size())
            Fail("does not have the size its header states");
        fFilesOffset = LittleEndian(header, 16, 4);
        const uint16_t folders = static_cast<uint16_t>(LittleEndian(header, 26, 2));
        fFileCount = static_cast<uint16_t>(LittleEndian(header, 28, 2));
        const uint16_t flags = static_cast<uint16_t>(LittleEndian(header, 30, 2));
        if (flags & (kFlagPrevious | kFlagNext))
            Fail("is part of a cabinet set");
        uint64_t pos = kHeaderSize;
        size_t folderReserve = 0;
        if (flags & kFlagReserve) {
            const std::string reserve = ReadAt(pos, 4);
            pos += 4 + LittleEndian(reserve, 0, 2);
            folderReserve = LittleEndian(reserve, 2, 1);
            fDataReserve = LittleEndian(reserve, 3, 1);
        }
        for (uint16_t i = 0; i < folders; ++i, pos += kFolderSize + folderReserve) {
            const std::string entry = ReadAt(pos, kFolderSize);
            const auto compression = static_cast<uint16_t>(LittleEndian(entry, 6, 2));
            if (!KnownCompression(compression))
                Fail("holds a folder of a compression this installer does not know");
            fFolders.push_back(TFolder{LittleEndian(entry, 0, 4),
                                       static_cast<uint16_t>(LittleEndian(entry, 4, 2)), compression});
        }
        // The member list follows the folders; a reader that walks on from them and one that
        // seeks to the header's offset must find the same members.
        if (fFilesOffset != pos)
            Fail("does not list its members where its header says");
    }

    void WalkData(TFolder& aFolder) {
        uint64_t pos = aFolder.DataStart;
        for (uint16_t i = 0; i < aFolder.Blocks; ++i) {
            const std::string header = ReadAt(pos, kDataHeaderSize);
            const uint32_t sum = LittleEndian(header, 0, 4);
            const uint16_t packed = static_cast<uint16_t>(LittleEndian(header, 4, 2));
            const uint16_t unpacked = static_cast<uint16_t>(LittleEndian(header, 6, 2));
            if (unpacked > kMaxUnpackedBlock)
                Fail("holds a data block that is too large");
            pos += kDataHeaderSize + fDataReserve;
            const std::string data = ReadAt(pos, packed);
            if (sum != 0 && DataBlockChecksum(data, packed, unpacked) != sum)
                Fail("holds a data block whose checksum does not match");
            CheckBlockShape(aFolder.Compression, data, unpacked);
            pos += packed;
            aFolder.UnpackedSize += unpacked;
        }
    }

    // The checksum covers the packed bytes only: what each compression always writes shows a
    // folder whose compression field is not the one its data was packed with.
    void CheckBlockShape(uint16_t aCompression, std::string_view aData, uint16_t anUnpacked) const {
        if (anUnpacked == 0)
            Fail("holds an empty data block");
        if (aCompression == kStored && aData.size() != anUnpacked)
            Fail("holds a stored data block whose two sizes differ");
        if (aCompression == kMsZip && !aData.starts_with("CK"))
            Fail("holds an MSZIP data block without its signature");
    }

    std::vector<TCabinetMember> ReadMembers() const {
        std::vector<TCabinetMember> members;
        uint64_t pos = fFilesOffset;
        for (uint16_t i = 0; i < fFileCount; ++i) {
            const std::string entry = ReadAt(pos, kFileEntrySize);
            const uint32_t length = LittleEndian(entry, 0, 4);
            const uint32_t start = LittleEndian(entry, 4, 4);
            const uint16_t folder = static_cast<uint16_t>(LittleEndian(entry, 8, 2));
            const uint16_t attributes = static_cast<uint16_t>(LittleEndian(entry, 14, 2));
            if (folder >= fFolders.size() || uint64_t{start} + length > fFolders[folder].UnpackedSize)
                Fail("names a member outside its data");
            pos += kFileEntrySize;
            const std::string name = ReadAt(pos, std::min<uint64_t>(kMaxNameSize, fSource.Size() - pos));
            const size_t end = name.find('\0');
            if (end == std::string::npos || end == 0)
                Fail("holds a member without a proper name");
            // An unflagged name is in the writer's code page, taken here as Windows-1252.
            const std::string stored = name.substr(0, end);
            members.push_back(
                TCabinetMember{(attributes & kNameIsUtf8) != 0 ? stored : Windows1252ToUtf8(stored), length,
                               fFolders[folder].Compression});
            pos += end + 1;
        }
        return members;
    }

    TByteSource& fSource;
    const std::string& fWhat;
    uint32_t fFilesOffset = 0;
    uint16_t fFileCount = 0;
    size_t fDataReserve = 0;
    std::vector<TFolder> fFolders;
};

} // namespace

uint32_t DataBlockChecksum(std::string_view aData, uint16_t aPackedSize, uint16_t anUnpackedSize) {
    const char sizes[4] = {static_cast<char>(aPackedSize & 0xFF), static_cast<char>(aPackedSize >> 8),
                           static_cast<char>(anUnpackedSize & 0xFF), static_cast<char>(anUnpackedSize >> 8)};
    return Checksum(std::string_view(sizes, 4), Checksum(aData, 0));
}

std::vector<TCabinetMember> CheckCabinet(TByteSource& aSource, const std::string& aWhat) {
    return TCabinetWalk(aSource, aWhat).Run();
}

} // namespace kf
