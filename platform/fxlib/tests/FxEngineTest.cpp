// Invariants of the effect routines: exact involutions and quarter turns, gray scaling sizes and
// levels, skew found within 0.2 degrees, border removal, and a stopped routine changing nothing.
#include "platform/fxlib/FxEngine.h"
#include "platform/fxlib/Palettes.h"
#include "platform/imageio/DibConvert.h"

#include "platform/fxlib/tests/FxTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orva::fxlib;
using namespace orva::imageio;
using namespace orva::fxlib::testing;

namespace {

DibBlock pattern(int w, int h, int bits) {
    DibBlock d = DibBlock::create(w, h, bits);
    for (int i = 0; i < d.numColors(); ++i)
        d.setColor(i, qRgb(i * 37 % 256, i * 91 % 256, i * 13 % 256));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (bits <= 8) {
                setDibIndex(d, x, y, (x * 3 + y * 5) % (1 << bits));
            } else {
                std::uint8_t *row = d.scanLine(y);
                for (int k = 0; k < bits / 8; ++k)
                    row[x * (bits / 8) + k] = static_cast<std::uint8_t>(x * 7 + y * 3 + k * 50);
            }
        }
    return d;
}

// A page of "text": rows of word blocks, black on white, 1 bit.
DibBlock textPage(int w, int h) {
    DibBlock d = DibBlock::create(w, h, 1);
    d.setColor(0, qRgb(0, 0, 0));
    d.setColor(1, qRgb(255, 255, 255));
    std::memset(d.bits(), 0xFF, d.imageBytes());
    for (int line = 0; line * 36 + 80 < h - 60; ++line) {
        int x = 60 + (line * 17) % 40;
        for (int word = 0; x < w - 120; ++word) {
            const int len = 25 + (word * 29 + line * 11) % 70;
            for (int y = 80 + line * 36; y < 80 + line * 36 + 14; ++y)
                for (int i = 0; i < len && x + i < w - 60; ++i)
                    setDibIndex(d, x + i, y, 0);
            x += len + 12;
        }
    }
    return d;
}

} // namespace

TEST(FxEngine, InvertTwiceIsIdentityAtEveryDepth) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        DibBlock d = pattern(33, 7, bits);
        const Bytes before = bytesOf(d);
        ASSERT_TRUE(VisInvert(d));
        EXPECT_NE(bytesOf(d), before) << bits;
        ASSERT_TRUE(VisInvert(d));
        EXPECT_EQ(bytesOf(d), before) << bits;
    }
}

TEST(FxEngine, QuarterTurnsAreExactAndSwapTheSize) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        const DibBlock source = pattern(33, 13, bits);
        const QRect whole(0, 0, 33, 13);
        DibBlock d = source.copy();
        for (int i = 0; i < 4; ++i) {
            d = VisRotate(d, 90, QRect(0, 0, d.width(), d.height()), qRgb(255, 255, 255));
            ASSERT_FALSE(d.isNull()) << bits;
            EXPECT_EQ(d.width(), i % 2 == 0 ? 13 : 33) << bits;
        }
        EXPECT_EQ(bytesOf(d), bytesOf(source)) << bits;
        const DibBlock left = VisRotate(source, 90, whole, 0);
        // Counter-clockwise: the top right corner becomes the top left one.
        EXPECT_EQ(dibPixel(left, 0, 0), dibPixel(source, 32, 0)) << bits;
        EXPECT_EQ(bytesOf(VisRotate(source, 0, whole, 0)), bytesOf(source));
        EXPECT_EQ(bytesOf(VisRotate(source, -270, whole, 0)), bytesOf(left));
    }
}

TEST(FxEngine, FreeAngleKeepsSizeAndFillsCorners) {
    const DibBlock source = pattern(40, 30, 24);
    const DibBlock r = VisRotate(source, 30, QRect(0, 0, 40, 30), qRgb(1, 2, 3));
    ASSERT_EQ(r.width(), 40);
    EXPECT_EQ(dibPixel(r, 0, 0) & 0xFFFFFF, qRgb(1, 2, 3) & 0xFFFFFF);
    // Only the area changes.
    const DibBlock part = VisRotate(source, 45, QRect(10, 5, 10, 10), qRgb(0, 0, 0));
    EXPECT_EQ(dibPixel(part, 0, 0), dibPixel(source, 0, 0));
    EXPECT_EQ(dibPixel(part, 39, 29), dibPixel(source, 39, 29));
    EXPECT_TRUE(VisRotate(source, 10, QRect(100, 100, 5, 5), 0).isNull());
}

