// Times the desktop program's long file-list commands on the offscreen platform: Add folder on a
// tree of small files, then Open of a project with many rows. It prints figures only.
#include "project/FileListCommands.h"
#include "project/ProjectFileWriter.h"
#include "project/Prompter.h"
#include "ui/FilesPage.h"
#include "ui/MainForm.h"

#include <QApplication>
#include <QPushButton>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// Answers "No" to saving changes and opens the prepared project.
class TBenchPrompter : public kf::Prompter {
public:
    std::string OpenChoice;

    kf::TMsgResult ShowMessage(const kf::TMessageBox&) override { return kf::TMsgResult::No; }
    std::optional<std::string> ChooseProjectToOpen() override { return OpenChoice; }
    std::optional<std::string> ChooseProjectToSave(const std::string&) override { return std::nullopt; }
};

void MakeTree(const fs::path& aRoot, int aFolders, int aFilesEach) {
    for (int folder = 0; folder < aFolders; ++folder) {
        const fs::path inner = aRoot / ("folder" + std::to_string(folder));
        fs::create_directories(inner);
        for (int file = 0; file < aFilesEach; ++file)
            std::ofstream(inner / ("file" + std::to_string(file) + ".txt")) << "small file " << file << '\n';
    }
}

template <typename F> double SecondsOf(F aStep) {
    const auto start = std::chrono::steady_clock::now();
    aStep();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rows = argc > 2 ? std::atoi(argv[2]) : 3000;

    std::string pattern = (fs::temp_directory_path() / "kfuibench.XXXXXX").string();
    const fs::path work = ::mkdtemp(pattern.data());
    MakeTree(work / "tree", files / 100, 100);

    TBenchPrompter prompter;
    kf::TForm1 form(prompter);
    form.show();
    QApplication::processEvents();
    auto* page = form.findChild<kf::TFilesPage*>();
    page->ChooseFolder = [&] { return (work / "tree").string(); };
    const double addFolder = SecondsOf([&] { form.findChild<QPushButton*>("Button7")->click(); });
    std::printf("Add folder, %d files: %.2f s (%zu rows)\n", files, addFolder, form.Project().Files.size());

    kf::TProject stored = form.Project();
    stored.Files.resize(std::min(stored.Files.size(), static_cast<size_t>(rows)));
    prompter.OpenChoice = (work / "rows.kfp").string();
    kf::SaveProjectFile(stored, prompter.OpenChoice);
    const double open = SecondsOf([&] { form.ToolButton2Click(); });
    std::printf("Open, %zu rows: %.2f s (%zu rows)\n", stored.Files.size(), open,
                form.Project().Files.size());

    fs::remove_all(work);
    return 0;
}
