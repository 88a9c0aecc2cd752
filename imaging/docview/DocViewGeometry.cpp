// Document viewer arithmetic.
#include "imaging/docview/DocViewGeometry.h"

#include "imaging/view/ViewGeometry.h"

#include <algorithm>
#include <cmath>

namespace DocViewGeometry {

using ViewGeometry::nearest;

double ClampScalePercent(double percent) {
    return percent >= 1.0 ? percent : 1.0;
}

QSize DisplaySize(QSize picture, double percent) {
    if (picture.width() <= 0 || picture.height() <= 0) {
        return {};
    }
    const double p = ClampScalePercent(percent);
    return {std::max(1, nearest(picture.width() * p / 100.0)),
            std::max(1, nearest(picture.height() * p / 100.0))};
}

double BestFitPercent(QSize control, QSize picture) {
    if (picture.width() <= 0 || picture.height() <= 0) {
        return 100.0;
    }
    const double w = static_cast<double>(control.width() - 4) / picture.width();
    const double h = static_cast<double>(control.height() - 4) / picture.height();
    const double p = std::min(w, h) * 100.0;
    return p > 0 ? p : 100.0;
}

double FitExtentPercent(int viewerExtent, int pictureExtent) {
    if (pictureExtent <= 0 || viewerExtent <= 0) {
        return 100.0;
    }
    return static_cast<double>(viewerExtent) * 100.0 / pictureExtent;
}

std::int32_t DpiToPpm(int dpi) {
    return static_cast<std::int32_t>(std::lround(dpi * 39.37));
}

int PpmToDpi(std::int32_t ppm) {
    return static_cast<int>(std::lround(ppm / 39.37));
}

std::optional<QSize> AspectCorrectedSize(QSize picture, int xDpi, int yDpi, bool force) {
    if (xDpi <= 0 || yDpi <= 0 || picture.isEmpty() || (xDpi == yDpi && !force)) {
        return std::nullopt;
    }
    const double fw = xDpi < yDpi ? static_cast<double>(yDpi) / xDpi : 1.0;
    const double fh = yDpi < xDpi ? static_cast<double>(xDpi) / yDpi : 1.0;
    const QSize out(std::max(1, nearest(picture.width() * fw)), std::max(1, nearest(picture.height() * fh)));
    if (out == picture) {
        return std::nullopt;
    }
    return out;
}

double GrayCopyPercent(double percent) {
    return std::min(ClampScalePercent(percent), 100.0);
}

QRect SourceRectFor(const QRect &exposed, double sx, double sy, QSize source) {
    if (exposed.isEmpty() || sx <= 0 || sy <= 0) {
        return {};
    }
    const int left = static_cast<int>(std::floor(exposed.left() / sx));
    const int top = static_cast<int>(std::floor(exposed.top() / sy));
    const int right = static_cast<int>(std::ceil((exposed.right() + 1) / sx));
    const int bottom = static_cast<int>(std::ceil((exposed.bottom() + 1) / sy));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(QRect(QPoint(0, 0), source));
}

QRectF TargetRectFor(const QRect &source, double sx, double sy) {
    return {source.left() * sx, source.top() * sy, source.width() * sx, source.height() * sy};
}

QSize FitInside(QSize picture, QSize page) {
    if (picture.isEmpty() || page.isEmpty()) {
        return {};
    }
    const double scale = std::min(static_cast<double>(page.width()) / picture.width(),
                                  static_cast<double>(page.height()) / picture.height());
    return {std::clamp(nearest(picture.width() * scale), 1, page.width()),
            std::clamp(nearest(picture.height() * scale), 1, page.height())};
}

void InvertBits(std::uint8_t *bits, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        bits[i] = static_cast<std::uint8_t>(~bits[i]);
    }
}

QString ScaleToGrayName(int mode) {
    static const char *const kNames[] = {"None Gray",
                                         "Gray 4 bit 8 pixels",
                                         "Gray 4 bit 12 pixels",
                                         "Gray 4 bit 20 pixels",
                                         "Gray 4 bit 24 pixels",
                                         "Gray 8 bit 24 pixels",
                                         "Gray 4 bit Anti Alias",
                                         "Gray 8 bit Anti Alias"};
    return mode >= 0 && mode < 8 ? QLatin1String(kNames[mode]) : QString();
}

} // namespace DocViewGeometry
