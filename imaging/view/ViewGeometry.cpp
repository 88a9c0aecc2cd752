// Image view arithmetic.
#include "imaging/view/ViewGeometry.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace ViewGeometry {

int nearest(double x) {
    const double r = std::nearbyint(x); // the default rounding mode rounds ties to even
    if (!(r > -2147483648.0 && r < 2147483647.0)) {
        return r > 0 ? 2147483647 : (r < 0 ? -2147483647 : 0);
    }
    return static_cast<int>(r);
}

double FitZoom(QSize control, QSize picture) {
    if (picture.width() <= 0 || picture.height() <= 0) {
        return 1.0;
    }
    return std::min(static_cast<double>(control.height()) / picture.height(),
                    static_cast<double>(control.width()) / picture.width());
}

TBarState ScrollBar(int controlExtent, int barWidth, int pictureExtent, double zoom, int origin) {
    TBarState s;
    s.Maximum = std::max(0, nearest(pictureExtent * zoom - controlExtent + barWidth));
    s.Position = s.Maximum == 0 ? 0 : std::clamp(nearest(origin * zoom), 0, s.Maximum);
    return s;
}

int ZoomOutOrigin(int controlExtent, int pictureExtent, int origin, double zoom) {
    if (controlExtent > (pictureExtent - origin) * zoom) {
        return std::max(0, pictureExtent - nearest(controlExtent / zoom));
    }
    return origin;
}

int GrabStep(int last, int now, double zoom) {
    const int d = nearest((last - now) / zoom);
    if (d == 0 && last != now) {
        return last > now ? 1 : -1;
    }
    return d;
}

int PanOrigin(int origin, int d, int controlExtent, int barWidth, int pictureExtent, double zoom) {
    if (origin + d < 0 || controlExtent > pictureExtent * zoom) {
        return 0;
    }
    if ((controlExtent - barWidth) > (pictureExtent - d - origin) * zoom) {
        return pictureExtent - nearest((controlExtent - barWidth) / zoom);
    }
    return origin + d;
}

TBandCorner RubberBandCorner(QPoint anchor, QPoint mouse, QSize control) {
    TBandCorner out;
    const int dx = mouse.x() - anchor.x();
    const int dy = mouse.y() - anchor.y();
    if (dx >= 0 && dy <= 0)
        out.Quadrant = 1;
    if (dx <= 0 && dy <= 0)
        out.Quadrant = 2;
    if (dx <= 0 && dy >= 0)
        out.Quadrant = 3;
    if (dx >= 0 && dy >= 0)
        out.Quadrant = 4;
    if (control.width() <= 0) {
        out.Corner = mouse;
        return out;
    }
    const double r = static_cast<double>(control.height()) / control.width();
    const double d = std::hypot(static_cast<double>(dx), static_cast<double>(dy));
    const double w = std::fabs(d / std::sqrt(r * r + 1));
    const double h = r * w;
    const double sx = (out.Quadrant == 1 || out.Quadrant == 4) ? 1 : -1;
    const double sy = (out.Quadrant == 3 || out.Quadrant == 4) ? 1 : -1;
    out.Corner = QPoint(nearest(anchor.x() + sx * w), nearest(anchor.y() + sy * h));
    return out;
}

TZoomLayout ZoomLayout(QSize control, QSize picture, double zoom, QPoint origin, int barWidth, bool center) {
    TZoomLayout l;
    const double zw = picture.width() * zoom;
    const double zh = picture.height() * zoom;
    const bool overflow = zw > control.width() || zh > control.height();
    const int bar = overflow ? barWidth : 0;
    l.HorizontalBar = overflow && bar > 0;
    l.VerticalBar = overflow && bar > 0;
    // Horizontal.
    if (overflow && zw > control.width() - bar) {
        const double visible = (control.width() - bar) / zoom;
        l.Source.setLeft(origin.x());
        l.Source.setWidth(std::min(visible, picture.width() - static_cast<double>(origin.x())));
        l.Target.setLeft(0);
        l.Target.setWidth(nearest(l.Source.width() * zoom));
    } else {
        l.Source.setLeft(0);
        l.Source.setWidth(picture.width());
        // Centred in the whole control, bar or not.
        const int off = center ? static_cast<int>((control.width() - zw) / 2) : 0;
        l.CenterOffset.setX(std::max(0, off));
        l.Target.setLeft(l.CenterOffset.x());
        l.Target.setWidth(nearest(zw));
    }
    // Vertical.
    if (overflow && zh > control.height() - bar) {
        const double visible = (control.height() - bar) / zoom;
        l.Source.setTop(origin.y());
        l.Source.setHeight(std::min(visible, picture.height() - static_cast<double>(origin.y())));
        l.Target.setTop(0);
        l.Target.setHeight(nearest(l.Source.height() * zoom));
    } else {
        l.Source.setTop(0);
        l.Source.setHeight(picture.height());
        const int off = center ? static_cast<int>((control.height() - zh) / 2) : 0;
        l.CenterOffset.setY(std::max(0, off));
        l.Target.setTop(l.CenterOffset.y());
        l.Target.setHeight(nearest(zh));
    }
    return l;
}

TLoadKind LoadKindFor(const QString &fileName) {
    const QString ext = QFileInfo(fileName).suffix().toUpper();
    if (ext == QLatin1String("WMF") || ext == QLatin1String("ICO"))
        return TLoadKind::PictureObject;
    if (ext == QLatin1String("SCM"))
        return TLoadKind::ScrollingText;
    if (ext == QLatin1String("CMS"))
        return TLoadKind::CreditText;
    if (ext == QLatin1String("THB"))
        return TLoadKind::BmpThumbnail;
    if (ext == QLatin1String("THJ"))
        return TLoadKind::JpegThumbnail;
    if (ext == QLatin1String("RES"))
        return TLoadKind::Resource;
    return TLoadKind::Picture;
}

QString ReaderFor(const QString &fileName, const QString &infoType) {
    const QString ext = QFileInfo(fileName).suffix().toUpper();
    static const struct {
        const char *ext;
        const char *reader;
    } table[] = {{"BMP", "BMP"},  {"PNG", "PNG"}, {"GIF", "GIF"},  {"TIF", "TIF"},
                 {"TIFF", "TIF"}, {"TGA", "TGA"}, {"PCX", "PCX"},  {"EPS", "EPS"},
                 {"PCD", "PCD"},  {"DXF", "DXF"}, {"JPEG", "JPG"}, {"JPG", "JPG"}};
    for (const auto &e : table) {
        if (ext == QLatin1String(e.ext))
            return QString::fromLatin1(e.reader);
    }
    const QString type = infoType.toUpper();
    if (type == QLatin1String("JPEG"))
        return QStringLiteral("JPG");
    if (type == QLatin1String("TIFF"))
        return QStringLiteral("TIF");
    for (const auto &e : table) {
        if (type == QLatin1String(e.reader))
            return type;
    }
    return {};
}

int ReadBits(const QString &reader, int infoBits, int wantedBits) {
    const int limit = reader == QLatin1String("GIF") ? 3 : 4;
    return infoBits > 0 && infoBits < limit ? 1 : wantedBits;
}

int ClampTiffPage(int page, int pageCount) {
    if (pageCount > 0 && page > pageCount - 1)
        return pageCount - 1;
    return std::max(0, page);
}

int JpegQuality(int value) {
    return value < 1 || value > 100 ? 25 : value;
}

int JpegSmooth(int value) {
    return value < 1 || value > 100 ? 5 : value;
}

} // namespace ViewGeometry
