#pragma once

#include "project/Prompter.h"

#include <string>

namespace kf {

// A page's Yes/No question; only "No" cancels, so any other answer goes on.
bool Confirmed(Prompter& aPrompter, const std::string& aQuestion);
// A page's refusal or failure: caption "Error", error icon, one OK button.
void ShowPageError(Prompter& aPrompter, const std::string& aText);

} // namespace kf
