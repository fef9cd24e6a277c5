#include "HeaderFields.h"

#include <stdexcept>

namespace kf::test {

namespace {

constexpr size_t kTrailerSize = 10;

size_t Field(const std::string& aBytes, size_t aPos, size_t aWidth) {
    if (aPos + aWidth > aBytes.size())
        throw std::runtime_error("a cabinet runs past the end of the setup");
    size_t value = 0;
    for (size_t i = 0; i < aWidth; ++i)
        value |= static_cast<size_t>(static_cast<unsigned char>(aBytes[aPos + i])) << (8 * i);
    return value;
}

struct TRecord {
    const char* Name;
    size_t Offset;
    size_t Width;
};

constexpr TRecord kHeader[] = {{"signature", 0, 4},     {"reserved1", 4, 4},     {"cbCabinet", 8, 4},
                               {"reserved2", 12, 4},    {"coffFiles", 16, 4},    {"reserved3", 20, 4},
                               {"versionMinor", 24, 1}, {"versionMajor", 25, 1}, {"cFolders", 26, 2},
                               {"cFiles", 28, 2},       {"flags", 30, 2},        {"setID", 32, 2},
                               {"iCabinet", 34, 2}};
constexpr TRecord kFolder[] = {{"coffCabStart", 0, 4}, {"cCFData", 4, 2}, {"typeCompress", 6, 2}};
constexpr TRecord kMember[] = {{"cbFile", 0, 4}, {"uoffFolderStart", 4, 4}, {"iFolder", 8, 2},
                               {"date", 10, 2},  {"time", 12, 2},           {"attribs", 14, 2}};
constexpr TRecord kBlock[] = {{"csum", 0, 4}, {"cbData", 4, 2}, {"cbUncomp", 6, 2}};

template <size_t N>
void Add(std::vector<THeaderField>& aFields, const std::string& aWhere, size_t aStart,
         const TRecord (&aRecord)[N]) {
    for (const TRecord& field : aRecord)
        aFields.push_back(THeaderField{aWhere + field.Name, aStart + field.Offset, field.Width});
}

void AddCabinet(std::vector<THeaderField>& aFields, const std::string& aSetup, size_t aStart,
                size_t aNumber) {
    const std::string cabinet = "cabinet " + std::to_string(aNumber) + ", ";
    Add(aFields, cabinet + "header: ", aStart, kHeader);
    const size_t folders = Field(aSetup, aStart + 26, 2);
    const size_t members = Field(aSetup, aStart + 28, 2);
    size_t pos = aStart + 36;
    std::vector<size_t> dataStarts, blockCounts;
    for (size_t i = 0; i < folders; ++i, pos += 8) {
        Add(aFields, cabinet + "folder " + std::to_string(i + 1) + ": ", pos, kFolder);
        dataStarts.push_back(aStart + Field(aSetup, pos, 4));
        blockCounts.push_back(Field(aSetup, pos + 4, 2));
    }
    for (size_t i = 0; i < members; ++i) {
        const std::string member = cabinet + "member " + std::to_string(i + 1) + ": ";
        Add(aFields, member, pos, kMember);
        pos += 16;
        const size_t end = aSetup.find('\0', pos);
        if (end == std::string::npos)
            throw std::runtime_error("a member name runs past the end of the setup");
        aFields.push_back(THeaderField{member + "name", pos, end + 1 - pos});
        pos = end + 1;
    }
    for (size_t folder = 0; folder < folders; ++folder) {
        size_t block = dataStarts[folder];
        for (size_t i = 0; i < blockCounts[folder]; ++i) {
            Add(aFields,
                cabinet + "folder " + std::to_string(folder + 1) + ", block " + std::to_string(i + 1) + ": ",
                block, kBlock);
            block += 8 + Field(aSetup, block + 4, 2);
        }
    }
}

} // namespace

std::vector<THeaderField> HeaderFieldsOf(const std::string& aSetup, size_t aFirstCabinet) {
    std::vector<THeaderField> fields;
    size_t start = aFirstCabinet;
    for (size_t number = 1; start + kTrailerSize < aSetup.size(); ++number) {
        if (aSetup.compare(start, 4, "MSCF") != 0)
            throw std::runtime_error("no cabinet where cabinet " + std::to_string(number) + " should start");
        AddCabinet(fields, aSetup, start, number);
        start += Field(aSetup, start + 8, 4);
    }
    if (start + kTrailerSize != aSetup.size())
        throw std::runtime_error("the cabinets do not end at the trailer");
    return fields;
}

} // namespace kf::test
