#include "FciClient.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kf::cabtest {

namespace {

// The allocator callbacks carry no context: the client of the running job is found here.
FciClient* gClient = nullptr;

void* DIAMONDAPI Alloc(ULONG aSize) {
    return gClient->alloc(aSize);
}
void DIAMONDAPI Free(void* aBlock) {
    gClient->release(aBlock);
}
FciClient& Of(void* aUser) {
    return *static_cast<FciClient*>(aUser);
}

INT_PTR DIAMONDAPI Open(char* aPath, int aFlags, int, int* anError, void* aUser) {
    return Of(aUser).open(aPath, aFlags, anError);
}
UINT DIAMONDAPI Read(INT_PTR aHandle, void* aBuffer, UINT aSize, int* anError, void* aUser) {
    return Of(aUser).read(aHandle, aBuffer, aSize, anError);
}
UINT DIAMONDAPI Write(INT_PTR aHandle, void* aBuffer, UINT aSize, int* anError, void* aUser) {
    return Of(aUser).write(aHandle, aBuffer, aSize, anError);
}
int DIAMONDAPI Close(INT_PTR aHandle, int* anError, void* aUser) {
    return Of(aUser).close(aHandle, anError);
}
LONG DIAMONDAPI Seek(INT_PTR aHandle, LONG aDistance, int aType, int* anError, void* aUser) {
    return Of(aUser).seek(aHandle, aDistance, aType, anError);
}
int DIAMONDAPI Delete(char* aPath, int* anError, void* aUser) {
    return Of(aUser).remove(aPath, anError);
}
BOOL DIAMONDAPI TempName(char* aName, int aSize, void* aUser) {
    return Of(aUser).tempName(aName, aSize);
}
BOOL DIAMONDAPI NextCabinet(PCCAB aCabinet, ULONG aPrevious, void* aUser) {
    return Of(aUser).nextCabinet(aCabinet, aPrevious);
}
LONG DIAMONDAPI Status(UINT aKind, ULONG aFirst, ULONG aSecond, void* aUser) {
    return Of(aUser).status(aKind, aFirst, aSecond);
}
int DIAMONDAPI FilePlaced(PCCAB aCabinet, char* aName, LONG aSize, BOOL aContinuation, void* aUser) {
    return Of(aUser).filePlaced(aCabinet, aName, aSize, aContinuation);
}
INT_PTR DIAMONDAPI OpenInfo(char* aPath, USHORT* aDate, USHORT* aTime, USHORT* anAttributes, int* anError,
                            void* aUser) {
    return Of(aUser).openInfo(aPath, aDate, aTime, anAttributes, anError);
}

int PosixFlags(int aFlags) {
    const int access = aFlags & 3;
    int flags = access == _O_RDONLY ? O_RDONLY : access == _O_WRONLY ? O_WRONLY : O_RDWR;
    if (aFlags & _O_CREAT)
        flags |= O_CREAT;
    if (aFlags & _O_TRUNC)
        flags |= O_TRUNC;
    if (aFlags & _O_EXCL)
        flags |= O_EXCL;
    return flags | O_CLOEXEC;
}

std::string NumberedName(const std::string& aFirst, int aNumber) {
    const size_t dot = aFirst.rfind('.');
    const std::string stem = dot == std::string::npos ? aFirst : aFirst.substr(0, dot);
    const std::string extension = dot == std::string::npos ? "" : aFirst.substr(dot);
    return stem + std::to_string(aNumber) + extension;
}

} // namespace

USHORT DosDate(int aYear, int aMonth, int aDay) {
    return static_cast<USHORT>(((aYear - 1980) << 9) | (aMonth << 5) | aDay);
}

USHORT DosTime(int anHour, int aMinute, int aSecond) {
    return static_cast<USHORT>((anHour << 11) | (aMinute << 5) | (aSecond / 2));
}

FciClient::FciClient(std::filesystem::path anOutput) : output(std::move(anOutput)) {
    std::filesystem::create_directories(output);
    fTemporary = output.parent_path() / (output.filename().string() + "-temp");
    std::filesystem::create_directories(fTemporary);
}

FciClient::~FciClient() {
    std::filesystem::remove_all(fTemporary);
}

bool FciClient::pack(const std::vector<Member>& aMembers, const PackOptions& anOptions) {
    if (!begin(anOptions))
        return false;
    bool ok = true;
    for (const Member& member : aMembers)
        if (!(ok = add(member)))
            break;
    ok = ok && flushCabinet();
    return end() && ok;
}

