#include "TestSupport.h"

#include <fstream>
#include <iterator>
#include <random>

namespace kf::test {

TTempFolder::TTempFolder() {
    std::random_device random;
    fRoot = std::filesystem::temp_directory_path() / ("kf-test-" + std::to_string(random()));
    std::filesystem::create_directories(fRoot);
}

TTempFolder::~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(fRoot, ignored);
}

std::string TTempFolder::WriteFile(const std::string& aName, const std::string& aBytes) const {
    const std::filesystem::path path = fRoot / aName;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << aBytes;
    return path.string();
}

std::string ReadFile(const std::string& aPath) {
    std::ifstream file(aPath, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::string WindowsPath(const std::string& aHostPath) {
    std::string path = "Z:" + aHostPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string ShellQuoted(const std::string& aText) {
    std::string quoted = "'";
    for (char c : aText)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string NoiseBytes(size_t aSize, uint32_t aSeed) {
    std::string bytes(aSize, '\0');
    uint32_t state = aSeed | 1;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

void PutLittleEndian(std::string& aBytes, size_t aPos, uint64_t aValue, size_t aWidth) {
    for (size_t i = 0; i < aWidth; ++i)
        aBytes[aPos + i] = static_cast<char>((aValue >> (8 * i)) & 0xFF);
}

std::string TinyBitmap(char aShade) {
    // File header, BITMAPINFOHEADER (2 x 2, one plane, 24 bits, uncompressed), two rows of 8 bytes.
    const unsigned char header[54] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                                      0,   0,   0,  2, 0, 0, 0, 2, 0, 0, 0,  1, 0, 24, 0};
    return std::string(reinterpret_cast<const char*>(header), sizeof header) + std::string(16, aShade);
}

} // namespace kf::test
