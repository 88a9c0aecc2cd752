// Bindings of the image-effects routines the image controls and the effects dialog call.
#include "imaging/core/DllSP96.h"

#include "imaging/core/DLL96V1.h"
#include "imaging/core/ErrorInvalid.h"
#include "platform/fxlib/FxEffects.h"
#include "platform/fxlib/FxEngine.h"
#include "platform/fxlib/Palettes.h"
#include "platform/imageio/DibConvert.h"
#include "platform/imageio/DibReduce.h"

#include <QHash>

namespace orva::imaging {

namespace fx = orva::fxlib;
using orva::imageio::Progress;

namespace {

struct EffectsState {
    bool available = true;
    QString caption;
    QString lastError;
    std::function<void(const QString &)> notice;
};

const QString kEngineName = QStringLiteral("ISP2000.DLL");
const QString kEngineFault =
    QStringLiteral("An exception error occured in the vistrane dll. We recommend to exit "
                   "the application and to restart it by clicking its icon!");

EffectsState &effects() {
    static EffectsState s;
    return s;
}

// Binding pattern: engine present, caption set, engine call guarded; failures give the group's value.
template <typename Result, typename Call> Result bound(const QString &caption, Result failure, Call &&call) {
    if (!LoadEffectsDll())
        return failure;
    effects().caption = caption;
    try {
        return call();
    } catch (const std::exception &) {
        effects().lastError = kEngineFault;
        if (effects().notice)
            effects().notice(kEngineFault);
        return failure;
    }
}

} // namespace

// Each call that finds the engine absent says so again: the user may have several tries.
bool LoadEffectsDll() {
    if (effects().available)
        return true;
    if (effects().notice)
        effects().notice(QStringLiteral("Can't load ") + kEngineName +
                         QStringLiteral(". Make sure its located in the application's searchpath."));
    return false;
}
void SetEffectsFailureNotice(std::function<void(const QString &)> notice) {
    effects().notice = std::move(notice);
}
void FreeEffectsDll() {}
void SetEffectsEngineAvailable(bool available) {
    effects().available = available;
}
QString ProgressCaption() {
    return effects().caption;
}
QString LastEffectsError() {
    return effects().lastError;
}

std::int16_t SpProgress(std::int16_t percent, void *data) {
    auto *control = static_cast<TProgressTarget *>(data);
    if (!control)
        return 1;
    bool cancel = false;
    control->DoProgress(percent, effects().caption, cancel);
    return cancel ? 0 : 1;
}

QRect EffectArea(int left, int top, int right, int bottom, int width, int height) {
    if (right == 0 || bottom == 0) {
        right = width;
        bottom = height;
    }
    const QRect area = QRect(QPoint(std::min(left, right), std::min(top, bottom)),
                             QPoint(std::max(left, right) - 1, std::max(top, bottom) - 1));
    return area.intersected(QRect(0, 0, width, height));
}

namespace {

DibBlock increaseColors(const DibBlock &dib, int wantedDepth) {
    const int bits = dib.bitCount();
    if (dib.isNull() || bits >= 24 || bits >= wantedDepth)
        return DibBlock();
    return orva::imageio::convertDib(dib, wantedDepth);
}

DibBlock reduceColors(const DibBlock &dib, int bitCount, int dither, const Progress &p) {
    if (dib.isNull())
        return DibBlock();
    if (dib.bitCount() == 32) {
        const DibBlock rgb = orva::imageio::convertDib(dib, 24);
        return rgb ? orva::imageio::reduceDib(rgb, bitCount, dither, p) : DibBlock();
    }
    return orva::imageio::reduceDib(dib, bitCount, dither, p);
}

// The way back of the depth rule for a result that holds only colours of the source's own table (an
// effect that moved pixels about, or changed nothing): the table is kept and every pixel finds its
// index again, so nothing is lost to a new reduction. None when any colour is not in the table.
DibBlock ontoOwnTable(const DibBlock &result, const DibBlock &source) {
    const int bits = source.bitCount();
    if (bits > 8 || result.bitCount() != 24 || result.width() != source.width() ||
        result.height() != source.height())
        return {};
    const int target = bits == 1 ? 4 : bits;
    DibBlock out =
        DibBlock::create(result.width(), result.height(), target, target == 4 ? 16 : source.numColors());
    if (!out)
        return {};
    QHash<QRgb, int> index;
    for (int i = source.numColors() - 1; i >= 0; --i) {
        out.setColor(i, source.color(i));
        index.insert(source.color(i) & 0xFFFFFFu, i);
    }
    for (int y = 0; y < result.height(); ++y) {
        const std::uint8_t *in = result.scanLine(y);
        QRgb last = 0xFFFFFFFFu;
        int found = 0;
        for (int x = 0; x < result.width(); ++x) {
            const QRgb c = in[3 * x] | (in[3 * x + 1] << 8) | (QRgb(in[3 * x + 2]) << 16);
            if (c != last) {
                const auto it = index.constFind(c);
                if (it == index.constEnd())
                    return {};
                last = c;
                found = *it;
            }
            orva::imageio::setDibIndex(out, x, y, found);
        }
    }
    out.setResolution(result.xPelsPerMeter(), result.yPelsPerMeter());
    return out;
}

// The depth rule without the binding pattern, for bindings that already set their caption.
DibBlock depthRule(const DibBlock &dib, const std::function<DibBlock(const DibBlock &)> &engine,
                   const Progress &p, bool back) {
    const int bits = dib.bitCount();
    if (dib.isNull())
        return {};
    if (bits >= 24)
        return engine(dib);
    const DibBlock promoted = increaseColors(dib, 24);
    if (!promoted)
        return {};
    DibBlock result = engine(promoted);
    if (!result || !back)
        return result;
    if (DibBlock exact = ontoOwnTable(result, dib))
        return exact;
    return reduceColors(result, bits == 1 ? 4 : bits, 0, p);
}

} // namespace

DibBlock SpIncreaseColors(const DibBlock &dib, int wantedDepth) {
    return bound(QStringLiteral("Increasing colors "), DibBlock(),
                 [&] { return increaseColors(dib, wantedDepth); });
}

DibBlock SpReduceDib(const DibBlock &dib, int bitCount, int dither, void *data, ProgressProc progress) {
    return bound(QStringLiteral("Reducing colors "), DibBlock(), [&] {
        return reduceColors(dib, bitCount, dither, Progress{progress, data});
    });
}

DibBlock SpVisReduceColors(DibBlock &&dib, int colors, int dither, void *data, ProgressProc progress) {
    const int n = std::clamp(colors, 2, 255);
    const int method = dither == 1 ? 2 : dither == 2 ? 4 : dither == 3 ? 8 : 1;
    DibBlock result = bound(QStringLiteral("Reducing colors "), DibBlock(), [&] {
        const Progress p{progress, data};
        const int bits = n <= 2 ? 1 : n <= 16 ? 4 : 8;
        if (dib.bitCount() == 32) {
            const DibBlock rgb = orva::imageio::convertDib(dib, 24);
            return rgb ? orva::imageio::reduceDibColors(rgb, bits, n, method, p) : DibBlock();
        }
        return orva::imageio::reduceDibColors(dib, bits, n, method, p);
    });
    // Success consumes the source, whatever its depth; failure leaves it with the caller.
    if (result)
        dib = DibBlock();
    return result;
}

DibBlock SpScaleDib(const DibBlock &dib, int width, int height, int wantedDepth, void *data,
                    ProgressProc progress) {
    if (dib.isNull() || width <= 0 || height <= 0)
        return {};
    const Progress p{progress, data};
    return bound(QStringLiteral("Resizing Image"), DibBlock(), [&] {
        return depthRule(
            dib, [&](const DibBlock &rgb) { return fx::ScaleDib(rgb, width, height, p); }, p,
            wantedDepth != 24);
    });
}

DibBlock SpScaleToGray(const DibBlock &dib, TScaleToGray mode, int width, int height, void *data,
                       ProgressProc progress) {
    return bound(QStringLiteral("Scaling Image To Gray"), DibBlock(), [&] {
        int levels = 16;
        bool smooth = false;
        switch (mode) {
        case S_Gray_None:
            levels = 0;
            break;
        case S_Gray_256_24:
            levels = 256;
            break;
        case S_Gray_Anti_16:
            smooth = true;
            break;
        case S_Gray_Anti_256:
            levels = 256;
            smooth = true;
            break;
        default:
            break;
        }
        return orva::fxlib::ScaleToGray(dib, levels, smooth, width, height, Progress{progress, data});
    });
}

long double SpTDeskew(const DibBlock &dib, std::int16_t subsampling, std::uint8_t grayValue,
                      double lineResolution, double angleResolution, double range, void *data,
                      ProgressProc progress) {
    return bound(QStringLiteral("Deskewing Image "), static_cast<long double>(0), [&] {
        orva::fxlib::DeskewOptions options;
        options.subsampling = subsampling;
        options.grayValue = grayValue;
        options.lineResolution = lineResolution;
        options.angleResolution = angleResolution;
        options.range = range;
        return static_cast<long double>(
            orva::fxlib::tdeskew(dib, options, nullptr, Progress{progress, data}));
    });
}

bool SpVisRotate(DibBlock &dib, int left, int top, int right, int bottom, double angle, QRgb fill, void *data,
                 ProgressProc progress) {
    if (dib.isNull())
        return false;
    const QRect area = EffectArea(left, top, right, bottom, dib.width(), dib.height());
    if (area.isEmpty())
        return false;
    DibBlock rotated = bound(QStringLiteral("Rotating Image "), DibBlock(), [&] {
        return orva::fxlib::VisRotate(dib, angle, area, fill, Progress{progress, data});
    });
    if (!rotated)
        return false;
    dib = std::move(rotated);
    return true;
}

bool SpCropAutoDib(DibBlock &dib, int value, void *data, ProgressProc progress) {
    DibBlock cropped = bound(QStringLiteral("Removing Unwanted Border "), DibBlock(), [&] {
        return orva::fxlib::CropAutoDib(dib, value, Progress{progress, data});
    });
    if (!cropped)
        return false;
    dib = std::move(cropped);
    return true;
}

bool SpVisInvert(DibBlock &dib) {
    return bound(QStringLiteral("Inverting Image"), false, [&] { return orva::fxlib::VisInvert(dib); });
}

bool SpRotateGraphic(QImage &picture, double angle, QRgb fill, QString *error) {
    if (picture.isNull())
        return failWith(error, ErrorInvalidText::InputImageEmpty());
    DibBlock dib = GraphicToDib(&picture, error);
    if (!dib)
        return false;
    if (dib.size() <= 4)
        return failWith(error, ErrorInvalidText::InputImageEmpty());
    if (!SpVisRotate(dib, 0, 0, 0, 0, angle, fill))
        return false;
    QImage rotated;
    if (!DibToBitmap(&dib, 0, 0, nullptr, rotated))
        return false;
    picture = rotated;
    return true;
}

namespace {

// Area effects: the area rule first, then the depth rule around the engine call.
DibBlock
areaBinding(const QString &caption, const DibBlock &dib, int left, int top, int right, int bottom, void *data,
            ProgressProc progress,
            const std::function<DibBlock(const DibBlock &, const QRect &, const Progress &)> &engine) {
    if (dib.isNull())
        return {};
    const QRect area = EffectArea(left, top, right, bottom, dib.width(), dib.height());
    if (area.isEmpty())
        return {};
    const Progress p{progress, data};
    return bound(caption, DibBlock(), [&] {
        return depthRule(
            dib, [&](const DibBlock &rgb) { return engine(rgb, area, p); }, p, true);
    });
}

// Whole-picture effects with the depth rule.
DibBlock wholeBinding(const QString &caption, const DibBlock &dib, void *data, ProgressProc progress,
                      const std::function<DibBlock(const DibBlock &, const Progress &)> &engine) {
    const Progress p{progress, data};
    return bound(caption, DibBlock(), [&] {
        return depthRule(
            dib, [&](const DibBlock &rgb) { return engine(rgb, p); }, p, true);
    });
}

} // namespace

DibBlock SpOilPainting(const DibBlock &dib, int left, int top, int right, int bottom, int value, void *data,
                       ProgressProc progress) {
    return areaBinding(QStringLiteral("Oil Painting Image "), dib, left, top, right, bottom, data, progress,
                       [&](const DibBlock &d, const QRect &a, const Progress &p) {
                           return fx::OilPainting(d, a, value, p);
                       });
}

DibBlock SpBlur(const DibBlock &dib, int left, int top, int right, int bottom, int value, void *data,
                ProgressProc progress) {
    return areaBinding(
        QStringLiteral("Blurring Image "), dib, left, top, right, bottom, data, progress,
        [&](const DibBlock &d, const QRect &a, const Progress &p) { return fx::Blur(d, a, value, p); });
}

DibBlock SpPinchHole(const DibBlock &dib, int left, int top, int right, int bottom, double value, void *data,
                     ProgressProc progress) {
    return areaBinding(
        QStringLiteral("Pinching Hole "), dib, left, top, right, bottom, data, progress,
        [&](const DibBlock &d, const QRect &a, const Progress &p) { return fx::PinchHole(d, a, value, p); });
}

DibBlock SpWhirl(const DibBlock &dib, int left, int top, int right, int bottom, double value, void *data,
                 ProgressProc progress) {
    return areaBinding(
        QStringLiteral("Whirling Image "), dib, left, top, right, bottom, data, progress,
        [&](const DibBlock &d, const QRect &a, const Progress &p) { return fx::Whirl(d, a, value, p); });
}

DibBlock SpEngrave(const DibBlock &dib, int left, int top, int right, int bottom, int value, void *data,
                   ProgressProc progress) {
    return areaBinding(
        QStringLiteral("Engraving Image "), dib, left, top, right, bottom, data, progress,
        [&](const DibBlock &d, const QRect &a, const Progress &p) { return fx::Engrave(d, a, value, p); });
}

DibBlock SpWave(const DibBlock &dib, int left, int top, int right, int bottom, double amplitude,
                int waveLength, double phase, bool smear, bool reflection, void *data,
                ProgressProc progress) {
    const fx::WaveOptions options{amplitude, waveLength, phase, smear, reflection};
    return areaBinding(
        QStringLiteral("Waving Image "), dib, left, top, right, bottom, data, progress,
        [&](const DibBlock &d, const QRect &a, const Progress &p) { return fx::Wave(d, a, options, p); });
}

DibBlock SpNoise(const DibBlock &dib, int left, int top, int right, int bottom, bool gauss, bool gray,
                 int red, int green, int blue, void *data, ProgressProc progress) {
    return areaBinding(QStringLiteral("Noisifying Image "), dib, left, top, right, bottom, data, progress,
                       [&](const DibBlock &d, const QRect &a, const Progress &p) {
                           return fx::Noise(d, a, gauss, gray, red, green, blue, p);
                       });
}

DibBlock SpEnhance(const DibBlock &dib, int left, int top, int right, int bottom, int brightness,
                   int contrast, int gammaRed, int gammaGreen, int gammaBlue, void *data,
                   ProgressProc progress) {
    return areaBinding(QStringLiteral("Enhancing Image "), dib, left, top, right, bottom, data, progress,
                       [&](const DibBlock &d, const QRect &a, const Progress &p) {
                           return fx::Enhance(d, a, brightness, contrast, gammaRed, gammaGreen, gammaBlue, p);
                       });
}

DibBlock SpMotion(const DibBlock &dib, int left, int top, int right, int bottom, int value, int angle,
                  int kind, void *data, ProgressProc progress) {
    return areaBinding(QStringLiteral("Motion Blurring Image "), dib, left, top, right, bottom, data,
                       progress, [&](const DibBlock &d, const QRect &a, const Progress &p) {
                           return fx::Motion(d, a, value, angle, kind, p);
                       });
}

DibBlock SpGrayArea(const DibBlock &dib, int left, int top, int right, int bottom, void *data,
                    ProgressProc progress) {
    return areaBinding(
        QStringLiteral("Applying Gray Area "), dib, left, top, right, bottom, data, progress,
        [&](const DibBlock &d, const QRect &a, const Progress &p) { return fx::GrayArea(d, a, p); });
}

DibBlock SpBled(const DibBlock &dib, int left, int top, int right, int bottom, int value, void *data,
                ProgressProc progress) {
    return areaBinding(
        QStringLiteral("Bleeding Image "), dib, left, top, right, bottom, data, progress,
        [&](const DibBlock &d, const QRect &a, const Progress &p) { return fx::Bled(d, a, value, p); });
}

DibBlock SpEdge(const DibBlock &dib, int left, int top, int right, int bottom, int value, void *data,
                ProgressProc progress) {
    return areaBinding(
        QStringLiteral("Finding Edges "), dib, left, top, right, bottom, data, progress,
        [&](const DibBlock &d, const QRect &a, const Progress &p) { return fx::Edge(d, a, value, p); });
}

DibBlock SpBetter(const DibBlock &dib, int left, int top, int right, int bottom, int value, void *data,
                  ProgressProc progress) {
    return areaBinding(
        QStringLiteral("Sharpen Image "), dib, left, top, right, bottom, data, progress,
        [&](const DibBlock &d, const QRect &a, const Progress &p) { return fx::Better(d, a, value, p); });
}

DibBlock SpRecToPolar(const DibBlock &dib, int left, int top, int right, int bottom, int value, int angle,
                      bool inverse, bool backwards, void *data, ProgressProc progress) {
    return areaBinding(QStringLiteral("Polar Image "), dib, left, top, right, bottom, data, progress,
                       [&](const DibBlock &d, const QRect &a, const Progress &p) {
                           return fx::RecToPolar(d, a, value, angle, inverse, backwards, p);
                       });
}

DibBlock SpCurl(const DibBlock &dib, int left, int top, int right, int bottom, const TCurlFlags &flags,
                QRgb background, QRgb foreground, int shading, void *data, ProgressProc progress) {
    return areaBinding(QStringLiteral("Applying Page Curl "), dib, left, top, right, bottom, data, progress,
                       [&](const DibBlock &d, const QRect &a, const Progress &p) {
                           return fx::Curl(d, a, flags, background, foreground, shading, p);
                       });
}

DibBlock SpMosaic(const DibBlock &dib, int left, int top, int right, int bottom, int size, int height,
                  int space, int light, int random, int polygonType, bool smooth, bool antiAlias,
                  QRgb foreground, QRgb background, void *data, ProgressProc progress) {
    const fx::MosaicOptions options{size,        height, space,     light,      random,
                                    polygonType, smooth, antiAlias, foreground, background};
    return areaBinding(
        QStringLiteral("Applying Mosaic Effect "), dib, left, top, right, bottom, data, progress,
        [&](const DibBlock &d, const QRect &a, const Progress &p) { return fx::Mosaic(d, a, options, p); });
}

DibBlock SpPixelFix(const DibBlock &dib, int left, int top, int right, int bottom, int value, void *data,
                    ProgressProc progress) {
    return areaBinding(
        QStringLiteral("Despeckling Image "), dib, left, top, right, bottom, data, progress,
        [&](const DibBlock &d, const QRect &a, const Progress &p) { return fx::PixelFix(d, a, value, p); });
}

DibBlock SpAutoContrast(const DibBlock &dib, int left, int top, int right, int bottom, void *data,
                        ProgressProc progress) {
    return areaBinding(
        QStringLiteral("Applying Auto Contrast "), dib, left, top, right, bottom, data, progress,
        [&](const DibBlock &d, const QRect &a, const Progress &p) { return fx::AutoContrast(d, a, p); });
}

DibBlock SpJiggle(const DibBlock &dib, int left, int top, int right, int bottom, int period, int amplitude,
                  int shape, void *data, ProgressProc progress) {
    return areaBinding(QStringLiteral("Jiggling Image "), dib, left, top, right, bottom, data, progress,
                       [&](const DibBlock &d, const QRect &a, const Progress &p) {
                           return fx::Jiggle(d, a, period, amplitude, shape, p);
                       });
}

DibBlock SpSpray(const DibBlock &dib, int left, int top, int right, int bottom, int value, int random,
                 void *data, ProgressProc progress) {
    return areaBinding(QStringLiteral("Spraying Image "), dib, left, top, right, bottom, data, progress,
                       [&](const DibBlock &d, const QRect &a, const Progress &p) {
                           return fx::Spray(d, a, value, random, p);
                       });
}

DibBlock SpFadeDib(const DibBlock &dib, int left, int top, int right, int bottom, int edge, std::uint8_t red,
                   std::uint8_t green, std::uint8_t blue, void *data, ProgressProc progress) {
    return areaBinding(QStringLiteral("Fading Image "), dib, left, top, right, bottom, data, progress,
                       [&](const DibBlock &d, const QRect &a, const Progress &p) {
                           return fx::FadeDib(d, a, edge, red, green, blue, p);
                       });
}

DibBlock SpThresholdDib(const DibBlock &dib, int left, int top, int right, int bottom, int value,
                        bool antiAlias, void *data, ProgressProc progress) {
    return areaBinding(QStringLiteral("Applying Threshold "), dib, left, top, right, bottom, data, progress,
                       [&](const DibBlock &d, const QRect &a, const Progress &p) {
                           return fx::ThresholdDib(d, a, value, antiAlias, p);
                       });
}

DibBlock SpWarp(const DibBlock &dib, bool rgbToHue, bool rgbToSaturation, bool convolve, int scale,
                int vectorRotation, int steps, int displacement, void *data, ProgressProc progress,
                TWarpFrameProc frame) {
    const fx::WarpOptions options{rgbToHue,       rgbToSaturation, convolve,    scale,
                                  vectorRotation, steps,           displacement};
    return wholeBinding(QStringLiteral("Warp disolve Image "), dib, data, progress,
                        [&](const DibBlock &d, const Progress &p) {
                            std::function<bool(const DibBlock &)> each;
                            if (frame)
                                each = [&](const DibBlock &shown) { return frame(shown, data) != 0; };
                            return fx::Warp(d, options, p, each);
                        });
}

DibBlock SpHToneImage(const DibBlock &dib, int cellSize, int shape, double angle, void *data,
                      ProgressProc progress) {
    return wholeBinding(
        QStringLiteral("Half Toning Image "), dib, data, progress,
        [&](const DibBlock &d, const Progress &p) { return fx::HToneImage(d, cellSize, shape, angle, p); });
}

DibBlock SpTileDib(const DibBlock &dib, void *data, ProgressProc progress) {
    return wholeBinding(QStringLiteral("Tiling Image "), dib, data, progress,
                        [&](const DibBlock &d, const Progress &p) { return fx::TileDib(d, p); });
}

DibBlock SpExtrudeDib(const DibBlock &dib, bool levels, int value, void *data, ProgressProc progress) {
    return wholeBinding(
        QStringLiteral("Extruding Image "), dib, data, progress,
        [&](const DibBlock &d, const Progress &p) { return fx::ExtrudeDib(d, levels, value, p); });
}

namespace {

// Both pictures at 24 bits or more (the lower one promoted), merged, and the result brought back to
// the target's depth.
DibBlock mergeBinding(const DibBlock &target, const DibBlock &overlay, int red, int green, int blue, int top,
                      int left) {
    if (target.isNull() || overlay.isNull())
        return {};
    std::optional<QRgb> key;
    if (red >= 0 && green >= 0 && blue >= 0)
        key = qRgb(std::min(red, 255), std::min(green, 255), std::min(blue, 255));
    return bound(QStringLiteral("Merging Image "), DibBlock(), [&] {
        DibBlock promotedOverlay;
        if (overlay.bitCount() < 24) {
            promotedOverlay = increaseColors(overlay, 24);
            if (!promotedOverlay)
                return DibBlock();
        }
        const DibBlock &top24 = promotedOverlay ? promotedOverlay : overlay;
        return depthRule(
            target, [&](const DibBlock &rgb) { return fx::MergeDib(rgb, top24, left, top, key); }, Progress{},
            true);
    });
}

} // namespace

DibBlock SpMergeDib(const DibBlock &target, const DibBlock &overlay, int red, int green, int blue, int top,
                    int left) {
    return mergeBinding(target, overlay, red, green, blue, top, left);
}

DibBlock SpDropDib(const DibBlock &target, const DibBlock &overlay, int red, int green, int blue, int top,
                   int left) {
    return mergeBinding(target, overlay, red, green, blue, top, left);
}

bool SpvisHueAndSaturation(DibBlock &dib, bool red, bool green, bool blue, bool yellow, bool magenta,
                           bool cyan, int hue, int saturation, int brightness, int left, int top, int right,
                           int bottom, void *data, ProgressProc progress) {
    const fx::HueChannels channels{red, green, blue, yellow, magenta, cyan};
    DibBlock result =
        areaBinding(QStringLiteral("Applying Hue and Saturation "), dib, left, top, right, bottom, data,
                    progress, [&](const DibBlock &d, const QRect &a, const Progress &p) {
                        return fx::visHueAndSaturation(d, a, channels, hue, saturation, brightness, p);
                    });
    if (!result)
        return false;
    dib = std::move(result);
    return true;
}

namespace {

// In place at true colour (a copy returned), through the depth rule below it.
DibBlock inPlaceBinding(const QString &caption, DibBlock &dib,
                        const std::function<bool(DibBlock &)> &engine) {
    if (dib.isNull())
        return {};
    return bound(caption, DibBlock(), [&] {
        if (dib.bitCount() >= 24)
            return engine(dib) ? dib.copy() : DibBlock();
        return depthRule(
            dib,
            [&](const DibBlock &rgb) {
                DibBlock work = rgb.copy();
                return work && engine(work) ? std::move(work) : DibBlock();
            },
            Progress{}, true);
    });
}

} // namespace

DibBlock SpVisMirror(DibBlock &dib, bool vertical, bool horizontal) {
    return bound(QStringLiteral("Mirroring Image "), DibBlock(),
                 [&] { return fx::VisMirror(dib, vertical, horizontal) ? dib.copy() : DibBlock(); });
}

DibBlock SpVisBrightness(DibBlock &dib, int amount) {
    const int a = std::clamp(amount, -255, 255);
    return inPlaceBinding(QStringLiteral("Brighten Image "), dib,
                          [&](DibBlock &d) { return fx::VisBrightness(d, a); });
}

DibBlock SpVisGamma(DibBlock &dib, int value) {
    const int g = std::clamp(value, 10, 50);
    return inPlaceBinding(QStringLiteral("Gamma Correct Image "), dib,
                          [&](DibBlock &d) { return fx::VisGamma(d, g); });
}

namespace {

bool playTransition(TransitionPlayer &player, const QImage &bitmap, fx::TransitionKind kind, int thickness,
                    int delay) {
    return bound(QStringLiteral("Transition Image "), false,
                 [&] { return player.start(bitmap, kind, thickness, delay); });
}

bool playTransitionDib(TransitionPlayer &player, const DibBlock &dib, fx::TransitionKind kind, int thickness,
                       int delay) {
    return !dib.isNull() && playTransition(player, orva::imageio::dibToQImage(dib), kind, thickness, delay);
}

} // namespace

bool SpFXSkipHorizontal(TransitionPlayer &player, const QImage &bitmap, int thickness, int delay) {
    return playTransition(player, bitmap, fx::TransitionKind::Horizontal, thickness, delay);
}
bool SpFXSkipVertical(TransitionPlayer &player, const QImage &bitmap, int thickness, int delay) {
    return playTransition(player, bitmap, fx::TransitionKind::Vertical, thickness, delay);
}
bool SpFXSkipDiagonals(TransitionPlayer &player, const QImage &bitmap, int thickness, int delay) {
    return playTransition(player, bitmap, fx::TransitionKind::Diagonals, thickness, delay);
}
bool SpFXSkipDiagonalSquares(TransitionPlayer &player, const QImage &bitmap, int thickness, int delay) {
    return playTransition(player, bitmap, fx::TransitionKind::DiagonalSquares, thickness, delay);
}
bool SpFXSkipRectangles(TransitionPlayer &player, const QImage &bitmap, int delay) {
    return playTransition(player, bitmap, fx::TransitionKind::Rectangles, 1, delay);
}
bool SpFXSkipHorizontalDib(TransitionPlayer &player, const DibBlock &dib, int thickness, int delay) {
    return playTransitionDib(player, dib, fx::TransitionKind::Horizontal, thickness, delay);
}
bool SpFXSkipVerticalDib(TransitionPlayer &player, const DibBlock &dib, int thickness, int delay) {
    return playTransitionDib(player, dib, fx::TransitionKind::Vertical, thickness, delay);
}
bool SpFXSkipDiagonalsDib(TransitionPlayer &player, const DibBlock &dib, int thickness, int delay) {
    return playTransitionDib(player, dib, fx::TransitionKind::Diagonals, thickness, delay);
}
bool SpFXSkipDiagonalSquaresDib(TransitionPlayer &player, const DibBlock &dib, int thickness, int delay) {
    return playTransitionDib(player, dib, fx::TransitionKind::DiagonalSquares, thickness, delay);
}
bool SpFXSkipRectanglesDib(TransitionPlayer &player, const DibBlock &dib, int delay) {
    return playTransitionDib(player, dib, fx::TransitionKind::Rectangles, 1, delay);
}

bool SpTransition(TransitionPlayer &player, const QImage &bitmap, TFXMethod method, int thickness,
                  int delay) {
    switch (method) {
    case FXHorizontal:
        return SpFXSkipHorizontal(player, bitmap, thickness, delay);
    case FXVertical:
        return SpFXSkipVertical(player, bitmap, thickness, delay);
    case FXDiagonal:
        return SpFXSkipDiagonals(player, bitmap, thickness, delay);
    case FXDiagonalSquares:
        return SpFXSkipDiagonalSquares(player, bitmap, thickness, delay);
    case FXRectangles:
        return SpFXSkipRectangles(player, bitmap, delay);
    case FXNone:
        break;
    }
    return false;
}

QVector<QRgb> CreateGrayPalette(int n) {
    return fx::CreateGrayPalette(n);
}

bool SavePaletteFile(const QString &file, const QVector<QRgb> &palette, int n, QString *error) {
    switch (fx::SavePaletteFile(file, palette, n)) {
    case fx::PaletteFileStatus::Ok:
        return true;
    case fx::PaletteFileStatus::CannotCreate:
    case fx::PaletteFileStatus::WriteFailed:
        return failWith(error, ErrorInvalidText::CouldNotCreateFile());
    default:
        return false;
    }
}

int LoadPaletteFile(const QString &file, QVector<QRgb> &palette, QString *error) {
    fx::PaletteFileStatus status = fx::PaletteFileStatus::Ok;
    const int n = fx::LoadPaletteFile(file, palette, &status);
    if (status == fx::PaletteFileStatus::Unreadable) {
        failWith(error, ErrorInvalidText::CouldNotOpenFile());
        return 0;
    }
    return n;
}

void SortPalette(QVector<QRgb> &palette) {
    fx::SortPalette(palette);
}

bool RemapDibToPalette(const QVector<QRgb> &palette, DibBlock &dib, void *data, ProgressProc progress,
                       QString *error) {
    if (palette.isEmpty())
        return false;
    const fx::RemapStatus status = fx::RemapDibToPalette(palette, dib, Progress{progress, data});
    if (status == fx::RemapStatus::NotPaletted)
        return failWith(error, ErrorInvalidText::DibNot8Or4Bit());
    return status == fx::RemapStatus::Ok;
}

} // namespace orva::imaging
