#include "ui/ListViewRows.h"

#include "ui/ColumnSizer.h"

#include <QComboBox>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <algorithm>
#include <utility>

namespace kf {

QTreeWidget* CreateListView(QWidget* aParent, const char* aName, const std::vector<TListColumn>& aColumns,
                            bool aMultiSelect) {
    auto* view = new QTreeWidget(aParent);
    view->setObjectName(QLatin1String(aName));
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setSortingEnabled(false);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(aMultiSelect ? QAbstractItemView::ExtendedSelection
                                        : QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setColumnCount(static_cast<int>(aColumns.size()));
    // A path cut short keeps its end, the file or key name, in view.
    view->setTextElideMode(Qt::ElideLeft);
    QStringList captions;
    std::vector<bool> stretches;
    for (const TListColumn& column : aColumns) {
        captions << QLatin1String(column.Caption);
        stretches.push_back(column.Stretches);
    }
    view->setHeaderLabels(captions);
    for (size_t i = 0; i < aColumns.size(); ++i)
        view->setColumnWidth(static_cast<int>(i), aColumns[i].Width);
    view->header()->setStretchLastSection(false);
    new TColumnSizer(view, std::move(stretches));
    return view;
}

void ShowRows(QTreeWidget* aView, const std::vector<QStringList>& aRows) {
    const int count = static_cast<int>(aRows.size());
    if (aView->topLevelItemCount() != count)
        aView->clearSelection();
    while (aView->topLevelItemCount() > count)
        delete aView->takeTopLevelItem(aView->topLevelItemCount() - 1);
    while (aView->topLevelItemCount() < count)
        aView->addTopLevelItem(new QTreeWidgetItem(aView));
    for (int row = 0; row < count; ++row) {
        QTreeWidgetItem* item = aView->topLevelItem(row);
        for (int column = 0; column < aRows[static_cast<size_t>(row)].size(); ++column)
            item->setText(column, aRows[static_cast<size_t>(row)][column]);
    }
}

std::vector<size_t> SelectedRows(const QTreeWidget* aView) {
    std::vector<size_t> rows;
    for (QTreeWidgetItem* item : aView->selectedItems())
        rows.push_back(static_cast<size_t>(aView->indexOfTopLevelItem(item)));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ShowChoices(QComboBox* aBox, const std::vector<std::string>& aChoices, int aCurrent) {
    const QSignalBlocker blocker(aBox);
    QStringList items;
    for (const std::string& choice : aChoices)
        items << QString::fromStdString(choice);
    QStringList shown;
    for (int i = 0; i < aBox->count(); ++i)
        shown << aBox->itemText(i);
    if (shown != items) {
        const QString text = aBox->currentText();
        aBox->clear();
        aBox->addItems(items);
        if (aBox->isEditable()) {
            aBox->setCurrentIndex(-1);
            aBox->setEditText(text);
        }
    }
    if (!aBox->isEditable())
        aBox->setCurrentIndex(aCurrent);
}

QComboBox* CreateChoiceList(QWidget* aParent, const char* aName, const std::vector<std::string>& aChoices) {
    auto* box = new QComboBox(aParent);
    box->setObjectName(QLatin1String(aName));
    ShowChoices(box, aChoices, 0);
    return box;
}

} // namespace kf
