// The effect bindings: a golden result for every effect at every depth, the depth rule (1 bit comes
// back as 4), clamps, in-place ownership, merging depths, stops and random areas that must never
// write outside the picture. ORVA_REGENERATE_GOLDEN=1 rewrites the golden file on purpose.
#include "imaging/core/DllSP96.h"
#include "imaging/core/ErrorInvalid.h"
#include "platform/imageio/DibConvert.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <random>

using namespace orva::imaging;
namespace io = orva::imageio;

namespace {

io::Bytes bytesOf(const DibBlock &d) {
    return io::Bytes(d.data(), d.data() + d.size());
}

DibBlock make(int w, int h, int bits) {
    DibBlock d = DibBlock::create(w, h, bits);
    for (int i = 0; i < d.numColors(); ++i)
        d.setColor(i, qRgb(i * 53 % 256, i * 97 % 256, 255 - i * 29 % 256));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (bits <= 8) {
                io::setDibIndex(d, x, y, (x / 3 + y / 2 + x * y / 7) % d.numColors());
                continue;
            }
            std::uint8_t *p = d.scanLine(y) + x * (bits / 8);
            for (int k = 0; k < bits / 8; ++k)
                p[k] = static_cast<std::uint8_t>(x * 11 + y * 5 + k * 70 + (x ^ y) * 3);
        }
    return d;
}

std::uint64_t fnv(const DibBlock &d) {
    std::uint64_t h = 1469598103934665603ull;
    for (std::size_t i = 0; i < d.size(); ++i)
        h = (h ^ d.data()[i]) * 1099511628211ull;
    return h;
}

std::int16_t stopNow(std::int16_t, void *) {
    return 0;
}

using Run = std::function<DibBlock(const DibBlock &)>;

// Every effect of the dialog through its binding, on the area (6, 4)-(40, 30) where it takes one.
std::vector<std::pair<const char *, Run>> effects() {
    TCurlFlags curl{};
    curl[0] = curl[4] = curl[5] = curl[6] = curl[11] = true;
    return {
        {"OilPainting", [](auto &d) { return SpOilPainting(d, 6, 4, 40, 30, 1); }},
        {"Blur", [](auto &d) { return SpBlur(d, 6, 4, 40, 30, 2); }},
        {"PinchHole", [](auto &d) { return SpPinchHole(d, 6, 4, 40, 30, -10); }},
        {"Whirl", [](auto &d) { return SpWhirl(d, 6, 4, 40, 30, 200); }},
        {"Engrave", [](auto &d) { return SpEngrave(d, 6, 4, 40, 30, 1); }},
        {"Wave", [](auto &d) { return SpWave(d, 6, 4, 40, 30, 50, 20, 1, true, false); }},
        {"Noise", [](auto &d) { return SpNoise(d, 6, 4, 40, 30, true, false, 20, 20, 20); }},
        {"Enhance", [](auto &d) { return SpEnhance(d, 6, 4, 40, 30, 10, 30, 12, 10, 8); }},
        {"Motion", [](auto &d) { return SpMotion(d, 6, 4, 40, 30, 10, 10, 1); }},
        {"GrayArea", [](auto &d) { return SpGrayArea(d, 6, 4, 40, 30); }},
        {"Bled", [](auto &d) { return SpBled(d, 6, 4, 40, 30, 100); }},
        {"Edge", [](auto &d) { return SpEdge(d, 6, 4, 40, 30, 1); }},
        {"Better", [](auto &d) { return SpBetter(d, 6, 4, 40, 30, 3); }},
        {"RecToPolar", [](auto &d) { return SpRecToPolar(d, 6, 4, 40, 30, 1, 1, false, false); }},
        {"Curl",
         [curl](auto &d) { return SpCurl(d, 6, 4, 40, 30, curl, qRgb(0, 0, 0), qRgb(255, 255, 255), 4); }},
        {"Mosaic",
         [](auto &d) {
             return SpMosaic(d, 6, 4, 40, 30, 60, 30, 10, 40, 1, 0, true, true, qRgb(255, 255, 255),
                             qRgb(0, 0, 0));
         }},
        {"PixelFix", [](auto &d) { return SpPixelFix(d, 6, 4, 40, 30, 0); }},
        {"AutoContrast", [](auto &d) { return SpAutoContrast(d, 6, 4, 40, 30); }},
        {"Jiggle", [](auto &d) { return SpJiggle(d, 6, 4, 40, 30, 1, 10, 0); }},
        {"Spray", [](auto &d) { return SpSpray(d, 6, 4, 40, 30, 3, 1); }},
        {"FadeDib", [](auto &d) { return SpFadeDib(d, 6, 4, 40, 30, 5, 255, 255, 255); }},
        {"ThresholdDib", [](auto &d) { return SpThresholdDib(d, 6, 4, 40, 30, 120, true); }},
        {"Warp", [](auto &d) { return SpWarp(d, true, true, true, 20, 90, 4, 10); }},
        {"HToneImage", [](auto &d) { return SpHToneImage(d, 4, 5, 45.0); }},
        {"TileDib", [](auto &d) { return SpTileDib(d); }},
        {"ExtrudeDib", [](auto &d) { return SpExtrudeDib(d, true, 1); }},
        {"VisBrightness",
         [](auto &d) {
             DibBlock c = d.copy();
             return SpVisBrightness(c, 40);
         }},
        {"VisGamma",
         [](auto &d) {
             DibBlock c = d.copy();
             return SpVisGamma(c, 20);
         }},
        {"VisMirror",
         [](auto &d) {
             DibBlock c = d.copy();
             return SpVisMirror(c, true, true);
         }},
        {"HueAndSaturation",
         [](auto &d) {
             DibBlock c = d.copy();
             return SpvisHueAndSaturation(c, true, true, true, true, true, true, 30, 10, 0, 6, 4, 40, 30)
                        ? std::move(c)
                        : DibBlock();
         }},
        {"Rotate",
         [](auto &d) {
             DibBlock c = d.copy();
             return SpVisRotate(c, 6, 4, 40, 30, 15.0, qRgb(255, 255, 255)) ? std::move(c) : DibBlock();
         }},
        {"MergeDib", [](auto &d) { return SpMergeDib(d, make(12, 9, 24), 255, 255, 255, 3, 5); }},
    };
}

} // namespace