TEST(FxEngine, DeskewFindsKnownAnglesWithinAFifthOfADegree) {
    const DibBlock page = textPage(1240, 1000);
    for (double angle : {-4.3, -1.5, 0.0, 0.6, 2.25, 6.0}) {
        const DibBlock skewed =
            VisRotate(page, angle, QRect(0, 0, page.width(), page.height()), qRgb(255, 255, 255));
        bool ok = false;
        const double found = tdeskew(skewed, DeskewOptions{}, &ok);
        EXPECT_TRUE(ok);
        EXPECT_NEAR(found, angle, 0.2) << angle;
        DeskewOptions explicitGray;
        explicitGray.grayValue = 128;
        EXPECT_NEAR(tdeskew(skewed, explicitGray), angle, 0.2) << angle;
    }
    EXPECT_EQ(tdeskew(page, DeskewOptions{}, nullptr, stopAt(0)), 0.0);
}

TEST(FxEngine, ScaleToGrayGivesExactSizeAndLevels) {
    DibBlock page = DibBlock::create(100, 60, 1);
    page.setColor(0, qRgb(0, 0, 0));
    page.setColor(1, qRgb(255, 255, 255));
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x)
            setDibIndex(page, x, y, x < 50 ? 1 : (x + y) % 2);
    const DibBlock g16 = ScaleToGray(page, 16, false, 25, 15);
    ASSERT_EQ(g16.bitCount(), 4);
    EXPECT_EQ(g16.width(), 25);
    EXPECT_EQ(g16.height(), 15);
    EXPECT_EQ(dibPixel(g16, 0, 0), qRgb(255, 255, 255) | 0xFF000000u);
    EXPECT_NEAR(qRed(dibPixel(g16, 20, 7)), 128, 10) << "half the pixels set";
    const DibBlock g256 = ScaleToGray(page, 256, true, 37, 11);
    EXPECT_EQ(g256.bitCount(), 8);
    EXPECT_EQ(g256.width(), 37);
    const DibBlock mono = ScaleToGray(page, 0, false, 50, 90);
    EXPECT_EQ(mono.bitCount(), 1);
    EXPECT_EQ(mono.height(), 90);
    EXPECT_TRUE(ScaleToGray(page, 16, false, 0, 5).isNull());
    EXPECT_TRUE(ScaleToGray(page, 16, false, 25, 15, stopAt(50)).isNull());
}

TEST(FxEngine, ScaleDibAveragesDownAndInterpolatesUp) {
    DibBlock d = DibBlock::create(4, 2, 24);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 2; ++y)
            std::memset(d.scanLine(y) + 3 * x, x < 2 ? 0 : 200, 3);
    const DibBlock half = ScaleDib(d, 2, 1);
    EXPECT_EQ(qRed(dibPixel(half, 0, 0)), 0);
    EXPECT_EQ(qRed(dibPixel(half, 1, 0)), 200);
    const DibBlock big = ScaleDib(d, 40, 20);
    EXPECT_EQ(big.width(), 40);
    EXPECT_EQ(qRed(dibPixel(big, 0, 0)), 0);
    EXPECT_EQ(qRed(dibPixel(big, 39, 19)), 200);
    EXPECT_TRUE(ScaleDib(d, 0, 5).isNull());
    EXPECT_TRUE(ScaleDib(pattern(4, 4, 8), 2, 2).isNull()) << "palette pictures go through the depth rule";
}

TEST(FxEngine, CropAutoRemovesADarkScannerBorder) {
    DibBlock d = DibBlock::create(60, 40, 8);
    for (int i = 0; i < 256; ++i)
        d.setColor(i, qRgb(i, i, i));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            setDibIndex(d, x, y, (x >= 7 && x < 52 && y >= 3 && y < 35) ? 250 - (x % 3) : 5);
    setDibIndex(d, 20, 10, 0); // ink on the page stays
    const DibBlock c = CropAutoDib(d, 0);
    ASSERT_FALSE(c.isNull());
    EXPECT_EQ(c.width(), 45);
    EXPECT_EQ(c.height(), 32);
    EXPECT_EQ(dibIndex(c, 13, 7), 0);
    DibBlock black = DibBlock::create(10, 10, 8);
    EXPECT_TRUE(CropAutoDib(black, 0).isNull()) << "nothing would be left";
}

TEST(Palettes, CopyPaletteIsIndependent) {
    EXPECT_TRUE(CopyPalette(nullptr).isEmpty());
    const QVector<QRgb> none;
    EXPECT_TRUE(CopyPalette(&none).isEmpty());
    QVector<QRgb> pal{qRgb(1, 2, 3), qRgb(4, 5, 6)};
    QVector<QRgb> copy = CopyPalette(&pal);
    pal[0] = 0;
    EXPECT_EQ(copy.size(), 2);
    EXPECT_EQ(copy[0], qRgb(1, 2, 3));
}
