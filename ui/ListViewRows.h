#pragma once

#include <QStringList>

#include <string>
#include <vector>

class QComboBox;
class QTreeWidget;
class QWidget;

namespace kf {

// A column of a report table: its caption, its initial width and whether it takes a share of the
// table's spare width (the path columns do).
struct TListColumn {
    const char* Caption;
    int Width;
    bool Stretches = false;
};

// A read-only report table: whole-row selection, never sorted, columns fitted to its width.
QTreeWidget* CreateListView(QWidget* aParent, const char* aName, const std::vector<TListColumn>& aColumns,
                            bool aMultiSelect);
// Shows the rows; a table whose row count changes loses its selection, as removed rows did.
void ShowRows(QTreeWidget* aView, const std::vector<QStringList>& aRows);
// Row positions of the selection in list order.
std::vector<size_t> SelectedRows(const QTreeWidget* aView);
// Refills a choice list without reporting it as the author's choice.
void ShowChoices(QComboBox* aBox, const std::vector<std::string>& aChoices, int aCurrent);
QComboBox* CreateChoiceList(QWidget* aParent, const char* aName, const std::vector<std::string>& aChoices);

} // namespace kf
