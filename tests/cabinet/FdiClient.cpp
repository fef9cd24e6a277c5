#include "FdiClient.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace kf::cabtest {

namespace {

// Handles of extracted members live far above any file descriptor.
constexpr INT_PTR kFirstMemberHandle = 1 << 24;

struct Session {
    Session(FdiRun* aRun, const CopyDecision* aDecision) : run(aRun), decision(aDecision) {}

    FdiRun* run;
    const CopyDecision* decision;
    std::map<void*, size_t> blocks;
    std::map<INT_PTR, std::string> members; // handle -> member being written
    std::map<INT_PTR, std::string> buffers;
    size_t descriptors = 0;
    INT_PTR nextHandle = kFirstMemberHandle;
    std::string nextCabinet;
    int cabinetInfos = 0;
};

Session* gSession = nullptr;

void* DIAMONDAPI Alloc(ULONG aSize) {
    void* block = std::malloc(aSize == 0 ? 1 : aSize);
    gSession->blocks[block] = aSize;
    return block;
}

void DIAMONDAPI Free(void* aBlock) {
    if (gSession->blocks.erase(aBlock) == 0)
        ADD_FAILURE() << "FDI freed a block it was never given";
    std::free(aBlock);
}

INT_PTR DIAMONDAPI Open(char* aPath, int aFlags, int) {
    EXPECT_EQ(aFlags & (_O_WRONLY | _O_RDWR | _O_CREAT | _O_TRUNC), 0)
        << "FDI opened " << aPath << " for writing";
    const int descriptor = ::open(aPath, O_RDONLY | O_CLOEXEC);
    if (descriptor >= 0)
        ++gSession->descriptors;
    return descriptor;
}

UINT DIAMONDAPI Read(INT_PTR aHandle, void* aBuffer, UINT aSize) {
    return static_cast<UINT>(::read(static_cast<int>(aHandle), aBuffer, aSize));
}

UINT DIAMONDAPI Write(INT_PTR aHandle, void* aBuffer, UINT aSize) {
    const auto found = gSession->buffers.find(aHandle);
    if (found == gSession->buffers.end())
        return static_cast<UINT>(-1);
    found->second.append(static_cast<const char*>(aBuffer), aSize);
    return aSize;
}

int DIAMONDAPI Close(INT_PTR aHandle) {
    if (aHandle >= kFirstMemberHandle) {
        gSession->buffers.erase(aHandle);
        gSession->members.erase(aHandle);
        return 0;
    }
    --gSession->descriptors;
    return ::close(static_cast<int>(aHandle));
}

LONG DIAMONDAPI Seek(INT_PTR aHandle, LONG aDistance, int aType) {
    return static_cast<LONG>(::lseek(static_cast<int>(aHandle), aDistance, aType));
}

INT_PTR DIAMONDAPI Notify(FDINOTIFICATIONTYPE aType, PFDINOTIFICATION aNotification) {
    Session& session = *gSession;
    FdiRun& run = *session.run;
    switch (aType) {
    case fdintCABINET_INFO:
        run.cabinetInfo.push_back(std::string(aNotification->psz1) + "/" + aNotification->psz2 + " " +
                                  std::to_string(aNotification->setID) + " " +
                                  std::to_string(aNotification->iCabinet));
        if (session.cabinetInfos++ == 0)
            session.nextCabinet = aNotification->psz1;
        return 0;
    case fdintPARTIAL_FILE:
        run.partial.push_back(std::string(aNotification->psz1) + "<-" + aNotification->psz2);
        return 0;
    case fdintCOPY_FILE: {
        const std::string name = aNotification->psz1;
        const int decision = *session.decision ? (*session.decision)(name) : 1;
        if (decision <= 0)
            return decision;
        const INT_PTR handle = session.nextHandle++;
        session.members[handle] = name;
        session.buffers[handle];
        return handle;
    }
    case fdintCLOSE_FILE_INFO: {
        const INT_PTR handle = aNotification->hf;
        run.files[HostName(aNotification->psz1)] = session.buffers[handle];
        run.members.push_back({aNotification->psz1, aNotification->date, aNotification->time,
                               aNotification->attribs, aNotification->cb != 0});
        Close(handle);
        return TRUE;
    }
    case fdintNEXT_CABINET:
        run.nextRequests.push_back(std::string(aNotification->psz1) + "/" + aNotification->psz2);
        return aNotification->fdie == FDIERROR_NONE ? 0 : -1;
    default:
        return 0;
    }
}

} // namespace

FdiRun ExtractWithFdi(const std::filesystem::path& aFolder, const std::string& aFirst,
                      const CopyDecision& aDecision) {
    FdiRun run;
    Session session(&run, &aDecision);
    gSession = &session;
    HFDI fdi = FDICreate(Alloc, Free, Open, Read, Write, Close, Seek, cpuUNKNOWN, &run.erf);
    if (fdi != nullptr) {
        std::string folder = aFolder.string() + "/";
        std::string cabinet = aFirst;
        run.ok = true;
        while (run.ok && !cabinet.empty()) {
            session.nextCabinet.clear();
            session.cabinetInfos = 0;
            run.ok = FDICopy(fdi, cabinet.data(), folder.data(), 0, Notify, nullptr, nullptr) != FALSE;
            cabinet = session.nextCabinet;
        }
        FDIDestroy(fdi);
    }
    run.leakedBlocks = session.blocks.size();
    run.leakedHandles = session.descriptors + session.buffers.size();
    for (auto& [block, size] : session.blocks)
        std::free(block);
    gSession = nullptr;
    return run;
}

bool IsCabinet(const std::filesystem::path& aPath, FDICABINETINFO& anInfo, ERF& anErf) {
    FdiRun run;
    const CopyDecision none;
    Session session(&run, &none);
    gSession = &session;
    HFDI fdi = FDICreate(Alloc, Free, Open, Read, Write, Close, Seek, cpuUNKNOWN, &anErf);
    const int descriptor = ::open(aPath.c_str(), O_RDONLY | O_CLOEXEC);
    const bool isCabinet = fdi != nullptr && descriptor >= 0 && FDIIsCabinet(fdi, descriptor, &anInfo);
    if (descriptor >= 0)
        ::close(descriptor);
    if (fdi != nullptr)
        FDIDestroy(fdi);
    EXPECT_TRUE(session.blocks.empty()) << "FDI leaked memory";
    gSession = nullptr;
    return isCabinet;
}

} // namespace kf::cabtest
