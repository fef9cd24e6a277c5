#include "ui/EntryPageParts.h"

#include "ui/PageMessages.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace kf {

QLineEdit* CreateEdit(QWidget* aParent, const char* aName) {
    auto* edit = new QLineEdit(aParent);
    edit->setObjectName(QLatin1String(aName));
    return edit;
}

QPushButton* CreateButton(QWidget* aParent, QBoxLayout* aRow, const char* aName, const char* aCaption) {
    auto* button = new QPushButton(QLatin1String(aCaption), aParent);
    button->setObjectName(QLatin1String(aName));
    aRow->addWidget(button);
    return button;
}

void ShowRefusal(Prompter& aPrompter, QWidget* aPage, const TAddResult& aResult) {
    if (aResult.Outcome != TAddOutcome::Refused)
        return;
    ShowPageError(aPrompter, aResult.Message);
    if (auto* control = aPage->findChild<QWidget*>(QString::fromStdString(aResult.FocusControl)))
        control->setFocus();
}

void ShowText(QLineEdit* anEdit, const std::string& aText) {
    const QString text = QString::fromStdString(aText);
    // Setting equal text would move the cursor of a box being typed in.
    if (anEdit->text() != text)
        anEdit->setText(text);
}

} // namespace kf
