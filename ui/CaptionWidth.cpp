#include "ui/CaptionWidth.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QStyle>

#include <algorithm>

namespace kf {

namespace {

// The window icon and the minimize, maximize and close buttons, each about a title bar high, and
// about one more for the padding between them.
constexpr int kTitleBarCells = 5;
// Window managers draw titles a little larger than dialog text, and bold.
constexpr int kTitlePointsAbove = 1;

} // namespace

int WidthForCaption(const QString& aCaption, const QWidget& aWindow) {
    QFont font = aWindow.font();
    font.setBold(true);
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() + kTitlePointsAbove);
    const QFontMetrics metrics(font);
    const int cell = std::max(aWindow.style()->pixelMetric(QStyle::PM_TitleBarHeight), metrics.height());
    return metrics.horizontalAdvance(aCaption) + kTitleBarCells * cell + 2 * metrics.averageCharWidth();
}

void WidenForCaption(QMessageBox& aBox) {
    auto* grid = qobject_cast<QGridLayout*>(aBox.layout());
    const int width = WidthForCaption(aBox.windowTitle(), aBox);
    if (grid == nullptr || aBox.sizeHint().width() >= width)
        return;
    // A message box keeps no minimum width of its own; a spacer across its grid makes one.
    const QMargins margins = grid->contentsMargins();
    grid->addItem(new QSpacerItem(width - margins.left() - margins.right(), 0, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace kf
