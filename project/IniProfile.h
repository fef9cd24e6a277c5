#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kf {

// Read access to INI text with the rules of the Windows profile-string functions: section and key
// names match without regard to case, blanks around names and values are dropped, one matching
// pair of quotes around a value is stripped. Unlike those functions it has no length or key-count
// limits, so whatever was written is read back whole.
class TIniProfile {
public:
    // aText is UTF-8 with lines ending in CR LF, LF or CR.
    static TIniProfile Parse(std::string_view aText);
    // A file that is missing or cannot be read gives an empty profile, as the profile functions do.
    static TIniProfile Load(const std::string& aPath);

    std::string ReadString(std::string_view aSection, std::string_view aKey,
                           const std::string& aDefault) const;
    // Decimal, or hexadecimal after "0x"; anything else, or a number outside 32 bits, gives aDefault.
    int ReadInteger(std::string_view aSection, std::string_view aKey, int aDefault) const;
    // On for any non-zero number.
    bool ReadBool(std::string_view aSection, std::string_view aKey, bool aDefault) const;
    // The section's key names in the order they stand in the file, each once: a key that stands
    // again (as a merge may leave it) reads as its first line.
    std::vector<std::string> KeyNames(std::string_view aSection) const;
    // The keys of the section that stand more than once, each once, in the order they stand.
    std::vector<std::string> RepeatedKeys(std::string_view aSection) const;

private:
    struct TEntry {
        std::string Key;
        std::string Value;
    };
    struct TSection {
        std::string Name;
        std::vector<TEntry> Entries;
        // Folded key to the first entry of that key, so that a look-up does not scan the section.
        std::unordered_map<std::string, size_t> Index;
        std::vector<size_t> Repeated; // entries whose key stood before, first repetition only
    };

    static void Add(TSection& aSection, TEntry anEntry);
    const TSection* FindSection(std::string_view aName) const;
    const TEntry* FindEntry(std::string_view aSection, std::string_view aKey) const;

    std::vector<TSection> fSections;
};

} // namespace kf
