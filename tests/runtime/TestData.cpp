#include "TestData.h"

namespace kf::test {

TProject ProjectWithOneFile() {
    TProject project("/opt/kf/", "/home/u/Setup.exe");
    project.Files.push_back(
        TFileEntry{"/src/a.exe", "10", "%Install Path%\\a.exe", "Overwrite", "Yes", "No"});
    project.RefreshFileList();
    return project;
}

std::string DataFileFor(const TProject& aProject) {
    TDataLines lines = ComposeDataLines(aProject);
    std::vector<uint64_t> sizes;
    for (size_t i = 0; i < aProject.Files.size(); ++i)
        sizes.push_back(100 + i);
    lines[kPackedSizeLine] = PackedSizeLine(sizes);
    return DataFileBytes(lines);
}

} // namespace kf::test
