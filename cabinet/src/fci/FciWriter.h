#pragma once

#include "Cabinet.h"
#include "FciHost.h"
#include "Folder.h"
#include "fci.h"

#include <cstdint>
#include <span>

namespace kf::cab {

// One FCI context: files go into the open folder, whose blocks are compressed as they fill and
// placed into the cabinet being assembled; a cabinet that reaches its size limit is written out
// and the set continues in the next one.
class FciWriter {
public:
    FciWriter(const FciCallbacks& aCallbacks, CCAB& aParameters);

    bool create();
    bool destroy();
    FciHost& host() { return fHost; }
    // A call that failed half-way leaves the context unusable; later calls repeat that failure.
    bool isBroken() const { return fBroken; }

    bool addFile(char* aSource, char* aName, bool anExecute, PFNFCIGETOPENINFO anOpenInfo, TCOMP aType);
    bool flushFolder();
    bool flushCabinet(bool aGetNext);

private:
    // A compressed block on its way into the cabinet; `placed` bytes of it are written already.
    struct Block {
        std::span<const uint8_t> payload;
        uint32_t placed = 0;
        uint32_t start = 0;
        uint32_t length = 0;
        bool last = false;
        bool cut = false;

        uint32_t end() const { return start + length; }
        uint32_t rest() const { return static_cast<uint32_t>(payload.size()) - placed; }
    };

    bool broken();
    bool admits(const char* aName, TCOMP aType);
    bool queueEntry(char* aName, uint32_t aSize, USHORT aDate, USHORT aTime, USHORT anAttributes);
    bool sourceSize(INT_PTR aHandle, uint32_t& aSize);
    bool prepareFolder(TCOMP aType, uint32_t aSize);
    bool readSource(INT_PTR aHandle, uint32_t aSize);
    bool emitBlock(bool aLast);

    // Placement (Placement.cpp).
    bool place(Block& aBlock);
    bool commit(Block& aBlock, const Folder::Introduction& anIntroduction);
    bool splitOff(Block& aBlock, const Folder::Introduction& anIntroduction);
    bool breakCabinet();
    bool cutFolder(const Block& aBlock);
    bool enterCabinet(const Folder::Introduction& anIntroduction);
    bool completeEntries();
    bool closeFolder();

    FciHost fHost;
    Cabinet fCabinet;
    Folder fFolder;
    bool fBroken = false;
    bool fNeedsNewCabinet = false;
};

} // namespace kf::cab
