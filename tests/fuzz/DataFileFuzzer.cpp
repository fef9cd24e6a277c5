// The installer data file reader: a file it accepts is one the build writes back byte for byte.
#include "FuzzContract.h"

#include "base/Exception.h"
#include "builder/InstallerDataFile.h"
#include "runtime/core/InstallerData.h"

using namespace kf;
using kf::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    const std::string_view bytes = fuzz::BytesOf(aData, aSize);
    TInstallerDataLines lines;
    TInstallerData data;
    try {
        lines = SplitInstallerData(bytes);
        data = ParseInstallerData(lines);
    } catch (const Exception&) {
        return 0;
    }
    Require(PackedSizes(data).size() == data.Files.size(), "a packed size for each file row");
    Require(DataFileBytes(lines) == bytes, "the lines are written back as they were read");
    return 0;
}
