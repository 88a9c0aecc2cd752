// TVisDib accessors, blank DIBs, borrowed blocks and palettes.
#include "imaging/core/TVisDib.h"
#include "imaging/core/ErrorInvalid.h"

#include <gtest/gtest.h>

using namespace orva::imaging;
using orva::imageio::writeLe32;

TEST(TVisDib, EmptyObjectAnswersZero) {
    TVisDib d;
    EXPECT_EQ(d.BitCount(), 0);
    EXPECT_EQ(d.Width(), 0);
    EXPECT_EQ(d.NumColors(), 0);
    EXPECT_EQ(d.HeaderSize(), 0);
    EXPECT_EQ(d.DibSize(), 0u);
    EXPECT_EQ(d.Bits(), nullptr);
    EXPECT_TRUE(d.Palette().isEmpty());
    EXPECT_TRUE(d.OwnsDib());
}

TEST(TVisDib, NumColorsFollowsColoursUsed) {
    struct Case {
        int bits;
        std::uint32_t used;
        int expect;
    } cases[] = {{8, 17, 17}, {24, 0, 0}, {8, 0, 256}, {4, 0, 16}, {1, 0, 2}, {32, 0, 0}};
    for (const auto &c : cases) {
        TVisDib d;
        ASSERT_TRUE(d.CreateBlankDib(nullptr, 4, c.bits, 4));
        writeLe32(d.Dib()->data() + 32, c.used);
        EXPECT_EQ(d.NumColors(), c.expect) << c.bits;
        EXPECT_EQ(d.HeaderSize(), 40 + 4 * c.expect);
    }
}

TEST(TVisDib, DibSizeFillsMissingImageSizeWithoutWritingTheHeader) {
    TVisDib d;
    ASSERT_TRUE(d.CreateBlankDib(nullptr, 33, 1, 2));
    writeLe32(d.Dib()->data() + 20, 0);
    EXPECT_EQ(d.DibSize(), 64u);
    EXPECT_EQ(orva::imageio::readLe32(d.Dib()->data() + 20), 0u);
    EXPECT_EQ(d.AlignedWidth(), 36);
}

TEST(TVisDib, CreateBlankDibSizesAndRefusals) {
    TVisDib d;
    ASSERT_TRUE(d.CreateBlankDib(nullptr, 10, 2, 3));
    EXPECT_EQ(d.BitCount(), 1);
    EXPECT_EQ(d.NumColors(), 2);
    EXPECT_EQ(d.Dib()->size(), 3u * 4 + 48);
    EXPECT_FALSE(d.CreateBlankDib(nullptr, 10, 3, 3));
    EXPECT_EQ(d.BitCount(), 1) << "previous DIB survives";
    ASSERT_TRUE(d.CreateBlankDib(nullptr, 10, 8, 3));
    EXPECT_EQ(d.Dib()->size(), 3u * 12 + 1064);
    EXPECT_EQ(d.Dib()->xPelsPerMeter(), 2953);
    QString error;
    EXPECT_FALSE(d.CreateBlankDib(nullptr, 200000, 24, 200000, &error));
    EXPECT_EQ(error, QStringLiteral("Can't allocate memory"));
    EXPECT_EQ(d.BitCount(), 8) << "previous DIB survives";
}

TEST(TVisDib, BorrowedBlockOutlivesTheObject) {
    DibBlock owner = DibBlock::create(8, 8, 24);
    {
        TVisDib view;
        view.SetDib(&owner);
        EXPECT_FALSE(view.OwnsDib());
        EXPECT_EQ(view.Width(), 8);
        EXPECT_TRUE(view.TakeDib().isNull()) << "a borrowed block is never handed on";
    }
    EXPECT_EQ(owner.width(), 8);
}

TEST(TVisDib, SetPaletteCopiesColours) {
    TVisDib d;
    QVector<QRgb> pal{qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9)};
    ASSERT_TRUE(d.CreateBlankDib(&pal, 4, 1, 4));
    EXPECT_EQ(d.Palette().size(), 2);
    EXPECT_EQ(d.Palette()[1], qRgb(4, 5, 6));
    pal[0] = qRgb(9, 9, 9);
    d.SetPalette(pal);
    EXPECT_EQ(d.Dib()->color(0), qRgb(9, 9, 9));
    DibBlock c = d.CopyDib();
    EXPECT_EQ(c.size(), d.Dib()->size());
}
