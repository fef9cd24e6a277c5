#include "ui/ColumnSizer.h"

#include <QEvent>
#include <QHeaderView>
#include <QScopedValueRollback>
#include <QTreeView>

#include <algorithm>
#include <utility>

namespace kf {

namespace {

// Setting the widths can show or hide a scroll bar and so change the width again; a few passes
// settle it without letting two scroll bars take turns for ever.
constexpr int kFitPasses = 3;

} // namespace

TColumnSizer::TColumnSizer(QTreeView* aView, std::vector<bool> aStretches)
    : QObject(aView), fView(aView), fStretches(std::move(aStretches)), fUserSized(fStretches.size(), false) {
    for (size_t column = 0; column < fStretches.size(); ++column)
        fInitialWidths.push_back(fView->header()->sectionSize(static_cast<int>(column)));
    connect(fView->header(), &QHeaderView::sectionResized, this, [this](int aColumn) {
        if (!fFitting)
            fUserSized[static_cast<size_t>(aColumn)] = true;
    });
    fView->viewport()->installEventFilter(this);
    const QAbstractItemModel* model = fView->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &TColumnSizer::FitLater);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &TColumnSizer::FitLater);
    connect(model, &QAbstractItemModel::dataChanged, this, &TColumnSizer::FitLater);
    connect(model, &QAbstractItemModel::modelReset, this, &TColumnSizer::FitLater);
}

bool TColumnSizer::eventFilter(QObject* aWatched, QEvent* anEvent) {
    if (anEvent->type() == QEvent::Resize)
        Fit();
    return QObject::eventFilter(aWatched, anEvent);
}

void TColumnSizer::Fit() {
    if (fFitting) {
        fRefit = true;
        return;
    }
    const QScopedValueRollback<bool> fitting(fFitting, true);
    fRefit = true;
    for (int pass = 0; pass < kFitPasses && fRefit; ++pass) {
        fRefit = false;
        const std::vector<int> widths = Widths();
        for (size_t column = 0; column < widths.size(); ++column)
            fView->header()->resizeSection(static_cast<int>(column), widths[column]);
    }
}

void TColumnSizer::FitLater() {
    if (fFitPending)
        return;
    fFitPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            fFitPending = false;
            Fit();
        },
        Qt::QueuedConnection);
}

std::vector<int> TColumnSizer::Widths() const {
    std::vector<int> widths(fStretches.size());
    int room = std::max(fView->viewport()->width() - FixedWidth(widths), 0);
    int shares = 0;
    for (size_t column = 0; column < widths.size(); ++column)
        shares += Shares(column) ? fInitialWidths[column] : 0;
    // Each column takes its part of what is left, so the last one gets the rounding remainder.
    for (size_t column = 0; column < widths.size(); ++column) {
        if (!Shares(column))
            continue;
        const int share = room * fInitialWidths[column] / shares;
        widths[column] = std::max(share, std::min(fInitialWidths[column], CaptionWidth(column)));
        room = std::max(room - widths[column], 0);
        shares -= fInitialWidths[column];
    }
    return widths;
}

int TColumnSizer::FixedWidth(std::vector<int>& aWidths) const {
    int total = 0;
    for (size_t column = 0; column < aWidths.size(); ++column) {
        if (fUserSized[column])
            aWidths[column] = fView->header()->sectionSize(static_cast<int>(column));
        else if (!fStretches[column])
            aWidths[column] = std::max({fInitialWidths[column], CaptionWidth(column), TextWidth(column)});
        else
            continue;
        total += aWidths[column];
    }
    return total;
}

int TColumnSizer::CaptionWidth(size_t aColumn) const {
    return fView->header()->sectionSizeHint(static_cast<int>(aColumn));
}

int TColumnSizer::TextWidth(size_t aColumn) const {
    // The tree view keeps its override protected; the item view's is public.
    const QAbstractItemView* view = fView;
    return view->sizeHintForColumn(static_cast<int>(aColumn));
}

} // namespace kf
