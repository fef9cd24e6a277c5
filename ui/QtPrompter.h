#pragma once

#include "project/Prompter.h"

#include <QPointer>
#include <QWidget>

namespace kf {

// Message boxes and project file dialogs of the desktop program.
class TQtPrompter : public Prompter {
public:
    // aStartFolder is where the file dialogs open.
    explicit TQtPrompter(std::string aStartFolder);
    // The window that owns the boxes and dialogs; none before the main window exists.
    void SetOwner(QWidget* anOwner) { fOwner = anOwner; }

    TMsgResult ShowMessage(const TMessageBox& aBox) override;
    std::optional<std::string> ChooseProjectToOpen() override;
    std::optional<std::string> ChooseProjectToSave(const std::string& aPresetName) override;

private:
    std::string fStartFolder;
    QPointer<QWidget> fOwner;
};

} // namespace kf
