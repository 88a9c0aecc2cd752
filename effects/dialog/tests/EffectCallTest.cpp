// Every tab's effect through its binding: each changes the picture at its usual values, the tabs
// without an effect of their own and unusable calls leave it, the Borders and Paste Image tabs place
// what they merge.
#include "effects/dialog/TEffectCall.h"
#include "effects/dialog/TEffectForm.h"
#include "platform/imageio/DibConvert.h"

#include <gtest/gtest.h>

using namespace orva::effects;
namespace io = orva::imageio;

namespace {

DibBlock picture(int bits) {
    DibBlock d = DibBlock::create(40, 30, bits);
    for (int i = 0; i < d.numColors(); ++i)
        d.setColor(i, qRgb(i * 5 % 256, 255 - i, i * 11 % 256));
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            if (bits <= 8) {
                io::setDibIndex(d, x, y, (x * 3 + y) % d.numColors());
                continue;
            }
            std::uint8_t *p = d.scanLine(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(x * 6);
            p[1] = static_cast<std::uint8_t>(y * 8);
            p[2] = static_cast<std::uint8_t>(x * y);
        }
    return d;
}

io::Bytes bytesOf(const DibBlock &d) {
    return io::Bytes(d.data(), d.data() + d.size());
}

// Values that make each tab's effect change a picture.
QHash<QString, QList<double>> values() {
    return {{QStringLiteral("Bleed"), {100}},
            {QStringLiteral("Borders"), {5, 1, 90, 10, 50, 1}},
            {QStringLiteral("Border Fade"), {5}},
            {QStringLiteral("Blur"), {2}},
            {QStringLiteral("Bright"), {40}},
            {QStringLiteral("Color"), {0, 4, 2}},
            {QStringLiteral("Dark"), {40}},
            {QStringLiteral("Despeckle"), {0}},
            {QStringLiteral("Edge Detection"), {4}},
            {QStringLiteral("Engrave"), {1}},
            {QStringLiteral("Enhance"), {10, 20, 10, 12, 8}},
            {QStringLiteral("Extrude"), {1, 1}},
            {QStringLiteral("Gamma"), {20}},
            {QStringLiteral("HalfTone"), {4, 5, 45}},
            {QStringLiteral("Hue and Saturation"), {1, 1, 1, 1, 1, 1, 40, 10, 0}},
            {QStringLiteral("Jiggle"), {1, 10, 0}},
            {QStringLiteral("Mirror"), {1, 1}},
            {QStringLiteral("Mosaic"), {60, 30, 10, 40, 1, 0, 1, 1}},
            {QStringLiteral("Motion Blur"), {200, 10, 1}},
            {QStringLiteral("Noisify"), {1, 0, 20, 20, 20}},
            {QStringLiteral("Oil Paint"), {1}},
            {QStringLiteral("Page Curl"), {1, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 1, 4}},
            {QStringLiteral("Pinch Hole"), {-10}},
            {QStringLiteral("Polar"), {1, 1, 0, 0}},
            {QStringLiteral("Rotate"), {15}},
            {QStringLiteral("Sharp"), {3}},
            {QStringLiteral("Soft"), {3}},
            {QStringLiteral("Spray"), {3, 1}},
            {QStringLiteral("Threshold"), {120, 1}},
            {QStringLiteral("Warp"), {1, 1, 1, 20, 90, 4, 10}},
            {QStringLiteral("Wave"), {50, 20, 1, 1, 0}},
            {QStringLiteral("WhirlPool"), {300}}};
}

} // namespace

TEST(EffectCall, EveryTabWithAnEffectChangesThePicture) {
    const DibBlock paste = picture(24);
    for (int bits : {8, 24}) {
        for (const QString &tab : TEffectForm::TabCaptions()) {
            TEffectCall call;
            call.Tab = tab;
            call.Area = TEdges{4, 3, 36, 27};
            call.Values = values().value(tab);
            call.Colours = {qRgb(200, 100, 50), qRgb(20, 40, 60)};
            call.Paste = &paste;
            DibBlock d = picture(bits);
            const io::Bytes before = bytesOf(d);
            const bool ran = RunEffect(d, call);
            if (tab == QLatin1String("Color Palette") || tab == QLatin1String("Transitions")) {
                EXPECT_FALSE(ran) << tab.toStdString();
                EXPECT_EQ(bytesOf(d), before);
                continue;
            }
            ASSERT_TRUE(ran) << tab.toStdString() << " " << bits;
            EXPECT_NE(bytesOf(d), before) << tab.toStdString() << " " << bits;
        }
    }
}

TEST(EffectCall, UnusableCallsLeaveThePicture) {
    DibBlock d = picture(24);
    const io::Bytes before = bytesOf(d);
    TEffectCall none{QStringLiteral("Borders"), TEdges{}, {0, 1, 90, 10, 50, 1}, {}, nullptr};
    EXPECT_FALSE(RunEffect(d, none)) << "shape None";
    TEffectCall paste{QStringLiteral("Paste Image"), TEdges{0, 0, 10, 10}, {}, {}, nullptr};
    EXPECT_FALSE(RunEffect(d, paste)) << "nothing to paste";
    const DibBlock picked = picture(8);
    paste.Paste = &picked;
    paste.Area = TEdges{0, 0, 0, 10};
    EXPECT_FALSE(RunEffect(d, paste)) << "an empty area";
    paste.Area = TEdges{0, 0, kMaxPasteSide + 1, 10};
    EXPECT_FALSE(RunEffect(d, paste)) << "an area too large to scale to";
    TEffectCall unknown{QStringLiteral("Sepia"), TEdges{}, {}, {}, nullptr};
    EXPECT_FALSE(RunEffect(d, unknown));
    EXPECT_EQ(bytesOf(d), before);
}

TEST(EffectCall, BordersWithAMaskColourMergeTheMaskAsItIs) {
    DibBlock d = picture(24);
    // White as the mask colour: the shape is transparent and the outside black.
    TEffectCall white{
        QStringLiteral("Borders"), TEdges{}, {1, 5, 90, 10, 50, 0}, {qRgb(255, 255, 255)}, nullptr};
    const DibBlock source = d.copy();
    ASSERT_TRUE(RunEffect(d, white));
    EXPECT_EQ(io::dibPixel(d, 20, 15), io::dibPixel(source, 20, 15));
    EXPECT_EQ(io::dibPixel(d, 1, 1), qRgb(0, 0, 0));
    DibBlock e = source.copy();
    // Black as the mask colour: the outside keeps the picture and the shape turns white.
    TEffectCall black{QStringLiteral("Borders"), TEdges{}, {1, 5, 90, 10, 50, 0}, {qRgb(0, 0, 0)}, nullptr};
    ASSERT_TRUE(RunEffect(e, black));
    EXPECT_EQ(io::dibPixel(e, 20, 15), qRgb(255, 255, 255));
    EXPECT_EQ(io::dibPixel(e, 1, 1), io::dibPixel(source, 1, 1));
}
