// Runs a fuzz target over files and folders of inputs, as the fuzzer would run them, so that the
// seeds and every minimised finding are replayed by the ordinary tests.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* anArgc, char*** anArgv);

namespace {

namespace fs = std::filesystem;

void Replay(const fs::path& anInput) {
    std::ifstream file(anInput, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::printf("%s (%zu bytes)\n", anInput.c_str(), bytes.size());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    size_t inputs = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<fs::path> files;
        if (fs::is_directory(argv[i])) {
            for (const fs::directory_entry& entry : fs::recursive_directory_iterator(argv[i]))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
        } else if (fs::is_regular_file(argv[i])) {
            files.push_back(argv[i]);
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files)
            Replay(file);
        inputs += files.size();
    }
    std::printf("%zu inputs replayed\n", inputs);
    // A replay of nothing proves nothing: the seed folders must not be lost.
    return inputs > 0 ? 0 : 1;
}
