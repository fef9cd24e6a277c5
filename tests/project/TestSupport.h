#pragma once

#include "project/Prompter.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kf::test {

// Answers every question from a script and records what was asked.
class TScriptedPrompter : public Prompter {
public:
    std::vector<TMessageBox> Shown;
    std::deque<TMsgResult> Answers;
    std::optional<std::string> OpenChoice;
    std::optional<std::string> SaveChoice;
    std::vector<std::string> SavePresets;
    int OpenDialogs = 0;

    TMsgResult ShowMessage(const TMessageBox& aBox) override {
        Shown.push_back(aBox);
        if (Answers.empty())
            return TMsgResult::Ok;
        const TMsgResult answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    std::optional<std::string> ChooseProjectToOpen() override {
        ++OpenDialogs;
        return OpenChoice;
    }
    std::optional<std::string> ChooseProjectToSave(const std::string& aPresetName) override {
        SavePresets.push_back(aPresetName);
        return SaveChoice;
    }
};

// A fresh folder for one test, removed afterwards.
class TTempFolder {
public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    std::string Path(const std::string& aName) const { return (fRoot / aName).string(); }
    // Writes a file of the given content and returns its path.
    std::string WriteFile(const std::string& aName, const std::string& aBytes) const;

private:
    std::filesystem::path fRoot;
};

std::string ReadFile(const std::string& aPath);
// Bytes that no compressor shrinks, the same for the same seed, so that packing them takes a while.
std::string NoiseBytes(size_t aSize, uint32_t aSeed = 1);
// Stores the low aWidth bytes of aValue at aPos, least significant first, as the Windows formats do.
void PutLittleEndian(std::string& aBytes, size_t aPos, uint64_t aValue, size_t aWidth);
// A 2 x 2 bitmap of 24 bits per pixel, its pixels all aShade: a logo or header the build takes.
std::string TinyBitmap(char aShade);
// A host path as Wine sees it on its Z: drive.
std::string WindowsPath(const std::string& aHostPath);
// aText as one word for the shell, in single quotes.
std::string ShellQuoted(const std::string& aText);

} // namespace kf::test
