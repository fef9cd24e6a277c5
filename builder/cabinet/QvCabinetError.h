#pragma once

#include "base/Exception.h"
#include "builder/cabinet/CabIntf.h"

namespace kf {

// A cabinet library failure, with the library's error number and the system error behind it.
class EQvCabinet : public Exception {
public:
    EQvCabinet(const ERF& anErf, bool anIsFCI);
    // The same failure, with the path of the file it concerns on a line of its own.
    EQvCabinet(const EQvCabinet& anError, const std::string& aPath);

    int ErrorCode;     // FCI or FDI error number (erfOper)
    int ErrorType;     // operating-system error value (erfType)
    bool HasErrorInfo; // fError
    bool IsFCI;        // writing (FCI) or reading (FDI)
};

} // namespace kf
