#include "ui/LongOperation.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace kf {

namespace {

// Often enough to feel immediate, rarely enough to cost nothing next to the work.
constexpr qint64 kReportEveryMs = 50;

bool IsUserInput(QEvent::Type aType) {
    switch (aType) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

} // namespace

TLongOperation::TLongOperation() {
    QCoreApplication::instance()->installEventFilter(this);
}

TLongOperation::~TLongOperation() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool TLongOperation::Report(const std::function<QString()>& aStatusText) {
    if (fReported && fSinceReport.elapsed() < kReportEveryMs)
        return !fCancelled;
    fReported = true;
    emit StatusChanged(aStatusText());
    QCoreApplication::processEvents();
    fSinceReport.restart();
    return !fCancelled;
}

bool TLongOperation::eventFilter(QObject* aWatched, QEvent* anEvent) {
    if (!IsUserInput(anEvent->type()))
        return QObject::eventFilter(aWatched, anEvent);
    if (anEvent->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(anEvent)->key() == Qt::Key_Escape)
        fCancelled = true;
    anEvent->ignore();
    return true;
}

} // namespace kf
