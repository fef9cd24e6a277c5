#include "UiFixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QLayout>
#include <QScrollArea>
#include <QTabWidget>

namespace kf::test {
namespace {

class MinimumSizeTest : public UiFixture {
protected:
    // Each tab of each page group, shown in turn at the window's minimum size.
    template <typename F> void ForEachTab(F aCheck) {
        fForm->resize(fForm->minimumSize());
        for (int page = 1; page <= 6; ++page) {
            fForm->SelectPage(page);
            auto* tabs = fForm->findChild<QTabWidget*>(QStringLiteral("PageControl%1").arg(page));
            for (int tab = 0; tab < tabs->count(); ++tab) {
                tabs->setCurrentIndex(tab);
                QApplication::processEvents();
                SCOPED_TRACE(tabs->tabText(tab).toStdString());
                aCheck(tabs->widget(tab));
            }
        }
    }
};

// Below every widget that lays out its children: each visible child lies inside it and apart
// from its siblings.
void ExpectLaidOutApart(const QWidget* aWidget) {
    const QList<QWidget*> children = aWidget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QList<const QWidget*> shown;
    for (const QWidget* child : children) {
        if (child->isVisible() && !child->isWindow())
            shown << child;
    }
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (aWidget->layout()) {
            EXPECT_TRUE(aWidget->rect().contains(shown[i]->geometry()))
                << shown[i]->metaObject()->className() << " " << shown[i]->objectName().toStdString()
                << " sticks out of " << aWidget->metaObject()->className();
            for (qsizetype j = i + 1; j < shown.size(); ++j)
                EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                    << shown[i]->metaObject()->className() << " " << shown[i]->objectName().toStdString()
                    << " overlaps " << shown[j]->metaObject()->className() << " "
                    << shown[j]->objectName().toStdString();
        }
        ExpectLaidOutApart(shown[i]);
    }
}

QScrollArea* EnclosingScroller(QWidget* aWidget) {
    for (QWidget* parent = aWidget->parentWidget(); parent; parent = parent->parentWidget()) {
        if (auto* scroller = qobject_cast<QScrollArea*>(parent))
            return scroller;
    }
    return nullptr;
}

TEST_F(MinimumSizeTest, NoPageSqueezesItsControlsTogether) {
    Start();
    ForEachTab([](QWidget* aTab) {
        for (const QScrollArea* scroller : aTab->findChildren<QScrollArea*>()) {
            const QWidget* content = scroller->widget();
            EXPECT_GE(content->width(), content->minimumSizeHint().width());
            EXPECT_GE(content->height(), content->minimumSizeHint().height());
        }
        ExpectLaidOutApart(aTab);
    });
}

TEST_F(MinimumSizeTest, EveryGroupCanBeScrolledIntoView) {
    Start();
    int groups = 0;
    ForEachTab([&groups](QWidget* aTab) {
        for (QGroupBox* group : aTab->findChildren<QGroupBox*>()) {
            ++groups;
            SCOPED_TRACE(group->title().toStdString());
            EXPECT_TRUE(group->isVisible());
            EXPECT_GE(group->height(), group->minimumSizeHint().height());
            QScrollArea* scroller = EnclosingScroller(group);
            ASSERT_NE(scroller, nullptr);
            scroller->ensureWidgetVisible(group);
            QApplication::processEvents();
            const QRect shown(group->mapTo(scroller->viewport(), QPoint()), group->size());
            EXPECT_TRUE(scroller->viewport()->rect().intersects(shown));
        }
    });
    // The Files page's Install Path, the Shortcut Directory and the Finish page's group.
    EXPECT_EQ(groups, 3);
}

} // namespace
} // namespace kf::test
