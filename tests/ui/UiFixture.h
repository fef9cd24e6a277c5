#pragma once

#include "../project/TestSupport.h"
#include "ui/MainForm.h"

#include <gtest/gtest.h>

#include <QString>

#include <memory>

class QAction;
class QTreeWidget;
class QWidget;

namespace kf::test {

// A main window with a scripted prompter and a settings folder of its own.
class UiFixture : public testing::Test {
protected:
    UiFixture();
    ~UiFixture() override;

    // A new main window, shown and laid out, as at a start of the program.
    TForm1& Start();
    // Closes the window as Exit does and forgets it.
    void Close();

    std::string SettingsFile() const { return fFolder.Path("Kelpforge.ini"); }
    QTreeWidget* Tree() const;
    QAction* Action(const char* aName) const;
    // Number of the one visible page group, or 0 when not exactly one is visible.
    int VisiblePage() const;
    QString SelectedNode() const;

    TTempFolder fFolder;
    TScriptedPrompter fPrompter;
    std::unique_ptr<TForm1> fForm;
};

} // namespace kf::test
