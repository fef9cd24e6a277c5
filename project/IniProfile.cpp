#include "project/IniProfile.h"

#include "base/Exception.h"
#include "base/TextFileCodec.h"
#include "base/TextUtil.h"
#include "base/WholeFile.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace kf {

namespace {

std::string StripQuotes(std::string aValue) {
    if (aValue.size() >= 2 && (aValue.front() == '"' || aValue.front() == '\'') &&
        aValue.back() == aValue.front())
        return aValue.substr(1, aValue.size() - 2);
    return aValue;
}

std::vector<std::string_view> SplitLines(std::string_view aText) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < aText.size()) {
        size_t end = aText.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = aText.size();
        lines.push_back(aText.substr(start, end - start));
        start = end;
        if (start < aText.size() && aText[start] == '\r')
            ++start;
        if (start < aText.size() && aText[start] == '\n')
            ++start;
    }
    return lines;
}

} // namespace

TIniProfile TIniProfile::Parse(std::string_view aText) {
    TIniProfile profile;
    TSection* current = nullptr;
    for (std::string_view rawLine : SplitLines(aText)) {
        const std::string line = Trim(rawLine);
        if (line.empty())
            continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            const std::string name = Trim(
                std::string_view(line).substr(1, close == std::string::npos ? std::string::npos : close - 1));
            profile.fSections.push_back(TSection{name, {}, {}, {}});
            current = &profile.fSections.back();
            continue;
        }
        if (current == nullptr)
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            Add(*current, TEntry{line, {}});
            continue;
        }
        Add(*current, TEntry{Trim(std::string_view(line).substr(0, equals)),
                             StripQuotes(Trim(std::string_view(line).substr(equals + 1)))});
    }
    return profile;
}

TIniProfile TIniProfile::Load(const std::string& aPath) {
    try {
        return Parse(DecodeTextFile(ReadWholeFile(aPath)));
    } catch (const Exception&) {
        return TIniProfile();
    }
}

void TIniProfile::Add(TSection& aSection, TEntry anEntry) {
    const auto [first, added] = aSection.Index.try_emplace(FoldCase(anEntry.Key), aSection.Entries.size());
    if (!added && std::none_of(aSection.Repeated.begin(), aSection.Repeated.end(), [&](size_t anEntryIndex) {
            return EqualsNoCase(aSection.Entries[anEntryIndex].Key, anEntry.Key);
        }))
        aSection.Repeated.push_back(first->second);
    aSection.Entries.push_back(std::move(anEntry));
}

const TIniProfile::TSection* TIniProfile::FindSection(std::string_view aName) const {
    for (const TSection& section : fSections)
        if (EqualsNoCase(section.Name, aName))
            return &section;
    return nullptr;
}

const TIniProfile::TEntry* TIniProfile::FindEntry(std::string_view aSection, std::string_view aKey) const {
    const TSection* section = FindSection(aSection);
    if (section == nullptr)
        return nullptr;
    const auto found = section->Index.find(FoldCase(aKey));
    return found != section->Index.end() ? &section->Entries[found->second] : nullptr;
}

std::string TIniProfile::ReadString(std::string_view aSection, std::string_view aKey,
                                    const std::string& aDefault) const {
    const TEntry* entry = FindEntry(aSection, aKey);
    return entry != nullptr ? entry->Value : aDefault;
}

int TIniProfile::ReadInteger(std::string_view aSection, std::string_view aKey, int aDefault) const {
    const TEntry* entry = FindEntry(aSection, aKey);
    if (entry == nullptr)
        return aDefault;
    const auto value = ParseInteger(entry->Value);
    if (!value)
        return aDefault;
    const bool hex = entry->Value.size() > 1 && (entry->Value[1] == 'x' || entry->Value[1] == 'X');
    // Hexadecimal carries a 32-bit pattern, so 0xFFFFFFFF reads as -1.
    if (hex && *value <= std::numeric_limits<uint32_t>::max())
        return static_cast<int>(static_cast<uint32_t>(*value));
    if (*value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max())
        return aDefault;
    return static_cast<int>(*value);
}

bool TIniProfile::ReadBool(std::string_view aSection, std::string_view aKey, bool aDefault) const {
    return ReadInteger(aSection, aKey, aDefault ? 1 : 0) != 0;
}

std::vector<std::string> TIniProfile::KeyNames(std::string_view aSection) const {
    std::vector<std::string> names;
    if (const TSection* section = FindSection(aSection))
        for (size_t i = 0; i < section->Entries.size(); ++i)
            if (section->Index.at(FoldCase(section->Entries[i].Key)) == i)
                names.push_back(section->Entries[i].Key);
    return names;
}

std::vector<std::string> TIniProfile::RepeatedKeys(std::string_view aSection) const {
    std::vector<std::string> keys;
    if (const TSection* section = FindSection(aSection))
        for (const size_t entry : section->Repeated)
            keys.push_back(section->Entries[entry].Key);
    return keys;
}

} // namespace kf
