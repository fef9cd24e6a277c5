#include "FdiReader.h"

#include "Format.h"

#include <cstdio>
#include <cstring>

namespace kf::cab {

namespace {

char kEmpty[] = "";

char* Text(char* aText) {
    return aText == nullptr ? kEmpty : aText;
}

int OpenError(int anError) {
    switch (anError) {
    case MSPACK_ERR_OPEN:
        return FDIERROR_CABINET_NOT_FOUND;
    case MSPACK_ERR_SIGNATURE:
        return FDIERROR_NOT_A_CABINET;
    case MSPACK_ERR_NOMEMORY:
        return FDIERROR_ALLOC_FAIL;
    default:
        return FDIERROR_CORRUPT_CABINET;
    }
}

int ExtractError(int anError) {
    switch (anError) {
    case MSPACK_ERR_OPEN:
        return FDIERROR_CABINET_NOT_FOUND;
    case MSPACK_ERR_WRITE:
        return FDIERROR_TARGET_FILE;
    case MSPACK_ERR_NOMEMORY:
        return FDIERROR_ALLOC_FAIL;
    case MSPACK_ERR_DECRUNCH:
        return FDIERROR_MDI_FAIL;
    default:
        return FDIERROR_CORRUPT_CABINET;
    }
}

uint32_t CountFolders(const mscabd_cabinet* aCabinet) {
    uint32_t count = 0;
    for (const mscabd_folder* folder = aCabinet->folders; folder != nullptr; folder = folder->next)
        ++count;
    return count;
}

const mscabd_folder* LastFolder(const mscabd_cabinet* aCabinet) {
    const mscabd_folder* folder = aCabinet->folders;
    while (folder->next != nullptr)
        folder = folder->next;
    return folder;
}

uint16_t DosDate(const mscabd_file* aFile) {
    return static_cast<uint16_t>(((aFile->date_y - 1980) << 9) | (aFile->date_m << 5) | aFile->date_d);
}

uint16_t DosTime(const mscabd_file* aFile) {
    return static_cast<uint16_t>((aFile->time_h << 11) | (aFile->time_m << 5) | (aFile->time_s / 2));
}

} // namespace

FdiReader::FdiReader(FdiContext& aContext, PFNFDINOTIFY aNotify, void* aUser)
    : fContext(aContext), fNotify(aNotify), fUser(aUser), fHeap(aContext.system.heap()), fChain(fHeap),
      fTable(fHeap) {}

FdiReader::~FdiReader() {
    // libmspack releases a joined chain through its first cabinet.
    if (fChain.size() > 0)
        fContext.decompressor->close(fContext.decompressor, fChain[0]->cabinet);
    for (uint32_t i = 0; i < fChain.size(); ++i)
        destroyLink(fChain[i], false);
}

bool FdiReader::fail(int anError) {
    if (fError == FDIERROR_NONE)
        fError = anError;
    return false;
}

bool FdiReader::copy(const char* aCabinet, const char* aPath) {
    if (!openFirst(aCabinet, aPath) || !notifyCabinet())
        return false;
    uint32_t index = 0;
    mscabd_file* file = fChain[0]->cabinet->files;
    // Appending later cabinets links their members behind these: only this cabinet's count is walked.
    for (; index < fTable.size() && file != nullptr; ++index, file = file->next)
        if (!processMember(file, index))
            return false;
    return index == fTable.size() || fail(FDIERROR_CORRUPT_CABINET);
}

bool FdiReader::openFirst(const char* aCabinet, const char* aPath) {
    if (std::strlen(aPath) >= sizeof fPath)
        return fail(FDIERROR_CABINET_NOT_FOUND);
    std::strcpy(fPath, aPath);
    int error = FDIERROR_NONE;
    Link* link = createLink(aPath, aCabinet, error);
    if (link == nullptr)
        return fail(error);
    if (!fChain.push(link)) {
        destroyLink(link, true);
        return fail(FDIERROR_ALLOC_FAIL);
    }
    if (!fTable.read(fContext.system.callbacks(), link->path))
        return fail(FDIERROR_CORRUPT_CABINET);
    for (uint32_t i = 0; i < fTable.size(); ++i)
        if (fTable.continuedToNext(i))
            fContinuedFolder = LastFolder(link->cabinet);
    return true;
}

bool FdiReader::notifyCabinet() {
    mscabd_cabinet* cabinet = fChain[0]->cabinet;
    FDINOTIFICATION notification{};
    notification.psz1 = Text(cabinet->nextname);
    notification.psz2 = Text(cabinet->nextinfo);
    notification.psz3 = fPath;
    notification.setID = cabinet->set_id;
    notification.iCabinet = cabinet->set_index;
    return notify(fdintCABINET_INFO, notification) != -1 || fail(FDIERROR_USER_ABORT);
}

bool FdiReader::processMember(mscabd_file* aFile, uint32_t anIndex) {
    FDINOTIFICATION notification{};
    notification.psz1 = aFile->filename;
    if (fTable.continuedFromPrev(anIndex)) {
        notification.psz2 = Text(fChain[0]->cabinet->prevname);
        notification.psz3 = Text(fChain[0]->cabinet->previnfo);
        return notify(fdintPARTIAL_FILE, notification) != -1 || fail(FDIERROR_USER_ABORT);
    }
    // libmspack reads ahead of the member it decodes: any member of a continued folder needs the
    // cabinets the folder goes on in.
    if (aFile->folder == fContinuedFolder && !fChainComplete && !loadContinuation())
        return false;
    notification.cb = static_cast<LONG>(aFile->length);
    notification.date = DosDate(aFile);
    notification.time = DosTime(aFile);
    notification.attribs = static_cast<USHORT>(aFile->attribs);
    const INT_PTR handle = notify(fdintCOPY_FILE, notification);
    if (handle == -1)
        return fail(FDIERROR_USER_ABORT);
    if (handle == 0)
        return true;
    notification.hf = handle;
    if (!extract(aFile, handle))
        return false;
    notification.attribs = static_cast<USHORT>(aFile->attribs & ~_A_EXEC);
    notification.cb = (aFile->attribs & _A_EXEC) != 0 ? TRUE : FALSE;
    const INT_PTR closed = notify(fdintCLOSE_FILE_INFO, notification);
    if (closed == -1)
        return fail(FDIERROR_USER_ABORT);
    return closed != FALSE || fail(FDIERROR_TARGET_FILE);
}

// Writes the member into the handle the client opened for it; on failure the handle is closed.
bool FdiReader::extract(mscabd_file* aFile, INT_PTR aHandle) {
    const int type = aFile->folder->comp_type & tcompMASK_TYPE;
    int error = FDIERROR_NONE;
    if (type > tcompTYPE_LZX)
        error = FDIERROR_BAD_COMPR_TYPE;
    else {
        fContext.system.adopt(aHandle);
        const int result =
            fContext.decompressor->extract(fContext.decompressor, aFile, MspackSystem::AdoptedName());
        fContext.system.adopt(-1);
        if (result != MSPACK_ERR_OK)
            error = ExtractError(result);
    }
    if (error == FDIERROR_NONE)
        return true;
    fContext.system.callbacks().close(aHandle);
    return fail(error);
}

bool FdiReader::loadContinuation() {
    for (;;) {
        mscabd_cabinet* last = fChain[fChain.size() - 1]->cabinet;
        if (last->nextname == nullptr)
            return fail(FDIERROR_CORRUPT_CABINET);
        char path[CB_MAX_CAB_PATH];
        std::memcpy(path, fPath, sizeof path);
        FDINOTIFICATION notification{};
        notification.psz1 = last->nextname;
        notification.psz2 = Text(last->nextinfo);
        notification.psz3 = path;
        notification.fdie = FDIERROR_NONE;
        bool continues = false;
        for (;;) {
            if (notify(fdintNEXT_CABINET, notification) == -1)
                return fail(FDIERROR_USER_ABORT);
            path[sizeof path - 1] = '\0';
            int error = FDIERROR_NONE;
            if (appendNext(path, continues, error))
                break;
            if (error == FDIERROR_ALLOC_FAIL)
                return fail(error);
            notification.fdie = static_cast<FDIERROR>(error);
        }
        std::memcpy(fPath, path, sizeof fPath);
        if (!continues)
            break;
    }
    fChainComplete = true;
    return true;
}

bool FdiReader::appendNext(const char* aPath, bool& aContinues, int& anError) {
    mscabd_cabinet* last = fChain[fChain.size() - 1]->cabinet;
    Link* link = createLink(aPath, last->nextname, anError);
    if (link == nullptr)
        return false;
    mscabd_cabinet* next = link->cabinet;
    FileTable table(fHeap);
    if (next->set_id != last->set_id || next->set_index != last->set_index + 1)
        anError = FDIERROR_WRONG_CABINET;
    else if (next->header_resv != last->header_resv)
        anError = FDIERROR_RESERVE_MISMATCH;
    else if (!table.read(fContext.system.callbacks(), link->path))
        anError = FDIERROR_CORRUPT_CABINET;
    if (anError != FDIERROR_NONE) {
        destroyLink(link, true);
        return false;
    }
    aContinues = table.firstFolderContinues(CountFolders(next));
    if (fContext.decompressor->append(fContext.decompressor, last, next) != MSPACK_ERR_OK) {
        anError = FDIERROR_WRONG_CABINET;
        destroyLink(link, true);
        return false;
    }
    if (!fChain.push(link)) {
        // Joined already: the chain's first cabinet releases it.
        destroyLink(link, false);
        anError = FDIERROR_ALLOC_FAIL;
        return false;
    }
    return true;
}

FdiReader::Link* FdiReader::createLink(const char* aPath, const char* aName, int& anError) {
    auto* link = static_cast<Link*>(fHeap.allocate(sizeof(Link)));
    if (link == nullptr) {
        anError = FDIERROR_ALLOC_FAIL;
        return nullptr;
    }
    const int length = std::snprintf(link->path, sizeof link->path, "%s%s", aPath, aName);
    link->cabinet = nullptr;
    if (length > 0 && static_cast<size_t>(length) < sizeof link->path)
        link->cabinet = fContext.decompressor->open(fContext.decompressor, link->path);
    if (link->cabinet == nullptr) {
        anError = length > 0 && static_cast<size_t>(length) < sizeof link->path
                      ? OpenError(fContext.decompressor->last_error(fContext.decompressor))
                      : FDIERROR_CABINET_NOT_FOUND;
        fHeap.release(link);
        return nullptr;
    }
    return link;
}

void FdiReader::destroyLink(Link* aLink, bool aCloseCabinet) {
    if (aCloseCabinet)
        fContext.decompressor->close(fContext.decompressor, aLink->cabinet);
    fHeap.release(aLink);
}

INT_PTR FdiReader::notify(FDINOTIFICATIONTYPE aType, FDINOTIFICATION& aNotification) {
    aNotification.pv = fUser;
    return fNotify(aType, &aNotification);
}

} // namespace kf::cab
