#include "cli/SetupReader.h"

#include "cli/EmbeddedCabinet.h"
#include "project/Exception.h"
#include "project/TextUtil.h"
#include "project/Windows1252.h"

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace kf {

namespace {

constexpr size_t kTrailerSize = 10;
constexpr size_t kDataLines = 18;

std::string ReadTail(const std::string& aPath, uint64_t aFileSize) {
    std::string tail(kTrailerSize, '\0');
    const int descriptor = ::open(aPath.c_str(), O_RDONLY | O_CLOEXEC);
    const ssize_t count = descriptor < 0 ? -1
                                         : ::pread(descriptor, tail.data(), kTrailerSize,
                                                   static_cast<off_t>(aFileSize - kTrailerSize));
    if (descriptor >= 0)
        ::close(descriptor);
    if (count != static_cast<ssize_t>(kTrailerSize))
        throw Exception("Cannot read " + aPath);
    return tail;
}

std::vector<std::string> SplitLines(const std::string& aBytes, const std::string& aPath) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = aBytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(Windows1252ToUtf8(aBytes.substr(start, end - start)));
    if (start != aBytes.size() || lines.size() != kDataLines)
        throw Exception(aPath + " is not a Kelpforge setup: its kelpforge.dat does not hold 18 lines");
    return lines;
}

} // namespace

std::vector<std::string> SplitJoinedList(const std::string& aLine) {
    std::vector<std::string> elements;
    size_t start = 0;
    for (size_t mark; (mark = aLine.find('?', start)) != std::string::npos; start = mark + 1)
        elements.push_back(aLine.substr(start, mark - start));
    return elements;
}

TSetupLayout ReadSetupLayout(const std::string& aPath) {
    std::error_code error;
    TSetupLayout layout;
    layout.FileSize = std::filesystem::file_size(aPath, error);
    if (error)
        throw Exception("Cannot open " + aPath + ": " + error.message());
    const std::string notASetup = aPath + " is not a Kelpforge setup: ";
    if (layout.FileSize < kTrailerSize)
        throw Exception(notASetup + "it is too short to hold a size trailer");
    layout.Trailer = ReadTail(aPath, layout.FileSize);
    const auto mainSize = ParseInteger(layout.Trailer);
    if (layout.Trailer.find_first_not_of("0123456789") != std::string::npos || !mainSize)
        throw Exception(notASetup + "its last 10 bytes are not a size trailer");
    layout.MainSize = static_cast<uint64_t>(*mainSize);
    if (layout.MainSize == 0 || layout.MainSize > layout.FileSize - kTrailerSize)
        throw Exception(notASetup + "the trailer names a main cabinet of " + layout.Trailer +
                        " bytes, which does not fit in the file");
    layout.MainOffset = layout.FileSize - kTrailerSize - layout.MainSize;

    TEmbeddedCabinet main(aPath, layout.MainOffset, layout.MainSize, "the main cabinet of " + aPath);
    if (main.Members().empty() || main.Members()[0].Name != "kelpforge.dat")
        throw Exception(notASetup + "its main cabinet does not start with kelpforge.dat");
    layout.DataLines = SplitLines(main.Read(0), aPath);
    layout.InstallPaths = SplitJoinedList(layout.DataLines[8]);

    uint64_t cabinets = 0;
    for (const std::string& size : SplitJoinedList(layout.DataLines[9])) {
        const auto value = ParseInteger(size);
        if (!value || *value <= 0 || size.find_first_not_of("0123456789") != std::string::npos)
            throw Exception(notASetup + "line 10 of kelpforge.dat holds \"" + size +
                            "\", which is not a size");
        layout.CabinetSizes.push_back(static_cast<uint64_t>(*value));
        cabinets += static_cast<uint64_t>(*value);
    }
    if (cabinets > layout.MainOffset)
        throw Exception(notASetup + "its file cabinets (" + std::to_string(cabinets) +
                        " bytes) do not fit before the main cabinet");
    layout.StubSize = layout.MainOffset - cabinets;
    uint64_t offset = layout.StubSize;
    for (uint64_t size : layout.CabinetSizes) {
        layout.CabinetOffsets.push_back(offset);
        offset += size;
    }
    return layout;
}

} // namespace kf
