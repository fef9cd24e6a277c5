#pragma once

#include "builder/cabinet/CabIntf.h"

#include <cstdint>

namespace kf {

// A cabinet member's MS-DOS date and time, in the order readers compare them.
struct TDosDateTime {
    USHORT Date = 0;
    USHORT Time = 0;

    uint32_t Stamp() const { return (static_cast<uint32_t>(Date) << 16) | Time; }
};

// A time in seconds since 1970 as an MS-DOS date and time in UTC, so that the same file gives the
// same cabinet in every time zone. MS-DOS dates cover 1980 to 2107; times outside are pinned to
// the nearest end, and odd seconds round down.
TDosDateTime DosDateTimeFromUnix(int64_t aSeconds);

} // namespace kf
