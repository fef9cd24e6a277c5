#include "runtime/core/FileSource.h"

#include "base/Exception.h"

#include <filesystem>

namespace kf {

TFileSource::TFileSource(const std::string& aPath) : fPath(aPath) {
    std::error_code error;
    fSize = std::filesystem::file_size(aPath, error);
    if (error)
        throw Exception("Cannot open " + aPath + ": " + error.message());
    fStream.open(aPath, std::ios::binary);
    if (!fStream)
        throw Exception("Cannot open " + aPath + " for reading.");
}

std::string TFileSource::Read(uint64_t anOffset, size_t aLength) {
    RequireRange(anOffset, aLength);
    std::string bytes(aLength, '\0');
    fStream.clear();
    fStream.seekg(static_cast<std::streamoff>(anOffset));
    fStream.read(bytes.data(), static_cast<std::streamsize>(aLength));
    if (static_cast<size_t>(fStream.gcount()) != aLength)
        throw Exception("Cannot read " + std::to_string(aLength) + " bytes at offset " +
                        std::to_string(anOffset) + " of " + fPath + ".");
    return bytes;
}

} // namespace kf
