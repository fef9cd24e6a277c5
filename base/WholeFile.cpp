#include "base/WholeFile.h"

#include "base/Exception.h"
#include "base/RegularFile.h"

namespace kf {

namespace {

std::string MegabytesText(uint64_t aBytes) {
    return std::to_string(aBytes >> 20) + " MB";
}

[[noreturn]] void TooLarge(const std::string& aPath, uint64_t aLimit) {
    throw Exception("Cannot open file \"" + aPath + "\". It is larger than " + MegabytesText(aLimit) +
                    ", more than can be read.");
}

} // namespace

std::string ReadWholeFile(const std::string& aPath, uint64_t aLimit) {
    TRegularFile file(aPath);
    if (file.Size() > aLimit)
        TooLarge(aPath, aLimit);
    // One byte beyond the limit tells a file that grew since it was opened.
    std::string bytes(static_cast<size_t>(file.Size()) + 1, '\0');
    size_t done = file.Read(bytes.data(), bytes.size());
    while (done == bytes.size()) {
        if (bytes.size() > aLimit)
            TooLarge(aPath, aLimit);
        bytes.resize(std::min<uint64_t>(bytes.size() * 2, aLimit + 1));
        done += file.Read(bytes.data() + done, bytes.size() - done);
    }
    bytes.resize(done);
    return bytes;
}

} // namespace kf
