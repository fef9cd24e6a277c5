#include "PagesFixture.h"

#include "ui/AddFilesForm.h"
#include "ui/FilesPage.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace kf::test {

PagesFixture::PagesFixture() {
    Start();
    fFilesPage = Find<TFilesPage>("FilesPage");
    fForm4 = Find<TForm4>("TForm4");
}

void PagesFixture::Click(const char* aButton) const {
    Find<QPushButton>(aButton)->click();
}

void PagesFixture::Choose(const char* aComboBox, int anIndex) const {
    auto* box = Find<QComboBox>(aComboBox);
    box->setCurrentIndex(anIndex);
    emit box->activated(anIndex);
}

void PagesFixture::Type(const char* anEdit, const QString& aText) const {
    auto* edit = Find<QLineEdit>(anEdit);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, aText);
}

QStringList PagesFixture::Column(const char* aListView, int aColumn) const {
    const auto* view = Find<QTreeWidget>(aListView);
    QStringList texts;
    for (int row = 0; row < view->topLevelItemCount(); ++row)
        texts << view->topLevelItem(row)->text(aColumn);
    return texts;
}

QStringList PagesFixture::Choices(const char* aComboBox) const {
    const auto* box = Find<QComboBox>(aComboBox);
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

void PagesFixture::SelectRows(const char* aListView, const std::vector<int>& aRows) const {
    auto* view = Find<QTreeWidget>(aListView);
    view->clearSelection();
    for (int row : aRows)
        view->topLevelItem(row)->setSelected(true);
}

void PagesFixture::WhileOpen(std::function<void()> aStep) {
    QTimer::singleShot(0, std::move(aStep));
}

void PagesFixture::AddFiles(const std::vector<std::string>& aPaths, int aFolder, const QString& aSubfolder) {
    fForm4->ChooseFiles = [aPaths] { return aPaths; };
    WhileOpen([this, aFolder, aSubfolder] {
        fForm4->findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setCurrentIndex(aFolder);
        fForm4->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(aSubfolder);
        fForm4->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    });
    Click("Button8");
}

std::vector<std::string> PagesFixture::AddNewFiles(const std::vector<std::string>& aNames) {
    std::vector<std::string> paths;
    for (const std::string& name : aNames)
        paths.push_back(fFolder.WriteFile(name, "abc"));
    AddFiles(paths);
    return paths;
}

} // namespace kf::test
