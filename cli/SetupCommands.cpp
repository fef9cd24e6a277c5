#include "cli/SetupCommands.h"

#include "cli/EmbeddedCabinet.h"
#include "cli/SetupReader.h"
#include "project/Exception.h"

#include <filesystem>
#include <iomanip>
#include <iostream>

namespace kf {

namespace {

std::string CabinetName(size_t anIndex) {
    return "file cabinet " + std::to_string(anIndex + 1);
}

// The install-to path as a relative host path, or empty when it would leave the target folder.
std::filesystem::path SafeRelativePath(const std::string& anInstallTo) {
    std::filesystem::path relative;
    size_t start = 0;
    while (start <= anInstallTo.size()) {
        const size_t end = std::min(anInstallTo.find('\\', start), anInstallTo.size());
        const std::string part = anInstallTo.substr(start, end - start);
        if (part.empty() || part == "." || part == ".." || part.find_first_of("/:") != std::string::npos)
            return {};
        relative /= part;
        start = end + 1;
    }
    return relative;
}

void PrintCabinets(const std::string& aPath, const TSetupLayout& aLayout) {
    std::cout << "File cabinets: " << aLayout.CabinetSizes.size() << '\n';
    for (size_t i = 0; i < aLayout.CabinetSizes.size(); ++i) {
        TEmbeddedCabinet cabinet(aPath, aLayout.CabinetOffsets[i], aLayout.CabinetSizes[i], CabinetName(i));
        cabinet.Verify();
        const std::string member = cabinet.Members().empty() ? "(empty)" : cabinet.Members()[0].Name;
        const std::string target =
            i < aLayout.InstallPaths.size() ? aLayout.InstallPaths[i] : "(no install-to path)";
        std::cout << "  " << std::setw(4) << i + 1 << "  offset " << aLayout.CabinetOffsets[i] << "  size "
                  << aLayout.CabinetSizes[i] << "  " << member << " -> " << target << '\n';
    }
}

} // namespace

int RunInspectCommand(const std::string& aSetupPath) {
    const TSetupLayout layout = ReadSetupLayout(aSetupPath);
    std::cout << "Setup file: " << aSetupPath << " (" << layout.FileSize << " bytes)\n"
              << "Installer runtime: " << layout.StubSize << " bytes\n";
    PrintCabinets(aSetupPath, layout);
    TEmbeddedCabinet main(aSetupPath, layout.MainOffset, layout.MainSize, "the main cabinet");
    main.Verify();
    std::cout << "Main cabinet: offset " << layout.MainOffset << "  size " << layout.MainSize << '\n';
    for (const auto& member : main.Members())
        std::cout << "  " << member.Name << " (" << member.Length << " bytes)\n";
    std::cout << "Size trailer: " << layout.Trailer << '\n' << "kelpforge.dat:\n";
    for (size_t i = 0; i < layout.DataLines.size(); ++i)
        std::cout << std::setw(4) << i + 1 << "  " << layout.DataLines[i] << '\n';
    std::cout << "The sizes add up and every cabinet's checksums hold.\n";
    return 0;
}

int RunExtractCommand(const std::string& aSetupPath, const std::string& aFolder) {
    const TSetupLayout layout = ReadSetupLayout(aSetupPath);
    const std::filesystem::path folder(aFolder);
    std::vector<std::filesystem::path> targets;
    for (size_t i = 0; i < layout.CabinetSizes.size(); ++i) {
        const std::string installTo = i < layout.InstallPaths.size() ? layout.InstallPaths[i] : "";
        const std::filesystem::path relative = SafeRelativePath(installTo);
        if (relative.empty())
            throw Exception("Refusing to extract " + CabinetName(i) + ": its install-to path \"" + installTo +
                            "\" would leave " + aFolder);
        targets.push_back(folder / relative);
    }
    TEmbeddedCabinet main(aSetupPath, layout.MainOffset, layout.MainSize, "the main cabinet");
    std::filesystem::create_directories(folder);
    for (size_t i = 0; i < main.Members().size(); ++i) {
        const std::filesystem::path relative = SafeRelativePath(main.Members()[i].Name);
        if (relative.empty() || relative.has_parent_path())
            throw Exception("Refusing to extract the main cabinet's member \"" + main.Members()[i].Name +
                            "\"");
        main.ExtractTo(i, (folder / relative).string());
    }
    for (size_t i = 0; i < targets.size(); ++i) {
        TEmbeddedCabinet cabinet(aSetupPath, layout.CabinetOffsets[i], layout.CabinetSizes[i],
                                 CabinetName(i));
        if (cabinet.Members().size() != 1)
            throw Exception(CabinetName(i) + " does not hold exactly one file");
        std::filesystem::create_directories(targets[i].parent_path());
        cabinet.ExtractTo(0, targets[i].string());
        std::cout << targets[i].string() << '\n';
    }
    return 0;
}

} // namespace kf
