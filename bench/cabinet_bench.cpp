// Packs a list of files into one cabinet through libkfcabinet's FCI and prints the time it took.
// Usage: cabinet_bench <none|mszip|lzx:15..21> <output.cab> <file list>   (one path per line)
#include "fci.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

int PosixFlags(int aFlags) {
    int flags = (aFlags & 3) == _O_RDONLY ? O_RDONLY : (aFlags & 3) == _O_WRONLY ? O_WRONLY : O_RDWR;
    flags |= (aFlags & _O_CREAT) ? O_CREAT : 0;
    flags |= (aFlags & _O_TRUNC) ? O_TRUNC : 0;
    flags |= (aFlags & _O_EXCL) ? O_EXCL : 0;
    return flags | O_CLOEXEC;
}

void* DIAMONDAPI Alloc(ULONG aSize) {
    return std::malloc(aSize);
}
void DIAMONDAPI Free(void* aBlock) {
    std::free(aBlock);
}

INT_PTR DIAMONDAPI Open(char* aPath, int aFlags, int, int* anError, void*) {
    const int descriptor = ::open(aPath, PosixFlags(aFlags), 0644);
    if (descriptor < 0)
        *anError = errno;
    return descriptor;
}

UINT DIAMONDAPI Read(INT_PTR aHandle, void* aBuffer, UINT aSize, int* anError, void*) {
    const ssize_t count = ::read(static_cast<int>(aHandle), aBuffer, aSize);
    if (count < 0)
        *anError = errno;
    return static_cast<UINT>(count);
}

UINT DIAMONDAPI Write(INT_PTR aHandle, void* aBuffer, UINT aSize, int* anError, void*) {
    const ssize_t count = ::write(static_cast<int>(aHandle), aBuffer, aSize);
    if (count < 0)
        *anError = errno;
    return static_cast<UINT>(count);
}

int DIAMONDAPI Close(INT_PTR aHandle, int*, void*) {
    return ::close(static_cast<int>(aHandle));
}

LONG DIAMONDAPI Seek(INT_PTR aHandle, LONG aDistance, int aType, int* anError, void*) {
    const off_t position = ::lseek(static_cast<int>(aHandle), aDistance, aType);
    if (position < 0)
        *anError = errno;
    return static_cast<LONG>(position);
}

int DIAMONDAPI Delete(char* aPath, int* anError, void*) {
    const int result = ::unlink(aPath);
    if (result != 0)
        *anError = errno;
    return result;
}

BOOL DIAMONDAPI TempName(char* aName, int aSize, void*) {
    char name[] = "/tmp/kfbenchXXXXXX";
    const int descriptor = ::mkstemp(name);
    if (descriptor < 0 || static_cast<int>(sizeof name) > aSize)
        return FALSE;
    ::close(descriptor);
    ::unlink(name);
    std::memcpy(aName, name, sizeof name);
    return TRUE;
}

INT_PTR DIAMONDAPI OpenInfo(char* aPath, USHORT* aDate, USHORT* aTime, USHORT* anAttributes, int* anError,
                            void* aUser) {
    *aDate = (45 << 9) | (1 << 5) | 1;
    *aTime = 0;
    *anAttributes = _A_ARCH;
    return Open(aPath, _O_RDONLY | _O_BINARY, 0, anError, aUser);
}

BOOL DIAMONDAPI NextCabinet(PCCAB, ULONG, void*) {
    return FALSE;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <none|mszip|lzx:15..21> <output.cab> <file list>\n", argv[0]);
        return 2;
    }
    TCOMP type = std::strcmp(argv[1], "mszip") == 0 ? tcompTYPE_MSZIP : tcompTYPE_NONE;
    if (std::strncmp(argv[1], "lzx:", 4) == 0)
        type = TCOMPfromLZXWindow(std::atoi(argv[1] + 4));
    std::vector<std::string> files;
    std::ifstream list(argv[3]);
    for (std::string line; std::getline(list, line);)
        if (!line.empty())
            files.push_back(line);
    const std::string output = argv[2];
    const size_t slash = output.rfind('/');
    CCAB parameters{};
    std::snprintf(parameters.szCabPath, sizeof parameters.szCabPath, "%s",
                  slash == std::string::npos ? "./" : output.substr(0, slash + 1).c_str());
    std::snprintf(parameters.szCab, sizeof parameters.szCab, "%s", output.substr(slash + 1).c_str());
    std::snprintf(parameters.szDisk, sizeof parameters.szDisk, "Disk1");

    const auto start = std::chrono::steady_clock::now();
    ERF erf{};
    HFCI context = FCICreate(&erf, nullptr, Alloc, Free, Open, Read, Write, Close, Seek, Delete, TempName,
                             &parameters, nullptr);
    bool ok = context != nullptr;
    for (size_t i = 0; ok && i < files.size(); ++i) {
        std::string name = "m" + std::to_string(i);
        ok = FCIAddFile(context, files[i].data(), name.data(), FALSE, NextCabinet, nullptr, OpenInfo, type);
    }
    ok = ok && FCIFlushCabinet(context, FALSE, NextCabinet, nullptr);
    if (context != nullptr)
        FCIDestroy(context);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok) {
        std::fprintf(stderr, "FCI failed: error %d, value %d\n", erf.erfOper, erf.erfType);
        return 1;
    }
    std::printf("%.3f\n", seconds);
    return 0;
}
