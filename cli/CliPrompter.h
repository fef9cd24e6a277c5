#pragma once

#include "project/Prompter.h"

#include <string>

namespace kf {

// Answers the core's questions without a person: errors go to stderr, reports to stdout, a
// question is answered No, and the project dialogs take the path given on the command line.
class TCliPrompter : public Prompter {
public:
    explicit TCliPrompter(std::string aProjectPath) : fProjectPath(std::move(aProjectPath)) {}

    // Quiet: reports are not shown; errors still are.
    void SetQuiet(bool aQuiet) { fQuiet = aQuiet; }
    TMsgResult ShowMessage(const TMessageBox& aBox) override;
    std::optional<std::string> ChooseProjectToOpen() override { return fProjectPath; }
    std::optional<std::string> ChooseProjectToSave(const std::string&) override { return fProjectPath; }

private:
    std::string fProjectPath;
    bool fQuiet = false;
};

} // namespace kf
