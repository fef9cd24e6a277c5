#include "cli/CliPrompter.h"

#include <iostream>

namespace kf {

namespace {

std::string WithNewlines(std::string aText) {
    for (char& c : aText)
        if (c == '\r')
            c = '\n';
    return aText;
}

} // namespace

TMsgResult TCliPrompter::ShowMessage(const TMessageBox& aBox) {
    if (aBox.Icon == TMsgIcon::Information) {
        if (!fQuiet)
            std::cout << WithNewlines(aBox.Text) << std::endl;
    } else {
        std::cerr << "kelpforge-cli: " << WithNewlines(aBox.Text) << std::endl;
    }
    return aBox.Buttons == TMsgButtons::Ok ? TMsgResult::Ok : TMsgResult::No;
}

} // namespace kf
