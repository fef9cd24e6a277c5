// The cabinet library's reader through its FDI entry points, on a cabinet held in memory: it frees
// all it allocates and closes all it opens whatever the cabinet holds, and a cabinet that the
// installer's own check also accepts gives the members that check lists.
#include "FuzzContract.h"

#include "base/Exception.h"
#include "fdi.h"
#include "runtime/core/CabinetCheck.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace kf;
using kf::fuzz::Require;

namespace {

constexpr INT_PTR kCabinetHandle = 1;
constexpr INT_PTR kFirstMemberHandle = 16;

// The one cabinet FDI may open, the members it writes and what it holds at any moment.
struct TSession {
    std::string_view Cabinet;
    std::map<INT_PTR, size_t> Positions; // open cabinet handles -> read position
    std::map<INT_PTR, std::string> Members;
    std::vector<size_t> Extracted; // lengths, in the order the members were closed
    size_t Blocks = 0;
    INT_PTR NextHandle = kFirstMemberHandle;
    INT_PTR NextCabinetHandle = kCabinetHandle;
};

TSession* gSession = nullptr;

void* DIAMONDAPI Alloc(ULONG aSize) {
    ++gSession->Blocks;
    return std::malloc(aSize == 0 ? 1 : aSize);
}

void DIAMONDAPI Free(void* aBlock) {
    --gSession->Blocks;
    std::free(aBlock);
}

INT_PTR DIAMONDAPI Open(char* aPath, int, int) {
    if (std::strcmp(aPath, "mem/input.cab") != 0)
        return -1;
    const INT_PTR handle = gSession->NextCabinetHandle++;
    Require(handle < kFirstMemberHandle, "the cabinet is opened a few times at most at once");
    gSession->Positions[handle] = 0;
    return handle;
}

UINT DIAMONDAPI Read(INT_PTR aHandle, void* aBuffer, UINT aSize) {
    const auto found = gSession->Positions.find(aHandle);
    Require(found != gSession->Positions.end(), "reads go to an open cabinet");
    size_t& position = found->second;
    const size_t count = position >= gSession->Cabinet.size()
                             ? 0
                             : std::min<size_t>(aSize, gSession->Cabinet.size() - position);
    std::memcpy(aBuffer, gSession->Cabinet.data() + position, count);
    position += count;
    return static_cast<UINT>(count);
}

UINT DIAMONDAPI Write(INT_PTR aHandle, void* aBuffer, UINT aSize) {
    const auto found = gSession->Members.find(aHandle);
    Require(found != gSession->Members.end(), "writes go to a member being extracted");
    found->second.append(static_cast<const char*>(aBuffer), aSize);
    return aSize;
}

int DIAMONDAPI Close(INT_PTR aHandle) {
    const bool known = gSession->Positions.erase(aHandle) + gSession->Members.erase(aHandle) == 1;
    Require(known, "only open handles are closed");
    return 0;
}

LONG DIAMONDAPI Seek(INT_PTR aHandle, LONG aDistance, int aType) {
    const auto found = gSession->Positions.find(aHandle);
    Require(found != gSession->Positions.end(), "seeks go to an open cabinet");
    const long long base = aType == SEEK_SET   ? 0
                           : aType == SEEK_CUR ? static_cast<long long>(found->second)
                                               : static_cast<long long>(gSession->Cabinet.size());
    const long long target = base + aDistance;
    if (target < 0)
        return -1;
    found->second = static_cast<size_t>(target);
    return static_cast<LONG>(target);
}

INT_PTR DIAMONDAPI Notify(FDINOTIFICATIONTYPE aType, PFDINOTIFICATION aNotification) {
    switch (aType) {
    case fdintCOPY_FILE: {
        const INT_PTR handle = gSession->NextHandle++;
        gSession->Members[handle];
        return handle;
    }
    case fdintCLOSE_FILE_INFO:
        gSession->Extracted.push_back(gSession->Members[aNotification->hf].size());
        Close(aNotification->hf);
        return TRUE;
    case fdintNEXT_CABINET:
        return -1;
    default:
        return 0;
    }
}

bool CopyAll(HFDI anFdi) {
    char cabinet[] = "input.cab";
    char folder[] = "mem/";
    return FDICopy(anFdi, cabinet, folder, 0, Notify, nullptr, nullptr) != FALSE;
}

bool IsCabinet(HFDI anFdi) {
    char path[] = "mem/input.cab";
    const INT_PTR handle = Open(path, 0, 0);
    FDICABINETINFO info{};
    const bool isCabinet = FDIIsCabinet(anFdi, handle, &info) != FALSE;
    Close(handle);
    return isCabinet;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    TSession session;
    session.Cabinet = fuzz::BytesOf(aData, aSize);
    gSession = &session;
    ERF erf{};
    HFDI fdi = FDICreate(Alloc, Free, Open, Read, Write, Close, Seek, cpuUNKNOWN, &erf);
    Require(fdi != nullptr, "FDI starts");
    IsCabinet(fdi);
    const bool copied = CopyAll(fdi);
    Require(FDIDestroy(fdi) != FALSE, "FDI ends");
    Require(session.Blocks == 0, "FDI frees every block it allocates");
    Require(session.Positions.empty() && session.Members.empty(), "FDI closes every file it opens");
    gSession = nullptr;

    TMemorySource source(session.Cabinet);
    std::vector<TCabinetMember> checked;
    try {
        checked = CheckCabinet(source, "the cabinet");
    } catch (const Exception&) {
        return 0;
    }
    if (copied) {
        Require(session.Extracted.size() == checked.size(), "FDI gives every member the check lists");
        for (size_t i = 0; i < checked.size(); ++i)
            Require(session.Extracted[i] == checked[i].Length, "FDI gives each member its stated length");
    }
    return 0;
}
