// Turning the viewer's packed bitmap into what is painted, without ever converting the whole page:
// a part of it at its own size (for painting at or above 100 percent), or all of it reduced to the
// display size with box averaging, so that the thin lines of a scanned form stay visible.
#pragma once

#include "imaging/core/DLL96V1.h"
#include "platform/imageio/DibBlock.h"

#include <QImage>
#include <QRect>
#include <QSize>

namespace orva::imaging {

// The part of the picture (clipped to it) as an image of the same pixels: 1-bit as Mono, 4- and
// 8-bit as Indexed8 with the colour table, deeper as RGB32.
QImage DibPart(const orva::imageio::DibBlock &dib, const QRect &part);

// The whole picture reduced to `size` (no larger than the picture): every output pixel is the
// average of the pixels it covers (ColorOnColor), the darkest of them (BlackOnWhite: dark lines
// win) or the lightest (WhiteOnBlack). RGB32.
QImage ReduceForDisplay(const orva::imageio::DibBlock &dib, QSize size, TStretchMode mode);

} // namespace orva::imaging
