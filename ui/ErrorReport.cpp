#include "ui/ErrorReport.h"

#include "project/ProjectDocument.h"

namespace kf {

std::string ErrorReportText(const std::string& aMessage) {
    if (!aMessage.empty() && static_cast<unsigned char>(aMessage.back()) > '.')
        return aMessage + ".";
    return aMessage;
}

TMessageBox ErrorReportBox(const std::string& aMessage) {
    return TMessageBox{kApplicationTitle, ErrorReportText(aMessage), TMsgIcon::Error, TMsgButtons::Ok, 0};
}

void ShowErrorReport(Prompter& aPrompter, const std::exception& anError) {
    aPrompter.ShowMessage(ErrorReportBox(anError.what()));
}

} // namespace kf
