#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace kf {

// Opens aPath for reading when it is a regular file, without blocking on a FIFO, and fills
// anInfo. Otherwise -1 with anError set: the system's error, or EISDIR for a folder and EINVAL
// for a pipe, socket or device (anInfo then tells which).
int OpenRegularFile(const char* aPath, struct stat& anInfo, int& anError);

// A file opened for reading that is known, on the opened descriptor, to be a regular file: a
// FIFO, device or folder at the path is refused at once instead of blocking or reading forever.
class TRegularFile {
public:
    // Raises 'Cannot open file "<path>". <reason>' when the path cannot be opened or is no regular file.
    explicit TRegularFile(const std::string& aPath);
    ~TRegularFile();
    TRegularFile(const TRegularFile&) = delete;
    TRegularFile& operator=(const TRegularFile&) = delete;

    uint64_t Size() const { return fSize; }
    int64_t ModifiedTime() const { return fModified; }
    bool Writable() const { return fWritable; }
    // Up to aSize bytes, fewer only at the end of the file; raises on a read error.
    size_t Read(char* aBuffer, size_t aSize);
    // Hands the descriptor to the caller, who closes it.
    int Release();

private:
    std::string fPath;
    int fDescriptor;
    uint64_t fSize = 0;
    int64_t fModified = 0;
    bool fWritable = false;
};

// Raises what TRegularFile raises when something is at aPath that is no regular file (a folder,
// FIFO or device); a path with nothing at it is left to the caller, who reports it its own way.
void RefuseNonRegularFile(const std::string& aPath);

// The message for a file that cannot be opened, the reason being the system's text for anError.
std::string CannotOpenText(const std::string& aPath, int anError);

} // namespace kf
