#include "ui/PageIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTransform>

#include <array>
#include <initializer_list>
#include <utility>

namespace kf {

namespace {

// Every drawing is laid out on a 16 by 16 grid and scaled to the pixmap's size.
constexpr qreal kGrid = 16.0;

void Outline(QPainter& aPainter, const QPainterPath& aShape, const QColor& aFill) {
    aPainter.setPen(QPen(aFill.darker(170), 0.8));
    aPainter.setBrush(aFill);
    aPainter.drawPath(aShape);
}

QPainterPath Polygon(std::initializer_list<QPointF> aCorners) {
    QPainterPath path;
    path.addPolygon(QPolygonF(aCorners));
    path.closeSubpath();
    return path;
}

void DrawGear(QPainter& aPainter) {
    QPainterPath gear;
    gear.addEllipse(QPointF(8, 8), 5, 5);
    for (int tooth = 0; tooth < 8; ++tooth) {
        QPainterPath rect;
        rect.addRect(QRectF(-1.4, -7.5, 2.8, 3.5));
        gear = gear.united(QTransform().translate(8, 8).rotate(45.0 * tooth).map(rect));
    }
    QPainterPath hole;
    hole.addEllipse(QPointF(8, 8), 2, 2);
    Outline(aPainter, gear.subtracted(hole), QColor(0x6f, 0x86, 0xa8));
}

void DrawSheet(QPainter& aPainter) {
    const QPainterPath sheet = Polygon({{2.5, 0.5}, {10, 0.5}, {13.5, 4}, {13.5, 15.5}, {2.5, 15.5}});
    Outline(aPainter, sheet, Qt::white);
    aPainter.drawPolyline(QPolygonF({QPointF(10, 0.5), QPointF(10, 4), QPointF(13.5, 4)}));
    aPainter.setPen(QPen(QColor(0x3a, 0x5f, 0xcd), 1.0));
    for (const auto& [top, right] :
         std::array<std::pair<qreal, qreal>, 5>{{{4.5, 8.5}, {7, 11.5}, {9, 11.5}, {11, 11.5}, {13, 9}}})
        aPainter.drawLine(QPointF(4.5, top), QPointF(right, top));
}

void DrawFolder(QPainter& aPainter) {
    const QPainterPath back = Polygon({{0.5, 3}, {5.5, 3}, {7, 4.5}, {14.5, 4.5}, {14.5, 13.5}, {0.5, 13.5}});
    Outline(aPainter, back, QColor(0xd9, 0xa4, 0x2e));
    const QPainterPath front = Polygon({{2.5, 7}, {15.5, 7}, {14.5, 13.5}, {0.5, 13.5}});
    Outline(aPainter, front, QColor(0xf5, 0xcf, 0x6a));
}

void DrawShortcutArrow(QPainter& aPainter) {
    QPainterPath box;
    box.addRoundedRect(QRectF(0.5, 0.5, 15, 15), 2, 2);
    Outline(aPainter, box, Qt::white);
    const QColor arrow(0x1f, 0x8a, 0x4c);
    QPainterPath bend;
    bend.moveTo(3.5, 13);
    bend.cubicTo(3.5, 7, 6, 5.5, 10, 5.5);
    aPainter.setPen(QPen(arrow, 2.2, Qt::SolidLine, Qt::RoundCap));
    aPainter.setBrush(Qt::NoBrush);
    aPainter.drawPath(bend);
    aPainter.setPen(Qt::NoPen);
    aPainter.setBrush(arrow);
    aPainter.drawPolygon(QPolygonF({QPointF(9, 1.8), QPointF(14, 5.5), QPointF(9, 9.2)}));
}

void DrawBlocks(QPainter& aPainter) {
    const std::array<std::pair<QRectF, QColor>, 3> blocks{{
        {QRectF(1, 8.5, 6.5, 6.5), QColor(0xd0, 0x4a, 0x3c)},
        {QRectF(8.5, 8.5, 6.5, 6.5), QColor(0x3c, 0x8d, 0xd0)},
        {QRectF(4.75, 1, 6.5, 6.5), QColor(0x8a, 0x5c, 0xc4)},
    }};
    for (const auto& [place, colour] : blocks) {
        QPainterPath block;
        block.addRect(place);
        Outline(aPainter, block, colour);
    }
}

void DrawCheckMark(QPainter& aPainter) {
    QPainterPath disc;
    disc.addEllipse(QPointF(8, 8), 7.3, 7.3);
    Outline(aPainter, disc, QColor(0x2e, 0xa0, 0x43));
    aPainter.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    aPainter.drawPolyline(QPolygonF({QPointF(4.5, 8.3), QPointF(7, 10.8), QPointF(11.5, 5.5)}));
}

using TDrawing = void (*)(QPainter&);

constexpr std::array<TDrawing, 6> kDrawings{DrawGear,          DrawSheet,  DrawFolder,
                                            DrawShortcutArrow, DrawBlocks, DrawCheckMark};

QPixmap Rendered(TDrawing aDrawing, int aSize) {
    QPixmap pixmap(aSize, aSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(aSize / kGrid, aSize / kGrid);
    aDrawing(painter);
    return pixmap;
}

} // namespace

QIcon PageIcon(int aNumber) {
    const TDrawing drawing = kDrawings.at(static_cast<size_t>(aNumber - 1));
    QIcon icon;
    // Drawn at each size rather than scaled, so lines stay sharp on dense screens.
    for (const int size : {16, 24, 32, 48})
        icon.addPixmap(Rendered(drawing, size));
    return icon;
}

} // namespace kf
