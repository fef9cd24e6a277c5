#pragma once

#include "project/Prompter.h"

#include <exception>
#include <string>

namespace kf {

// The text as the error report shows it: a full stop is added when the last character sorts after '.'.
std::string ErrorReportText(const std::string& aMessage);
TMessageBox ErrorReportBox(const std::string& aMessage);
// Shows an error that no command handled; the program then goes on waiting for input.
void ShowErrorReport(Prompter& aPrompter, const std::exception& anError);

} // namespace kf
