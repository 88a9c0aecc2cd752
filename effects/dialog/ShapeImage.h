// ShapeImage: the mask of the Borders tab: the picture's outside in one colour and a shape (inset by
// the edge size) in another, at any size. Drawn without smoothing, so that each pixel holds exactly
// one of the two colours and the merge can treat one of them as transparent.
#pragma once

#include <QColor>
#include <QImage>
#include <QPolygonF>
#include <QStringList>

namespace orva::effects {

enum TMyShapeType {
    shNone,
    shRectangle,
    shSquare,
    shRoundRect,
    shRoundSquare,
    shEllipse,
    shCircle,
    shTriangleLeft,
    shTriangleRight,
    shTriangleUp,
    shTriangleDown,
    shDiamond,
    shStar,
    shPolyGon
};

class ShapeImage {
public:
    TMyShapeType Shape = shNone;
    int EdgeSize = 1;
    int Angle = 90;   // 0..359
    int VectorP = 50; // 0..100
    int Vectors = 10; // 3..100

    // The 14 names of the shape box, in TMyShapeType order.
    static QStringList ShapeNames();
    QImage Render(const QSize &size, const QColor &outside, const QColor &inside) const;
    // The points of a star or polygon inside a rectangle.
    QPolygonF PolygonIn(const QRectF &area) const;
};

} // namespace orva::effects
