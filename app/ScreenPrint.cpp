// Drawing the screen print.
#include "app/ScreenPrint.h"

#include "common/HostText.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <cmath>

namespace ScreenPrint {

namespace {
constexpr int kColumns = 80;
constexpr qreal kSmallestPointSize = 1;
} // namespace

QFont FitFont(QFont font, QPaintDevice *device, int pageWidth) {
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    const QString columns(kColumns, QLatin1Char('M'));
    for (qreal size = kPointSize; size > kSmallestPointSize; size -= 0.5) {
        font.setPointSizeF(size);
        if (QFontMetricsF(font, device).horizontalAdvance(columns) <= pageWidth) {
            return font;
        }
    }
    font.setPointSizeF(kSmallestPointSize);
    return font;
}

bool PrintRows(QPagedPaintDevice &device, const QFont &terminalFont, const QList<QByteArray> &rows) {
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    const int pageWidth = device.width();
    const int pageHeight = device.height();
    const QFont font = FitFont(terminalFont, &device, pageWidth);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &device);
    const qreal textWidth = metrics.horizontalAdvance(QString(kColumns, QLatin1Char('M')));
    const qreal lineHeight = metrics.height();
    const qreal cellWidth = textWidth / kColumns;
    const qreal margin = std::max<qreal>(0, (pageWidth - textWidth) / 2);
    const QRectF page(margin, margin, pageWidth - 2 * margin, pageHeight - 2 * margin);
    painter.setClipRect(page);
    // What lies beyond the right margin is not drawn at all, so it is not in the page's text either.
    const auto visibleColumns = qsizetype(std::ceil(page.width() / cellWidth));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const qreal top = margin + qreal(i) * lineHeight;
        if (top >= page.bottom()) {
            break;
        }
        const QString text = HostText::toUnicode(rows[i].left(visibleColumns));
        painter.drawText(QPointF(margin, top + metrics.ascent()), text);
    }
    return painter.end();
}

} // namespace ScreenPrint
