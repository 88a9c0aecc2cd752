// Drawing the DYNAMICRANGE marker.
#include "editor/report/DynamicTarget.h"

#include "common/FileWait.h"
#include "platform/files/SharedFile.h"
#include "platform/imageio/Codecs.h"
#include "platform/imageio/DibConvert.h"
#include "platform/imageio/ImageIoLibrary.h"

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

// Decoded through our own readers, which check every size against the data before they allocate,
// rather than whichever image plugin Qt would pick for the file. The file may sit on a share: it is
// read in a worker, and a share that does not answer counts as a picture that cannot be loaded.
QImage readSource(const QString &file, int waitMs) {
    using namespace orva::imageio;
    const std::optional<QImage> read = FileWait::Bounded(
        [file] {
            Bytes data;
            if (lib::readWholeFile(file, data) != kOk)
                return QImage();
            const QString type = lib::detectType(data, file);
            DibBlock dib;
            std::int16_t code = ErrUnsupported;
            if (type == QLatin1String("BMP"))
                code = decodeBmp(data.data(), data.size(), dib);
            else if (type == QLatin1String("PNG"))
                code = decodePng(data.data(), data.size(), dib);
            else if (type == QLatin1String("GIF"))
                code = decodeGif(data.data(), data.size(), dib);
            else if (type == QLatin1String("JPEG"))
                code = decodeJpeg(data.data(), data.size(), dib);
            else if (type == QLatin1String("TIFF"))
                code = lib::readtiffiledibstream(data, 0, 0, 0, dib);
            return code == kOk ? dibToQImage(dib) : QImage();
        },
        waitMs);
    if (!read)
        FileWait::TraceNoAnswer(QStringLiteral("range picture"), file);
    return read.value_or(QImage());
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
    case SourceTooLarge:
        return "Source image is too large";
    default:
        return {};
    }
}

int tDynamicTarget::AddTarget(const QString &source, const QString &output, const QByteArray &percent,
                              const QString &label) {
    const std::optional<double> at = parsePercent(percent);
    if (!at || *at < 0 || *at > 100)
        return OutOfRange;
    QImage picture = readSource(source, SourceWaitMs);
    if (picture.isNull())
        return SourceNotLoaded;
    if (qint64(picture.width()) * picture.height() > kMaxSourcePixels)
        return SourceTooLarge;
    // The AND works on colours, not on palette indices.
    picture = picture.convertToFormat(QImage::Format_RGB32);
    const int h = picture.height();
    // The marker is a square as high as the picture, but never wider than the picture: a picture
    // far higher than wide would otherwise cost the square of its height.
    const int side = qMin(h, picture.width());
    QImage marker(side, h, QImage::Format_RGB32);
    marker.fill(Qt::white);
    {
        QPainter p(&marker);
        p.setRenderHint(QPainter::Antialiasing);
        QPen pen = Pen;
        pen.setWidth(2);
        p.setPen(pen);
        const int top = (h - side) / 2;
        p.drawEllipse(QRect(4, top + 4, side - 8, side - 8));
        p.drawLine(side / 2, 0, side / 2, h);
        p.drawLine(0, h / 2, side, h / 2);
        p.setFont(Font);
        const QFontMetrics fm(Font);
        p.drawText((side - fm.horizontalAdvance(label)) / 2, (h - fm.height()) / 2 + fm.ascent(), label);
    }
    const int left = qMax(0, int(std::lround(picture.width() * *at / 100.0 - side / 2)));
    if (picture.width() < left + side) {
        QImage wider(left + side, h, QImage::Format_RGB32);
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
