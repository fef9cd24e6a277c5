#pragma once

#include "fci.h"

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kf::cabtest {

// The callbacks a test can make fail, and which file a file callback works on.
enum class Callback {
    Alloc,
    Open,
    Read,
    Write,
    Close,
    Seek,
    Delete,
    TempName,
    OpenInfo,
    NextCabinet,
    Status,
    FilePlaced
};
enum class Role { Any, Source, Temporary, Cabinet };

// Makes the n-th call of a callback (on files of the role) fail with an error value.
struct Fault {
    Callback callback;
    Role role = Role::Any;
    int occurrence = 1;
    int error = 4321;
};

struct Member {
    std::filesystem::path source;
    std::string name; // as stored, with "\" between folders
    TCOMP type = tcompTYPE_MSZIP;
    bool execute = false;
    bool flushFolderAfter = false;
};

struct PackOptions {
    ULONG cabinetSize = 0;
    ULONG folderThreshold = 0;
    UINT reserveHeader = 0;
    UINT reserveFolder = 0;
    UINT reserveData = 0;
    USHORT setID = 0x4B46;
    std::string firstName = "pack.cab";
};

struct Placed {
    std::string cabinet;
    std::string name;
    LONG size;
    bool continuation;
};

struct StatusCall {
    UINT kind;
    ULONG first;
    ULONG second;
};

// An FCI client on POSIX files that checks the library's use of it: every allocation, handle and
// temporary file is tracked, and a fault can be planted in any callback.
class FciClient {
public:
    explicit FciClient(std::filesystem::path anOutput);
    ~FciClient();

    // Creates the context, adds the members, flushes the cabinet and destroys the context. Stops at
    // the first failing call and still destroys the context.
    bool pack(const std::vector<Member>& aMembers, const PackOptions& anOptions = {});

    // The same one step at a time.
    bool begin(const PackOptions& anOptions = {});
    bool add(const Member& aMember);
    bool flushFolder();
    bool flushCabinet(bool aGetNext = false);
    bool end();

    std::filesystem::path output;
    std::optional<Fault> fault;
    ERF erf{};
    std::string failedCall; // which FCI entry point failed
    bool destroyed = false;

    std::vector<std::string> cabinets; // file names, first cabinet first
    std::vector<Placed> placed;
    std::vector<StatusCall> statuses;
    std::vector<ULONG> estimates; // cbPrevCab of each next-cabinet request
    std::map<Role, std::set<int>> openFlags;
    std::map<std::pair<Callback, Role>, int> calls;

    // What the library leaves behind: blocks, handles and temporary files it did not release.
    size_t liveAllocations() const { return fBlocks.size(); }
    size_t peakAllocated() const { return fPeak; }
    size_t openHandles() const { return fHandles.size(); }
    std::vector<std::string> leftTemporaryFiles() const;

    // Callback entry points, public for the static thunks.
    void* alloc(ULONG aSize);
    void release(void* aBlock);
    INT_PTR open(const char* aPath, int aFlags, int* anError);
    UINT read(INT_PTR aHandle, void* aBuffer, UINT aSize, int* anError);
    UINT write(INT_PTR aHandle, const void* aBuffer, UINT aSize, int* anError);
    int close(INT_PTR aHandle, int* anError);
    LONG seek(INT_PTR aHandle, LONG aDistance, int aType, int* anError);
    int remove(const char* aPath, int* anError);
    BOOL tempName(char* aName, int aSize);
    BOOL nextCabinet(PCCAB aCabinet, ULONG aPrevious);
    LONG status(UINT aKind, ULONG aFirst, ULONG aSecond);
    int filePlaced(PCCAB aCabinet, const char* aName, LONG aSize, BOOL aContinuation);
    INT_PTR openInfo(const char* aPath, USHORT* aDate, USHORT* aTime, USHORT* anAttributes, int* anError);

private:
    bool injected(Callback aCallback, Role aRole, int* anError = nullptr);
    Role roleOf(const std::string& aPath) const;

    CCAB fParameters{};
    HFCI fContext = nullptr;
    std::filesystem::path fTemporary;
    std::set<std::string> fTemporaryNames;
    std::map<void*, size_t> fBlocks;
    size_t fAllocated = 0;
    size_t fPeak = 0;
    std::map<INT_PTR, Role> fHandles;
    int fMatching = 0;
    std::string fFirstName;
    int fTempCounter = 0;
};

// The MS-DOS date and time of a file's modification time, computed here from its parts.
USHORT DosDate(int aYear, int aMonth, int aDay);
USHORT DosTime(int anHour, int aMinute, int aSecond);

} // namespace kf::cabtest
