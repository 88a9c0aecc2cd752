// The arithmetic of the image view: rounding, zoom limits, fit zoom, scroll bars, panning, the
// rubber band's corner and the zoom view's source and destination rectangles. No widgets.
#pragma once

#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

namespace ViewGeometry {

// To the nearest integer, ties to even (2.5 → 2, 3.5 → 4).
int nearest(double x);

constexpr double kMaxZoom = 50.0;
constexpr double kMinZoom = 0.075;
inline bool ZoomInAllowed(double zoom, double factor) {
    return zoom * factor < kMaxZoom;
}
inline bool ZoomOutAllowed(double zoom, double factor) {
    return zoom * factor > kMinZoom;
}

// The smaller of the two ratios control / picture; 1 for an empty picture.
double FitZoom(QSize control, QSize picture);

struct TBarState {
    int Maximum = 0;
    int Position = 0;
};
// One scroll bar: control extent W, bar width S, picture extent, zoom, origin in picture pixels.
TBarState ScrollBar(int controlExtent, int barWidth, int pictureExtent, double zoom, int origin);

// After a zoom out the zoomed picture still fills the view: the origin pulled back when needed.
int ZoomOutOrigin(int controlExtent, int pictureExtent, int origin, double zoom);

// Grab-hand step in picture pixels for a mouse move from `last` to `now` (at least 1 when moved).
int GrabStep(int last, int now, double zoom);
// The origin after a pan step `d` (B = scroll bar width when bars show, else 0).
int PanOrigin(int origin, int d, int controlExtent, int barWidth, int pictureExtent, double zoom);

// The rubber band's moving corner, keeping the control's aspect ratio. A control without width
// uses the mouse point as it is.
struct TBandCorner {
    QPoint Corner;
    int Quadrant = 4;
};
TBandCorner RubberBandCorner(QPoint anchor, QPoint mouse, QSize control);

// The zoom view: which part of the picture is drawn where, and which bars show.
struct TZoomLayout {
    QRectF Source;
    QRect Target;
    bool HorizontalBar = false;
    bool VerticalBar = false;
    QPoint CenterOffset;
};
TZoomLayout ZoomLayout(QSize control, QSize picture, double zoom, QPoint origin, int barWidth, bool center);

// What a file name loads as, by its extension.
enum class TLoadKind {
    Picture,
    PictureObject,
    ScrollingText,
    CreditText,
    BmpThumbnail,
    JpegThumbnail,
    Resource
};
TLoadKind LoadKindFor(const QString &fileName);
// The reader of a picture: "BMP", "PNG", "GIF", "TIF", "TGA", "PCX", "EPS", "PCD", "DXF", "JPG";
// other extensions take the file type found by the information call.
QString ReaderFor(const QString &fileName, const QString &infoType);
// Bits to read: monochrome (1) when the picture has fewer than 4 bits (GIF: fewer than 3).
int ReadBits(const QString &reader, int infoBits, int wantedBits);
// The TIFF page read: at most the last page.
int ClampTiffPage(int page, int pageCount);
// Stored JPEG save values outside 1..100: 25 for the quality, 5 for the smoothing.
int JpegQuality(int value);
int JpegSmooth(int value);

} // namespace ViewGeometry
