// The uninstall log reader: a log it accepts is written back to text that reads the same.
#include "FuzzContract.h"

#include "base/Exception.h"
#include "runtime/core/UninstallLog.h"

using namespace kf;
using kf::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    TUninstallLog log;
    try {
        log = ReadUninstallLog(fuzz::BytesOf(aData, aSize));
    } catch (const Exception&) {
        return 0;
    }
    const std::string written = WriteUninstallLog(log);
    TUninstallLog again;
    try {
        again = ReadUninstallLog(written);
    } catch (const Exception&) {
        Require(false, "a written log reads back");
    }
    Require(again == log, "a written log reads back the same");
    return 0;
}
