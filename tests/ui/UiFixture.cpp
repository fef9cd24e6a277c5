#include "UiFixture.h"

#include <QAction>
#include <QApplication>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <cstdlib>

namespace kf::test {

UiFixture::UiFixture() {
    setenv("KELPFORGE_SETTINGS_FOLDER", fFolder.Path("").c_str(), 1);
}

UiFixture::~UiFixture() {
    fForm.reset();
    unsetenv("KELPFORGE_SETTINGS_FOLDER");
}

TForm1& UiFixture::Start() {
    fForm = std::make_unique<TForm1>(fPrompter);
    fForm->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(fForm.get()));
    QApplication::processEvents();
    return *fForm;
}

void UiFixture::Close() {
    fForm->close();
    fForm.reset();
}

QTreeWidget* UiFixture::Tree() const {
    return fForm->findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
}

QAction* UiFixture::Action(const char* aName) const {
    return fForm->findChild<QAction*>(QLatin1String(aName));
}

int UiFixture::VisiblePage() const {
    int visible = 0;
    for (int n = 1; n <= 6; ++n) {
        const auto* page = fForm->findChild<QTabWidget*>(QStringLiteral("PageControl%1").arg(n));
        if (page && page->isVisible()) {
            if (visible)
                return 0;
            visible = n;
        }
    }
    return visible;
}

QString UiFixture::SelectedNode() const {
    const QTreeWidgetItem* node = Tree()->currentItem();
    return node ? node->text(0) : QString();
}

} // namespace kf::test
