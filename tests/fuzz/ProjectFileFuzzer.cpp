// The project file reader (INI layer and project reader): a project it opens is saved and reopened
// to the same model.
#include "FuzzContract.h"

#include "base/Exception.h"
#include "project/ProjectFileReader.h"
#include "project/ProjectFileWriter.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace kf;
using kf::fuzz::Require;

namespace {

// Says yes to nothing: a row whose source cannot be opened is dropped without asking.
class TSilentPrompter : public Prompter {
public:
    TMsgResult ShowMessage(const TMessageBox&) override { return TMsgResult::Ok; }
    std::optional<std::string> ChooseProjectToOpen() override { return std::nullopt; }
    std::optional<std::string> ChooseProjectToSave(const std::string&) override { return std::nullopt; }
};

const std::string& ScratchPath() {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("kf-fuzz-" + std::to_string(::getpid()) + ".kfp"))
            .string();
    return path;
}

TProject Opened(const std::string& aPath) {
    TSilentPrompter prompter;
    TProject project("/nonexistent/program/", "/nonexistent/Setup.exe");
    ReadProjectFile(project, aPath, prompter);
    return project;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    const std::string& path = ScratchPath();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << fuzz::BytesOf(aData, aSize);
    std::string text;
    try {
        text = ComposeProjectText(Opened(path));
    } catch (const Exception&) {
        return 0;
    }
    try {
        SaveProjectFile(Opened(path), path);
        Require(ComposeProjectText(Opened(path)) == text, "a saved project reopens to the same model");
    } catch (const Exception&) {
        Require(false, "a project that opens saves and reopens");
    }
    return 0;
}
