// Colour reduction of packed DIBs to 1, 4, 8 or 16 bits, with optional error-diffusion dither.
#pragma once

#include "platform/imageio/DibBlock.h"
#include "platform/imageio/ImageIoTypes.h"

namespace orva::imageio {

// A new DIB at the lower depth; the source is left alone. Null for an unsupported depth, for a
// target not below the source, or when progress asked to stop (then *stopped is set).
DibBlock reduceDib(const DibBlock &src, int bits, int dither, const Progress &progress = {},
                   bool *stopped = nullptr);

// Reduction to at most maxColors colours at the given depth (1, 4 or 8). method: 1 nearest colour,
// 2 ordered (Bayer) dither, 4 Burkes and 8 Floyd-Steinberg error diffusion.
DibBlock reduceDibColors(const DibBlock &src, int bits, int maxColors, int method,
                         const Progress &progress = {}, bool *stopped = nullptr);

// Brings a decoded picture to the depth a caller asked for: 0 keeps it, higher depths promote,
// lower depths reduce. Returns false (and leaves dib alone) when no conversion exists.
bool applyWantedBits(DibBlock &dib, int bits, bool dither);

} // namespace orva::imageio
