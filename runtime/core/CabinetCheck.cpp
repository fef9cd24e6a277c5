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
constexpr uint32_t kVersion = 0x0103;
constexpr uint16_t kFlagPrevious = 0x1;
constexpr uint16_t kFlagNext = 0x2;
constexpr uint16_t kMaxUnpackedBlock = 32768;
constexpr uint16_t kNameIsUtf8 = 0x80;
// Read-only, hidden, system, archive, run after extraction and the UTF-8 name flag.
constexpr uint16_t kKnownAttributes = 0x01 | 0x02 | 0x04 | 0x20 | 0x40 | kNameIsUtf8;
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

// A date and time as MS-DOS counts them: day 1 to 31, month 1 to 12, two-second steps below 60.
bool ValidDosDateTime(uint16_t aDate, uint16_t aTime) {
    const unsigned day = aDate & 0x1F, month = (aDate >> 5) & 0xF;
    const unsigned halfSeconds = aTime & 0x1F, minutes = (aTime >> 5) & 0x3F, hours = aTime >> 11;
    return day >= 1 && month >= 1 && month <= 12 && halfSeconds < 30 && minutes < 60 && hours < 24;
}

bool ValidUtf8(std::string_view aText) {
    for (size_t pos = 0; pos < aText.size();)
        if (!DecodeUtf8(aText, pos))
            return false;
    return true;
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

// Holds a cabinet to the shape every cabinet of a setup has, so that damage to a header is found
// before anything is written: one folder, no reserved space, no cabinet set, the members one after
// another from the start of the folder's data to its end, the data blocks right behind the member
// list and up to the cabinet's end, each with its checksum. Every block header is read once.
class TCabinetWalk {
public:
    TCabinetWalk(TByteSource& aSource, const std::string& aWhat) : fSource(aSource), fWhat(aWhat) {}

    std::vector<TCabinetMember> Run() {
        ReadHeader();
        ReadFolder();
        std::vector<TCabinetMember> members = ReadMembers();
        WalkData();
        if (fMembersEnd > fUnpackedSize)
            Fail("names a member outside its data");
        if (fMembersEnd < fUnpackedSize)
            Fail("holds data that no member names");
        return members;
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
        const uint16_t flags = static_cast<uint16_t>(LittleEndian(header, 30, 2));
        if (flags & (kFlagPrevious | kFlagNext))
            Fail("is part of a cabinet set");
        if (flags != 0)
            Fail("reserves space that no build reserves");
        const bool reservedClear = LittleEndian(header, 4, 4) == 0 && LittleEndian(header, 12, 4) == 0 &&
                                   LittleEndian(header, 20, 4) == 0;
        const bool alone = LittleEndian(header, 32, 2) == 0 && LittleEndian(header, 34, 2) == 0;
        if (LittleEndian(header, 24, 2) != kVersion || !reservedClear || !alone)
            Fail("has a header that no build writes");
        if (LittleEndian(header, 26, 2) != 1)
            Fail("does not hold exactly one folder");
        fFileCount = static_cast<uint16_t>(LittleEndian(header, 28, 2));
        if (fFileCount == 0)
            Fail("holds no member");
        // The member list follows the folder; a reader that walks on from it and one that seeks
        // to the header's offset must find the same members.
        if (LittleEndian(header, 16, 4) != kHeaderSize + kFolderSize)
            Fail("does not list its members where its header says");
    }

    void ReadFolder() {
        const std::string entry = ReadAt(kHeaderSize, kFolderSize);
        fDataStart = LittleEndian(entry, 0, 4);
        fBlocks = static_cast<uint16_t>(LittleEndian(entry, 4, 2));
        fCompression = static_cast<uint16_t>(LittleEndian(entry, 6, 2));
        if (!KnownCompression(fCompression))
            Fail("holds a folder of a compression this installer does not know");
    }

    std::vector<TCabinetMember> ReadMembers() {
        std::vector<TCabinetMember> members;
        uint64_t pos = kHeaderSize + kFolderSize;
        for (uint16_t i = 0; i < fFileCount; ++i) {
            const std::string entry = ReadAt(pos, kFileEntrySize);
            const uint32_t length = LittleEndian(entry, 0, 4);
            const uint32_t start = LittleEndian(entry, 4, 4);
            const auto attributes = static_cast<uint16_t>(LittleEndian(entry, 14, 2));
            if (LittleEndian(entry, 8, 2) != 0 || start != fMembersEnd)
                Fail("names a member outside its data");
            if (!ValidDosDateTime(static_cast<uint16_t>(LittleEndian(entry, 10, 2)),
                                  static_cast<uint16_t>(LittleEndian(entry, 12, 2))) ||
                (attributes & ~kKnownAttributes) != 0)
                Fail("holds a member whose date or attributes no build writes");
            fMembersEnd += length;
            pos += kFileEntrySize;
            const std::string name = ReadName(pos, (attributes & kNameIsUtf8) != 0);
            members.push_back(TCabinetMember{name, length, fCompression});
        }
        if (fDataStart != pos)
            Fail("does not keep its data right behind its member list");
        return members;
    }

    // Moves aPos past the name's terminating NUL.
    std::string ReadName(uint64_t& aPos, bool aUtf8) const {
        const std::string name = ReadAt(aPos, std::min<uint64_t>(kMaxNameSize, fSource.Size() - aPos));
        const size_t end = name.find('\0');
        if (end == std::string::npos || end == 0)
            Fail("holds a member without a proper name");
        const std::string stored = name.substr(0, end);
        const bool control = std::any_of(stored.begin(), stored.end(),
                                         [](char aByte) { return static_cast<unsigned char>(aByte) < 0x20; });
        if (control || (aUtf8 && !ValidUtf8(stored)))
            Fail("holds a member without a proper name");
        aPos += end + 1;
        // An unflagged name is in the writer's code page, taken here as Windows-1252.
        return aUtf8 ? stored : Windows1252ToUtf8(stored);
    }

    void WalkData() {
        uint64_t pos = fDataStart;
        for (uint16_t i = 0; i < fBlocks; ++i) {
            const std::string header = ReadAt(pos, kDataHeaderSize);
            const uint32_t sum = LittleEndian(header, 0, 4);
            const uint16_t packed = static_cast<uint16_t>(LittleEndian(header, 4, 2));
            const uint16_t unpacked = static_cast<uint16_t>(LittleEndian(header, 6, 2));
            if (unpacked > kMaxUnpackedBlock)
                Fail("holds a data block that is too large");
            pos += kDataHeaderSize;
            const std::string data = ReadAt(pos, packed);
            if (DataBlockChecksum(data, packed, unpacked) != sum)
                Fail("holds a data block whose checksum does not match");
            CheckBlockShape(data, unpacked);
            pos += packed;
            fUnpackedSize += unpacked;
        }
        if (pos != fSource.Size())
            Fail("does not end where its data ends");
    }

    // The checksum covers the packed bytes only: what each compression always writes shows a
    // folder whose compression field is not the one its data was packed with.
    void CheckBlockShape(std::string_view aData, uint16_t anUnpacked) const {
        if (anUnpacked == 0)
            Fail("holds an empty data block");
        if (fCompression == kStored && aData.size() != anUnpacked)
            Fail("holds a stored data block whose two sizes differ");
        if (fCompression == kMsZip && !aData.starts_with("CK"))
            Fail("holds an MSZIP data block without its signature");
    }

    TByteSource& fSource;
    const std::string& fWhat;
    uint16_t fFileCount = 0;
    uint32_t fDataStart = 0;
    uint16_t fBlocks = 0;
    uint16_t fCompression = 0;
    uint64_t fMembersEnd = 0;
    uint64_t fUnpackedSize = 0;
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
