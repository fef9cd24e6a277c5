#include "PagesFixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTreeWidget>

#include <algorithm>
#include <array>
#include <vector>

namespace kf::test {
namespace {

// A report table with the columns that hold paths and their widths before any fitting.
struct TTable {
    const char* Name;
    int Page;
    std::vector<int> PathColumns;
    std::vector<int> InitialWidths;
};

const std::array<TTable, 3> kTables{{
    {"ListView1", 3, {0, 2}, {150, 100}},
    {"ListView2", 4, {0, 1}, {200, 200}},
    {"ListView3", 5, {1, 4}, {100, 100}},
}};

class ColumnSizerTest : public PagesFixture {
protected:
    QTreeWidget* Show(const TTable& aTable) const {
        fForm->SelectPage(aTable.Page);
        QApplication::processEvents();
        return Find<QTreeWidget>(aTable.Name);
    }
    void ResizeWindow(const QSize& aSize) const {
        fForm->resize(aSize);
        QApplication::processEvents();
    }
    static int ColumnsWidth(const QTreeWidget* aView) {
        int total = 0;
        for (int column = 0; column < aView->columnCount(); ++column)
            total += aView->columnWidth(column);
        return total;
    }
    static std::vector<int> Widths(const QTreeWidget* aView) {
        std::vector<int> widths;
        for (int column = 0; column < aView->columnCount(); ++column)
            widths.push_back(aView->columnWidth(column));
        return widths;
    }
};

TEST_F(ColumnSizerTest, AtTheDefaultSizeEveryColumnAndCaptionIsInView) {
    for (const TTable& table : kTables) {
        SCOPED_TRACE(table.Name);
        const QTreeWidget* view = Show(table);
        EXPECT_LE(ColumnsWidth(view), view->viewport()->width());
        EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
        for (int column = 0; column < view->columnCount(); ++column)
            EXPECT_GE(view->columnWidth(column), view->header()->sectionSizeHint(column)) << column;
    }
}

TEST_F(ColumnSizerTest, AWideWindowGivesTheSpareWidthToThePathColumnsOnly) {
    for (const TTable& table : kTables) {
        SCOPED_TRACE(table.Name);
        ResizeWindow(QSize(630, 480));
        const QTreeWidget* view = Show(table);
        const std::vector<int> before = Widths(view);
        ResizeWindow(QSize(1300, 800));
        EXPECT_EQ(ColumnsWidth(view), view->viewport()->width());
        for (size_t i = 0; i < table.PathColumns.size(); ++i)
            EXPECT_GT(view->columnWidth(table.PathColumns[i]), table.InitialWidths[i]);
        for (int column = 0; column < view->columnCount(); ++column) {
            const bool holdsPaths = std::find(table.PathColumns.begin(), table.PathColumns.end(), column) !=
                                    table.PathColumns.end();
            if (!holdsPaths) {
                EXPECT_EQ(view->columnWidth(column), before[static_cast<size_t>(column)]) << column;
            }
        }
        ResizeWindow(QSize(630, 480));
        EXPECT_EQ(Widths(view), before);
    }
}

TEST_F(ColumnSizerTest, AColumnTheUserResizedKeepsItsWidthWhateverTheWindowSize) {
    QTreeWidget* view = Show(kTables[0]);
    view->header()->resizeSection(0, 230);
    ResizeWindow(QSize(1300, 800));
    EXPECT_EQ(view->columnWidth(0), 230);
    EXPECT_GT(view->columnWidth(2), 100);
    EXPECT_EQ(ColumnsWidth(view), view->viewport()->width());
    ResizeWindow(QSize(700, 500));
    EXPECT_EQ(view->columnWidth(0), 230);
}

TEST_F(ColumnSizerTest, ColumnsThatHoldNoPathWidenToTheirTexts) {
    fForm->SelectPage(3);
    AddNewFiles({"a.exe"});
    QApplication::processEvents();
    const auto* view = Find<QTreeWidget>("ListView1");
    ASSERT_EQ(Column("ListView1", 3), QStringList{"Overwrite"});
    EXPECT_GT(view->columnWidth(3), view->fontMetrics().horizontalAdvance(QStringLiteral("Overwrite")));
    EXPECT_LE(ColumnsWidth(view), view->viewport()->width());
}

} // namespace
} // namespace kf::test
