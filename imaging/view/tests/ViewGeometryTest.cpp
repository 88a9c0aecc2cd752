// Image view arithmetic: rounding, zoom limits, scroll bars, panning, rubber band and load dispatch.
#include "imaging/view/ViewGeometry.h"

#include <gtest/gtest.h>

using namespace ViewGeometry;

TEST(ViewGeometry, NearestRoundsTiesToEven) {
    const struct {
        double x;
        int n;
    } cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.4999, 2}, {0.5, 0}, {1.5, 2}, {1e12, 2147483647}};
    for (const auto &c : cases) {
        EXPECT_EQ(nearest(c.x), c.n) << c.x;
    }
}

TEST(ViewGeometry, ZoomLimits) {
    EXPECT_FALSE(ZoomInAllowed(45.6, 1.1));  // 50.16
    EXPECT_TRUE(ZoomInAllowed(45.0, 1.1));   // 49.5
    EXPECT_FALSE(ZoomOutAllowed(0.08, 0.9)); // 0.072
    EXPECT_TRUE(ZoomOutAllowed(0.1, 0.9));   // 0.09
    EXPECT_DOUBLE_EQ(FitZoom({200, 100}, {1000, 1000}), 0.1);
    EXPECT_DOUBLE_EQ(FitZoom({200, 100}, {0, 0}), 1.0);
}

TEST(ViewGeometry, ScrollBarsAndOrigins) {
    const struct {
        int w, s, picture;
        double zoom;
        int origin, max, pos;
    } bars[] = {
        {300, 12, 1000, 0.5, 0, 212, 0},     {300, 12, 1000, 0.5, 100, 212, 50},
        {300, 12, 1000, 0.5, 900, 212, 212}, {300, 12, 500, 0.5, 40, 0, 0},
        {300, 12, 577, 1.0, 5, 289, 5},      {301, 12, 578, 0.5, 5, 0, 0}, // 289 - 301 + 12 = 0
    };
    for (const auto &b : bars) {
        const TBarState st = ScrollBar(b.w, b.s, b.picture, b.zoom, b.origin);
        EXPECT_EQ(st.Maximum, b.max);
        EXPECT_EQ(st.Position, b.pos);
    }
    // After a zoom out: W > (pw - ox) * zoom pulls the origin back.
    EXPECT_EQ(ZoomOutOrigin(300, 1000, 900, 0.5), 400);
    EXPECT_EQ(ZoomOutOrigin(300, 1000, 100, 0.5), 100);
    EXPECT_EQ(ZoomOutOrigin(300, 100, 50, 0.5), 0);
    // Grab steps: at least one picture pixel once the mouse moved.
    EXPECT_EQ(GrabStep(10, 9, 4.0), 1);
    EXPECT_EQ(GrabStep(9, 10, 4.0), -1);
    EXPECT_EQ(GrabStep(10, 10, 4.0), 0);
    EXPECT_EQ(GrabStep(20, 10, 0.5), 20);
    // Pan: clamped at 0 and at the far edge.
    EXPECT_EQ(PanOrigin(5, -10, 300, 12, 1000, 1.0), 0);
    EXPECT_EQ(PanOrigin(700, 20, 300, 12, 1000, 1.0), 1000 - 288);
    EXPECT_EQ(PanOrigin(100, 20, 300, 12, 1000, 1.0), 120);
    EXPECT_EQ(PanOrigin(100, 20, 300, 12, 200, 1.0), 0);
}

