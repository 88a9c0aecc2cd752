// The document viewer's arithmetic: scale percent, displayed size, best fit, resolutions in dots per
// inch and per metre, the square-pixel size, which part of a picture an exposed rectangle shows, and
// the gray copy's own scale. No widgets.
#pragma once

#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace DocViewGeometry {

// A scale below 1 percent is raised to 1 (NaN too).
double ClampScalePercent(double percent);
// The picture at a percentage, rounded; at least 1 x 1 for a picture that has pixels.
QSize DisplaySize(QSize picture, double percent);
// The percentage that shows the whole picture in the control (4 pixels kept for the frame);
// 100 for an empty picture or a control too small to hold anything.
double BestFitPercent(QSize control, QSize picture);
// The percentage that fits one extent of the picture into the same extent of the viewer.
double FitExtentPercent(int viewerExtent, int pictureExtent);

// Resolutions are shown in dots per inch and stored in the bitmap in dots per metre (x 39.37).
std::int32_t DpiToPpm(int dpi);
int PpmToDpi(std::int32_t ppm);

// The size that makes the pixels square: the axis with the lower resolution is stretched by the
// ratio. Nothing when nothing is to be done: both resolutions equal (unless forced), or either one
// missing or 0, which counts as square pixels.
std::optional<QSize> AspectCorrectedSize(QSize picture, int xDpi, int yDpi, bool force);

// The gray copy is never made larger than the picture: zooming in beyond 100 percent stretches
// the copy when it is painted instead of multiplying its memory.
double GrayCopyPercent(double percent);

// The part of a picture (source size) that an exposed rectangle of its display shows, when the
// display is the picture scaled by (sx, sy) with its top left at the origin: whole source pixels
// covering the rectangle, clipped to the picture.
QRect SourceRectFor(const QRect &exposed, double sx, double sy, QSize source);
// Where a source rectangle lands on the display.
QRectF TargetRectFor(const QRect &source, double sx, double sy);

// The largest size of the picture's shape that fits inside the page (rounded).
QSize FitInside(QSize picture, QSize page);

// Inverts 1-bit pixels: every byte of the rows flipped.
void InvertBits(std::uint8_t *bits, std::size_t count);

// The names of the scale-to-gray modes in progress captions ("None Gray" ... "Gray 8 bit Anti Alias").
QString ScaleToGrayName(int mode);

} // namespace DocViewGeometry
