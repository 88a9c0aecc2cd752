// Tool-button glyphs and cursors, drawn with the painter on a 16-unit grid.
#include "imaging/docview/DocGlyphs.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>
#include <map>

namespace orva::imaging {

namespace {

using Draw = std::function<void(QPainter &)>;

const QColor kInk(40, 40, 40);
const QColor kPaper(250, 250, 250);
const QColor kBlue(30, 80, 170);
const QColor kRed(190, 30, 30);
const QColor kGreen(30, 130, 50);

QPen pen(const QColor &c, double width = 1.2) {
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void page(QPainter &p, const QRectF &r = QRectF(3.5, 1.5, 9, 13)) {
    p.setPen(pen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(r);
}

void lens(QPainter &p, double cx = 6.5, double cy = 6.5, double r = 4.5) {
    p.setPen(pen(kInk, 1.4));
    p.setBrush(QColor(210, 230, 250));
    p.drawEllipse(QPointF(cx, cy), r, r);
    p.setPen(pen(kInk, 2.4));
    p.drawLine(QPointF(cx + r * 0.72, cy + r * 0.72), QPointF(14.5, 14.5));
}

void triangle(QPainter &p, double left, bool pointRight) {
    QPainterPath t;
    if (pointRight) {
        t.moveTo(left, 3.5);
        t.lineTo(left + 5.5, 8);
        t.lineTo(left, 12.5);
    } else {
        t.moveTo(left + 5.5, 3.5);
        t.lineTo(left, 8);
        t.lineTo(left + 5.5, 12.5);
    }
    t.closeSubpath();
    p.setPen(pen(kBlue, 1));
    p.setBrush(kBlue);
    p.drawPath(t);
}

void bar(QPainter &p, double x) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRect(QRectF(x, 3.5, 1.8, 9));
}

void turnArrow(QPainter &p, int spanDegrees) {
    p.setPen(pen(kBlue, 1.6));
    p.setBrush(Qt::NoBrush);
    const QRectF box(2.5, 2.5, 11, 11);
    p.drawArc(box, 90 * 16, spanDegrees * 16);
    // The head at the end of the arc, pointing along it.
    const double end = (90 + spanDegrees) * M_PI / 180.0;
    const QPointF tip(8 + 5.5 * std::cos(end), 8 - 5.5 * std::sin(end));
    const double along = end + (spanDegrees > 0 ? M_PI / 2 : -M_PI / 2);
    const QPointF d(std::cos(along), -std::sin(along));
    const QPointF n(-d.y(), d.x());
    QPainterPath head;
    head.moveTo(tip + d * 2.5);
    head.lineTo(tip - d * 1.5 + n * 2.5);
    head.lineTo(tip - d * 1.5 - n * 2.5);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPath(head);
}

void smallText(QPainter &p, const QRectF &r, const QString &text, const QColor &c = kInk) {
    QFont f;
    f.setPixelSize(6);
    f.setBold(true);
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, Qt::AlignCenter, text);
}

void scanner(QPainter &p) {
    p.setPen(pen(kInk, 1));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(1.5, 8.5, 13, 5));
    p.setBrush(QColor(120, 200, 120));
    p.drawRect(QRectF(3.5, 10, 6, 1.5));
    page(p, QRectF(4.5, 1.5, 7, 7));
}

void hand(QPainter &p, double s) {
    p.save();
    p.scale(s, s);
    QPainterPath h;
    h.moveTo(4, 9);
    h.lineTo(4, 4.5);
    h.quadTo(5, 3.5, 6, 4.5);
    h.lineTo(6, 3);
    h.quadTo(7, 2, 8, 3);
    h.lineTo(8, 3.5);
    h.quadTo(9, 2.5, 10, 3.5);
    h.lineTo(10, 4.5);
    h.quadTo(11, 3.5, 12, 4.5);
    h.lineTo(12, 10);
    h.quadTo(12, 14, 8.5, 14);
    h.lineTo(7, 14);
    h.quadTo(5, 14, 3, 11);
    h.lineTo(2, 9);
    h.quadTo(3, 8, 4, 9);
    p.setPen(pen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPath(h);
    p.restore();
}

void pencil(QPainter &p, double s) {
    p.save();
    p.scale(s, s);
    QPainterPath b;
    b.moveTo(1, 15);
    b.lineTo(2, 11);
    b.lineTo(11, 2);
    b.lineTo(14, 5);
    b.lineTo(5, 14);
    b.closeSubpath();
    p.setPen(pen(Qt::black, 1));
    p.setBrush(QColor(250, 200, 60));
    p.drawPath(b);
    p.drawLine(QPointF(2, 11), QPointF(5, 14));
    p.restore();
}

const std::map<QString, Draw> &glyphs() {
    static const std::map<QString, Draw> table = {
        {"OPEN",
         [](QPainter &p) {
             p.setPen(pen(kInk, 1));
             p.setBrush(QColor(240, 200, 90));
             p.drawRect(QRectF(1.5, 4.5, 12, 9));
             p.drawRect(QRectF(1.5, 3, 5, 1.5));
             p.setBrush(QColor(250, 225, 130));
             QPainterPath front;
             front.moveTo(1.5, 13.5);
             front.lineTo(4, 7.5);
             front.lineTo(15, 7.5);
             front.lineTo(13.5, 13.5);
             front.closeSubpath();
             p.drawPath(front);
         }},
        {"SAVE",
         [](QPainter &p) {
             p.setPen(pen(kInk, 1));
             p.setBrush(kBlue);
             p.drawRect(QRectF(1.5, 1.5, 13, 13));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(4, 1.5, 8, 5));
             p.setBrush(QColor(200, 200, 200));
             p.drawRect(QRectF(3.5, 9, 9, 5.5));
         }},
        {"PRINT",
         [](QPainter &p) {
             page(p, QRectF(4.5, 1.5, 7, 5));
             p.setPen(pen(kInk, 1));
             p.setBrush(QColor(190, 190, 200));
             p.drawRect(QRectF(1.5, 6.5, 13, 6));
             page(p, QRectF(4.5, 10.5, 7, 4));
             p.setPen(kGreen);
             p.drawPoint(QPointF(12.5, 8.5));
         }},
        {"PANZOOM", [](QPainter &p) { hand(p, 1.0); }},
        {"MAGNIFY", [](QPainter &p) { lens(p); }},
        {"ZOOMIN",
         [](QPainter &p) {
             lens(p);
             p.setPen(pen(kInk, 1.4));
             p.drawLine(QPointF(4.5, 6.5), QPointF(8.5, 6.5));
             p.drawLine(QPointF(6.5, 4.5), QPointF(6.5, 8.5));
         }},
        {"ZOOMOUT",
         [](QPainter &p) {
             lens(p);
             p.setPen(pen(kInk, 1.4));
             p.drawLine(QPointF(4.5, 6.5), QPointF(8.5, 6.5));
         }},
        {"RESETZOOM",
         [](QPainter &p) {
             page(p, QRectF(1.5, 1.5, 13, 13));
             smallText(p, QRectF(1.5, 1.5, 13, 13), QStringLiteral("1:1"), kBlue);
         }},
        {"BESTFIT",
         [](QPainter &p) {
             page(p, QRectF(1.5, 1.5, 13, 13));
             p.setPen(pen(kBlue, 1.2));
             p.drawLine(QPointF(4, 4), QPointF(12, 12));
             p.drawLine(QPointF(12, 4), QPointF(4, 12));
             for (const QPointF &c : {QPointF(4, 4), QPointF(12, 4), QPointF(4, 12), QPointF(12, 12)}) {
                 p.drawLine(c, QPointF(c.x() + (c.x() < 8 ? 2.5 : -2.5), c.y()));
                 p.drawLine(c, QPointF(c.x(), c.y() + (c.y() < 8 ? 2.5 : -2.5)));
             }
         }},
        {"SCANPAGES", [](QPainter &p) { scanner(p); }},
        {"SELECTSCANNER",
         [](QPainter &p) {
             scanner(p);
             p.setPen(pen(kRed, 1.4));
             p.drawLine(QPointF(11, 2), QPointF(15, 2));
             p.drawLine(QPointF(11, 4.5), QPointF(15, 4.5));
         }},
        {"CUT",
         [](QPainter &p) {
             p.setPen(pen(kInk, 1.2));
             p.drawLine(QPointF(5, 1.5), QPointF(10, 10));
             p.drawLine(QPointF(11, 1.5), QPointF(6, 10));
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QPointF(4.5, 12), 2.2, 2.2);
             p.drawEllipse(QPointF(11.5, 12), 2.2, 2.2);
         }},
        {"COPY",
         [](QPainter &p) {
             page(p, QRectF(1.5, 1.5, 8, 10));
             page(p, QRectF(6.5, 4.5, 8, 10));
         }},
        {"PASTE",
         [](QPainter &p) {
             p.setPen(pen(kInk, 1));
             p.setBrush(QColor(190, 140, 80));
             p.drawRect(QRectF(1.5, 2.5, 10, 12));
             p.setBrush(QColor(200, 200, 200));
             p.drawRect(QRectF(4, 1.5, 5, 2.5));
             page(p, QRectF(7.5, 6.5, 7, 8));
         }},
        {"ANNOTEDIT", [](QPainter &p) { pencil(p, 1.0); }},
        {"EDITTAGS",
         [](QPainter &p) {
             QPainterPath t;
             t.moveTo(1.5, 8);
             t.lineTo(6, 3.5);
             t.lineTo(14.5, 3.5);
             t.lineTo(14.5, 12.5);
             t.lineTo(6, 12.5);
             t.closeSubpath();
             p.setPen(pen(kInk, 1));
             p.setBrush(QColor(250, 230, 150));
             p.drawPath(t);
             p.setBrush(Qt::white);
             p.drawEllipse(QPointF(5.5, 8), 1.2, 1.2);
             p.drawLine(QPointF(8.5, 6.5), QPointF(13, 6.5));
             p.drawLine(QPointF(8.5, 9.5), QPointF(12, 9.5));
         }},
        {"INVERT",
         [](QPainter &p) {
             p.setPen(pen(kInk, 1));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(1.5, 1.5, 13, 13));
             p.setBrush(Qt::black);
             QPainterPath half;
             half.moveTo(1.5, 1.5);
             half.lineTo(14.5, 1.5);
             half.lineTo(1.5, 14.5);
             half.closeSubpath();
             p.drawPath(half);
         }},
        {"ROTATE90", [](QPainter &p) { turnArrow(p, -90); }},
        {"ROTATE180", [](QPainter &p) { turnArrow(p, -180); }},
        {"DESKEW",
         [](QPainter &p) {
             p.save();
             p.translate(8, 8);
             p.rotate(-12);
             page(p, QRectF(-4.5, -6.5, 9, 13));
             p.restore();
             p.setPen(pen(kRed, 1));
             p.drawLine(QPointF(1, 15), QPointF(15, 15));
         }},
        {"REMOVEBORDER",
         [](QPainter &p) {
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(60, 60, 60));
             p.drawRect(QRectF(0.5, 0.5, 15, 15));
             page(p, QRectF(3.5, 3.5, 9, 9));
             p.setPen(QPen(kRed, 1, Qt::DashLine));
             p.setBrush(Qt::NoBrush);
             p.drawRect(QRectF(2.5, 2.5, 11, 11));
         }},
        {"EFFECTS",
         [](QPainter &p) {
             QPainterPath star;
             for (int i = 0; i < 10; ++i) {
                 const double a = -M_PI / 2 + i * M_PI / 5;
                 const double r = i % 2 ? 2.8 : 7;
                 const QPointF pt(8 + r * std::cos(a), 8.5 + r * std::sin(a));
                 i ? star.lineTo(pt) : star.moveTo(pt);
             }
             star.closeSubpath();
             p.setPen(pen(QColor(150, 100, 0), 1));
             p.setBrush(QColor(250, 200, 40));
             p.drawPath(star);
         }},
        {"FIRST",
         [](QPainter &p) {
             bar(p, 3);
             triangle(p, 6, false);
         }},
        {"PRIOR", [](QPainter &p) { triangle(p, 5, false); }},
        {"NEXT", [](QPainter &p) { triangle(p, 5.5, true); }},
        {"LAST",
         [](QPainter &p) {
             triangle(p, 4.5, true);
             bar(p, 11.2);
         }},
        {"DELETE",
         [](QPainter &p) {
             page(p);
             p.setPen(pen(kRed, 2));
             p.drawLine(QPointF(4, 4), QPointF(12, 12));
             p.drawLine(QPointF(12, 4), QPointF(4, 12));
         }},
        {"PACK",
         [](QPainter &p) {
             page(p, QRectF(1.5, 1.5, 13, 13));
             p.setPen(pen(kBlue, 1.4));
             p.drawLine(QPointF(8, 2.5), QPointF(8, 6.5));
             p.drawLine(QPointF(6, 4.5), QPointF(8, 6.5));
             p.drawLine(QPointF(10, 4.5), QPointF(8, 6.5));
             p.drawLine(QPointF(8, 13.5), QPointF(8, 9.5));
             p.drawLine(QPointF(6, 11.5), QPointF(8, 9.5));
             p.drawLine(QPointF(10, 11.5), QPointF(8, 9.5));
         }},
        {"UPDATE",
         [](QPainter &p) {
             page(p);
             p.setPen(pen(kGreen, 2));
             p.drawLine(QPointF(5, 8.5), QPointF(7.5, 11));
             p.drawLine(QPointF(7.5, 11), QPointF(12, 5));
         }},
    };
    return table;
}

} // namespace

