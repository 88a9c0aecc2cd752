// Colour reduction of packed DIBs to 1, 4, 8 or 16 bits, with optional error-diffusion dither.
#pragma once

#include "platform/imageio/DibBlock.h"
#include "platform/imageio/ImageIoTypes.h"

namespace orva::imageio {

// A new DIB at the lower depth; the source is left alone. Null for an unsupported depth, for a
// target not below the source, or when progress asked to stop (then *stopped is set).
DibBlock reduceDib(const DibBlock &src, int bits, int dither, const Progress &progress = {},
                   bool *stopped = nullptr);

// How reduceDibColors picks each pixel's colour, numbered as the effects bindings pass it.
enum ReduceMethod {
    kNearestColour = 0,
    kBayerDither = 1,     // ordered dither
    kBurkesDither = 2,    // error diffusion over two rows
    kFloydDither = 4,     // Floyd-Steinberg error diffusion
    kGrayScaleDither = 8, // a gray picture of at most maxColors levels
};

// Reduction to at most maxColors colours at the given depth (1, 4 or 8), which may be the source's
// own when a palette picture is given fewer colours.
DibBlock reduceDibColors(const DibBlock &src, int bits, int maxColors, int method,
                         const Progress &progress = {}, bool *stopped = nullptr);

// Brings a decoded picture to the depth a caller asked for: 0 keeps it, higher depths promote,
// lower depths reduce. Returns false (and leaves dib alone) when no conversion exists.
bool applyWantedBits(DibBlock &dib, int bits, bool dither);

} // namespace orva::imageio
