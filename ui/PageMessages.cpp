#include "ui/PageMessages.h"

#include "project/ProjectDocument.h"

namespace kf {

bool Confirmed(Prompter& aPrompter, const std::string& aQuestion) {
    const TMessageBox box{kApplicationTitle, aQuestion, TMsgIcon::Question, TMsgButtons::YesNo, 0};
    return aPrompter.ShowMessage(box) != TMsgResult::No;
}

void ShowPageError(Prompter& aPrompter, const std::string& aText) {
    aPrompter.ShowMessage(TMessageBox{"Error", aText, TMsgIcon::Error, TMsgButtons::Ok, 0});
}

} // namespace kf
