// The effects of the filters-and-effects dialog, merging and the in-place adjustments of our
// image-effects engine. The routines work on 24- and 32-bit uncompressed DIBs (lower depths are
// promoted by the callers); an area is in top-down picture coordinates and is clipped to the
// picture. Each returns a new DIB with only the area changed, or null when the picture is not
// true colour, the area is empty, or progress asked to stop; the input is never changed, except by
// the in-place adjustments, which say so.
#pragma once

#include "platform/imageio/DibBlock.h"
#include "platform/imageio/ImageIoTypes.h"

#include <QRect>

#include <array>
#include <functional>
#include <optional>

namespace orva::fxlib {

using orva::imageio::DibBlock;
using orva::imageio::Progress;

// value: radius of the neighbourhood (0..50; 0 leaves the area as it is).
DibBlock OilPainting(const DibBlock &dib, const QRect &area, int value, const Progress &progress = {});
// value: radius of the box blur (1..100).
DibBlock Blur(const DibBlock &dib, const QRect &area, int value, const Progress &progress = {});
// value: -20..20; negative pulls the centre in (a hole), positive pushes it out, 0 changes nothing.
DibBlock PinchHole(const DibBlock &dib, const QRect &area, double value, const Progress &progress = {});
// value: degrees the centre is turned, falling off towards the edge of the circle.
DibBlock Whirl(const DibBlock &dib, const QRect &area, double value, const Progress &progress = {});
// value: depth of the relief (1..10); the area becomes gray.
DibBlock Engrave(const DibBlock &dib, const QRect &area, int value, const Progress &progress = {});

struct WaveOptions {
    double amplitude = 50; // tenths of a pixel
    int length = 20;       // pixels per wave (0: no wave)
    double phase = 1;      // tenths of a degree
    bool smear = true;     // rows that come from outside repeat the edge
    bool reflect = false;  // rows that come from outside are mirrored back in
};
DibBlock Wave(const DibBlock &dib, const QRect &area, const WaveOptions &options,
              const Progress &progress = {});

// Noise of up to red/green/blue levels per channel (0..255); gauss picks a normal distribution over a
// uniform one; gray uses one draw per pixel for all three channels.
DibBlock Noise(const DibBlock &dib, const QRect &area, bool gauss, bool gray, int red, int green, int blue,
               const Progress &progress = {});
// brightness and contrast -255..255 (0: none), gammas 1..255 in tenths (10: none).
DibBlock Enhance(const DibBlock &dib, const QRect &area, int brightness, int contrast, int gammaRed,
                 int gammaGreen, int gammaBlue, const Progress &progress = {});
// kind 1 zoom towards the centre (value/500 of the way), 2 turn around the centre (angle x value/100
// degrees), 3 along a line of value pixels at angle degrees.
DibBlock Motion(const DibBlock &dib, const QRect &area, int value, int angle, int kind,
                const Progress &progress = {});
DibBlock GrayArea(const DibBlock &dib, const QRect &area, const Progress &progress = {});
// value -255..255: colours run into their neighbours, light ones for positive values, dark for negative.
DibBlock Bled(const DibBlock &dib, const QRect &area, int value, const Progress &progress = {});
// value 1..100: strength of the edges found.
DibBlock Edge(const DibBlock &dib, const QRect &area, int value, const Progress &progress = {});
// value -9..9: positive sharpens, negative softens, 0 changes nothing.
DibBlock Better(const DibBlock &dib, const QRect &area, int value, const Progress &progress = {});
// Rectangular to polar coordinates (inverse: back); value twists the result by degrees per radius,
// angle turns it, backwards runs the angle the other way.
DibBlock RecToPolar(const DibBlock &dib, const QRect &area, int value, int angle, bool inverse,
                    bool backwards, const Progress &progress = {});

// The page-curl flags in the order the dialog passes them.
enum CurlFlag {
    CurlBackBackground, // uncovered corner in the background colour
    CurlBackForeground, // ... in the foreground colour
    CurlKeepImage,      // uncovered corner keeps the picture
    CurlUseBackground,  // the back of the page in the background colour
    CurlUseForeground,  // ... in the foreground colour
    CurlShade,          // a shadow beside the curl
    CurlLeftTop,
    CurlRightTop,
    CurlLeftBottom,
    CurlRightBottom,
    CurlVertical,
    CurlHorizontal,
    CurlFlagCount
};
// shading 0..4: how much of the picture shows through the back of the page (4 most).
DibBlock Curl(const DibBlock &dib, const QRect &area, const std::array<bool, CurlFlagCount> &flags,
              QRgb background, QRgb foreground, int shading, const Progress &progress = {});

struct MosaicOptions {
    int size = 150;     // tile size in tenths of a pixel
    int height = 30;    // relief of the tiles
    int space = 10;     // grout, percent of the tile size
    int light = 40;     // direction of the light in degrees
    int random = 1;     // 0..5: how irregular the tiles are
    int squares = 0;    // 1: square tiles, 0: irregular polygons
    bool smooth = true; // tiles take the average colour (else the colour at their centre)
    bool antiAlias = true;
    QRgb foreground = 0xFFFFFFFF; // colour of the lit edges
    QRgb background = 0xFF000000; // grout colour
};
DibBlock Mosaic(const DibBlock &dib, const QRect &area, const MosaicOptions &options,
                const Progress &progress = {});

// value 0..100: pixels further than value percent from their 3x3 median take the median.
DibBlock PixelFix(const DibBlock &dib, const QRect &area, int value, const Progress &progress = {});
DibBlock AutoContrast(const DibBlock &dib, const QRect &area, const Progress &progress = {});
// period 1..100 and amplitude 1..360 of a sine (shape 0) or triangle (shape 1) shake.
DibBlock Jiggle(const DibBlock &dib, const QRect &area, int period, int amplitude, int shape,
                const Progress &progress = {});
// value 0..100: how far pixels are thrown; random seeds the throw.
DibBlock Spray(const DibBlock &dib, const QRect &area, int value, int random, const Progress &progress = {});
// The border of edge pixels fades into the colour.
DibBlock FadeDib(const DibBlock &dib, const QRect &area, int edge, int red, int green, int blue,
                 const Progress &progress = {});
// Black and white at gray level value; antiAlias softens the step.
DibBlock ThresholdDib(const DibBlock &dib, const QRect &area, int value, bool antiAlias,
                      const Progress &progress = {});

struct WarpOptions {
    bool hue = true;        // the direction of the flow follows the hue (else the gray level)
    bool saturation = true; // its strength follows the saturation (else it is even)
    bool convolve = true;   // the flow is smoothed first
    int scale = 20;
    int rotation = 90; // degrees the flow is turned
    int steps = 4;
    int displacement = 10;
};
// Whole picture. frame, when given, sees every intermediate picture (false stops).
DibBlock Warp(const DibBlock &dib, const WarpOptions &options, const Progress &progress = {},
              const std::function<bool(const DibBlock &)> &frame = {});
// Whole picture in black and white dots: cell size 1..100, shape 0 circle, 1 ellipse, 2 square,
// 3 diamond, 4 line, 5 cross, screen angle in degrees.
DibBlock HToneImage(const DibBlock &dib, int cellSize, int shape, double angle,
                    const Progress &progress = {});
// Whole picture made to tile without seams.
DibBlock TileDib(const DibBlock &dib, const Progress &progress = {});
// Whole picture as raised blocks; value 1..50 sets their size, levels raises light blocks higher.
DibBlock ExtrudeDib(const DibBlock &dib, bool levels, int value, const Progress &progress = {});

// The overlay placed with its top left corner at (left, top); pixels of the key colour (when given)
// are left out; what falls outside the target is cut off. Both true colour.
DibBlock MergeDib(const DibBlock &target, const DibBlock &overlay, int left, int top,
                  std::optional<QRgb> key);

// In place: the picture turned over (vertical: top to bottom, horizontal: left to right); any depth.
bool VisMirror(DibBlock &dib, bool vertical, bool horizontal);
// In place on true colour: every channel plus amount (-255..255).
bool VisBrightness(DibBlock &dib, int amount);
// In place on true colour: gamma value/10 (10..50).
bool VisGamma(DibBlock &dib, int value);

// The hue (degrees), saturation and lightness (percent) of the pixels whose hue lies in a chosen
// sixth of the colour circle (red, yellow, green, cyan, blue, magenta) moved by the offsets.
struct HueChannels {
    bool red = true, green = true, blue = true, yellow = true, magenta = true, cyan = true;
};
DibBlock visHueAndSaturation(const DibBlock &dib, const QRect &area, const HueChannels &channels, int hue,
                             int saturation, int lightness, const Progress &progress = {});

} // namespace orva::fxlib
