#include "UiFixture.h"

#include <QIcon>
#include <QImage>
#include <QTreeWidget>

#include <vector>

namespace kf::test {
namespace {

using PageIconsTest = UiFixture;

// True when the picture has anything drawn on it.
bool HasPaint(const QImage& anImage) {
    for (int y = 0; y < anImage.height(); ++y)
        for (int x = 0; x < anImage.width(); ++x)
            if (qAlpha(anImage.pixel(x, y)) != 0)
                return true;
    return false;
}

TEST_F(PageIconsTest, EachPageNodeShowsAnIconOfItsOwnAtEverySize) {
    Start();
    const QTreeWidgetItem* root = Tree()->topLevelItem(0);
    ASSERT_EQ(root->childCount(), 6);
    for (const int size : {16, 32}) {
        std::vector<QImage> icons;
        for (int i = 0; i < root->childCount(); ++i) {
            const QIcon icon = root->child(i)->icon(0);
            ASSERT_FALSE(icon.isNull()) << root->child(i)->text(0).toStdString();
            icons.push_back(icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32));
            EXPECT_EQ(icons.back().size(), QSize(size, size));
            EXPECT_TRUE(HasPaint(icons.back())) << root->child(i)->text(0).toStdString();
        }
        for (size_t i = 0; i < icons.size(); ++i)
            for (size_t j = i + 1; j < icons.size(); ++j)
                EXPECT_NE(icons[i], icons[j])
                    << root->child(static_cast<int>(i))->text(0).toStdString() << " and "
                    << root->child(static_cast<int>(j))->text(0).toStdString() << " at " << size << " pixels";
    }
}

} // namespace
} // namespace kf::test
