#include "PeImports.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <stdexcept>

namespace kf::test {

namespace {

constexpr uint32_t kExecutable = 0x20000000; // IMAGE_SCN_MEM_EXECUTE
constexpr uint32_t kImportDirectory = 1;
constexpr uint32_t kDelayImportDirectory = 13;
constexpr uint32_t kDelayDescriptorSize = 32;

struct TSection {
    uint32_t Address, Size, Offset, RawSize, Flags;
};

class TImage {
public:
    explicit TImage(const std::string& aBytes) : fBytes(aBytes) {
        if (aBytes.size() < 64 || aBytes.compare(0, 2, "MZ") != 0)
            throw std::runtime_error("not an MZ program");
        const uint32_t pe = U32At(60);
        if (aBytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0)
            throw std::runtime_error("no PE header");
        const uint16_t sections = U16At(pe + 6);
        const uint32_t optional = pe + 24;
        const uint16_t magic = U16At(optional);
        if (magic != 0x10b && magic != 0x20b)
            throw std::runtime_error("unknown optional header");
        fWide = magic == 0x20b;
        fImageBase = fWide ? U64At(optional + 24) : U32At(optional + 28);
        fDirectories = optional + (fWide ? 112 : 96);
        fDirectoryCount = U32At(optional + (fWide ? 108 : 92));
        const uint32_t table = optional + U16At(pe + 20);
        for (uint16_t i = 0; i < sections; ++i) {
            const uint32_t at = table + 40u * i;
            fSections.push_back(
                {U32At(at + 12), U32At(at + 8), U32At(at + 20), U32At(at + 16), U32At(at + 36)});
        }
    }

    bool Wide() const { return fWide; }
    uint64_t ImageBase() const { return fImageBase; }
    const std::vector<TSection>& Sections() const { return fSections; }

    std::pair<uint32_t, uint32_t> Directory(uint32_t anIndex) const {
        if (anIndex >= fDirectoryCount)
            return {0, 0};
        return {U32At(fDirectories + 8 * anIndex), U32At(fDirectories + 8 * anIndex + 4)};
    }
    // The file offset of an address inside the image, or npos.
    size_t OffsetOf(uint64_t anAddress) const {
        for (const TSection& section : fSections)
            if (anAddress >= section.Address &&
                anAddress < section.Address + std::min(section.Size, section.RawSize))
                return section.Offset + (anAddress - section.Address);
        return std::string::npos;
    }
    bool InCode(uint64_t anAddress) const {
        return std::any_of(fSections.begin(), fSections.end(), [&](const TSection& aSection) {
            return (aSection.Flags & kExecutable) != 0 && anAddress >= aSection.Address &&
                   anAddress < aSection.Address + aSection.Size;
        });
    }
    uint32_t U32(uint64_t anAddress) const { return U32At(Checked(anAddress, 4)); }
    uint64_t Slot(uint64_t anAddress) const {
        return fWide ? U64At(Checked(anAddress, 8)) : U32At(Checked(anAddress, 4));
    }
    size_t SlotSize() const { return fWide ? 8 : 4; }
    bool IsOrdinal(uint64_t aSlot) const { return (aSlot >> (fWide ? 63 : 31)) != 0; }
    // A zero-terminated name at an address, or empty when there is none.
    std::string Name(uint64_t anAddress) const {
        const size_t at = OffsetOf(anAddress);
        if (at == std::string::npos)
            return {};
        const size_t end = fBytes.find('\0', at);
        if (end == std::string::npos || end - at > 255)
            return {};
        return fBytes.substr(at, end - at);
    }

    uint16_t U16At(size_t anOffset) const {
        return static_cast<uint16_t>(Byte(anOffset) | Byte(anOffset + 1) << 8);
    }
    uint32_t U32At(size_t anOffset) const {
        return U16At(anOffset) | static_cast<uint32_t>(U16At(anOffset + 2)) << 16;
    }
    uint64_t U64At(size_t anOffset) const {
        return U32At(anOffset) | static_cast<uint64_t>(U32At(anOffset + 4)) << 32;
    }
    size_t Size() const { return fBytes.size(); }

private:
    unsigned Byte(size_t anOffset) const {
        if (anOffset >= fBytes.size())
            throw std::runtime_error("a field beyond the end of the file");
        return static_cast<unsigned char>(fBytes[anOffset]);
    }
    size_t Checked(uint64_t anAddress, size_t aLength) const {
        const size_t at = OffsetOf(anAddress);
        if (at == std::string::npos || at + aLength > fBytes.size())
            throw std::runtime_error("an address outside the image's sections");
        return at;
    }

