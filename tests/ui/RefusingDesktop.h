#pragma once

#include "ui/ShellCommands.h"

#include <QUrl>

#include <vector>

namespace kf::test {

// A desktop with nothing set up to open any file or address; keeps what it was asked to open.
class TRefusingDesktop {
public:
    TRefusingDesktop() {
        SetDesktopOpener([this](const QUrl& anUrl) {
            Asked.push_back(anUrl);
            return false;
        });
    }
    ~TRefusingDesktop() { SetDesktopOpener({}); }
    TRefusingDesktop(const TRefusingDesktop&) = delete;
    TRefusingDesktop& operator=(const TRefusingDesktop&) = delete;

    std::vector<QUrl> Asked;
};

} // namespace kf::test
