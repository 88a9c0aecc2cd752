// Bindings of the image-effects routines the image controls call.
#include "imaging/core/DllSP96.h"

#include "imaging/core/DLL96V1.h"
#include "imaging/core/ErrorInvalid.h"
#include "platform/fxlib/FxEngine.h"
#include "platform/imageio/DibConvert.h"
#include "platform/imageio/DibReduce.h"

namespace orva::imaging {

using orva::imageio::Progress;

namespace {

struct EffectsState {
    bool available = true;
    QString caption;
    QString lastError;
};

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
        effects().lastError = QStringLiteral("An error occurred in the image effects engine");
        return failure;
    }
}

} // namespace

bool LoadEffectsDll() {
    return effects().available;
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

DibBlock SpIncreaseColors(const DibBlock &dib, int wantedDepth) {
    return bound(QStringLiteral("Increasing colors "), DibBlock(), [&] {
        const int bits = dib.bitCount();
        if (dib.isNull() || bits >= 24 || bits >= wantedDepth)
            return DibBlock();
        return orva::imageio::convertDib(dib, wantedDepth);
    });
}

DibBlock SpReduceDib(const DibBlock &dib, int bitCount, int dither, void *data, ProgressProc progress) {
    return bound(QStringLiteral("Reducing colors "), DibBlock(), [&] {
        if (dib.isNull())
            return DibBlock();
        const Progress p{progress, data};
        if (dib.bitCount() == 32) {
            const DibBlock rgb = orva::imageio::convertDib(dib, 24);
            return rgb ? orva::imageio::reduceDib(rgb, bitCount, dither, p) : DibBlock();
        }
        return orva::imageio::reduceDib(dib, bitCount, dither, p);
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
    const int bits = dib.bitCount();
    if (dib.isNull() || width <= 0 || height <= 0)
        return {};
    if (bits >= 24)
        return bound(QStringLiteral("Resizing Image"), DibBlock(), [&] {
            return orva::fxlib::ScaleDib(dib, width, height, Progress{progress, data});
        });
    const DibBlock promoted = SpIncreaseColors(dib, 24);
    if (!promoted)
        return {};
    DibBlock scaled = bound(QStringLiteral("Resizing Image"), DibBlock(), [&] {
        return orva::fxlib::ScaleDib(promoted, width, height, Progress{progress, data});
    });
    if (!scaled || wantedDepth == 24)
        return scaled;
    return SpReduceDib(scaled, bits == 1 ? 4 : bits, 0, data, progress);
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

void SpRotateGraphic(QImage &picture, double angle, QRgb fill) {
    if (picture.isNull())
        throw ErrorInvalid(ErrorInvalidText::InputImageEmpty());
    DibBlock dib = GraphicToDib(&picture);
    if (dib.size() <= 4)
        throw ErrorInvalid(ErrorInvalidText::InputImageEmpty());
    if (!SpVisRotate(dib, 0, 0, 0, 0, angle, fill))
        return;
    QImage rotated;
    if (DibToBitmap(&dib, 0, 0, nullptr, rotated))
        picture = rotated;
}

} // namespace orva::imaging
