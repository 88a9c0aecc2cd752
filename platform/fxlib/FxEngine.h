// The pixel routines of our image-effects engine that the image controls use: scaling, scaling to
// gray, colour reduction, rotation, inversion, skew detection and border removal. Each works on
// packed DIBs, reports progress and returns a new DIB (or false) without touching its input when
// it fails or is stopped.
#pragma once

#include "platform/imageio/DibBlock.h"
#include "platform/imageio/ImageIoTypes.h"

#include <QRect>

namespace orva::fxlib {

using orva::imageio::DibBlock;
using orva::imageio::Progress;

// Area-average (down) or bilinear (up) resampling of a 24- or 32-bit DIB; null for w or h <= 0.
DibBlock ScaleDib(const DibBlock &dib, int width, int height, const Progress &progress = {});

// Gray copy at exactly width x height. levels 16 gives a 4-bit DIB, 256 an 8-bit one; smooth adds a
// 3x3 smoothing pass. levels 0 keeps the depth (a 1-bit source gives a 1-bit scaled copy).
DibBlock ScaleToGray(const DibBlock &dib, int levels, bool smooth, int width, int height,
                     const Progress &progress = {});

// Rotation by angle degrees (counter-clockwise on screen) of the area (top-down image coordinates,
// already normalised and clipped). Multiples of 90 on the whole picture are exact and swap width
// and height; other angles keep the size and fill uncovered pixels with fill.
DibBlock VisRotate(const DibBlock &dib, double angle, const QRect &area, QRgb fill,
                   const Progress &progress = {});

// Inverts the colour table of palette pictures and the bits of 16/24/32-bit ones, in place.
bool VisInvert(DibBlock &dib);

struct DeskewOptions {
    int subsampling = 1;
    int grayValue = 0;            // pixels darker than this are ink; 0 picks the threshold from the histogram
    double lineResolution = 4.0;  // height in pixels of one projection bin
    double angleResolution = 0.1; // precision of the answer in degrees
    double range = 90.0;          // search span in degrees, centred on 0 (at most +-45)
};
// The skew of the page in degrees (counter-clockwise positive); rotating by minus it straightens the
// page. Nothing is found (or progress stopped) gives 0 and ok false.
double tdeskew(const DibBlock &dib, const DeskewOptions &options, bool *ok = nullptr,
               const Progress &progress = {});

// The picture without its uniform or dark scanner border: rows and columns at the edges whose
// pixels are within tolerance of the border colour. Null when nothing would be left or stopped.
DibBlock CropAutoDib(const DibBlock &dib, int tolerance, const Progress &progress = {});

// Otsu's threshold of the picture's gray histogram.
int autoThreshold(const DibBlock &dib);

} // namespace orva::fxlib
