#pragma once

#include <QObject>

#include <vector>

class QTreeView;

namespace kf {

// Fits a report table's columns to its width, again whenever the width or the rows change. The
// stretching columns share what the others leave, in proportion to their initial widths and never
// narrower than their captions; the others keep their initial widths, widened to their captions and
// texts. A column the user has resized keeps that width for as long as the table lives.
class TColumnSizer : public QObject {
    Q_OBJECT

public:
    // Takes the view's present column widths as the initial ones; aStretches marks the stretching columns.
    TColumnSizer(QTreeView* aView, std::vector<bool> aStretches);

protected:
    bool eventFilter(QObject* aWatched, QEvent* anEvent) override;

private:
    void Fit();
    // Fits once the rows being shown are all in, rather than at each text.
    void FitLater();
    std::vector<int> Widths() const;
    // What the columns that do not stretch take; fills their entries of aWidths.
    int FixedWidth(std::vector<int>& aWidths) const;
    int CaptionWidth(size_t aColumn) const;
    int TextWidth(size_t aColumn) const;
    bool Shares(size_t aColumn) const { return fStretches[aColumn] && !fUserSized[aColumn]; }

    QTreeView* fView;
    std::vector<bool> fStretches;
    std::vector<int> fInitialWidths;
    std::vector<bool> fUserSized;
    bool fFitting = false;
    bool fRefit = false;
    bool fFitPending = false;
};

} // namespace kf
