// Binding rules of the effect routines: area rule, clamps, depth rule, ownership, stop semantics.
#include "imaging/core/DllSP96.h"
#include "imaging/core/ErrorInvalid.h"
#include "platform/imageio/DibConvert.h"

#include <gtest/gtest.h>

using namespace orva::imaging;
namespace io = orva::imageio;

namespace {

DibBlock make(int w, int h, int bits) {
    DibBlock d = DibBlock::create(w, h, bits);
    for (int i = 0; i < d.numColors(); ++i)
        d.setColor(i, qRgb(i * 40 % 256, i * 90 % 256, i * 10 % 256));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (bits <= 8)
                io::setDibIndex(d, x, y, (x + y) % d.numColors());
            else
                d.scanLine(y)[x * (bits / 8)] = static_cast<std::uint8_t>(x * 9 + y);
        }
    return d;
}

io::Bytes bytesOf(const DibBlock &d) {
    return io::Bytes(d.data(), d.data() + d.size());
}

std::int16_t stopNow(std::int16_t, void *) {
    return 0;
}

} // namespace

TEST(Bindings, AreaRuleNormalisesAndClips) {
    struct Case {
        int l, t, r, b;
        QRect expect;
    } cases[] = {{5, 7, 0, 100, QRect(5, 7, 635, 473)},
                 {0, 0, 0, 0, QRect(0, 0, 640, 480)},
                 {50, 60, 20, 30, QRect(20, 30, 30, 30)},
                 {-10, -10, 700, 500, QRect(0, 0, 640, 480)}};
    for (const auto &c : cases)
        EXPECT_EQ(EffectArea(c.l, c.t, c.r, c.b, 640, 480), c.expect) << c.l << "," << c.t << "," << c.r;
    EXPECT_TRUE(EffectArea(700, 500, 800, 600, 640, 480).isEmpty());
    DibBlock d = make(64, 48, 24);
    const io::Bytes before = bytesOf(d);
    EXPECT_FALSE(SpVisRotate(d, 700, 500, 800, 600, 10, 0));
    EXPECT_EQ(bytesOf(d), before);
}

TEST(Bindings, DepthRuleOfScaling) {
    const DibBlock eight = make(20, 10, 8);
    EXPECT_EQ(SpScaleDib(eight, 10, 5, 24).bitCount(), 24);
    EXPECT_EQ(SpScaleDib(eight, 10, 5, 8).bitCount(), 8);
    EXPECT_EQ(SpScaleDib(make(20, 10, 1), 10, 5, 1).bitCount(), 4) << "a 1-bit source comes back as 4 bits";
    EXPECT_EQ(SpScaleDib(make(20, 10, 16), 10, 5, 16).bitCount(), 16);
    EXPECT_EQ(SpScaleDib(make(20, 10, 32), 10, 5, 0).bitCount(), 32);
    EXPECT_TRUE(SpScaleDib(eight, 0, 5, 8).isNull());
    EXPECT_EQ(SpScaleToGray(make(20, 10, 1), S_Gray_None, 7, 3).bitCount(), 1);
    EXPECT_EQ(SpScaleToGray(make(20, 10, 1), S_Gray_16_8, 7, 3).bitCount(), 4);
    EXPECT_EQ(SpScaleToGray(make(20, 10, 24), S_Gray_Anti_256, 7, 3).bitCount(), 8);
}

TEST(Bindings, IncreaseColorsOnlyGoesUp) {
    struct Case {
        int from, wanted, expect;
    } cases[] = {{24, 24, 0}, {8, 8, 0}, {8, 4, 0},    {1, 4, 4},
                 {1, 24, 24}, {4, 8, 8}, {16, 24, 24}, {32, 24, 0}};
    for (const auto &c : cases)
        EXPECT_EQ(SpIncreaseColors(make(9, 3, c.from), c.wanted).bitCount(), c.expect)
            << c.from << "->" << c.wanted;
}