bool FciClient::begin(const PackOptions& anOptions) {
    gClient = this;
    fParameters = {};
    fParameters.cb = anOptions.cabinetSize;
    fParameters.cbFolderThresh = anOptions.folderThreshold;
    fParameters.cbReserveCFHeader = anOptions.reserveHeader;
    fParameters.cbReserveCFFolder = anOptions.reserveFolder;
    fParameters.cbReserveCFData = anOptions.reserveData;
    fParameters.setID = anOptions.setID;
    fParameters.iDisk = 1;
    std::snprintf(fParameters.szDisk, sizeof fParameters.szDisk, "Disk1");
    std::snprintf(fParameters.szCab, sizeof fParameters.szCab, "%s", anOptions.firstName.c_str());
    std::snprintf(fParameters.szCabPath, sizeof fParameters.szCabPath, "%s/", output.c_str());
    fFirstName = anOptions.firstName;
    fMatching = 0;
    cabinets = {anOptions.firstName};
    fContext = FCICreate(&erf, FilePlaced, Alloc, Free, Open, Read, Write, Close, Seek, Delete, TempName,
                         &fParameters, this);
    if (fContext == nullptr)
        failedCall = "FCICreate";
    return fContext != nullptr;
}

bool FciClient::add(const Member& aMember) {
    std::string source = aMember.source.string();
    std::string name = aMember.name;
    bool ok = FCIAddFile(fContext, source.data(), name.data(), aMember.execute, NextCabinet, Status, OpenInfo,
                         aMember.type) != FALSE;
    if (ok && aMember.flushFolderAfter)
        ok = flushFolder();
    if (!ok && failedCall.empty())
        failedCall = "FCIAddFile";
    return ok;
}

bool FciClient::flushFolder() {
    const bool ok = FCIFlushFolder(fContext, NextCabinet, Status) != FALSE;
    if (!ok && failedCall.empty())
        failedCall = "FCIFlushFolder";
    return ok;
}

bool FciClient::flushCabinet(bool aGetNext) {
    const bool ok = FCIFlushCabinet(fContext, aGetNext, NextCabinet, Status) != FALSE;
    if (!ok && failedCall.empty())
        failedCall = "FCIFlushCabinet";
    return ok;
}

bool FciClient::end() {
    if (fContext == nullptr)
        return false;
    destroyed = FCIDestroy(fContext) != FALSE;
    if (!destroyed && failedCall.empty())
        failedCall = "FCIDestroy";
    fContext = nullptr;
    gClient = nullptr;
    return destroyed;
}

std::vector<std::string> FciClient::leftTemporaryFiles() const {
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(fTemporary))
        left.push_back(entry.path().string());
    return left;
}

bool FciClient::injected(Callback aCallback, Role aRole, int* anError) {
    ++calls[{aCallback, aRole}];
    if (!fault || fault->callback != aCallback || (fault->role != Role::Any && fault->role != aRole))
        return false;
    if (++fMatching != fault->occurrence)
        return false;
    if (anError != nullptr)
        *anError = fault->error;
    return true;
}

Role FciClient::roleOf(const std::string& aPath) const {
    if (fTemporaryNames.count(aPath) != 0)
        return Role::Temporary;
    if (std::filesystem::path(aPath).parent_path() == output)
        return Role::Cabinet;
    return Role::Source;
}

void* FciClient::alloc(ULONG aSize) {
    if (injected(Callback::Alloc, Role::Any))
        return nullptr;
    void* block = std::malloc(aSize == 0 ? 1 : aSize);
    fBlocks[block] = aSize;
    fAllocated += aSize;
    fPeak = std::max(fPeak, fAllocated);
    return block;
}

void FciClient::release(void* aBlock) {
    const auto found = fBlocks.find(aBlock);
    if (found == fBlocks.end()) {
        ADD_FAILURE() << "the library freed a block this client never allocated";
        return;
    }
    fAllocated -= found->second;
    fBlocks.erase(found);
    std::free(aBlock);
}

INT_PTR FciClient::open(const char* aPath, int aFlags, int* anError) {
    const Role role = roleOf(aPath);
    openFlags[role].insert(aFlags);
    if (injected(Callback::Open, role, anError))
        return -1;
    const int descriptor = ::open(aPath, PosixFlags(aFlags), 0644);
    if (descriptor < 0) {
        *anError = errno;
        return -1;
    }
    fHandles[descriptor] = role;
    return descriptor;
}