TEST(EffectBindings, GoldenResultAtEveryDepth) {
    QByteArray actual;
    for (const auto &[name, run] : effects())
        for (int bits : {1, 4, 8, 24, 32}) {
            const DibBlock source = make(48, 36, bits);
            const io::Bytes before = bytesOf(source);
            const DibBlock out = run(source);
            ASSERT_FALSE(out.isNull()) << name << " " << bits;
            EXPECT_EQ(bytesOf(source), before) << name << " changed the caller's picture";
            // Mirror and rotate work at every depth; the rest go through the depth rule.
            const bool anyDepth = QByteArray(name) == "VisMirror" || QByteArray(name) == "Rotate";
            EXPECT_EQ(out.bitCount(), bits == 1 && !anyDepth ? 4 : bits) << name;
            actual += QByteArray(name) + ' ' + QByteArray::number(bits) + ' ' +
                      QByteArray::number(static_cast<qulonglong>(fnv(out)), 16) + '\n';
        }
    const QString path = qEnvironmentVariable("ORVA_SOURCE_DIR") + "/imaging/core/tests/golden/effects.txt";
    if (qEnvironmentVariableIsSet("ORVA_REGENERATE_GOLDEN")) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(actual);
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    const QList<QByteArray> expected = f.readAll().split('\n');
    const QList<QByteArray> got = actual.split('\n');
    ASSERT_EQ(got.size(), expected.size());
    for (qsizetype i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i].toStdString(), expected[i].toStdString());
}

TEST(EffectBindings, DepthRuleAndAreaRule) {
    struct Case {
        int bits, back;
    } cases[] = {{1, 4}, {4, 4}, {8, 8}, {16, 16}, {24, 24}, {32, 32}};
    for (const Case &c : cases) {
        const DibBlock source = make(20, 12, c.bits);
        EXPECT_EQ(SpBlur(source, 0, 0, 0, 0, 1).bitCount(), c.back) << c.bits;
    }
    const DibBlock d = make(64, 48, 24);
    // A zero right or bottom means the whole picture; reversed edges are the same area.
    EXPECT_EQ(bytesOf(SpGrayArea(d, 5, 7, 0, 100)), bytesOf(SpGrayArea(d, 5, 7, 64, 48)));
    EXPECT_EQ(bytesOf(SpGrayArea(d, 50, 40, 20, 30)), bytesOf(SpGrayArea(d, 20, 30, 50, 40)));
    EXPECT_TRUE(SpGrayArea(d, 70, 50, 80, 60).isNull()) << "an area off the picture gives nothing";
    EXPECT_TRUE(SpGrayArea(DibBlock(), 0, 0, 0, 0).isNull());
}

