// Drawing the DYNAMICRANGE marker.
#include "editor/report/DynamicTarget.h"

#include "platform/files/SharedFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPainter>
#include <charconv>
#include <cmath>
#include <optional>

namespace {

std::optional<double> parsePercent(const QByteArray &text) {
    const QByteArray t = text.trimmed();
    double v = 0;
    const auto r = std::from_chars(t.constData(), t.constData() + t.size(), v);
    if (t.isEmpty() || r.ec != std::errc() || r.ptr != t.constData() + t.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace

tDynamicTarget::tDynamicTarget() : Pen(Qt::black), Font(QStringLiteral("Arial"), 12, QFont::Bold) {}

QByteArray tDynamicTarget::ImageError(int code) {
    switch (code) {
    case SourceNotLoaded:
        return "Unable to load source Image";
    case SaveFailed:
        return "Unable to save Destination image";
    case OutOfRange:
        return "Range out of bounds";
    default:
        return {};
    }
}

int tDynamicTarget::AddTarget(const QString &source, const QString &output, const QByteArray &percent,
                              const QString &label) {
    const std::optional<double> at = parsePercent(percent);
    if (!at || *at < 0 || *at > 100)
        return OutOfRange;
    QImage picture(source);
    if (picture.isNull())
        return SourceNotLoaded;
    // The AND works on colours, not on palette indices.
    picture = picture.convertToFormat(QImage::Format_RGB32);
    const int h = picture.height();
    QImage marker(h, h, QImage::Format_RGB32);
    marker.fill(Qt::white);
    {
        QPainter p(&marker);
        p.setRenderHint(QPainter::Antialiasing);
        QPen pen = Pen;
        pen.setWidth(2);
        p.setPen(pen);
        p.drawEllipse(QRect(4, 4, h - 8, h - 8));
        p.drawLine(h / 2, 0, h / 2, h);
        p.drawLine(0, h / 2, h, h / 2);
        p.setFont(Font);
        const QFontMetrics fm(Font);
        p.drawText((h - fm.horizontalAdvance(label)) / 2, (h - fm.height()) / 2 + fm.ascent(), label);
    }
    const int left = qMax(0, int(std::lround(picture.width() * *at / 100.0 - h / 2)));
    if (picture.width() < left + h) {
        QImage wider(left + h, h, QImage::Format_RGB32);
        wider.fill(Qt::white);
        QPainter(&wider).drawImage(0, 0, picture);
        picture = wider;
    }
    {
        QPainter p(&picture);
        p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        p.drawImage(left, 0, marker);
    }
    m_picture = picture;
    const QByteArray format = QFileInfo(output).suffix().toLower().toLatin1();
    // The report names the picture by its file, so whoever opens the report must be able to read it.
    QByteArray encoded;
    QBuffer buffer(&encoded);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, format.constData()) ||
        !SharedFile::save(output, encoded))
        return SaveFailed;
    return Done;
}
