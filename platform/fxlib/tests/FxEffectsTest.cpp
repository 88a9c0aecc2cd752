// The dialog's effects on true-colour pictures: each changes only its area (counted from the top of
// the picture), a stop gives nothing, neutral settings change nothing, mirrors and merges are exact;
// transitions end on the new picture within their time cap.
#include "platform/fxlib/FxEffects.h"
#include "platform/fxlib/FxTransition.h"
#include "platform/imageio/DibConvert.h"

#include "platform/fxlib/tests/FxTestSupport.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPainterPath>

#include <cstring>
#include <functional>

using namespace orva::fxlib;
using namespace orva::imageio;
using namespace orva::fxlib::testing;

namespace {

DibBlock picture(int w, int h, int bits) {
    DibBlock d = DibBlock::create(w, h, bits);
    for (int y = 0; y < h; ++y) {
        std::uint8_t *row = d.scanLine(y);
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < bits / 8; ++k)
                row[x * (bits / 8) + k] =
                    static_cast<std::uint8_t>((x * 13 + y * 7 + k * 60 + (x * y) % 17) & 0xFF);
    }
    return d;
}

using Effect = std::function<DibBlock(const DibBlock &, const QRect &, const Progress &)>;

struct Named {
    const char *name;
    Effect run;
};

// Every area effect at settings that change a picture.
std::vector<Named> areaEffects() {
    std::array<bool, CurlFlagCount> curl{};
    curl[CurlBackBackground] = curl[CurlUseForeground] = curl[CurlShade] = curl[CurlLeftTop] = true;
    curl[CurlHorizontal] = true;
    return {
        {"OilPainting", [](auto &d, auto &a, auto &p) { return OilPainting(d, a, 2, p); }},
        {"Blur", [](auto &d, auto &a, auto &p) { return Blur(d, a, 3, p); }},
        {"PinchHole", [](auto &d, auto &a, auto &p) { return PinchHole(d, a, -10, p); }},
        {"Whirl", [](auto &d, auto &a, auto &p) { return Whirl(d, a, 300, p); }},
        {"Engrave", [](auto &d, auto &a, auto &p) { return Engrave(d, a, 2, p); }},
        {"Wave",
         [](auto &d, auto &a, auto &p) {
             return Wave(d, a, WaveOptions{30, 9, 10, false, false}, p);
         }},
        {"Noise", [](auto &d, auto &a, auto &p) { return Noise(d, a, true, false, 20, 20, 20, p); }},
        {"Enhance", [](auto &d, auto &a, auto &p) { return Enhance(d, a, 10, 20, 12, 10, 8, p); }},
        {"MotionZoom", [](auto &d, auto &a, auto &p) { return Motion(d, a, 100, 10, 1, p); }},
        {"MotionRotate", [](auto &d, auto &a, auto &p) { return Motion(d, a, 100, 30, 2, p); }},
        {"MotionLine", [](auto &d, auto &a, auto &p) { return Motion(d, a, 6, 30, 3, p); }},
        {"GrayArea", [](auto &d, auto &a, auto &p) { return GrayArea(d, a, p); }},
        {"Bled", [](auto &d, auto &a, auto &p) { return Bled(d, a, 120, p); }},
        {"Edge", [](auto &d, auto &a, auto &p) { return Edge(d, a, 10, p); }},
        {"Sharpen", [](auto &d, auto &a, auto &p) { return Better(d, a, 3, p); }},
        {"Soften", [](auto &d, auto &a, auto &p) { return Better(d, a, -5, p); }},
        {"RecToPolar", [](auto &d, auto &a, auto &p) { return RecToPolar(d, a, 10, 20, false, false, p); }},
        {"PolarToRec", [](auto &d, auto &a, auto &p) { return RecToPolar(d, a, 10, 20, true, true, p); }},
        {"Curl",
         [curl](auto &d, auto &a, auto &p) { return Curl(d, a, curl, 0xFF102030, 0xFFF0E0D0, 2, p); }},
        {"Mosaic",
         [](auto &d, auto &a, auto &p) {
             return Mosaic(d, a, MosaicOptions{60, 30, 20, 40, 3}, p);
         }},
        {"PixelFix", [](auto &d, auto &a, auto &p) { return PixelFix(d, a, 0, p); }},
        {"AutoContrast", [](auto &d, auto &a, auto &p) { return AutoContrast(d, a, p); }},
        {"Jiggle", [](auto &d, auto &a, auto &p) { return Jiggle(d, a, 2, 20, 1, p); }},
        {"Spray", [](auto &d, auto &a, auto &p) { return Spray(d, a, 3, 7, p); }},
        {"FadeDib", [](auto &d, auto &a, auto &p) { return FadeDib(d, a, 4, 255, 0, 0, p); }},
        {"ThresholdDib", [](auto &d, auto &a, auto &p) { return ThresholdDib(d, a, 100, false, p); }},
        {"HueAndSaturation",
         [](auto &d, auto &a, auto &p) { return visHueAndSaturation(d, a, HueChannels{}, 40, 20, -10, p); }},
    };
}

