#pragma once

#include "project/Prompter.h"

#include <QDialog>

class QLabel;

namespace kf {

// "About Kelpforge": version, legal lines and the links to the home page and the support address.
class TForm3 : public QDialog {
    Q_OBJECT

public:
    explicit TForm3(Prompter& aPrompter, QWidget* aParent = nullptr);

    void Button1Click();
    void Label4Click();
    void Label7Click();

protected:
    bool eventFilter(QObject* aWatched, QEvent* anEvent) override;

private:
    QLabel* AddLink(const char* aName, const QString& aText, int aTop);
    static void SetUnderlined(QLabel* aLabel, bool anUnderlined);

    Prompter& fPrompter;
    QLabel* fLabel4 = nullptr;
    QLabel* fLabel7 = nullptr;
};

} // namespace kf
