#include "UiFixture.h"

#include "ui/Glyphs.h"

#include <QAction>
#include <QIcon>
#include <QImage>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <string>
#include <utility>
#include <vector>

namespace kf::test {
namespace {

using GlyphsTest = UiFixture;

// True when the picture has anything drawn on it.
bool HasPaint(const QImage& anImage) {
    for (int y = 0; y < anImage.height(); ++y)
        for (int x = 0; x < anImage.width(); ++x)
            if (qAlpha(anImage.pixel(x, y)) != 0)
                return true;
    return false;
}

QImage Picture(const QIcon& anIcon, int aSize) {
    return anIcon.pixmap(aSize, aSize).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Each named picture differs from every other at the size.
void ExpectAllDifferent(const std::vector<std::pair<std::string, QImage>>& aPictures, int aSize) {
    for (size_t i = 0; i < aPictures.size(); ++i)
        for (size_t j = i + 1; j < aPictures.size(); ++j)
            EXPECT_NE(aPictures[i].second, aPictures[j].second)
                << aPictures[i].first << " and " << aPictures[j].first << " at " << aSize << " pixels";
}

TEST(GlyphFilesTest, EveryGlyphIsDrawnAtEverySize) {
    for (int glyph = static_cast<int>(TGlyph::Project); glyph <= static_cast<int>(TGlyph::Exit); ++glyph)
        for (const int size : {16, 24, 32, 48}) {
            const QIcon icon = GlyphIcon(static_cast<TGlyph>(glyph));
            EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << glyph << " at " << size;
            EXPECT_TRUE(HasPaint(Picture(icon, size))) << glyph << " at " << size;
        }
}

TEST_F(GlyphsTest, EachTreeNodeShowsAnIconOfItsOwnAtEverySize) {
    Start();
    QTreeWidgetItem* root = Tree()->topLevelItem(0);
    ASSERT_EQ(root->childCount(), 6);
    std::vector<QTreeWidgetItem*> nodes{root};
    for (int i = 0; i < root->childCount(); ++i)
        nodes.push_back(root->child(i));
    for (const int size : {16, 32}) {
        std::vector<std::pair<std::string, QImage>> icons;
        for (const QTreeWidgetItem* node : nodes) {
            icons.emplace_back(node->text(0).toStdString(), Picture(node->icon(0), size));
            EXPECT_EQ(icons.back().second.size(), QSize(size, size));
            EXPECT_TRUE(HasPaint(icons.back().second)) << icons.back().first;
        }
        ExpectAllDifferent(icons, size);
    }
}

// No toolbar glyph stands for two things: none is another button's or a tree node's picture.
TEST_F(GlyphsTest, EveryToolbarButtonHasAGlyphOfItsOwn) {
    TForm1& form = Start();
    const QTreeWidgetItem* root = Tree()->topLevelItem(0);
    std::vector<std::pair<std::string, QImage>> pictures{{"Project node", Picture(root->icon(0), 16)}};
    for (int i = 0; i < root->childCount(); ++i)
        pictures.emplace_back(root->child(i)->text(0).toStdString() + " node",
                              Picture(root->child(i)->icon(0), 16));
    for (int i = 1; i <= 8; ++i) {
        auto* button = form.findChild<QToolButton*>(QStringLiteral("ToolButton%1").arg(i));
        ASSERT_NE(button, nullptr) << i;
        pictures.emplace_back(button->toolTip().toStdString(), Picture(button->defaultAction()->icon(), 16));
        EXPECT_TRUE(HasPaint(pictures.back().second)) << pictures.back().first;
    }
    ExpectAllDifferent(pictures, 16);
}

TEST_F(GlyphsTest, AMenuItemShowsTheGlyphOfItsToolbarButton) {
    TForm1& form = Start();
    for (const auto& [item, button] : std::vector<std::pair<const char*, int>>{
             {"New1", 1}, {"Open1", 2}, {"Save1", 3}, {"Build1", 4}, {"Buildandrun1", 5}, {"N5", 6}}) {
        const QAction* tool =
            form.findChild<QToolButton*>(QStringLiteral("ToolButton%1").arg(button))->defaultAction();
        EXPECT_EQ(Picture(Action(item)->icon(), 16), Picture(tool->icon(), 16)) << item;
    }
    EXPECT_TRUE(HasPaint(Picture(Action("N7")->icon(), 16))) << "Exit has no glyph";
}

} // namespace
} // namespace kf::test