    const std::string& fBytes;
    bool fWide = false;
    uint64_t fImageBase = 0;
    uint32_t fDirectories = 0;
    uint32_t fDirectoryCount = 0;
    std::vector<TSection> fSections;
};

// A name-table entry: an ordinal, or the address of a hint and a name.
bool NamesAFunction(const TImage& anImage, uint64_t anEntry) {
    return anImage.IsOrdinal(anEntry) || !anImage.Name(anEntry + 2).empty();
}

TImportedLibrary ReadNormal(const TImage& anImage, uint32_t aDescriptor) {
    TImportedLibrary library{anImage.Name(anImage.U32(aDescriptor + 12)), false, 0, {}};
    const uint32_t names = anImage.U32(aDescriptor);
    const uint32_t slots = anImage.U32(aDescriptor + 16);
    const uint32_t table = names != 0 ? names : slots;
    for (size_t i = 0;; ++i) {
        const uint64_t entry = anImage.Slot(table + i * anImage.SlotSize());
        const uint64_t slot = anImage.Slot(slots + i * anImage.SlotSize());
        if (entry == 0) {
            if (slot != 0)
                library.Faults.push_back("slot " + std::to_string(i) + " has no name to be filled from");
            break;
        }
        ++library.Functions;
        if (!NamesAFunction(anImage, entry))
            library.Faults.push_back("entry " + std::to_string(i) + " names no function");
    }
    return library;
}

bool LooksLikeDelayDescriptor(const TImage& anImage, size_t anOffset) {
    if (anOffset + kDelayDescriptorSize > anImage.Size() || anImage.U32At(anOffset) != 1)
        return false;
    std::string name;
    try {
        name = anImage.Name(anImage.U32At(anOffset + 4));
    } catch (const std::runtime_error&) {
        return false;
    }
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    const bool printable =
        std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isgraph(c); });
    return name.size() > 4 && printable && name.ends_with(".dll") &&
           anImage.OffsetOf(anImage.U32At(anOffset + 8)) != std::string::npos &&
           anImage.OffsetOf(anImage.U32At(anOffset + 12)) != std::string::npos &&
           anImage.OffsetOf(anImage.U32At(anOffset + 16)) != std::string::npos;
}

// The addresses of the delay descriptors: from the data directory, else every place of their shape.
std::vector<uint32_t> DelayDescriptors(const TImage& anImage) {
    std::vector<uint32_t> found;
    const auto [directory, size] = anImage.Directory(kDelayImportDirectory);
    if (directory != 0) {
        for (uint32_t at = directory;
             at + kDelayDescriptorSize <= directory + size && anImage.U32(at + 4) != 0;
             at += kDelayDescriptorSize)
            found.push_back(at);
        return found;
    }
    for (const TSection& section : anImage.Sections())
        for (uint32_t at = 0; at + kDelayDescriptorSize <= std::min(section.Size, section.RawSize); at += 4)
            if (LooksLikeDelayDescriptor(anImage, section.Offset + at))
                found.push_back(section.Address + at);
    return found;
}

// Until its first call, each slot holds the address of the stub that loads the library.
TImportedLibrary ReadDelayed(const TImage& anImage, uint32_t aDescriptor) {
    TImportedLibrary library{anImage.Name(anImage.U32(aDescriptor + 4)), true, 0, {}};
    const uint32_t slots = anImage.U32(aDescriptor + 12);
    const uint32_t names = anImage.U32(aDescriptor + 16);
    for (size_t i = 0;; ++i) {
        const uint64_t entry = anImage.Slot(names + i * anImage.SlotSize());
        if (entry == 0)
            break;
        ++library.Functions;
        const uint64_t slot = anImage.Slot(slots + i * anImage.SlotSize());
        const std::string function =
            anImage.IsOrdinal(entry) ? "#" + std::to_string(entry & 0xFFFF) : anImage.Name(entry + 2);
        if (slot == 0)
            library.Faults.push_back(function + ": its slot holds 0");
        else if (slot < anImage.ImageBase() || !anImage.InCode(slot - anImage.ImageBase()))
            library.Faults.push_back(function + ": its slot leads outside the code");
    }
    return library;
}

} // namespace

std::vector<TImportedLibrary> ReadImports(const std::string& aBytes) {
    const TImage image(aBytes);
    std::vector<TImportedLibrary> libraries;
    const uint32_t imports = image.Directory(kImportDirectory).first;
    for (uint32_t at = imports; imports != 0 && image.U32(at + 12) != 0; at += 20)
        libraries.push_back(ReadNormal(image, at));
    for (uint32_t descriptor : DelayDescriptors(image))
        libraries.push_back(ReadDelayed(image, descriptor));
    return libraries;
}

} // namespace kf::test