TEST(Bindings, ReduceColorsClampsAndConsumesOnlyOnSuccess) {
    struct Case {
        int colors, dither, bits;
    } cases[] = {{1, 3, 1}, {300, 7, 8}, {16, 0, 4}, {17, 1, 8}, {2, 2, 1}};
    for (const auto &c : cases) {
        DibBlock source = make(30, 20, 24);
        DibBlock result = SpVisReduceColors(std::move(source), c.colors, c.dither);
        ASSERT_FALSE(result.isNull()) << c.colors;
        EXPECT_EQ(result.bitCount(), c.bits) << c.colors;
        EXPECT_LE(result.numColors(), std::clamp(c.colors, 2, 255));
        EXPECT_TRUE(source.isNull()) << "consumed";
    }
    DibBlock wide = make(30, 20, 32);
    EXPECT_EQ(SpVisReduceColors(std::move(wide), 8, 0).bitCount(), 4);
    EXPECT_TRUE(wide.isNull());
    DibBlock kept = make(30, 20, 24);
    EXPECT_TRUE(SpVisReduceColors(std::move(kept), 8, 3, nullptr, stopNow).isNull());
    EXPECT_FALSE(kept.isNull()) << "a stopped reduction leaves the source with the caller";
    EXPECT_EQ(SpReduceDib(make(30, 20, 32), 8, 0).bitCount(), 8);
    EXPECT_TRUE(SpReduceDib(DibBlock(), 8, 0).isNull());
}

TEST(Bindings, ReplacingRoutinesChangeTheDibOnlyOnSuccess) {
    DibBlock d = make(30, 20, 24);
    const io::Bytes before = bytesOf(d);
    EXPECT_FALSE(SpVisRotate(d, 0, 0, 0, 0, 90, 0, nullptr, stopNow));
    EXPECT_EQ(bytesOf(d), before) << "stopped: unchanged";
    ASSERT_TRUE(SpVisRotate(d, 0, 0, 0, 0, 90, 0));
    EXPECT_EQ(d.width(), 20);
    EXPECT_EQ(d.height(), 30);
    ASSERT_TRUE(SpVisInvert(d));
    ASSERT_TRUE(SpVisInvert(d));
    DibBlock gray = make(30, 20, 24);
    EXPECT_FALSE(SpCropAutoDib(gray, 0, nullptr, stopNow));
    EXPECT_EQ(gray.width(), 30);
}

TEST(Bindings, EngineAbsentChangesNothing) {
    SetEffectsEngineAvailable(false);
    DibBlock d = make(10, 10, 24);
    const io::Bytes before = bytesOf(d);
    EXPECT_FALSE(SpVisInvert(d));
    EXPECT_FALSE(SpVisRotate(d, 0, 0, 0, 0, 90, 0));
    EXPECT_TRUE(SpScaleDib(d, 5, 5, 24).isNull());
    EXPECT_EQ(SpTDeskew(d, 1, 0, 4.0, 0.1, 90.0), 0.0L);
    EXPECT_EQ(bytesOf(d), before);
    SetEffectsEngineAvailable(true);
}

TEST(Bindings, RotateGraphicAndCaptions) {
    QImage none;
    QString error;
    EXPECT_FALSE(SpRotateGraphic(none, 90, 0, &error));
    EXPECT_EQ(error, QStringLiteral("Input image is empty"));
    QImage picture(8, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    EXPECT_TRUE(SpRotateGraphic(picture, 90, 0));
    EXPECT_EQ(picture.width(), 4);
    EXPECT_EQ(picture.height(), 8);
    EXPECT_EQ(ProgressCaption(), QStringLiteral("Rotating Image "));
    EXPECT_EQ(SpProgress(5, nullptr), 1);
}

TEST(Bindings, AreasCountFromTheTopWhileRowsAreStoredBottomUp) {
    DibBlock d = make(10, 10, 24);
    const io::Bytes before = bytesOf(d);
    // A half turn of the top two picture rows only.
    ASSERT_TRUE(SpVisRotate(d, 0, 0, 10, 2, 180, 0));
    const std::size_t row = d.rowBytes();
    const std::size_t header = static_cast<std::size_t>(d.headerSize());
    const io::Bytes after = bytesOf(d);
    EXPECT_TRUE(
        std::equal(after.begin(), after.begin() + static_cast<long>(header + 8 * row), before.begin()))
        << "stored rows 0..7 (the bottom of the picture) are untouched";
    EXPECT_FALSE(std::equal(after.begin() + static_cast<long>(header + 8 * row), after.end(),
                            before.begin() + static_cast<long>(header + 8 * row)))
        << "the last stored rows (the top of the picture) changed";
}
