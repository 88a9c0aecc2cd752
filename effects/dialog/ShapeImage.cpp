// The border masks of the effects dialog.
#include "effects/dialog/ShapeImage.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orva::effects {

QStringList ShapeImage::ShapeNames() {
    return {QStringLiteral("None"),       QStringLiteral("Rectangle"),    QStringLiteral("Square"),
            QStringLiteral("RoundRect"),  QStringLiteral("RoundSquare"),  QStringLiteral("Ellipse"),
            QStringLiteral("Circle"),     QStringLiteral("TriangleLeft"), QStringLiteral("TriangleRight"),
            QStringLiteral("TriangleUp"), QStringLiteral("TriangleDown"), QStringLiteral("Diamond"),
            QStringLiteral("Star"),       QStringLiteral("PolyGon")};
}

QPolygonF ShapeImage::PolygonIn(const QRectF &area) const {
    int vectors = std::clamp(Vectors, 3, 100);
    int vectorP = std::clamp(VectorP, 0, 100);
    int angle = Angle;
    if (Shape == shStar) {
        vectorP = vectorP == 0 ? 50 : vectorP;
        vectors = std::max(vectors, 10);
        angle = 90;
    }
    const QPointF centre = area.center();
    const double radius = std::min(area.width(), area.height()) / 2;
    QPolygonF points;
    for (int i = 0; i < vectors; ++i) {
        const double a = (360.0 / vectors * i - angle) * std::numbers::pi / 180.0;
        const double r = i % 2 == 0 ? radius : radius * (100 - vectorP) / 100.0;
        points << QPointF(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
    }
    return points;
}

QImage ShapeImage::Render(const QSize &size, const QColor &outside, const QColor &inside) const {
    QImage mask(size, QImage::Format_RGB32);
    if (mask.isNull())
        return mask;
    mask.fill(outside);
    const int e = std::max(0, EdgeSize);
    const QRectF area = QRectF(mask.rect()).adjusted(e, e, -e, -e);
    if (Shape == shNone || area.width() <= 0 || area.height() <= 0)
        return mask;
    const double side = std::min(area.width(), area.height());
    const QRectF square(area.center().x() - side / 2, area.center().y() - side / 2, side, side);
    const double l = area.left(), t = area.top(), r = area.right(), b = area.bottom();
    const double mx = area.center().x(), my = area.center().y();
    QPainterPath path;
    switch (Shape) {
    case shRectangle:
        path.addRect(area);
        break;
    case shSquare:
        path.addRect(square);
        break;
    case shRoundRect:
        path.addRoundedRect(area, side / 4, side / 4);
        break;
    case shRoundSquare:
        path.addRoundedRect(square, side / 4, side / 4);
        break;
    case shEllipse:
        path.addEllipse(area);
        break;
    case shCircle:
        path.addEllipse(square);
        break;
    case shTriangleLeft:
        path.addPolygon(QPolygonF({QPointF(r, t), QPointF(r, b), QPointF(l, my)}));
        break;
    case shTriangleRight:
        path.addPolygon(QPolygonF({QPointF(l, t), QPointF(r, my), QPointF(l, b)}));
        break;
    case shTriangleUp:
        path.addPolygon(QPolygonF({QPointF(mx, t), QPointF(l, b), QPointF(r, b)}));
        break;
    case shTriangleDown:
        path.addPolygon(QPolygonF({QPointF(l, t), QPointF(mx, b), QPointF(r, t)}));
        break;
    case shDiamond:
        path.addPolygon(QPolygonF({QPointF(mx, t), QPointF(r, my), QPointF(mx, b), QPointF(l, my)}));
        break;
    case shStar:
    case shPolyGon:
        path.addPolygon(PolygonIn(area));
        break;
    case shNone:
        break;
    }
    path.closeSubpath();
    QPainter p(&mask);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillPath(path, inside);
    return mask;
}

} // namespace orva::effects
