// Cursor bitmaps: 32 x 32, drawn black with a white edge so that they show on light and dark.
#include "common/ResourceCursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cstring>

namespace ResourceCursors {

namespace {

constexpr int kSize = 32;

// Draws `shape` twice: a wide white stroke for the edge, then the black shape over it.
QPixmap drawn(const QPainterPath &outline, const QPainterPath &filled) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(outline);
    p.drawPath(filled);
    p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(outline);
    p.setBrush(Qt::black);
    p.drawPath(filled);
    return pixmap;
}

// A lens with its handle to the lower right; the hot spot is the middle of the lens.
QCursor magnifyingGlass() {
    QPainterPath outline;
    outline.addEllipse(QPointF(12, 12), 8, 8);
    outline.moveTo(18, 18);
    outline.lineTo(28, 28);
    QPainterPath filled;
    filled.moveTo(19, 21);
    filled.lineTo(21, 19);
    filled.lineTo(29, 27);
    filled.lineTo(27, 29);
    filled.closeSubpath();
    return QCursor(drawn(outline, filled), 12, 12);
}

// A printer with a sheet coming out of its top; the hot spot is the top left.
QCursor printer() {
    QPainterPath outline;
    outline.addRect(10, 3, 12, 10);              // the sheet
    outline.addRoundedRect(3, 13, 26, 12, 2, 2); // the body
    outline.addRect(8, 21, 16, 8);               // the tray
    QPainterPath filled;
    filled.addRect(24, 16, 3, 2); // the light
    return QCursor(drawn(outline, filled), 0, 0);
}

// A loudspeaker with two sound waves; the hot spot is the middle.
QCursor speaker() {
    QPainterPath filled;
    filled.moveTo(4, 12);
    filled.lineTo(10, 12);
    filled.lineTo(17, 5);
    filled.lineTo(17, 27);
    filled.lineTo(10, 20);
    filled.lineTo(4, 20);
    filled.closeSubpath();
    QPainterPath outline;
    outline.arcMoveTo(QRectF(14, 10, 10, 12), 60);
    outline.arcTo(QRectF(14, 10, 10, 12), 60, -120);
    outline.arcMoveTo(QRectF(14, 5, 16, 22), 60);
    outline.arcTo(QRectF(14, 5, 16, 22), 60, -120);
    return QCursor(drawn(outline, filled), 16, 16);
}

} // namespace

QCursor Load(const char *name) {
    if (std::strcmp(name, "MAGGLASS") == 0) {
        return magnifyingGlass();
    }
    if (std::strcmp(name, "PRINTER") == 0) {
        return printer();
    }
    if (std::strcmp(name, "SPEAKER") == 0) {
        return speaker();
    }
    if (std::strcmp(name, "GRABHAND") == 0) {
        return QCursor(Qt::OpenHandCursor); // the system's own hand is the nearest there is
    }
    return QCursor(Qt::ArrowCursor);
}

} // namespace ResourceCursors