TEST(EffectBindings, NeutralSettingsKeepEveryPixelAtEveryDepth) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        const DibBlock source = make(37, 21, bits);
        auto same = [&](const DibBlock &out, const char *what) {
            ASSERT_FALSE(out.isNull()) << what << " " << bits;
            for (int y = 0; y < source.height(); ++y)
                for (int x = 0; x < source.width(); ++x)
                    ASSERT_EQ(io::dibPixel(out, x, y), io::dibPixel(source, x, y)) << what << " " << bits;
        };
        same(SpEnhance(source, 0, 0, 0, 0, 0, 0, 10, 10, 10), "Enhance");
        same(SpBetter(source, 0, 0, 0, 0, 0), "Sharp/Soft");
        DibBlock bright = source.copy(), gamma = source.copy(), hue = source.copy(), rotate = source.copy();
        same(SpVisBrightness(bright, 0), "Bright");
        same(SpVisGamma(gamma, 10), "Gamma");
        ASSERT_TRUE(SpvisHueAndSaturation(hue, true, true, true, true, true, true, 0, 0, 0, 0, 0, 0, 0));
        same(hue, "Hue and Saturation");
        ASSERT_TRUE(SpVisRotate(rotate, 0, 0, 0, 0, 0, 0));
        same(rotate, "Rotate");
    }
}

TEST(EffectBindings, InPlaceAdjustmentsClampAndShareTheChange) {
    DibBlock d = make(20, 10, 24);
    DibBlock same = d.copy();
    const DibBlock bright = SpVisBrightness(d, 300);
    ASSERT_FALSE(bright.isNull());
    EXPECT_EQ(bytesOf(bright), bytesOf(d)) << "at 24 bits the caller's picture changed and a copy came back";
    EXPECT_EQ(bytesOf(SpVisBrightness(same, 255)), bytesOf(bright)) << "300 is applied as 255";
    DibBlock g5 = make(20, 10, 24), g10 = make(20, 10, 24), g60 = make(20, 10, 24), g50 = make(20, 10, 24);
    EXPECT_EQ(bytesOf(SpVisGamma(g5, 5)), bytesOf(SpVisGamma(g10, 10)));
    EXPECT_EQ(bytesOf(SpVisGamma(g60, 60)), bytesOf(SpVisGamma(g50, 50)));
    EXPECT_EQ(bytesOf(g10), bytesOf(make(20, 10, 24))) << "gamma 10 changes nothing";
    DibBlock eight = make(20, 10, 8);
    const io::Bytes before = bytesOf(eight);
    EXPECT_EQ(SpVisBrightness(eight, 40).bitCount(), 8);
    EXPECT_EQ(bytesOf(eight), before) << "below 24 bits the caller's picture stays";
    DibBlock mono = make(33, 5, 1);
    const io::Bytes monoBefore = bytesOf(mono);
    const DibBlock mirrored = SpVisMirror(mono, false, true);
    EXPECT_EQ(bytesOf(mirrored), bytesOf(mono));
    SpVisMirror(mono, false, true);
    EXPECT_EQ(bytesOf(mono), monoBefore);
}

TEST(EffectBindings, MergingBringsTheResultToTheTargetDepth) {
    const DibBlock overlay8 = make(10, 10, 8);
    const DibBlock overlay24 = make(10, 10, 24);
    EXPECT_EQ(SpMergeDib(make(30, 20, 8), overlay24, -1, -1, -1, 0, 0).bitCount(), 8);
    EXPECT_EQ(SpMergeDib(make(30, 20, 1), overlay8, -1, -1, -1, 0, 0).bitCount(), 4);
    EXPECT_EQ(SpDropDib(make(30, 20, 24), overlay8, -1, -1, -1, 25, 25).bitCount(), 24);
    const DibBlock target = make(30, 20, 24);
    EXPECT_EQ(bytesOf(SpDropDib(target, overlay24, -1, -1, -1, 100, 100)), bytesOf(target));
    const DibBlock dropped = SpDropDib(target, overlay24, -1, -1, -1, 15, 25);
    EXPECT_EQ(io::dibPixel(dropped, 25, 15), io::dibPixel(overlay24, 0, 0)) << "top then left";
}

