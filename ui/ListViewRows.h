#pragma once

#include <QStringList>

#include <string>
#include <utility>
#include <vector>

class QComboBox;
class QTreeWidget;
class QWidget;

namespace kf {

// A read-only report table: whole-row selection, never sorted, columns of fixed initial width.
QTreeWidget* CreateListView(QWidget* aParent, const char* aName,
                            const std::vector<std::pair<const char*, int>>& aColumns, bool aMultiSelect);
// Shows the rows; a table whose row count changes loses its selection, as removed rows did.
void ShowRows(QTreeWidget* aView, const std::vector<QStringList>& aRows);
// Row positions of the selection in list order.
std::vector<size_t> SelectedRows(const QTreeWidget* aView);
// Refills a choice list without reporting it as the author's choice.
void ShowChoices(QComboBox* aBox, const std::vector<std::string>& aChoices, int aCurrent);
QComboBox* CreateChoiceList(QWidget* aParent, const char* aName, const std::vector<std::string>& aChoices);

} // namespace kf
