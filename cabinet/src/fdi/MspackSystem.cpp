#include "MspackSystem.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace kf::cab {

namespace {

struct ClientFile {
    const FdiCallbacks* callbacks;
    INT_PTR handle;
    bool owned;
};

// libmspack frees without naming its system, so each block carries the client's free function.
struct alignas(16) BlockHeader {
    PFNFREE release;
};

constexpr char kAdoptedName[] = "<client handle>";

thread_local MspackSystem* tActive = nullptr;

ClientFile* AsClient(mspack_file* aFile) {
    return reinterpret_cast<ClientFile*>(aFile);
}

} // namespace

MspackSystem::Scope::Scope(MspackSystem& aSystem) : fPrevious(tActive) {
    tActive = &aSystem;
}

MspackSystem::Scope::~Scope() {
    tActive = fPrevious;
}

MspackSystem::MspackSystem(const FdiCallbacks& aCallbacks)
    : fSystem{Open, Close, Read, Write, Seek, Tell, Message, Alloc, Free, Copy, nullptr},
      fCallbacks(aCallbacks) {}

const char* MspackSystem::AdoptedName() {
    return kAdoptedName;
}

mspack_file* MspackSystem::Open(mspack_system* aSelf, const char* aName, int aMode) {
    MspackSystem& owner = *tActive;
    const FdiCallbacks& callbacks = owner.fCallbacks;
    INT_PTR handle = -1;
    const bool adopted = aName == kAdoptedName;
    if (adopted)
        handle = owner.fAdopted;
    else if (aMode == MSPACK_SYS_OPEN_READ)
        handle = callbacks.open(const_cast<char*>(aName), _O_RDONLY | _O_BINARY, 0);
    if (handle == -1)
        return nullptr;
    auto* file = static_cast<ClientFile*>(Alloc(aSelf, sizeof(ClientFile)));
    if (file == nullptr) {
        if (!adopted)
            callbacks.close(handle);
        return nullptr;
    }
    *file = {&callbacks, handle, !adopted};
    return reinterpret_cast<mspack_file*>(file);
}

void MspackSystem::Close(mspack_file* aFile) {
    ClientFile* file = AsClient(aFile);
    if (file == nullptr)
        return;
    if (file->owned)
        file->callbacks->close(file->handle);
    Free(file);
}

int MspackSystem::Read(mspack_file* aFile, void* aBuffer, int aCount) {
    ClientFile* file = AsClient(aFile);
    if (aCount < 0)
        return -1;
    const UINT count = file->callbacks->read(file->handle, aBuffer, static_cast<UINT>(aCount));
    return count > static_cast<UINT>(aCount) ? -1 : static_cast<int>(count);
}

int MspackSystem::Write(mspack_file* aFile, void* aBuffer, int aCount) {
    ClientFile* file = AsClient(aFile);
    if (aCount < 0)
        return -1;
    const UINT count = file->callbacks->write(file->handle, aBuffer, static_cast<UINT>(aCount));
    return count > static_cast<UINT>(aCount) ? -1 : static_cast<int>(count);
}

int MspackSystem::Seek(mspack_file* aFile, off_t anOffset, int aMode) {
    ClientFile* file = AsClient(aFile);
    if (anOffset < std::numeric_limits<LONG>::min() || anOffset > std::numeric_limits<LONG>::max())
        return -1;
    return file->callbacks->seek(file->handle, static_cast<LONG>(anOffset), aMode) == -1 ? -1 : 0;
}

off_t MspackSystem::Tell(mspack_file* aFile) {
    ClientFile* file = AsClient(aFile);
    return file->callbacks->seek(file->handle, 0, MSPACK_SYS_SEEK_CUR);
}

void MspackSystem::Message(mspack_file*, const char*, ...) {}

void* MspackSystem::Alloc(mspack_system*, size_t aSize) {
    auto* header = static_cast<BlockHeader*>(tActive->heap().allocate(sizeof(BlockHeader) + aSize));
    if (header == nullptr)
        return nullptr;
    header->release = tActive->fCallbacks.free;
    return header + 1;
}

void MspackSystem::Free(void* aBlock) {
    if (aBlock == nullptr)
        return;
    BlockHeader* header = static_cast<BlockHeader*>(aBlock) - 1;
    header->release(header);
}

void MspackSystem::Copy(void* aSource, void* aTarget, size_t aSize) {
    std::memcpy(aTarget, aSource, aSize);
}

} // namespace kf::cab
