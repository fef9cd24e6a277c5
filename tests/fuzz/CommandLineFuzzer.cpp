// The runtime's command-line parser: the options it reads, written as a command line for a
// restart, read back the same.
#include "FuzzContract.h"

#include "base/Exception.h"
#include "runtime/core/CommandLine.h"

using namespace kf;
using kf::fuzz::Require;

namespace {

bool Same(const TCommandLine& a, const TCommandLine& b) {
    return a.Silent == b.Silent && a.InstallFolder == b.InstallFolder && a.LogFile == b.LogFile &&
           a.Elevated == b.Elevated && a.ElevatedFrom == b.ElevatedFrom && a.Original == b.Original;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    const std::string_view line = fuzz::BytesOf(aData, aSize);
    TCommandLine options;
    try {
        const std::string_view arguments = ArgumentsOf(line);
        Require(arguments.size() <= line.size(), "the arguments are part of the line");
        options = ParseCommandLine(arguments);
    } catch (const Exception&) {
        return 0;
    }
    const std::string text = CommandLineText(options);
    TCommandLine again;
    try {
        again = ParseCommandLine(text);
    } catch (const Exception&) {
        Require(false, "the restart's command line is read back");
    }
    Require(Same(again, options), "the restart's command line reads back the same options");
    return 0;
}
