#include "builder/cabinet/QvCabinetError.h"

#include "base/OSError.h"
#include "builder/cabinet/CabQvConsts.h"

#include <cstdint>
#include <cstdio>

namespace kf {

namespace {

// " [0x" hex "]", at least four upper-case digits; negative values as 32-bit two's complement.
std::string HexTag(int aValue) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04X", static_cast<uint32_t>(aValue));
    return std::string(" [0x") + digits + "]";
}

std::string Message(const ERF& anErf, bool anIsFCI) {
    if (!anErf.fError)
        return anIsFCI ? "FCI error" : "FDI error";
    const int code = static_cast<int>(anErf.erfOper);
    const int type = static_cast<int>(anErf.erfType);
    std::string text = (anIsFCI ? FCIErrorText(code) : FDIErrorText(code)) + HexTag(code);
    if (type != 0)
        text += ".\r\n" + SystemErrorText(type) + HexTag(type) + ".";
    return text;
}

} // namespace

EQvCabinet::EQvCabinet(const ERF& anErf, bool anIsFCI)
    : Exception(Message(anErf, anIsFCI)), ErrorCode(static_cast<int>(anErf.erfOper)),
      ErrorType(static_cast<int>(anErf.erfType)), HasErrorInfo(anErf.fError != 0), IsFCI(anIsFCI) {}

EQvCabinet::EQvCabinet(const EQvCabinet& anError, const std::string& aPath)
    : Exception(std::string(anError.what()) + "\r\n" + aPath), ErrorCode(anError.ErrorCode),
      ErrorType(anError.ErrorType), HasErrorInfo(anError.HasErrorInfo), IsFCI(anError.IsFCI) {}

} // namespace kf
