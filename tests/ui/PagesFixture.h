#pragma once

#include "UiFixture.h"

#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QTreeWidget;

namespace kf {
class TFilesPage;
class TForm4;
} // namespace kf

namespace kf::test {

// A started main window with handles on the editor pages' controls.
class PagesFixture : public UiFixture {
protected:
    PagesFixture();

    template <typename T> T* Find(const char* aName) const {
        T* widget = fForm->findChild<T*>(QLatin1String(aName));
        EXPECT_NE(widget, nullptr) << aName;
        return widget;
    }
    void Click(const char* aButton) const;
    // Picks a choice as the author does, which reports it to the page.
    void Choose(const char* aComboBox, int anIndex) const;
    // Replaces a box's text by typing.
    void Type(const char* anEdit, const QString& aText) const;
    QStringList Column(const char* aListView, int aColumn) const;
    QStringList Choices(const char* aComboBox) const;
    void SelectRows(const char* aListView, const std::vector<int>& aRows) const;
    // Runs a modal dialog's part while the dialog is open.
    static void WhileOpen(std::function<void()> aStep);

    // Add files with the dialog's folder choice and subfolder, choosing the given files.
    void AddFiles(const std::vector<std::string>& aPaths, int aFolder = 0, const QString& aSubfolder = {});
    // Writes the files and adds them below "%Install Path%"; returns their paths.
    std::vector<std::string> AddNewFiles(const std::vector<std::string>& aNames);

    TFilesPage* fFilesPage = nullptr;
    TForm4* fForm4 = nullptr;
};

} // namespace kf::test