QPixmap DocGlyph(const QString &name, int size) {
    const auto it = glyphs().find(name);
    if (it == glyphs().end() || size <= 0) {
        return {};
    }
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    it->second(p);
    return pixmap;
}

QIcon DocGlyphIcon(const QString &name, int size) {
    const QPixmap normal = DocGlyph(name, size);
    if (normal.isNull()) {
        return {};
    }
    // The disabled picture: the glyph in light gray, as the button shows it when it cannot act.
    QImage gray = normal.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < gray.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(gray.scanLine(y));
        for (int x = 0; x < gray.width(); ++x) {
            const int v = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(v, v, v, qAlpha(line[x]));
        }
    }
    QIcon icon;
    icon.addPixmap(normal, QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(gray), QIcon::Disabled);
    return icon;
}

QCursor DocCursor(const QString &name) {
    if (name == QLatin1String("GRABHAND")) {
        return QCursor(Qt::OpenHandCursor);
    }
    if (name == QLatin1String("RUBBAND")) {
        return QCursor(Qt::CrossCursor);
    }
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (name == QLatin1String("ANNO")) {
        pencil(p, 1.5);
        p.end();
        return QCursor(pixmap, 1, 22);
    }
    if (name == QLatin1String("ZOOMIN") || name == QLatin1String("ZOOMOUT")) {
        p.scale(1.5, 1.5);
        glyphs().at(name)(p);
        p.end();
        return QCursor(pixmap, 10, 10);
    }
    return QCursor(Qt::ArrowCursor);
}

} // namespace orva::imaging
