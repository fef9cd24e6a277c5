#pragma once

#include "EntryQueue.h"
#include "FciHost.h"
#include "Heap.h"
#include "Spool.h"

#include <cstdint>

namespace kf::cab {

// The cabinet being assembled: its folders and file records in memory, its data blocks in a spool,
// until the cabinet file is written in one pass. It keeps the size accounting that
// decides what still fits under the cabinet size limit.
class Cabinet {
public:
    Cabinet(FciHost& aHost, CCAB& aClientParameters);

    // Takes the parameters for the first cabinet.
    bool create();
    bool destroy();

    // Bytes still free under the size limit, keeping room for the next cabinet's names.
    int64_t room() const;
    uint32_t size() const;
    bool isEmpty() const { return fFolders.size() == 0 && fFileCount == 0; }
    bool hasData() const { return fFolders.size() > 0; }
    uint32_t fileCount() const { return fFileCount; }
    uint32_t folderRecordSize() const;
    uint32_t dataHeaderSize() const;
    uint32_t folderThreshold() const;
    bool failOnIncompressible() const { return fCurrent.fFailOnIncompressible != 0; }

    bool addFolder(TCOMP aType);
    uint16_t lastFolderIndex() const { return static_cast<uint16_t>(fFolders.size() - 1); }
    bool addData(const uint8_t* aPayload, uint32_t aSize, uint32_t anUncompressedSize);
    // Counts an entry that this cabinet will list; it is written later, once its place is known.
    void reserveEntry(const FileEntry& anEntry);
    bool writeEntry(FileEntry& anEntry, uint16_t aFolderIndex);

    // Asks the client for the next cabinet, telling it the expected size of this one; the names it
    // gives go into this cabinet's header.
    bool requestNext(uint32_t anEstimate);
    bool finish();
    // Starts the next cabinet with the parameters the client gave; linked cabinets name their predecessor.
    void beginNext(bool aLinked);

private:
    struct FolderRecord {
        uint32_t dataOffset;
        uint16_t blocks;
        uint16_t type;
    };

    void takeParameters();
    uint32_t headerSize() const;
    bool writeFile(char* aPath);
    bool writeHeader(BufferedWriter& anOut);
    bool writeFolders(BufferedWriter& anOut);

    FciHost& fHost;
    CCAB& fClient;
    CCAB fCurrent{};
    uint32_t fHeaderReserve = 0;
    uint32_t fFolderReserve = 0;
    uint32_t fDataReserve = 0;
    char fPrevCabinet[CB_MAX_CABINET_NAME] = {};
    char fPrevDisk[CB_MAX_DISK_NAME] = {};
    char fNextCabinet[CB_MAX_CABINET_NAME] = {};
    char fNextDisk[CB_MAX_DISK_NAME] = {};
    bool fHasPrev = false;
    bool fHasNext = false;
    uint32_t fEstimate = 0;
    HeapArray<FolderRecord> fFolders;
    uint32_t fFileCount = 0;
    uint32_t fFileBytes = 0;
    // The CFFILE records, at most 65,535 of at most 272 bytes each.
    HeapArray<uint8_t> fFileRecords;
    Spool fData;
    BufferedWriter fOutput;
};

} // namespace kf::cab