bool sameOutside(const DibBlock &a, const DibBlock &b, const QRect &area) {
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (!area.contains(x, y) && dibPixel(a, x, y) != dibPixel(b, x, y))
                return false;
    return true;
}

} // namespace

TEST(FxEffects, EachAreaEffectChangesItsAreaAndNothingElse) {
    for (int bits : {24, 32}) {
        const DibBlock source = picture(41, 29, bits);
        const QRect area(5, 3, 20, 14);
        for (const Named &e : areaEffects()) {
            const DibBlock out = e.run(source, area, {});
            ASSERT_FALSE(out.isNull()) << e.name << " " << bits;
            EXPECT_EQ(out.size(), source.size()) << e.name;
            EXPECT_TRUE(sameOutside(source, out, area)) << e.name << " " << bits;
            EXPECT_NE(bytesOf(out), bytesOf(source)) << e.name << " changed nothing";
            if (bits == 32) {
                // The fourth byte of every pixel stays as it was.
                for (int y = 0; y < out.height(); ++y)
                    for (int x = 0; x < out.width(); ++x)
                        ASSERT_EQ(out.scanLine(y)[4 * x + 3], source.scanLine(y)[4 * x + 3]) << e.name;
            }
        }
    }
}

TEST(FxEffects, AreasOutsideOrEmptyAndStopsGiveNothing) {
    const DibBlock source = picture(30, 20, 24);
    const Bytes before = bytesOf(source);
    for (const Named &e : areaEffects()) {
        EXPECT_TRUE(e.run(source, QRect(40, 40, 5, 5), {}).isNull()) << e.name;
        EXPECT_TRUE(e.run(source, QRect(), {}).isNull()) << e.name;
        EXPECT_TRUE(e.run(source, QRect(0, 0, 30, 20), stopAt(0)).isNull()) << e.name;
        EXPECT_TRUE(e.run(source, QRect(0, 0, 30, 20), stopAt(50)).isNull()) << e.name;
        EXPECT_TRUE(e.run(picture(30, 20, 16), QRect(0, 0, 30, 20), {}).isNull())
            << e.name << " needs true colour";
    }
    EXPECT_EQ(bytesOf(source), before);
}

TEST(FxEffects, TopRowsOfThePictureAreTheLastStoredRows) {
    const DibBlock source = picture(16, 10, 24);
    const DibBlock out = GrayArea(source, QRect(0, 0, 16, 2), {});
    const std::size_t row = source.rowBytes();
    const std::size_t header = static_cast<std::size_t>(source.headerSize());
    EXPECT_EQ(std::memcmp(out.data(), source.data(), header + 8 * row), 0);
    EXPECT_NE(std::memcmp(out.data() + header + 8 * row, source.data() + header + 8 * row, 2 * row), 0);
}

TEST(FxEffects, NeutralSettingsChangeNothing) {
    for (int bits : {24, 32}) {
        const DibBlock source = picture(37, 23, bits);
        const QRect whole(0, 0, 37, 23);
        const Bytes before = bytesOf(source);
        EXPECT_EQ(bytesOf(Enhance(source, whole, 0, 0, 10, 10, 10)), before) << bits;
        EXPECT_EQ(bytesOf(visHueAndSaturation(source, whole, HueChannels{}, 0, 0, 0)), before) << bits;
        EXPECT_EQ(bytesOf(Better(source, whole, 0)), before) << bits;
        EXPECT_EQ(bytesOf(PinchHole(source, whole, 0)), before) << bits;
        EXPECT_EQ(bytesOf(Whirl(source, whole, 0)), before) << bits;
        EXPECT_EQ(bytesOf(Bled(source, whole, 0)), before) << bits;
        EXPECT_EQ(bytesOf(OilPainting(source, whole, 0)), before) << bits;
        DibBlock d = source.copy();
        ASSERT_TRUE(VisBrightness(d, 0));
        ASSERT_TRUE(VisGamma(d, 10));
        EXPECT_EQ(bytesOf(d), before) << bits;
    }
}