UINT FciClient::read(INT_PTR aHandle, void* aBuffer, UINT aSize, int* anError) {
    if (injected(Callback::Read, fHandles.at(aHandle), anError))
        return static_cast<UINT>(-1);
    const ssize_t count = ::read(static_cast<int>(aHandle), aBuffer, aSize);
    if (count < 0)
        *anError = errno;
    return static_cast<UINT>(count);
}

UINT FciClient::write(INT_PTR aHandle, const void* aBuffer, UINT aSize, int* anError) {
    if (injected(Callback::Write, fHandles.at(aHandle), anError))
        return static_cast<UINT>(-1);
    const ssize_t count = ::write(static_cast<int>(aHandle), aBuffer, aSize);
    if (count < 0)
        *anError = errno;
    return static_cast<UINT>(count);
}

int FciClient::close(INT_PTR aHandle, int* anError) {
    const Role role = fHandles.at(aHandle);
    fHandles.erase(aHandle);
    ::close(static_cast<int>(aHandle));
    return injected(Callback::Close, role, anError) ? -1 : 0;
}

LONG FciClient::seek(INT_PTR aHandle, LONG aDistance, int aType, int* anError) {
    if (injected(Callback::Seek, fHandles.at(aHandle), anError))
        return -1;
    const off_t position = ::lseek(static_cast<int>(aHandle), aDistance, aType);
    if (position < 0 || position > INT32_MAX) {
        *anError = position < 0 ? errno : EOVERFLOW;
        return -1;
    }
    return static_cast<LONG>(position);
}

int FciClient::remove(const char* aPath, int* anError) {
    if (injected(Callback::Delete, roleOf(aPath), anError))
        return -1;
    if (::unlink(aPath) != 0) {
        *anError = errno;
        return -1;
    }
    return 0;
}

BOOL FciClient::tempName(char* aName, int aSize) {
    if (injected(Callback::TempName, Role::Temporary))
        return FALSE;
    const std::string name = (fTemporary / ("spool" + std::to_string(++fTempCounter))).string();
    if (static_cast<int>(name.size()) >= aSize)
        return FALSE;
    std::memcpy(aName, name.c_str(), name.size() + 1);
    fTemporaryNames.insert(name);
    return TRUE;
}

BOOL FciClient::nextCabinet(PCCAB aCabinet, ULONG aPrevious) {
    estimates.push_back(aPrevious);
    if (injected(Callback::NextCabinet, Role::Any))
        return FALSE;
    const std::string name = NumberedName(fFirstName, aCabinet->iCab);
    std::snprintf(aCabinet->szCab, sizeof aCabinet->szCab, "%s", name.c_str());
    std::snprintf(aCabinet->szDisk, sizeof aCabinet->szDisk, "Disk%d", ++aCabinet->iDisk);
    cabinets.push_back(name);
    return TRUE;
}

LONG FciClient::status(UINT aKind, ULONG aFirst, ULONG aSecond) {
    statuses.push_back({aKind, aFirst, aSecond});
    if (injected(Callback::Status, Role::Any))
        return -1;
    return aKind == statusCabinet ? static_cast<LONG>(aSecond) : 0;
}

int FciClient::filePlaced(PCCAB aCabinet, const char* aName, LONG aSize, BOOL aContinuation) {
    placed.push_back({aCabinet->szCab, aName, aSize, aContinuation != FALSE});
    return injected(Callback::FilePlaced, Role::Any) ? -1 : 0;
}

INT_PTR FciClient::openInfo(const char* aPath, USHORT* aDate, USHORT* aTime, USHORT* anAttributes,
                            int* anError) {
    if (injected(Callback::OpenInfo, Role::Source, anError))
        return -1;
    struct stat info {};
    if (::stat(aPath, &info) != 0) {
        *anError = errno;
        return -1;
    }
    tm local{};
    localtime_r(&info.st_mtime, &local);
    *aDate = DosDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    *aTime = DosTime(local.tm_hour, local.tm_min, local.tm_sec);
    *anAttributes = static_cast<USHORT>(_A_ARCH | ((info.st_mode & S_IWUSR) == 0 ? _A_RDONLY : 0));
    return open(aPath, _O_RDONLY | _O_BINARY, anError);
}

} // namespace kf::cabtest
