// Document viewer arithmetic and display rendering: scale, best fit, resolutions, square pixels,
// exposed parts, page fit, 1-bit inversion, gray mode names, and the reduced picture's averaging rules.
#include "imaging/docview/DocViewGeometry.h"
#include "imaging/docview/DocRender.h"
#include "platform/imageio/DibConvert.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace DocViewGeometry;
using orva::imageio::DibBlock;

TEST(DocViewGeometry, ScalePercentNeverBelowOne) {
    const struct {
        double in, out;
    } cases[] = {{0, 1}, {-5, 1}, {0.5, 1}, {1, 1}, {12.5, 12.5}, {999, 999}, {std::nan(""), 1}};
    for (const auto &c : cases) {
        EXPECT_DOUBLE_EQ(ClampScalePercent(c.in), c.out) << c.in;
    }
    EXPECT_EQ(DisplaySize({800, 600}, 50), QSize(400, 300));
    EXPECT_EQ(DisplaySize({801, 601}, 50), QSize(400, 300)); // 400.5 and 300.5 round to even
    EXPECT_EQ(DisplaySize({3, 3}, 1), QSize(1, 1));
    EXPECT_EQ(DisplaySize({0, 10}, 100), QSize());
}

TEST(DocViewGeometry, BestFitAndExtentFit) {
    EXPECT_DOUBLE_EQ(BestFitPercent({404, 304}, {800, 600}), 50.0);
    EXPECT_DOUBLE_EQ(BestFitPercent({404, 904}, {800, 600}), 50.0);  // width decides
    EXPECT_DOUBLE_EQ(BestFitPercent({1604, 304}, {800, 600}), 50.0); // height decides
    EXPECT_DOUBLE_EQ(BestFitPercent({404, 304}, {0, 0}), 100.0);
    EXPECT_DOUBLE_EQ(BestFitPercent({2, 2}, {800, 600}), 100.0); // no room at all
    EXPECT_DOUBLE_EQ(FitExtentPercent(452, 3508), 452 * 100.0 / 3508);
    EXPECT_DOUBLE_EQ(FitExtentPercent(452, 0), 100.0);
}

TEST(DocViewGeometry, ResolutionRoundTrip) {
    EXPECT_EQ(DpiToPpm(100), 3937);
    EXPECT_EQ(PpmToDpi(3937), 100);
    for (int dpi : {72, 96, 98, 100, 200, 204, 300, 600, 1200}) {
        EXPECT_EQ(PpmToDpi(DpiToPpm(dpi)), dpi) << dpi;
    }
}

TEST(DocViewGeometry, SquarePixels) {
    const struct {
        QSize in;
        int x, y;
        bool force;
        std::optional<QSize> out;
    } cases[] = {
        {{1728, 1100}, 204, 98, false, QSize(1728, 2290)}, // 1100 x 204 / 98 = 2289.8
        {{1100, 1728}, 98, 204, false, QSize(2290, 1728)},
        {{1728, 1100}, 200, 200, false, std::nullopt},
        {{1728, 1100}, 200, 200, true, std::nullopt}, // forced, but nothing changes
        {{1728, 1100}, 0, 0, false, std::nullopt},
        {{1728, 1100}, 204, 0, false, std::nullopt}, // one axis missing: square, never a division by 0
        {{1728, 1100}, 0, 98, true, std::nullopt},
        {{0, 0}, 204, 98, false, std::nullopt},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(AspectCorrectedSize(c.in, c.x, c.y, c.force), c.out) << c.x << " " << c.y;
    }
}

TEST(DocViewGeometry, GrayCopyNeverLargerThanThePicture) {
    EXPECT_DOUBLE_EQ(GrayCopyPercent(50), 50);
    EXPECT_DOUBLE_EQ(GrayCopyPercent(100), 100);
    EXPECT_DOUBLE_EQ(GrayCopyPercent(999), 100);
    EXPECT_DOUBLE_EQ(GrayCopyPercent(0), 1);
}

TEST(DocViewGeometry, ExposedPartsAndTheirTargets) {
    // At 10x a 20 x 20 exposure at (15, 25) needs source pixels 1..3 and 2..4.
    EXPECT_EQ(SourceRectFor(QRect(15, 25, 20, 20), 10, 10, {100, 100}), QRect(1, 2, 3, 3));
    EXPECT_EQ(TargetRectFor(QRect(1, 2, 3, 3), 10, 10), QRectF(10, 20, 30, 30));
    // Clipped to the picture.
    EXPECT_EQ(SourceRectFor(QRect(0, 0, 500, 500), 10, 10, {20, 30}), QRect(0, 0, 20, 30));
    EXPECT_TRUE(SourceRectFor(QRect(), 10, 10, {20, 30}).isEmpty());
}