TEST(ViewGeometry, RubberBandCorner) {
    const struct {
        QPoint anchor, mouse;
        QSize control;
        QPoint corner;
        int quadrant;
    } cases[] = {
        {{10, 10}, {30, 10}, {200, 100}, {28, 19}, 4}, {{10, 10}, {10, 10}, {200, 100}, {10, 10}, 4},
        {{50, 50}, {70, 30}, {200, 100}, {75, 37}, 1}, {{50, 50}, {30, 30}, {200, 100}, {25, 37}, 2},
        {{50, 50}, {30, 70}, {200, 100}, {25, 63}, 3}, {{50, 50}, {60, 60}, {0, 100}, {60, 60}, 4},
    };
    for (const auto &c : cases) {
        const TBandCorner b = RubberBandCorner(c.anchor, c.mouse, c.control);
        EXPECT_EQ(b.Corner, c.corner) << c.mouse.x() << "," << c.mouse.y();
        EXPECT_EQ(b.Quadrant, c.quadrant);
    }
}

TEST(ViewGeometry, ZoomLayout) {
    // Overflowing picture: the source starts at the origin, the bars take their width.
    TZoomLayout l = ZoomLayout({300, 200}, {1000, 1000}, 0.5, {100, 40}, 12, false);
    EXPECT_TRUE(l.HorizontalBar);
    EXPECT_DOUBLE_EQ(l.Source.left(), 100);
    EXPECT_DOUBLE_EQ(l.Source.width(), 576);
    EXPECT_EQ(l.Target, QRect(0, 0, 288, 188));
    // Fitting picture, centred.
    l = ZoomLayout({300, 200}, {100, 50}, 1.0, {}, 12, true);
    EXPECT_FALSE(l.HorizontalBar);
    EXPECT_EQ(l.Target, QRect(100, 75, 100, 50));
    // Only the height overflows: across, the picture is centred on the whole control, (300 - 100) / 2,
    // not on what the bar leaves; an odd gap rounds toward zero.
    l = ZoomLayout({300, 200}, {100, 1000}, 1.0, {0, 10}, 12, true);
    EXPECT_TRUE(l.VerticalBar);
    EXPECT_EQ(l.CenterOffset, QPoint(100, 0));
    EXPECT_EQ(l.Target.left(), 100);
    l = ZoomLayout({301, 200}, {100, 1000}, 1.0, {0, 10}, 12, true);
    EXPECT_EQ(l.CenterOffset.x(), 100);
}

TEST(ViewGeometry, LoadDispatch) {
    EXPECT_EQ(LoadKindFor("a.wmf"), TLoadKind::PictureObject);
    EXPECT_EQ(LoadKindFor("a.SCM"), TLoadKind::ScrollingText);
    EXPECT_EQ(LoadKindFor("a.cms"), TLoadKind::CreditText);
    EXPECT_EQ(LoadKindFor("a.thb"), TLoadKind::BmpThumbnail);
    EXPECT_EQ(LoadKindFor("a.THJ"), TLoadKind::JpegThumbnail);
    EXPECT_EQ(LoadKindFor("LOGO.res"), TLoadKind::Resource);
    EXPECT_EQ(LoadKindFor("a.tif"), TLoadKind::Picture);
    EXPECT_EQ(ReaderFor("a.tiff", ""), "TIF");
    EXPECT_EQ(ReaderFor("a.jpeg", ""), "JPG");
    EXPECT_EQ(ReaderFor("a.img", "JPEG"), "JPG");
    EXPECT_EQ(ReaderFor("a.img", "WHAT"), "");
    EXPECT_EQ(ReadBits("PNG", 2, 24), 1);
    EXPECT_EQ(ReadBits("GIF", 2, 24), 1);
    EXPECT_EQ(ReadBits("GIF", 3, 24), 24);
    EXPECT_EQ(ReadBits("PNG", 3, 24), 1);
    EXPECT_EQ(ReadBits("PNG", 8, 24), 24);
    EXPECT_EQ(ClampTiffPage(7, 3), 2);
    EXPECT_EQ(ClampTiffPage(1, 3), 1);
    EXPECT_EQ(ClampTiffPage(-1, 3), 0);
    EXPECT_EQ(JpegQuality(0), 25);
    EXPECT_EQ(JpegQuality(101), 25);
    EXPECT_EQ(JpegQuality(80), 80);
    EXPECT_EQ(JpegSmooth(0), 5);
}
