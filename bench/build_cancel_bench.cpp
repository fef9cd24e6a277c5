// How quickly the Setup Building window answers while one large file is packed, on the offscreen
// platform: the longest time the event loop went without running (the worst wait for a click or a
// repaint), and the time from a confirmed Cancel to the window closing. Prints figures only.
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

    kf::TMsgResult ShowMessage(const kf::TMessageBox& aBox) override {
        Answered = Clock::now();
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

// Cancels 2 s into the build, or lets it run to its end.
void Measure(const fs::path& aWork, int aCompression, bool aCancel) {
    kf::TProject project(kf::ProgramFolder(), (aWork / "Setup.exe").string());
    project.SetProductName("Bench");
    project.LogoBitmap = kf::ProgramFolder() + "Logo.bmp";
    project.HeaderBitmap = kf::ProgramFolder() + "Header.bmp";
    project.Compression = aCompression;
    project.Files.push_back(kf::TFileEntry{(aWork / "large.bin").string(), "", "%Install Path%\\large.bin"});
    project.RefreshFileList();

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
    if (aCancel)
        QTimer::singleShot(2000, &form, [&] { form.findChild<QPushButton*>("Button1")->click(); });
    const Clock::time_point start = Clock::now();
    form.exec();
    if (aCancel)
        std::printf("Compression %d, cancelled after 2 s: longest time without events %.0f ms; "
                    "Cancel confirmed to window closed %.0f ms\n",
                    aCompression, longestGap, MillisecondsSince(prompter.Answered));
    else
        std::printf("Compression %d, whole build (%.1f s): longest time without events %.0f ms\n",
                    aCompression, MillisecondsSince(start) / 1000, longestGap);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 300;
    std::string pattern = (fs::temp_directory_path() / "kfcancelbench.XXXXXX").string();
    const fs::path work = ::mkdtemp(pattern.data());
    WriteNoise(work / "large.bin", megabytes << 20);
    std::printf("One file of %zu MB; Cancel is confirmed as soon as it is asked\n", megabytes);
    for (int compression : {1, 2})
        Measure(work, compression, true);
    Measure(work, 1, false);
    fs::remove_all(work);
    return 0;
}