TEST(FxEffects, AdjustmentsClampAndChangeInPlace) {
    DibBlock d = picture(8, 4, 24);
    ASSERT_TRUE(VisBrightness(d, 999));
    EXPECT_EQ(qRed(dibPixel(d, 3, 2)), 255) << "999 is applied as 255";
    ASSERT_TRUE(VisBrightness(d, -999));
    EXPECT_EQ(qRed(dibPixel(d, 3, 2)), 0);
    DibBlock g = picture(8, 4, 24);
    DibBlock g50 = g.copy(), g99 = g.copy();
    ASSERT_TRUE(VisGamma(g50, 50));
    ASSERT_TRUE(VisGamma(g99, 99));
    EXPECT_EQ(bytesOf(g50), bytesOf(g99));
    DibBlock palette = DibBlock::create(4, 4, 8);
    EXPECT_FALSE(VisGamma(palette, 20)) << "palette pictures go through the depth rule";
}

TEST(FxEffects, MirrorTwiceIsExactAtEveryDepthAndKeepsRowPadding) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        DibBlock d = DibBlock::create(33, 7, bits);
        for (std::size_t i = 0; i < d.imageBytes(); ++i)
            d.bits()[i] = static_cast<std::uint8_t>(i * 37 + 11);
        const Bytes before = bytesOf(d);
        for (auto [v, h] : {std::pair{true, false}, std::pair{false, true}, std::pair{true, true}}) {
            ASSERT_TRUE(VisMirror(d, v, h));
            EXPECT_NE(bytesOf(d), before) << bits;
            ASSERT_TRUE(VisMirror(d, v, h));
            EXPECT_EQ(bytesOf(d), before) << bits << " " << v << h;
        }
    }
    DibBlock row = DibBlock::create(3, 1, 24);
    row.scanLine(0)[0] = 1;
    row.scanLine(0)[6] = 9;
    ASSERT_TRUE(VisMirror(row, false, true));
    EXPECT_EQ(row.scanLine(0)[0], 9);
    EXPECT_EQ(row.scanLine(0)[6], 1);
}

TEST(FxEffects, MergeWritesOnlyTheOverlayInsideTheTargetAndSkipsTheKey) {
    const DibBlock target = picture(10, 8, 24);
    DibBlock overlay = DibBlock::create(4, 4, 24);
    std::memset(overlay.bits(), 200, overlay.imageBytes());
    overlay.scanLine(0)[0] = overlay.scanLine(0)[1] = overlay.scanLine(0)[2] = 7;
    struct Case {
        int left, top;
        QRect covered;
    } cases[] = {{2, 3, QRect(2, 3, 4, 4)}, {-2, -1, QRect(0, 0, 2, 3)}, {8, 6, QRect(8, 6, 2, 2)}};
    for (const Case &c : cases) {
        const DibBlock out = MergeDib(target, overlay, c.left, c.top, std::nullopt);
        ASSERT_EQ(out.size(), target.size());
        EXPECT_TRUE(sameOutside(target, out, c.covered)) << c.left;
        EXPECT_EQ(qRed(dibPixel(out, c.covered.right(), c.covered.bottom())), 200) << c.left;
    }
    EXPECT_EQ(bytesOf(MergeDib(target, overlay, 50, 50, std::nullopt)), bytesOf(target));
    const DibBlock keyed = MergeDib(target, overlay, 2, 3, qRgb(7, 7, 7));
    EXPECT_EQ(dibPixel(keyed, 2, 3), dibPixel(target, 2, 3)) << "the key colour lets the target show";
    EXPECT_EQ(qRed(dibPixel(keyed, 3, 3)), 200);
}

TEST(FxEffects, WholePictureEffectsAndWarpFrames) {
    const DibBlock source = picture(30, 22, 24);
    int frames = 0;
    const DibBlock warped = Warp(source, WarpOptions{}, {}, [&](const DibBlock &f) {
        return ++frames > 0 && f.size() == source.size();
    });
    ASSERT_FALSE(warped.isNull());
    EXPECT_EQ(frames, WarpOptions{}.steps - 1);
    EXPECT_TRUE(Warp(source, WarpOptions{}, {}, [](const DibBlock &) { return false; }).isNull())
        << "a frame stops it";
    for (int shape = 0; shape < 6; ++shape) {
        const DibBlock tone = HToneImage(source, 4, shape, 45);
        ASSERT_FALSE(tone.isNull());
        for (int y = 0; y < tone.height(); ++y)
            for (int x = 0; x < tone.width(); ++x)
                ASSERT_TRUE(qRed(dibPixel(tone, x, y)) == 0 || qRed(dibPixel(tone, x, y)) == 255);
    }
    const DibBlock tile = TileDib(source);
    // The left and right edges of a tile meet where the middle of the picture was.
    EXPECT_EQ(dibPixel(tile, 0, 11), dibPixel(source, 15, 0));
    EXPECT_FALSE(ExtrudeDib(source, true, 2).isNull());
    EXPECT_TRUE(ExtrudeDib(source, true, 2, stopAt(0)).isNull());
}

