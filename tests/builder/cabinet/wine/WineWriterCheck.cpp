// Drives the cabinet writer on Windows, where it loads the system's cabinet.dll: packs the given
// files into one MSZIP and one stored cabinet, then provokes an FCI failure and prints its text.
#include "builder/cabinet/CabQvComps.h"

#include <cstdio>
#include <string>

namespace {

std::string FileNameOf(const std::string& aPath) {
    return aPath.substr(aPath.find_last_of('\\') + 1);
}

void Pack(kf::TQvCabCompressionType aType, const std::string& aCabinet, int argc, char** argv) {
    kf::TQvCabWriter writer;
    writer.SetCompressionType(aType);
    writer.Open(aCabinet);
    for (int i = 2; i < argc; ++i)
        writer.AddFile(argv[i], FileNameOf(argv[i]), false);
    writer.Close(true);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: WineWriterCheck OUTFOLDER FILE...\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];
    try {
        Pack(kf::cctMsZip, folder + "\\mszip.cab", argc, argv);
        Pack(kf::cctNone, folder + "\\store.cab", argc, argv);
        kf::TQvCabWriter failing;
        failing.SetCompressionType(kf::cctMsZip);
        failing.Open(folder + "\\failing.cab");
        failing.AddFile(folder + "\\no-such-file.bin", "no-such-file.bin", false);
    } catch (const kf::EQvCabinet& error) {
        std::printf("EQvCabinet %d %d: %s\n", error.ErrorCode, error.ErrorType, error.what());
        return 0;
    } catch (const std::exception& error) {
        std::printf("unexpected error: %s\n", error.what());
        return 1;
    }
    std::puts("the missing file was not reported");
    return 1;
}
