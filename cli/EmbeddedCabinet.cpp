#include "cli/EmbeddedCabinet.h"

#include "project/Exception.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mspack.h>
#include <unistd.h>

namespace kf {

namespace {

constexpr const char* kCabinetName = "cabinet";
constexpr const char* kMemoryTarget = "\x01memory";
constexpr const char* kDiscardTarget = "\x01discard";

enum class TKind { Region, Memory, Discard, File };

// One open file of libmspack: the cabinet's region of the host file, or a decoded member's target.
struct TOpenFile {
    TKind Kind;
    int Descriptor = -1;
    uint64_t Base = 0;
    uint64_t Length = 0;
    uint64_t Position = 0;
    std::string* Memory = nullptr;
};

// libmspack's view of the host file: a window onto the cabinet, and targets for decoded members.
struct TRegionSystem {
    mspack_system Base;
    std::string Path;
    uint64_t Offset;
    uint64_t Length;
    std::string* Memory;
};

TOpenFile* OpenTarget(const TRegionSystem& aSystem, const char* aName) {
    if (std::strcmp(aName, kMemoryTarget) == 0)
        return new TOpenFile{TKind::Memory, -1, 0, 0, 0, aSystem.Memory};
    if (std::strcmp(aName, kDiscardTarget) == 0)
        return new TOpenFile{TKind::Discard};
    const int descriptor = ::open(aName, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return descriptor < 0 ? nullptr : new TOpenFile{TKind::File, descriptor};
}

mspack_file* SysOpen(mspack_system* aSelf, const char* aName, int aMode) {
    const auto& system = *reinterpret_cast<TRegionSystem*>(aSelf);
    TOpenFile* file = nullptr;
    if (aMode == MSPACK_SYS_OPEN_READ && std::strcmp(aName, kCabinetName) == 0) {
        const int descriptor = ::open(system.Path.c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor >= 0)
            file = new TOpenFile{TKind::Region, descriptor, system.Offset, system.Length};
    } else if (aMode == MSPACK_SYS_OPEN_WRITE) {
        file = OpenTarget(system, aName);
    }
    return reinterpret_cast<mspack_file*>(file);
}

void SysClose(mspack_file* aFile) {
    auto* file = reinterpret_cast<TOpenFile*>(aFile);
    if (file->Descriptor >= 0)
        ::close(file->Descriptor);
    delete file;
}

int SysRead(mspack_file* aFile, void* aBuffer, int aBytes) {
    auto* file = reinterpret_cast<TOpenFile*>(aFile);
    if (file->Kind != TKind::Region || aBytes < 0)
        return -1;
    const uint64_t left = file->Position < file->Length ? file->Length - file->Position : 0;
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(aBytes), left));
    const ssize_t count =
        ::pread(file->Descriptor, aBuffer, wanted, static_cast<off_t>(file->Base + file->Position));
    if (count < 0)
        return -1;
    file->Position += static_cast<uint64_t>(count);
    return static_cast<int>(count);
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
    const int64_t origin = aMode == MSPACK_SYS_SEEK_START ? 0
                           : aMode == MSPACK_SYS_SEEK_CUR ? static_cast<int64_t>(file->Position)
                                                          : static_cast<int64_t>(file->Length);
    const int64_t target = origin + anOffset;
    if (file->Kind != TKind::Region || target < 0 || static_cast<uint64_t>(target) > file->Length)
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
    TRegionSystem System{};
    std::string Captured;
    mscab_decompressor* Decompressor = nullptr;
    mscabd_cabinet* Cabinet = nullptr;
    std::vector<mscabd_file*> Files;
};

TEmbeddedCabinet::TEmbeddedCabinet(const std::string& aPath, uint64_t anOffset, uint64_t aLength,
                                   const std::string& aWhat)
    : fState(std::make_unique<TState>()), fWhat(aWhat) {
    TRegionSystem& system = fState->System;
    system.Base = mspack_system{SysOpen,    SysClose, SysRead, SysWrite, SysSeek, SysTell,
                                SysMessage, SysAlloc, SysFree, SysCopy,  nullptr};
    system.Path = aPath;
    system.Offset = anOffset;
    system.Length = aLength;
    system.Memory = &fState->Captured;
    fState->Decompressor = mspack_create_cab_decompressor(&system.Base);
    if (fState->Decompressor != nullptr)
        fState->Cabinet = fState->Decompressor->open(fState->Decompressor, kCabinetName);
    if (fState->Cabinet == nullptr) {
        if (fState->Decompressor != nullptr)
            mspack_destroy_cab_decompressor(fState->Decompressor);
        throw Exception(aWhat + " is not a readable cabinet");
    }
    for (mscabd_file* file = fState->Cabinet->files; file != nullptr; file = file->next) {
        fState->Files.push_back(file);
        fMembers.push_back(TMember{file->filename, file->length});
    }
}

TEmbeddedCabinet::~TEmbeddedCabinet() {
    fState->Decompressor->close(fState->Decompressor, fState->Cabinet);
    mspack_destroy_cab_decompressor(fState->Decompressor);
}

void TEmbeddedCabinet::Decode(size_t anIndex, const std::string& aTarget) {
    const int error =
        fState->Decompressor->extract(fState->Decompressor, fState->Files.at(anIndex), aTarget.c_str());
    if (error != MSPACK_ERR_OK) {
        const char* reason = error == MSPACK_ERR_CHECKSUM   ? "a data block fails its checksum"
                             : error == MSPACK_ERR_DECRUNCH ? "its data cannot be decoded"
                             : error == MSPACK_ERR_OPEN     ? "the target cannot be created"
                             : error == MSPACK_ERR_WRITE    ? "the target cannot be written"
                                                            : "it is damaged or truncated";
        throw Exception("Cannot read " + fMembers[anIndex].Name + " from " + fWhat + ": " + reason);
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

void TEmbeddedCabinet::Verify() {
    for (size_t i = 0; i < fMembers.size(); ++i)
        Decode(i, kDiscardTarget);
}

} // namespace kf
