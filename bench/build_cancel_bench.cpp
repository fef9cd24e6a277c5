// How quickly the Setup Building window answers while large files are packed, on the offscreen
// platform: the longest time the event loop went without running (the worst wait for a click or a
// repaint), and the time from a confirmed Cancel to the window closing, which includes waiting for
// every packing thread. Prints figures only.
#include "project/HostPaths.h"
#include "project/Prompter.h"
#include "ui/BuildForm.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point aStart) {
    return std::chrono::duration<double, std::milli>(Clock::now() - aStart).count();
}

// Answers Yes to the Cancel question and notes when it did.
class TCancelPrompter : public kf::Prompter {
public:
    Clock::time_point Answered;
    bool Built = false;

    kf::TMsgResult ShowMessage(const kf::TMessageBox& aBox) override {
        Answered = Clock::now();
        Built |= aBox.Icon == kf::TMsgIcon::Information;
        if (aBox.Icon == kf::TMsgIcon::Error)
            std::printf("  error: %s\n", aBox.Text.c_str());
        return aBox.Buttons == kf::TMsgButtons::YesNo ? kf::TMsgResult::Yes : kf::TMsgResult::Ok;
    }
    std::optional<std::string> ChooseProjectToOpen() override { return std::nullopt; }
    std::optional<std::string> ChooseProjectToSave(const std::string&) override { return std::nullopt; }
};

void WriteNoise(const fs::path& aPath, size_t aSize) {
    std::string bytes(aSize, '\0');
    uint32_t state = 1;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state >> 24);
    }
    std::ofstream(aPath, std::ios::binary) << bytes;
}

size_t EntriesIn(const fs::path& aFolder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(aFolder), fs::directory_iterator()));
}

struct TCase {
    const char* Name;
    std::vector<const char*> Files;
};

// Cancels aCancelAfter ms into the build, or lets it run to its end when aCancelAfter is 0.
void Measure(const fs::path& aWork, const TCase& aCase, int aCompression, int aCancelAfter) {
    kf::TProject project(kf::ProgramFolder(), (aWork / "Setup.exe").string());
    project.SetProductName("Bench");
    project.LogoBitmap = kf::ProgramFolder() + "Logo.bmp";
    project.HeaderBitmap = kf::ProgramFolder() + "Header.bmp";
    project.Compression = aCompression;
    for (const char* file : aCase.Files)
        project.Files.push_back(
            kf::TFileEntry{(aWork / file).string(), "", std::string("%Install Path%\\") + file});
    project.RefreshFileList();

    const fs::path temporary = fs::temp_directory_path();
    const size_t entriesBefore = EntriesIn(temporary);
    TCancelPrompter prompter;
    kf::TForm5 form(project, prompter, kf::ProgramFolder());
    double longestGap = 0;
    Clock::time_point last = Clock::now();
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, MillisecondsSince(last));
        last = Clock::now();
    });
    ticker.start(5);
    if (aCancelAfter > 0)
        QTimer::singleShot(aCancelAfter, &form, [&] { form.findChild<QPushButton*>("Button1")->click(); });
    const Clock::time_point start = Clock::now();
    form.exec();
    const long leftBehind = static_cast<long>(EntriesIn(temporary)) - static_cast<long>(entriesBefore);
    if (aCancelAfter > 0 && prompter.Built)
        std::printf("%-24s compression %d, built before the Cancel at %4d ms\n", aCase.Name, aCompression,
                    aCancelAfter);
    else if (aCancelAfter > 0)
        std::printf("%-24s compression %d, cancelled after %4d ms: longest time without events %4.0f ms; "
                    "Cancel confirmed to window closed %5.0f ms; temporary entries left %ld\n",
                    aCase.Name, aCompression, aCancelAfter, longestGap, MillisecondsSince(prompter.Answered),
                    leftBehind);
    else
        std::printf("%-24s compression %d, whole build (%.1f s): longest time without events %.0f ms\n",
                    aCase.Name, aCompression, MillisecondsSince(start) / 1000, longestGap);
    std::fflush(stdout);
    fs::remove(aWork / "Setup.exe");
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 300;
    std::string pattern = (fs::temp_directory_path() / "kfcancelbench.XXXXXX").string();
    const fs::path work = ::mkdtemp(pattern.data());
    // The builds' temporary files go to a folder of their own, so that what they leave is counted.
    fs::create_directory(work / "tmp");
    ::setenv("TMPDIR", (work / "tmp").c_str(), 1);
    WriteNoise(work / "large.bin", megabytes << 20);
    WriteNoise(work / "other.bin", megabytes << 20);
    std::ofstream(work / "small.txt") << "small";
    std::printf("Files of %zu MB; Cancel is confirmed as soon as it is asked\n", megabytes);
    const std::vector<TCase> cases{
        {"large row 0", {"large.bin"}},
        {"small row 0, large row 1", {"small.txt", "large.bin"}},
        {"two large rows", {"large.bin", "other.bin"}},
    };
    for (const TCase& each : cases)
        for (int compression : {1, 2})
            for (int after : {300, 2000})
                Measure(work, each, compression, after);
    // Stored files pack fastest, so that the end of a cabinet, the copy of its data into the
    // cabinet file, is a large share of the time and a Cancel falls into it.
    for (int after = 50; after <= 500; after += 50)
        Measure(work, cases[0], 0, after);
    Measure(work, cases[0], 0, 0);
    Measure(work, cases[0], 1, 0);
    fs::remove_all(work);
    return 0;
}