TEST(DocViewGeometry, PrintFitsInsideThePage) {
    const struct {
        QSize picture, page, out;
    } cases[] = {
        {{750, 1000}, {1100, 850}, {638, 850}},  // landscape page: 850 x 0.75 = 637.5
        {{750, 1000}, {850, 1100}, {825, 1100}}, // portrait page: no longer taller than the page
        {{2000, 1000}, {850, 1100}, {850, 425}},
        {{1, 1}, {850, 1100}, {850, 850}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(FitInside(c.picture, c.page), c.out) << c.picture.width() << "x" << c.picture.height();
        EXPECT_LE(FitInside(c.picture, c.page).width(), c.page.width());
        EXPECT_LE(FitInside(c.picture, c.page).height(), c.page.height());
    }
    EXPECT_EQ(FitInside({0, 0}, {850, 1100}), QSize());
}

TEST(DocViewGeometry, InvertTwiceGivesTheSameBytes) {
    std::uint8_t bits[] = {0x00, 0xFF, 0x5A, 0x81};
    const std::uint8_t original[] = {0x00, 0xFF, 0x5A, 0x81};
    InvertBits(bits, sizeof bits);
    EXPECT_EQ(bits[0], 0xFF);
    EXPECT_EQ(bits[2], 0xA5);
    InvertBits(bits, sizeof bits);
    EXPECT_EQ(std::memcmp(bits, original, sizeof bits), 0);
}

TEST(DocViewGeometry, ScaleToGrayNames) {
    EXPECT_EQ(ScaleToGrayName(0), "None Gray");
    EXPECT_EQ(ScaleToGrayName(7), "Gray 8 bit Anti Alias");
    EXPECT_EQ(ScaleToGrayName(8), "");
}

namespace {
// 16 x 4, 1 bit: black (index 0) in columns 0..1 of every row, the rest white.
DibBlock lines() {
    DibBlock d = DibBlock::create(16, 4, 1);
    d.setColor(0, qRgb(0, 0, 0));
    d.setColor(1, qRgb(255, 255, 255));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x)
            orva::imageio::setDibIndex(d, x, y, x < 2 ? 0 : 1);
    return d;
}
} // namespace

TEST(DocRender, ReducedPictureKeepsThinLines) {
    const DibBlock d = lines();
    // Each output pixel covers 4 x 4 source pixels; the first covers two black columns.
    const struct {
        orva::imaging::TStretchMode mode;
        int first, second;
    } cases[] = {
        {orva::imaging::ColorOnColor, 128, 255}, // (2 x 0 + 2 x 255) / 4, rounded
        {orva::imaging::BlackOnWhite, 0, 255},
        {orva::imaging::WhiteOnBlack, 255, 255},
    };
    for (const auto &c : cases) {
        const QImage r = orva::imaging::ReduceForDisplay(d, QSize(4, 1), c.mode);
        ASSERT_EQ(r.size(), QSize(4, 1));
        EXPECT_EQ(qRed(r.pixel(0, 0)), c.first) << c.mode;
        EXPECT_EQ(qRed(r.pixel(1, 0)), c.second) << c.mode;
    }
    EXPECT_TRUE(orva::imaging::ReduceForDisplay(d, QSize(32, 4), orva::imaging::ColorOnColor).isNull());
}

TEST(DocRender, PartsAtEveryDepth) {
    const DibBlock one = lines();
    const QImage part = orva::imaging::DibPart(one, QRect(1, 1, 3, 2)); // starts inside a byte
    ASSERT_EQ(part.size(), QSize(3, 2));
    EXPECT_EQ(part.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(part.pixel(1, 0), qRgb(255, 255, 255));
    for (int bits : {4, 8, 24}) {
        const DibBlock d = orva::imageio::convertDib(one, bits);
        const QImage p = orva::imaging::DibPart(d, QRect(1, 0, 2, 4));
        ASSERT_EQ(p.size(), QSize(2, 4)) << bits;
        EXPECT_EQ(p.pixel(0, 3), qRgb(0, 0, 0)) << bits;
        EXPECT_EQ(p.pixel(1, 3), qRgb(255, 255, 255)) << bits;
    }
    EXPECT_TRUE(orva::imaging::DibPart(one, QRect(20, 20, 5, 5)).isNull());
}
