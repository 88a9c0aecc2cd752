// The effects of the dialog's tabs mapped onto their bindings.
#include "effects/dialog/TEffectCall.h"

#include "effects/dialog/ShapeImage.h"
#include "platform/imageio/DibConvert.h"

#include <QHash>

#include <cmath>
#include <functional>

namespace orva::effects {

using namespace orva::imaging;
using orva::imageio::ProgressProc;

int TEffectCall::integer(int i) const {
    const double v = value(i);
    return std::isfinite(v) ? static_cast<int>(std::clamp(std::lround(v), -1000000000L, 1000000000L)) : 0;
}

namespace {

struct Context {
    DibBlock &dib;
    const TEffectCall &c;
    void *data;
    ProgressProc progress;
    TWarpFrameProc frame;
    int l() const { return c.Area.Left; }
    int t() const { return c.Area.Top; }
    int r() const { return c.Area.Right; }
    int b() const { return c.Area.Bottom; }
};

// The result, when there is one, takes the DIB's place.
bool take(DibBlock &dib, DibBlock &&result) {
    if (!result)
        return false;
    dib = std::move(result);
    return true;
}

bool borders(const Context &x) {
    ShapeImage shape;
    shape.Shape = static_cast<TMyShapeType>(std::clamp(x.c.integer(0), 0, int(shPolyGon)));
    shape.EdgeSize = x.c.integer(1);
    shape.Angle = x.c.integer(2);
    shape.Vectors = x.c.integer(3);
    shape.VectorP = x.c.integer(4);
    if (shape.Shape == shNone || x.dib.isNull())
        return false;
    // With the window's colour the inside is drawn in it, so that the picture shows through the
    // shape; with a mask colour the black-and-white mask is merged as it is.
    const bool windowColour = x.c.flag(5);
    const QRgb key = x.c.colour(0);
    const QImage mask = shape.Render(QSize(x.dib.width(), x.dib.height()), Qt::black,
                                     windowColour ? QColor(key) : QColor(Qt::white));
    const DibBlock maskDib = orva::imageio::qimageToDib(mask);
    return take(x.dib, SpMergeDib(x.dib, maskDib, qRed(key), qGreen(key), qBlue(key), 0, 0));
}

bool paste(const Context &x) {
    if (!x.c.Paste || x.c.Paste->isNull())
        return false;
    const TEdges a = x.c.Area.normalised();
    if (a.isEmpty() || a.width() > kMaxPasteSide || a.height() > kMaxPasteSide)
        return false;
    const DibBlock scaled = SpScaleDib(*x.c.Paste, a.width(), a.height(), 24, x.data, x.progress);
    return take(x.dib, SpDropDib(x.dib, scaled, -1, -1, -1, a.Top, a.Left));
}

bool colour(const Context &x) {
    if (x.c.flag(0))
        return take(x.dib, SpIncreaseColors(x.dib, 24));
    DibBlock reduced =
        SpVisReduceColors(std::move(x.dib), x.c.integer(1), x.c.integer(2), x.data, x.progress);
    return take(x.dib, std::move(reduced));
}

using Runner = std::function<bool(const Context &)>;

const QHash<QString, Runner> &runners() {
    static const QHash<QString, Runner> table = {
        {QStringLiteral("AutoContrast"),
         [](const Context &x) {
             return take(x.dib, SpAutoContrast(x.dib, x.l(), x.t(), x.r(), x.b(), x.data, x.progress));
         }},
        {QStringLiteral("Bleed"),
         [](const Context &x) {
             return take(x.dib,
                         SpBled(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.integer(0), x.data, x.progress));
         }},
        {QStringLiteral("Borders"), borders},
        {QStringLiteral("Border Fade"),
         [](const Context &x) {
             const QRgb c = x.c.colour(0);
             return take(x.dib,
                         SpFadeDib(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.integer(0), std::uint8_t(qRed(c)),
                                   std::uint8_t(qGreen(c)), std::uint8_t(qBlue(c)), x.data, x.progress));
         }},
        {QStringLiteral("Blur"),
         [](const Context &x) {
             return take(x.dib,
                         SpBlur(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.integer(0), x.data, x.progress));
         }},
        {QStringLiteral("Bright"),
         [](const Context &x) { return take(x.dib, SpVisBrightness(x.dib, x.c.integer(0))); }},
        {QStringLiteral("Color"), colour},
        {QStringLiteral("Dark"),
         [](const Context &x) { return take(x.dib, SpVisBrightness(x.dib, -x.c.integer(0))); }},
        {QStringLiteral("Despeckle"),
         [](const Context &x) {
             return take(x.dib,
                         SpPixelFix(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.integer(0), x.data, x.progress));
         }},
        {QStringLiteral("Edge Detection"),
         [](const Context &x) {
             return take(x.dib,
                         SpEdge(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.integer(0), x.data, x.progress));
         }},
        {QStringLiteral("Engrave"),
         [](const Context &x) {
             return take(x.dib,
                         SpEngrave(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.integer(0), x.data, x.progress));
         }},
        {QStringLiteral("Enhance"),
         [](const Context &x) {
             return take(x.dib,
                         SpEnhance(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.integer(0), x.c.integer(1),
                                   x.c.integer(2), x.c.integer(3), x.c.integer(4), x.data, x.progress));
         }},
        {QStringLiteral("Extrude"),
         [](const Context &x) {
             return take(x.dib, SpExtrudeDib(x.dib, x.c.flag(0), x.c.integer(1), x.data, x.progress));
         }},
        {QStringLiteral("Gamma"),
         [](const Context &x) { return take(x.dib, SpVisGamma(x.dib, x.c.integer(0))); }},
        {QStringLiteral("Gray Area"),
         [](const Context &x) {
             return take(x.dib, SpGrayArea(x.dib, x.l(), x.t(), x.r(), x.b(), x.data, x.progress));
         }},
        {QStringLiteral("HalfTone"),
         [](const Context &x) {
             return take(x.dib, SpHToneImage(x.dib, x.c.integer(0), x.c.integer(1), x.c.value(2), x.data,
                                             x.progress));
         }},
        {QStringLiteral("Hue and Saturation"),
         [](const Context &x) {
             return SpvisHueAndSaturation(x.dib, x.c.flag(0), x.c.flag(1), x.c.flag(2), x.c.flag(3),
                                          x.c.flag(4), x.c.flag(5), x.c.integer(6), x.c.integer(7),
                                          x.c.integer(8), x.l(), x.t(), x.r(), x.b(), x.data, x.progress);
         }},
        {QStringLiteral("Invert"), [](const Context &x) { return SpVisInvert(x.dib); }},
        {QStringLiteral("Jiggle"),
         [](const Context &x) {
             return take(x.dib, SpJiggle(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.integer(0), x.c.integer(1),
                                         x.c.integer(2), x.data, x.progress));
         }},
        {QStringLiteral("Mirror"),
         [](const Context &x) { return take(x.dib, SpVisMirror(x.dib, x.c.flag(0), x.c.flag(1))); }},
        {QStringLiteral("Mosaic"),
         [](const Context &x) {
             return take(x.dib,
                         SpMosaic(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.integer(0), x.c.integer(1),
                                  x.c.integer(2), x.c.integer(3), x.c.integer(4), x.c.integer(5), x.c.flag(6),
                                  x.c.flag(7), x.c.colour(0), x.c.colour(1), x.data, x.progress));
         }},
        {QStringLiteral("Motion Blur"),
         [](const Context &x) {
             return take(x.dib, SpMotion(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.integer(0), x.c.integer(1),
                                         x.c.integer(2), x.data, x.progress));
         }},
        {QStringLiteral("Noisify"),
         [](const Context &x) {
             return take(x.dib, SpNoise(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.flag(0), x.c.flag(1),
                                        x.c.integer(2), x.c.integer(3), x.c.integer(4), x.data, x.progress));
         }},
        {QStringLiteral("Oil Paint"),
         [](const Context &x) {
             return take(
                 x.dib, SpOilPainting(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.integer(0), x.data, x.progress));
         }},
        {QStringLiteral("Page Curl"),
         [](const Context &x) {
             TCurlFlags flags{};
             for (int i = 0; i < 12; ++i)
                 flags[static_cast<std::size_t>(i)] = x.c.flag(i);
             return take(x.dib, SpCurl(x.dib, x.l(), x.t(), x.r(), x.b(), flags, x.c.colour(0), x.c.colour(1),
                                       x.c.integer(12), x.data, x.progress));
         }},
        {QStringLiteral("Paste Image"), paste},
        {QStringLiteral("Pinch Hole"),
         [](const Context &x) {
             return take(x.dib,
                         SpPinchHole(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.value(0), x.data, x.progress));
         }},
        {QStringLiteral("Polar"),
         [](const Context &x) {
             return take(x.dib, SpRecToPolar(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.integer(0),
                                             x.c.integer(1), x.c.flag(2), x.c.flag(3), x.data, x.progress));
         }},
        {QStringLiteral("Rotate"),
         [](const Context &x) {
             return SpVisRotate(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.value(0), x.c.colour(0), x.data,
                                x.progress);
         }},
        {QStringLiteral("Sharp"),
         [](const Context &x) {
             return take(x.dib,
                         SpBetter(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.integer(0), x.data, x.progress));
         }},
        {QStringLiteral("Soft"),
         [](const Context &x) {
             return take(x.dib,
                         SpBetter(x.dib, x.l(), x.t(), x.r(), x.b(), -x.c.integer(0), x.data, x.progress));
         }},
        {QStringLiteral("Spray"),
         [](const Context &x) {
             return take(x.dib, SpSpray(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.integer(0), x.c.integer(1),
                                        x.data, x.progress));
         }},
        {QStringLiteral("Tile Maker"),
         [](const Context &x) { return take(x.dib, SpTileDib(x.dib, x.data, x.progress)); }},
        {QStringLiteral("Threshold"),
         [](const Context &x) {
             return take(x.dib, SpThresholdDib(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.integer(0), x.c.flag(1),
                                               x.data, x.progress));
         }},
        {QStringLiteral("Warp"),
         [](const Context &x) {
             return take(x.dib,
                         SpWarp(x.dib, x.c.flag(0), x.c.flag(1), x.c.flag(2), x.c.integer(3), x.c.integer(4),
                                x.c.integer(5), x.c.integer(6), x.data, x.progress, x.frame));
         }},
        {QStringLiteral("Wave"),
         [](const Context &x) {
             return take(x.dib, SpWave(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.value(0), x.c.integer(1),
                                       x.c.value(2), x.c.flag(3), x.c.flag(4), x.data, x.progress));
         }},
        {QStringLiteral("WhirlPool"),
         [](const Context &x) {
             return take(x.dib, SpWhirl(x.dib, x.l(), x.t(), x.r(), x.b(), x.c.value(0), x.data, x.progress));
         }},
    };
    return table;
}

} // namespace

bool RunEffect(DibBlock &dib, const TEffectCall &call, void *data, ProgressProc progress,
               TWarpFrameProc frame) {
    const auto it = runners().find(call.Tab);
    if (it == runners().end() || dib.isNull())
        return false;
    return (*it)(Context{dib, call, data, progress, frame});
}

} // namespace orva::effects
