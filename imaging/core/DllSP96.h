// Bindings of the image-effects routines the image controls call: the area rule, the depth rule,
// the clamps, the ownership of every DIB in and out, and one shared progress caption.
#pragma once

#include "imaging/core/ImagingTypes.h"
#include "platform/imageio/DibBlock.h"
#include "platform/imageio/ImageIoTypes.h"

#include <QImage>
#include <QRect>

namespace orva::imaging {

using orva::imageio::DibBlock;
using orva::imageio::ProgressProc;

enum TFXMethod { FXNone, FXHorizontal, FXVertical, FXDiagonal, FXDiagonalSquares, FXRectangles };
enum TScaleToGray {
    S_Gray_None,
    S_Gray_16_8,
    S_Gray_16_12,
    S_Gray_16_20,
    S_Gray_16_24,
    S_Gray_256_24,
    S_Gray_Anti_16,
    S_Gray_Anti_256
};

// The engine is linked in; the seam lets a test play "engine absent".
bool LoadEffectsDll();
void FreeEffectsDll();
void SetEffectsEngineAvailable(bool available);

// The caption of the effect in progress, and the text of the last failure inside the engine.
QString ProgressCaption();
QString LastEffectsError();

// A progress procedure for controls: data is a TProgressTarget (none: go on).
std::int16_t SpProgress(std::int16_t percent, void *data);

// The area rule: a 0 Right or Bottom means the whole image; reversed edges are swapped and the
// rectangle is clipped to the image. Empty when nothing of the image is left.
QRect EffectArea(int left, int top, int right, int bottom, int width, int height);

// Format routines: a new DIB or none; the caller keeps its own.
DibBlock SpScaleDib(const DibBlock &dib, int width, int height, int wantedDepth, void *data = nullptr,
                    ProgressProc progress = nullptr);
DibBlock SpScaleToGray(const DibBlock &dib, TScaleToGray mode, int width, int height, void *data = nullptr,
                       ProgressProc progress = nullptr);
// Consumes the source on success (it is left in the caller's hands on failure).
DibBlock SpVisReduceColors(DibBlock &&dib, int colors, int dither, void *data = nullptr,
                           ProgressProc progress = nullptr);
DibBlock SpReduceDib(const DibBlock &dib, int bitCount, int dither, void *data = nullptr,
                     ProgressProc progress = nullptr);
DibBlock SpIncreaseColors(const DibBlock &dib, int wantedDepth);
long double SpTDeskew(const DibBlock &dib, std::int16_t subsampling, std::uint8_t grayValue,
                      double lineResolution, double angleResolution, double range, void *data = nullptr,
                      ProgressProc progress = nullptr);

// Replacing routines: the DIB is replaced only on success.
bool SpVisRotate(DibBlock &dib, int left, int top, int right, int bottom, double angle, QRgb fill,
                 void *data = nullptr, ProgressProc progress = nullptr);
bool SpCropAutoDib(DibBlock &dib, int value, void *data = nullptr, ProgressProc progress = nullptr);
bool SpVisInvert(DibBlock &dib);
// Rotates a picture object; raises ErrorInvalid "Input image is empty" without a picture.
void SpRotateGraphic(QImage &picture, double angle, QRgb fill);

} // namespace orva::imaging
