// Depth conversions between packed DIBs and the bridge to QImage for display.
#pragma once

#include "platform/imageio/DibBlock.h"

#include <QImage>

namespace orva::imageio {

// Colour of the pixel at (x, y), y counted from the top.
QRgb dibPixel(const DibBlock &dib, int x, int y);
// Palette index of a 1/4/8-bit pixel.
int dibIndex(const DibBlock &dib, int x, int y);
void setDibIndex(DibBlock &dib, int x, int y, int index);

// The same picture at a higher depth (1->4, 1->8, 1->24, 4->8, 4->24, 8->24, 16->24, 32->24);
// null when the pair is not one of these.
DibBlock convertDib(const DibBlock &src, int toBits);
DibBlock ConvertDib1To4(const DibBlock &src);
DibBlock ConvertDib1To8(const DibBlock &src);
DibBlock ConvertDib1To24(const DibBlock &src);
DibBlock ConvertDib4To8(const DibBlock &src);
DibBlock ConvertDib4To24(const DibBlock &src);
DibBlock ConvertDib8To24(const DibBlock &src);
DibBlock ConvertDib16To24(const DibBlock &src);
DibBlock ConvertDib32To24(const DibBlock &src);
DibBlock DllCopyDib(const DibBlock &src);

// QImage with the DIB's pixels top-down; colour-table alpha is forced opaque. 4-bit becomes Indexed8.
QImage dibToQImage(const DibBlock &dib);
// A DIB from a QImage: mono/indexed keep their table (as 1 or 8 bits), everything else becomes 24 bits.
DibBlock qimageToDib(const QImage &image);

} // namespace orva::imageio
