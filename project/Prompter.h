#pragma once

#include <optional>
#include <string>

namespace kf {

enum class TMsgIcon { Error, Question, Information, Warning };
enum class TMsgButtons { Ok, YesNo, YesNoCancel };
enum class TMsgResult { Ok, Yes, No, Cancel };

struct TMessageBox {
    std::string Caption;
    std::string Text; // line breaks are single carriage returns
    TMsgIcon Icon = TMsgIcon::Information;
    TMsgButtons Buttons = TMsgButtons::Ok;
    int DefaultButton = 0; // 0-based position among the buttons
};

// Everything the core asks of the person in front of it; each front end answers in its own way.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual TMsgResult ShowMessage(const TMessageBox& aBox) = 0;
    // Project file dialogs; an empty optional means the user cancelled.
    virtual std::optional<std::string> ChooseProjectToOpen() = 0;
    virtual std::optional<std::string> ChooseProjectToSave(const std::string& aPresetName) = 0;
};

} // namespace kf