TEST(FxTransitions, PiecesCoverTheFrameAndTheLastFrameIsTheNewPicture) {
    const QSize size(53, 31);
    for (TransitionKind kind :
         {TransitionKind::Horizontal, TransitionKind::Vertical, TransitionKind::Diagonals,
          TransitionKind::DiagonalSquares, TransitionKind::Rectangles}) {
        const QVector<QPolygon> pieces = transitionPieces(kind, size, 4);
        ASSERT_FALSE(pieces.isEmpty());
        // Painted the way the player paints them, the pieces leave nothing of the old picture.
        QImage covered(size, QImage::Format_RGB32);
        covered.fill(Qt::black);
        {
            QPainter p(&covered);
            for (const QPolygon &piece : pieces) {
                if (QPolygon(piece.boundingRect()) == piece) {
                    p.fillRect(piece.boundingRect(), Qt::white);
                    continue;
                }
                QPainterPath path;
                path.addPolygon(piece);
                p.fillPath(path, Qt::white);
            }
        }
        int white = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                white += covered.pixelColor(x, y) == QColor(Qt::white);
        EXPECT_GE(white * 100, size.width() * size.height() * (kind == TransitionKind::Diagonals ? 95 : 100))
            << int(kind);

        TransitionPlayer player;
        QImage from(size, QImage::Format_RGB32), to(size, QImage::Format_RGB32);
        from.fill(Qt::blue);
        to.fill(Qt::red);
        player.setFrame(from);
        ASSERT_TRUE(player.start(to, kind, 4, 10));
        EXPECT_TRUE(player.isActive());
        int steps = 0;
        while (player.isActive() && steps < 1000) {
            player.advance();
            ++steps;
        }
        EXPECT_LE(steps * 10, kMaxTransitionMs) << int(kind);
        EXPECT_EQ(player.frame(), to.convertToFormat(QImage::Format_RGB32)) << int(kind);
    }
    EXPECT_EQ(transitionSteps(10000, 100), kMaxTransitionMs / 100) << "the whole transition is capped";
    EXPECT_EQ(transitionSteps(5, 1), 5);
    EXPECT_EQ(transitionSteps(0, 10), 0);
}

TEST(FxEffects, LargePicturesSpreadOverThreadsGiveTheSameBlur) {
    // Large enough for the work to be shared between threads.
    const int w = 700, h = 500, r = 2;
    const DibBlock source = picture(w, h, 24);
    const DibBlock out = Blur(source, QRect(0, 0, w, h), r);
    ASSERT_FALSE(out.isNull());
    // The same box blur written plainly: across (rounded), then down (rounded), edges repeated.
    std::vector<int> across(static_cast<std::size_t>(w) * h * 3);
    const int n = 2 * r + 1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < 3; ++k) {
                int sum = 0;
                for (int d = -r; d <= r; ++d)
                    sum += source.scanLine(y)[3 * std::clamp(x + d, 0, w - 1) + k];
                across[(static_cast<std::size_t>(y) * w + x) * 3 + k] = (sum + n / 2) / n;
            }
    for (int y = 0; y < h; y += 3)
        for (int x = 0; x < w; x += 5)
            for (int k = 0; k < 3; ++k) {
                int sum = 0;
                for (int d = -r; d <= r; ++d)
                    sum += across[(static_cast<std::size_t>(std::clamp(y + d, 0, h - 1)) * w + x) * 3 + k];
                ASSERT_EQ(out.scanLine(y)[3 * x + k], (sum + n / 2) / n) << x << "," << y;
            }
    int calls = 0;
    const Progress counting{[](std::int16_t, void *data) -> std::int16_t {
                                ++*static_cast<int *>(data);
                                return 1;
                            },
                            &calls};
    EXPECT_FALSE(Blur(source, QRect(0, 0, w, h), 30, counting).isNull());
    EXPECT_GE(calls, 2) << "progress reaches the caller while threads work";
    EXPECT_TRUE(Blur(source, QRect(0, 0, w, h), 30, stopAt(1)).isNull());
}
