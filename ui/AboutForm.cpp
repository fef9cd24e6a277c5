#include "ui/AboutForm.h"

#include "project/HostPaths.h"
#include "ui/ShellCommands.h"

#include <QEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace kf {

namespace {

constexpr int kTextLeft = 92;
constexpr int kTextWidth = 216;

QLabel* AddLabel(QWidget* aParent, const char* aName, const QString& aText, int aTop) {
    auto* label = new QLabel(aText, aParent);
    label->setObjectName(QLatin1String(aName));
    label->setGeometry(kTextLeft, aTop, kTextWidth, 20);
    return label;
}

} // namespace

TForm3::TForm3(Prompter& aPrompter, QWidget* aParent) : QDialog(aParent), fPrompter(aPrompter) {
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("About Kelpforge"));
    setFixedSize(320, 311);
    setAutoFillBackground(true);
    setPalette(QPalette(Qt::white));

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(QPixmap(QString::fromStdString(ProgramFolder() + "Header.bmp")));
    picture->setGeometry(12, 12, 64, 64);
    picture->setAlignment(Qt::AlignCenter);

    QLabel* title = AddLabel(this, "Label1", QStringLiteral("Kelpforge %1").arg(kProductVersion), 12);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    AddLabel(this, "Label2", QStringLiteral("\u00A9 2026 The Kelpforge authors."), 36);
    AddLabel(this, "Label3", QStringLiteral("All rights reserved."), 56);
    fLabel4 = AddLink("Label4", WebSiteAddress(), 84);
    fLabel7 = AddLink("Label7", SupportAddress(), 104);

    auto* warning = new QLabel(
        QStringLiteral("Warning: this program is protected by copyright law. Copying or passing it on "
                       "in whole or in part without the permission of its authors is not allowed."),
        this);
    warning->setObjectName(QStringLiteral("Label5"));
    warning->setWordWrap(true);
    warning->setEnabled(false);
    warning->setGeometry(12, 140, 296, 110);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    ok->setGeometry(122, 270, 75, 27);
    connect(ok, &QPushButton::clicked, this, &TForm3::Button1Click);
}

QLabel* TForm3::AddLink(const char* aName, const QString& aText, int aTop) {
    QLabel* link = AddLabel(this, aName, aText, aTop);
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    link->setPalette(palette);
    link->setCursor(Qt::PointingHandCursor);
    link->adjustSize();
    link->installEventFilter(this);
    return link;
}

void TForm3::SetUnderlined(QLabel* aLabel, bool anUnderlined) {
    QFont font = aLabel->font();
    font.setUnderline(anUnderlined);
    aLabel->setFont(font);
}

bool TForm3::eventFilter(QObject* aWatched, QEvent* anEvent) {
    auto* link = qobject_cast<QLabel*>(aWatched);
    if (link != fLabel4 && link != fLabel7)
        return QDialog::eventFilter(aWatched, anEvent);
    switch (anEvent->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
        SetUnderlined(link, true);
        break;
    case QEvent::Leave:
        SetUnderlined(link, false);
        break;
    case QEvent::MouseButtonRelease:
        link == fLabel4 ? Label4Click() : Label7Click();
        return true;
    default:
        break;
    }
    return QDialog::eventFilter(aWatched, anEvent);
}

void TForm3::Button1Click() {
    accept();
}

void TForm3::Label4Click() {
    OpenHomePage(fPrompter);
}

void TForm3::Label7Click() {
    OpenWithDesktop(FeedbackUrl(), fPrompter);
}

} // namespace kf
