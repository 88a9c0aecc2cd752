// Bindings of the image-effects routines the image controls and the effects dialog call: the area
// rule, the depth rule, the clamps, the ownership of every DIB in and out, one shared progress
// caption, the transitions and the palette routines.
#pragma once

#include "imaging/core/ImagingTypes.h"
#include "platform/fxlib/FxTransition.h"
#include "platform/imageio/DibBlock.h"
#include "platform/imageio/ImageIoTypes.h"

#include <QImage>
#include <QRect>
#include <QVector>

#include <array>
#include <functional>

namespace orva::imaging {

using orva::fxlib::TransitionPlayer;
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

// How the user is told that an effect failed (the engine absent, or a failure inside it); installed
// by the program's main window. Without it a failure is only kept in LastEffectsError.
void SetEffectsFailureNotice(std::function<void(const QString &text)> notice);

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
// Rotates a picture object; false (the picture unchanged) when it cannot, with "Input image is
// empty" in `error` without a picture.
bool SpRotateGraphic(QImage &picture, double angle, QRgb fill, QString *error = nullptr);

// Every effect below that says "depth rule": a picture of 24 bits or more goes to the engine as it
// is; below 24 bits it is promoted, worked on at 24 bits and brought back to its own depth (1 bit
// comes back as 4). A failed promotion, engine call or way back, or a stop, gives none; the caller's
// DIB is not changed and every intermediate is released.

// Area effects: a new DIB with the area changed (depth rule), or none. The area follows the area
// rule; an empty one gives none without calling the engine. The caller keeps its DIB.
DibBlock SpOilPainting(const DibBlock &dib, int left, int top, int right, int bottom, int value,
                       void *data = nullptr, ProgressProc progress = nullptr);
DibBlock SpBlur(const DibBlock &dib, int left, int top, int right, int bottom, int value,
                void *data = nullptr, ProgressProc progress = nullptr);
DibBlock SpPinchHole(const DibBlock &dib, int left, int top, int right, int bottom, double value,
                     void *data = nullptr, ProgressProc progress = nullptr);
DibBlock SpWhirl(const DibBlock &dib, int left, int top, int right, int bottom, double value,
                 void *data = nullptr, ProgressProc progress = nullptr);
DibBlock SpEngrave(const DibBlock &dib, int left, int top, int right, int bottom, int value,
                   void *data = nullptr, ProgressProc progress = nullptr);
DibBlock SpWave(const DibBlock &dib, int left, int top, int right, int bottom, double amplitude,
                int waveLength, double phase, bool smear, bool reflection, void *data = nullptr,
                ProgressProc progress = nullptr);
DibBlock SpNoise(const DibBlock &dib, int left, int top, int right, int bottom, bool gauss, bool gray,
                 int red, int green, int blue, void *data = nullptr, ProgressProc progress = nullptr);
DibBlock SpEnhance(const DibBlock &dib, int left, int top, int right, int bottom, int brightness,
                   int contrast, int gammaRed, int gammaGreen, int gammaBlue, void *data = nullptr,
                   ProgressProc progress = nullptr);
// kind 1 zoom, 2 rotate, 3 line.
DibBlock SpMotion(const DibBlock &dib, int left, int top, int right, int bottom, int value, int angle,
                  int kind, void *data = nullptr, ProgressProc progress = nullptr);
DibBlock SpGrayArea(const DibBlock &dib, int left, int top, int right, int bottom, void *data = nullptr,
                    ProgressProc progress = nullptr);
DibBlock SpBled(const DibBlock &dib, int left, int top, int right, int bottom, int value,
                void *data = nullptr, ProgressProc progress = nullptr);
DibBlock SpEdge(const DibBlock &dib, int left, int top, int right, int bottom, int value,
                void *data = nullptr, ProgressProc progress = nullptr);
// Positive sharpens, negative softens.
DibBlock SpBetter(const DibBlock &dib, int left, int top, int right, int bottom, int value,
                  void *data = nullptr, ProgressProc progress = nullptr);
DibBlock SpRecToPolar(const DibBlock &dib, int left, int top, int right, int bottom, int value, int angle,
                      bool inverse, bool backwards, void *data = nullptr, ProgressProc progress = nullptr);
// The twelve page-curl check states in the dialog's order (B_CFC, B_CBC, C_Trans, B_CUBC, B_CUFC,
// CShade, C_LT, C_RT, C_LB, C_RB, C_OV, C_OH).
using TCurlFlags = std::array<bool, 12>;
DibBlock SpCurl(const DibBlock &dib, int left, int top, int right, int bottom, const TCurlFlags &flags,
                QRgb background, QRgb foreground, int shading, void *data = nullptr,
                ProgressProc progress = nullptr);
DibBlock SpMosaic(const DibBlock &dib, int left, int top, int right, int bottom, int size, int height,
                  int space, int light, int random, int polygonType, bool smooth, bool antiAlias,
                  QRgb foreground, QRgb background, void *data = nullptr, ProgressProc progress = nullptr);
DibBlock SpPixelFix(const DibBlock &dib, int left, int top, int right, int bottom, int value,
                    void *data = nullptr, ProgressProc progress = nullptr);
DibBlock SpAutoContrast(const DibBlock &dib, int left, int top, int right, int bottom, void *data = nullptr,
                        ProgressProc progress = nullptr);
// shape 0 sine, 1 triangle.
DibBlock SpJiggle(const DibBlock &dib, int left, int top, int right, int bottom, int period, int amplitude,
                  int shape, void *data = nullptr, ProgressProc progress = nullptr);
DibBlock SpSpray(const DibBlock &dib, int left, int top, int right, int bottom, int value, int random,
                 void *data = nullptr, ProgressProc progress = nullptr);
DibBlock SpFadeDib(const DibBlock &dib, int left, int top, int right, int bottom, int edge, std::uint8_t red,
                   std::uint8_t green, std::uint8_t blue, void *data = nullptr,
                   ProgressProc progress = nullptr);
DibBlock SpThresholdDib(const DibBlock &dib, int left, int top, int right, int bottom, int value,
                        bool antiAlias, void *data = nullptr, ProgressProc progress = nullptr);

// Whole-picture effects (depth rule). The warp's frame callback sees every intermediate picture
// (24 bits, the engine's own: copy it to keep it) and returns 1 to go on.
using TWarpFrameProc = std::int16_t (*)(const DibBlock &dib, void *data);
DibBlock SpWarp(const DibBlock &dib, bool rgbToHue, bool rgbToSaturation, bool convolve, int scale,
                int vectorRotation, int steps, int displacement, void *data = nullptr,
                ProgressProc progress = nullptr, TWarpFrameProc frame = nullptr);
// shape 0 circle, 1 ellipse, 2 square, 3 diamond, 4 line, 5 cross.
DibBlock SpHToneImage(const DibBlock &dib, int cellSize, int shape, double angle, void *data = nullptr,
                      ProgressProc progress = nullptr);
DibBlock SpTileDib(const DibBlock &dib, void *data = nullptr, ProgressProc progress = nullptr);
DibBlock SpExtrudeDib(const DibBlock &dib, bool levels, int value, void *data = nullptr,
                      ProgressProc progress = nullptr);

// Merging: the overlay with its top left corner at (left, top) on a new copy of the target; red,
// green and blue name its transparent colour (any of them negative: none). Only what falls inside
// the target is written. The result has the target's depth (a 1-bit target comes back as 4 bits).
DibBlock SpMergeDib(const DibBlock &target, const DibBlock &overlay, int red, int green, int blue, int top,
                    int left);
DibBlock SpDropDib(const DibBlock &target, const DibBlock &overlay, int red, int green, int blue, int top,
                   int left);

// Replacing: hue, saturation and lightness of the chosen channels moved by the offsets within the
// area; the DIB is replaced (at its own depth) only on success.
bool SpvisHueAndSaturation(DibBlock &dib, bool red, bool green, bool blue, bool yellow, bool magenta,
                           bool cyan, int hue, int saturation, int brightness, int left, int top, int right,
                           int bottom, void *data = nullptr, ProgressProc progress = nullptr);

// In-place adjustments. At 24 bits and more the caller's DIB is changed and a copy of it returned
// (the caller then holds two); below 24 bits the depth rule gives a new DIB and the caller's stays.
DibBlock SpVisMirror(DibBlock &dib, bool vertical, bool horizontal);
DibBlock SpVisBrightness(DibBlock &dib, int amount);
DibBlock SpVisGamma(DibBlock &dib, int value);

// Transitions: the picture uncovered over what the player shows, a step every delay milliseconds.
// False when the engine is absent or there is no picture.
bool SpFXSkipHorizontal(TransitionPlayer &player, const QImage &bitmap, int thickness, int delay);
bool SpFXSkipVertical(TransitionPlayer &player, const QImage &bitmap, int thickness, int delay);
bool SpFXSkipDiagonals(TransitionPlayer &player, const QImage &bitmap, int thickness, int delay);
bool SpFXSkipDiagonalSquares(TransitionPlayer &player, const QImage &bitmap, int thickness, int delay);
bool SpFXSkipRectangles(TransitionPlayer &player, const QImage &bitmap, int delay);
bool SpFXSkipHorizontalDib(TransitionPlayer &player, const DibBlock &dib, int thickness, int delay);
bool SpFXSkipVerticalDib(TransitionPlayer &player, const DibBlock &dib, int thickness, int delay);
bool SpFXSkipDiagonalsDib(TransitionPlayer &player, const DibBlock &dib, int thickness, int delay);
bool SpFXSkipDiagonalSquaresDib(TransitionPlayer &player, const DibBlock &dib, int thickness, int delay);
bool SpFXSkipRectanglesDib(TransitionPlayer &player, const DibBlock &dib, int delay);
// The transition of a control's FXMethod; FXNone plays nothing and answers false.
bool SpTransition(TransitionPlayer &player, const QImage &bitmap, TFXMethod method, int thickness, int delay);

// Palettes and palette files. Saving answers false with "Could not create file!" in `error` when the
// file cannot be written, and false with no text for more entries than the palette has; loading
// answers 0 with "Could not open file!" for a file that is there but cannot be read, and 0 with no
// text for a missing file or one of the wrong size or signature.
QVector<QRgb> CreateGrayPalette(int n);
bool SavePaletteFile(const QString &file, const QVector<QRgb> &palette, int n, QString *error = nullptr);
int LoadPaletteFile(const QString &file, QVector<QRgb> &palette, QString *error = nullptr);
void SortPalette(QVector<QRgb> &palette);
// False when progress stopped it (the DIB is then unchanged, no text), or with "Dib is not 8 or 4
// bit" in `error` for a picture without a palette.
bool RemapDibToPalette(const QVector<QRgb> &palette, DibBlock &dib, void *data = nullptr,
                       ProgressProc progress = nullptr, QString *error = nullptr);

} // namespace orva::imaging
