#include "ui/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace kf {

namespace {

int64_t OverlapOf(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : int64_t{common.width()} * common.height();
}

int64_t DistanceOf(const QRect& a, const QRect& b) {
    const int dx = std::max({0, b.left() - a.right(), a.left() - b.right()});
    const int dy = std::max({0, b.top() - a.bottom(), a.top() - b.bottom()});
    return int64_t{dx} * dx + int64_t{dy} * dy;
}

// The screen to bring the title bar to: most overlap, then the nearest.
QRect TargetScreen(const QRect& aTitleBar, const QList<QRect>& aScreenAreas) {
    QRect best = aScreenAreas.front();
    for (const QRect& screen : aScreenAreas) {
        const int64_t overlap = OverlapOf(aTitleBar, screen), bestOverlap = OverlapOf(aTitleBar, best);
        if (overlap > bestOverlap ||
            (overlap == bestOverlap && DistanceOf(aTitleBar, screen) < DistanceOf(aTitleBar, best)))
            best = screen;
    }
    return best;
}

int Clamped(int aStart, int aLowest, int aHighest) {
    return std::max(aLowest, std::min(aStart, aHighest));
}

} // namespace

QRect TitleBarOnScreen(const QRect& anArea, const QMargins& aFrame, const QList<QRect>& aScreenAreas) {
    const QRect frame = anArea.marginsAdded(aFrame);
    const QRect titleBar(frame.left(), frame.top(), frame.width(), aFrame.top());
    if (aScreenAreas.isEmpty() ||
        std::any_of(aScreenAreas.begin(), aScreenAreas.end(),
                    [&](const QRect& aScreen) { return aScreen.contains(titleBar); }))
        return anArea;
    const QRect screen = TargetScreen(titleBar, aScreenAreas);
    const QSize room = screen.marginsRemoved(aFrame).size();
    QRect moved(anArea.topLeft(), anArea.size().boundedTo(room.expandedTo(QSize(1, 1))));
    const QRect movedFrame = moved.marginsAdded(aFrame);
    moved.moveTo(
        Clamped(movedFrame.left(), screen.left(), screen.right() + 1 - movedFrame.width()) + aFrame.left(),
        Clamped(movedFrame.top(), screen.top(), screen.bottom() + 1 - movedFrame.height()) + aFrame.top());
    return moved;
}

void KeepTitleBarOnScreen(QWidget& aWindow) {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    QMargins frame(aWindow.geometry().left() - aWindow.frameGeometry().left(),
                   aWindow.geometry().top() - aWindow.frameGeometry().top(),
                   aWindow.frameGeometry().right() - aWindow.geometry().right(),
                   aWindow.frameGeometry().bottom() - aWindow.geometry().bottom());
    if (frame.top() <= 0)
        frame.setTop(aWindow.style()->pixelMetric(QStyle::PM_TitleBarHeight));
    const QRect area = TitleBarOnScreen(aWindow.geometry(), frame, areas);
    if (area != aWindow.geometry())
        aWindow.setGeometry(area);
}

} // namespace kf