TEST(EffectBindings, StopOrEngineAbsentLeavesThePicture) {
    const DibBlock d = make(30, 20, 8);
    const io::Bytes before = bytesOf(d);
    EXPECT_TRUE(SpOilPainting(d, 0, 0, 0, 0, 2, nullptr, stopNow).isNull());
    EXPECT_TRUE(SpWarp(d, true, true, true, 20, 90, 4, 10, nullptr, stopNow).isNull());
    DibBlock hue = d.copy();
    EXPECT_FALSE(SpvisHueAndSaturation(hue, true, true, true, true, true, true, 10, 0, 0, 0, 0, 0, 0, nullptr,
                                       stopNow));
    EXPECT_EQ(bytesOf(hue), before);
    SetEffectsEngineAvailable(false);
    EXPECT_TRUE(SpBlur(d, 0, 0, 0, 0, 2).isNull());
    EXPECT_TRUE(SpMergeDib(d, d, -1, -1, -1, 0, 0).isNull());
    TransitionPlayer player;
    EXPECT_FALSE(SpFXSkipHorizontalDib(player, d, 4, 10));
    SetEffectsEngineAvailable(true);
    EXPECT_EQ(bytesOf(d), before);
    EXPECT_TRUE(SpFXSkipRectanglesDib(player, d, 10));
    EXPECT_EQ(ProgressCaption(), QStringLiteral("Transition Image "));
    EXPECT_FALSE(SpTransition(player, QImage(4, 4, QImage::Format_RGB32), FXNone, 4, 10));
}

TEST(EffectBindings, PaletteRoutinesAnswerTheImagingErrors) {
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(
        SavePaletteFile(dir.filePath(QStringLiteral("none/x.VPL")), CreateGrayPalette(4), 4, &error));
    EXPECT_EQ(error, QStringLiteral("Could not create file!"));
    error.clear();
    EXPECT_FALSE(SavePaletteFile(dir.filePath(QStringLiteral("x.VPL")), CreateGrayPalette(4), 5, &error));
    EXPECT_TRUE(error.isEmpty());
    DibBlock rgb = make(4, 4, 24);
    EXPECT_FALSE(RemapDibToPalette(CreateGrayPalette(4), rgb, nullptr, nullptr, &error));
    EXPECT_EQ(error, QStringLiteral("Dib is not 8 or 4 bit"));
    const QString file = dir.filePath(QStringLiteral("locked.VPL"));
    ASSERT_TRUE(SavePaletteFile(file, CreateGrayPalette(4), 4));
    QFile::setPermissions(file, QFileDevice::Permissions());
    QVector<QRgb> palette;
    if (!QFile(file).open(QIODevice::ReadOnly)) {
        error.clear();
        EXPECT_EQ(LoadPaletteFile(file, palette, &error), 0);
        EXPECT_EQ(error, QStringLiteral("Could not open file!"));
    }
    error.clear();
    EXPECT_EQ(LoadPaletteFile(dir.filePath(QStringLiteral("missing.VPL")), palette, &error), 0);
    EXPECT_TRUE(error.isEmpty());
}

TEST(EffectBindings, RandomAreasAndValuesStayInsideThePicture) {
    std::mt19937 rnd(2604);
    auto any = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rnd); };
    for (int round = 0; round < 60; ++round) {
        const int bits = std::array{1, 4, 8, 16, 24, 32}[static_cast<std::size_t>(any(0, 5))];
        const DibBlock d = make(any(1, 40), any(1, 30), bits);
        const int l = any(-50, 60), t = any(-50, 60), r = any(-50, 60), b = any(-50, 60);
        const int v = any(-5000, 5000);
        // The sanitizers report any write outside a block; the results keep the picture's size.
        for (const DibBlock &out :
             {SpBlur(d, l, t, r, b, v), SpOilPainting(d, l, t, r, b, v), SpPinchHole(d, l, t, r, b, v),
              SpWhirl(d, l, t, r, b, v), SpWave(d, l, t, r, b, v, v, v, v % 2, v % 3),
              SpMotion(d, l, t, r, b, v, v, v % 4), SpBled(d, l, t, r, b, v),
              SpRecToPolar(d, l, t, r, b, v, v, v % 2, v % 3),
              SpMosaic(d, l, t, r, b, v, v, v, v, v, v % 2, v % 3, v % 5, 0, 0),
              SpJiggle(d, l, t, r, b, v, v, v % 2), SpSpray(d, l, t, r, b, v, v),
              SpFadeDib(d, l, t, r, b, v, 1, 2, 3), SpHToneImage(d, v, v, v), SpExtrudeDib(d, v % 2, v),
              SpWarp(d, v % 2, v % 3, v % 5, v, v, v % 7, v),
              SpDropDib(d, make(any(1, 50), any(1, 50), 24), -1, -1, -1, t, l)})
            if (!out.isNull()) {
                ASSERT_EQ(out.width(), d.width());
                ASSERT_EQ(out.height(), d.height());
            }
    }
}
