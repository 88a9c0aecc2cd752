// Packed DIB layout, checked sizes, validation of foreign DIBs and the QImage bridge.
#include "platform/imageio/DibBlock.h"
#include "platform/imageio/DibConvert.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orva::imageio;

namespace {

std::vector<std::uint8_t> header(std::int32_t w, std::int32_t h, int bits, std::uint32_t comp = 0,
                                 std::uint32_t used = 0) {
    std::vector<std::uint8_t> b(40, 0);
    writeLe32(b.data(), 40);
    writeLe32(b.data() + 4, static_cast<std::uint32_t>(w));
    writeLe32(b.data() + 8, static_cast<std::uint32_t>(h));
    writeLe16(b.data() + 12, 1);
    writeLe16(b.data() + 14, static_cast<std::uint16_t>(bits));
    writeLe32(b.data() + 16, comp);
    writeLe32(b.data() + 32, used);
    return b;
}

} // namespace

TEST(DibBlock, CreateLaysOutHeaderTableAndPaddedRows) {
    struct Case {
        int bits, width, height;
        std::size_t size;
    } cases[] = {
        {1, 33, 2, 48 + 16}, {4, 10, 3, 104 + 24}, {8, 5, 2, 1064 + 16}, {24, 3, 2, 40 + 24}, {32, 1, 1, 44}};
    for (const auto &c : cases) {
        DibBlock d = DibBlock::create(c.width, c.height, c.bits);
        ASSERT_FALSE(d.isNull()) << c.bits;
        EXPECT_EQ(d.size(), c.size) << c.bits;
        EXPECT_EQ(readLe32(d.data() + 4), static_cast<std::uint32_t>(c.width));
        EXPECT_EQ(readLe16(d.data() + 14), c.bits);
        EXPECT_EQ(d.xPelsPerMeter(), 2953);
    }
    EXPECT_TRUE(DibBlock::create(10, 10, 3).isNull());
    EXPECT_TRUE(DibBlock::create(0, 10, 8).isNull());
    EXPECT_TRUE(DibBlock::create(100000, 100000, 24).isNull()) << "over the allocation cap";
}

TEST(DibBlock, SizeArithmeticIsCheckedIn64Bits) {
    EXPECT_EQ(dibRowBytes(33, 1).value(), 8u);
    EXPECT_EQ(dibRowBytes(10, 4).value(), 8u);
    EXPECT_FALSE(dibImageBytes(0x7FFFFFFF, 0x7FFFFFFF, 32).has_value());
    EXPECT_FALSE(dibImageBytes(100, -5, 8).has_value());
    EXPECT_EQ(dibImageBytes(2480, 3508, 1).value(), 312u * 3508u);
}

TEST(DibBlock, RejectsHostileHeaders) {
    struct Case {
        const char *name;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"six bytes", std::vector<std::uint8_t>(6, 0)},
        {"bad depth", header(4, 4, 3)},
        {"huge", header(0x40000000, 0x40000000, 24)},
        {"int-min height", header(4, INT32_MIN, 8)},
        {"too many colours", header(4, 4, 8, 0, 100000)},
        {"rows missing", header(4, 4, 24)},
        {"rle top-down", header(4, -4, 8, 1)},
    };
    for (const auto &c : cases) {
        QString why;
        EXPECT_TRUE(DibBlock::fromPacked(c.bytes.data(), c.bytes.size(), &why).isNull()) << c.name;
        EXPECT_FALSE(why.isEmpty()) << c.name;
    }
}

TEST(DibBlock, TopDownClipboardDibIsFlippedToBottomUp) {
    auto b = header(1, -2, 24);
    const std::uint8_t rows[] = {1, 2, 3, 0, 4, 5, 6, 0}; // top row first
    b.insert(b.end(), rows, rows + 8);
    DibBlock d = DibBlock::fromPacked(b.data(), b.size());
    ASSERT_FALSE(d.isNull());
    EXPECT_EQ(d.height(), 2);
    EXPECT_EQ(dibPixel(d, 0, 0), qRgb(3, 2, 1));
    EXPECT_EQ(dibPixel(d, 0, 1), qRgb(6, 5, 4));
}

TEST(DibBlock, Rle8IsExpanded) {
    auto b = header(4, 2, 8, 1, 2);
    const std::uint8_t table[] = {0, 0, 0, 0, 255, 255, 255, 0};
    b.insert(b.end(), table, table + 8);
    const std::uint8_t rle[] = {4, 1, 0, 0, 2, 0, 0, 3, 1, 0, 1, 0, 0, 1};
    b.insert(b.end(), rle, rle + sizeof rle);
    DibBlock d = DibBlock::fromPacked(b.data(), b.size());
    ASSERT_FALSE(d.isNull());
    EXPECT_EQ(d.compression(), 0u);
    EXPECT_EQ(dibIndex(d, 0, 1), 1); // bottom row all 1
    EXPECT_EQ(dibIndex(d, 3, 1), 1);
    EXPECT_EQ(dibIndex(d, 1, 0), 0); // top row: run of two 0, then literal 1 0 1 (clipped at 4)
    EXPECT_EQ(dibIndex(d, 2, 0), 1);
    EXPECT_EQ(dibIndex(d, 3, 0), 0);
}

TEST(DibBlock, BitfieldsBecome24Bits) {
    auto b = header(1, 1, 16, 3);
    const std::uint8_t masks[] = {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}; // 565
    b.insert(b.end(), masks, masks + 12);
    const std::uint8_t px[] = {0x00, 0xF8, 0, 0};
    b.insert(b.end(), px, px + 4);
    DibBlock d = DibBlock::fromPacked(b.data(), b.size());
    ASSERT_FALSE(d.isNull());
    EXPECT_EQ(d.bitCount(), 24);
    EXPECT_EQ(dibPixel(d, 0, 0), qRgb(255, 0, 0));
}

TEST(DibConvert, PromotionsKeepEveryPixel) {
    DibBlock one = DibBlock::create(33, 3, 1);
    one.setColor(0, qRgb(0, 0, 0));
    one.setColor(1, qRgb(255, 255, 255));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 33; ++x)
            setDibIndex(one, x, y, (x * 7 + y) % 3 == 0);
    for (int to : {4, 8, 24}) {
        DibBlock c = convertDib(one, to);
        ASSERT_FALSE(c.isNull()) << to;
        EXPECT_EQ(c.bitCount(), to);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 33; ++x)
                ASSERT_EQ(dibPixel(c, x, y), dibPixel(one, x, y)) << to << " " << x << "," << y;
    }
    EXPECT_TRUE(ConvertDib8To24(one).isNull());
    EXPECT_TRUE(convertDib(one, 16).isNull());
}

TEST(DibConvert, QImageBridgeForcesOpaqueTableAndFlipsRows) {
    DibBlock d = DibBlock::create(2, 2, 8, 2);
    std::uint8_t *e = d.data() + 44;
    std::memset(e, 0xFF, 3); // {FF,FF,FF,00}
    setDibIndex(d, 0, 0, 1);
    QImage img = dibToQImage(d);
    ASSERT_EQ(img.format(), QImage::Format_Indexed8);
    EXPECT_EQ(img.pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(img.pixelIndex(0, 1), 0);
    DibBlock back = qimageToDib(img);
    EXPECT_EQ(dibIndex(back, 0, 0), 1);
    EXPECT_EQ(back.bitCount(), 8);
}
