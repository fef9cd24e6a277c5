#include "ui/DialogPlacement.h"

#include <QDialog>
#include <QEvent>
#include <QScreen>

#include <algorithm>

namespace kf {

namespace {

// Places its dialog before each showing reaches the window system.
class TCentring : public QObject {
public:
    explicit TCentring(QDialog& aDialog) : QObject(&aDialog), fDialog(aDialog) {}

protected:
    bool eventFilter(QObject* aWatched, QEvent* anEvent) override {
        // A spontaneous show is the window system restoring the dialog where it already is.
        if (anEvent->type() == QEvent::Show && !anEvent->spontaneous())
            Place();
        return QObject::eventFilter(aWatched, anEvent);
    }

private:
    void Place() {
        const QWidget* owner = fDialog.parentWidget() ? fDialog.parentWidget()->window() : nullptr;
        const QScreen* screen = owner ? owner->screen() : fDialog.screen();
        const QRect screenArea = screen->availableGeometry();
        // The client area, as the dialog has no frame yet at its first showing.
        fDialog.setGeometry(CentredArea(fDialog.size(), screenArea));
    }

    QDialog& fDialog;
};

int Inside(int aStart, int aLength, int aLimitStart, int aLimitLength) {
    return std::max(std::min(aStart, aLimitStart + aLimitLength - aLength), aLimitStart);
}

} // namespace

QRect CentredArea(const QSize& aSize, const QRect& aScreenArea) {
    QRect area(QPoint(), aSize);
    area.moveCenter(aScreenArea.center());
    area.moveTo(Inside(area.x(), area.width(), aScreenArea.x(), aScreenArea.width()),
                Inside(area.y(), area.height(), aScreenArea.y(), aScreenArea.height()));
    return area;
}

void CentreAtEachShowing(QDialog& aDialog) {
    aDialog.installEventFilter(new TCentring(aDialog));
}

} // namespace kf
