#include "cli/EmbeddedCabinet.h"

#include "base/Exception.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mspack.h>
#include <unistd.h>
#include <vector>

namespace kf {

namespace {

constexpr const char* kCabinetName = "cabinet";
constexpr const char* kMemoryTarget = "\x01memory";

enum class TKind { Cabinet, Memory, File };

// One open file of libmspack: the cabinet's source, or a decoded member's target.
struct TOpenFile {
    TKind Kind;
    int Descriptor = -1;
    TByteSource* Source = nullptr;
    uint64_t Position = 0;
    std::string* Memory = nullptr;
};

// libmspack's view of the world: the cabinet's source, and targets for decoded members.
struct TSourceSystem {
    mspack_system Base;
    TByteSource* Source;
    std::string* Memory;
};

TOpenFile* OpenTarget(const TSourceSystem& aSystem, const char* aName) {
    if (std::strcmp(aName, kMemoryTarget) == 0)
        return new TOpenFile{TKind::Memory, -1, nullptr, 0, aSystem.Memory};
    // Only new files, never through a link: a target is written where its name says or not at all.
    const int descriptor = ::open(aName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    return descriptor < 0 ? nullptr : new TOpenFile{TKind::File, descriptor};
}

mspack_file* SysOpen(mspack_system* aSelf, const char* aName, int aMode) {
    const auto& system = *reinterpret_cast<TSourceSystem*>(aSelf);
    TOpenFile* file = nullptr;
    if (aMode == MSPACK_SYS_OPEN_READ && std::strcmp(aName, kCabinetName) == 0)
        file = new TOpenFile{TKind::Cabinet, -1, system.Source};
    else if (aMode == MSPACK_SYS_OPEN_WRITE)
        file = OpenTarget(system, aName);
    return reinterpret_cast<mspack_file*>(file);
}

void SysClose(mspack_file* aFile) {
    auto* file = reinterpret_cast<TOpenFile*>(aFile);
    if (file->Descriptor >= 0)
        ::close(file->Descriptor);
    delete file;
}

// No exception may pass through libmspack: a failed read is its error value.
int SysRead(mspack_file* aFile, void* aBuffer, int aBytes) {
    auto* file = reinterpret_cast<TOpenFile*>(aFile);
    if (file->Kind != TKind::Cabinet || aBytes < 0)
        return -1;
    const uint64_t size = file->Source->Size();
    const uint64_t left = file->Position < size ? size - file->Position : 0;
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(aBytes), left));
    try {
        const std::string bytes = file->Source->Read(file->Position, wanted);
        std::memcpy(aBuffer, bytes.data(), bytes.size());
    } catch (const std::exception&) {
        return -1;
    }
    file->Position += wanted;
    return static_cast<int>(wanted);
}

int SysWrite(mspack_file* aFile, void* aBuffer, int aBytes) {
    auto* file = reinterpret_cast<TOpenFile*>(aFile);
    if (aBytes < 0)
        return -1;
    if (file->Kind == TKind::Memory)
        file->Memory->append(static_cast<const char*>(aBuffer), static_cast<size_t>(aBytes));
    else if (file->Kind == TKind::File &&
             ::write(file->Descriptor, aBuffer, static_cast<size_t>(aBytes)) != aBytes)
        return -1;
    return aBytes;
}

int SysSeek(mspack_file* aFile, off_t anOffset, int aMode) {
    auto* file = reinterpret_cast<TOpenFile*>(aFile);
    if (file->Kind != TKind::Cabinet)
        return -1;
    const uint64_t size = file->Source->Size();
    const int64_t origin = aMode == MSPACK_SYS_SEEK_START ? 0
                           : aMode == MSPACK_SYS_SEEK_CUR ? static_cast<int64_t>(file->Position)
                                                          : static_cast<int64_t>(size);
    const int64_t target = origin + anOffset;
    if (target < 0 || static_cast<uint64_t>(target) > size)
        return -1;
    file->Position = static_cast<uint64_t>(target);
    return 0;
}

off_t SysTell(mspack_file* aFile) {
    return static_cast<off_t>(reinterpret_cast<TOpenFile*>(aFile)->Position);
}

void SysMessage(mspack_file*, const char*, ...) {}

void* SysAlloc(mspack_system*, size_t aBytes) {
    return std::malloc(aBytes);
}

void SysFree(void* aPointer) {
    std::free(aPointer);
}

void SysCopy(void* aSource, void* aTarget, size_t aBytes) {
    std::memmove(aTarget, aSource, aBytes);
}

} // namespace

struct TEmbeddedCabinet::TState {
    TSourceSystem System{};
    std::string Captured;
    mscab_decompressor* Decompressor = nullptr;
    mscabd_cabinet* Cabinet = nullptr;
    std::vector<mscabd_file*> Files;
};

TEmbeddedCabinet::TEmbeddedCabinet(TByteSource& aCabinet, const std::string& aWhat)
    : fState(std::make_unique<TState>()), fWhat(aWhat) {
    TSourceSystem& system = fState->System;
    system.Base = mspack_system{SysOpen,    SysClose, SysRead, SysWrite, SysSeek, SysTell,
                                SysMessage, SysAlloc, SysFree, SysCopy,  nullptr};
    system.Source = &aCabinet;
    system.Memory = &fState->Captured;
    fState->Decompressor = mspack_create_cab_decompressor(&system.Base);
    if (fState->Decompressor != nullptr)
        fState->Cabinet = fState->Decompressor->open(fState->Decompressor, kCabinetName);
    if (fState->Cabinet == nullptr) {
        if (fState->Decompressor != nullptr)
            mspack_destroy_cab_decompressor(fState->Decompressor);
        throw Exception(aWhat + " is not a readable cabinet");
    }
    for (mscabd_file* file = fState->Cabinet->files; file != nullptr; file = file->next)
        fState->Files.push_back(file);
}

TEmbeddedCabinet::~TEmbeddedCabinet() {
    fState->Decompressor->close(fState->Decompressor, fState->Cabinet);
    mspack_destroy_cab_decompressor(fState->Decompressor);
}

void TEmbeddedCabinet::Decode(size_t anIndex, const std::string& aTarget) {
    mscabd_file* file = fState->Files.at(anIndex);
    const int error = fState->Decompressor->extract(fState->Decompressor, file, aTarget.c_str());
    if (error != MSPACK_ERR_OK) {
        const char* reason = error == MSPACK_ERR_CHECKSUM   ? "a data block fails its checksum"
                             : error == MSPACK_ERR_DECRUNCH ? "its data cannot be decoded"
                             : error == MSPACK_ERR_OPEN     ? "the target cannot be created"
                             : error == MSPACK_ERR_WRITE    ? "the target cannot be written"
                                                            : "it is damaged or truncated";
        throw Exception("Cannot read " + std::string(file->filename) + " from " + fWhat + ": " + reason);
    }
}

std::string TEmbeddedCabinet::Read(size_t anIndex) {
    fState->Captured.clear();
    Decode(anIndex, kMemoryTarget);
    return std::move(fState->Captured);
}

void TEmbeddedCabinet::ExtractTo(size_t anIndex, const std::string& aTarget) {
    Decode(anIndex, aTarget);
}

} // namespace kf
