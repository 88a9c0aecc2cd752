// Palette files byte for byte, hostile counts, the sort by decimal text, gray palettes and the remap
// of 4- and 8-bit pictures (every row, old colours read before the new table goes in).
#include "platform/fxlib/Palettes.h"
#include "platform/imageio/DibConvert.h"

#include "platform/fxlib/tests/FxTestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace orva::fxlib;
using namespace orva::imageio;
using namespace orva::fxlib::testing;

namespace {

QVector<QRgb> ramp(int n) {
    QVector<QRgb> p(n);
    for (int i = 0; i < n; ++i)
        p[i] = qRgb(i, 255 - i, (i * 7) & 0xFF);
    return p;
}

QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

} // namespace

TEST(PaletteFiles, LayoutIsExactly1047BytesWithTheSignatureAndCount) {
    const QByteArray b = paletteFileBytes(ramp(3), 3);
    ASSERT_EQ(b.size(), 1047);
    EXPECT_EQ(static_cast<std::uint8_t>(b[0]), 0x13);
    EXPECT_EQ(b.mid(1, 19), QByteArray("vistrane 30 palette"));
    EXPECT_EQ(b[20], 0);
    EXPECT_EQ(b[21], 3);
    EXPECT_EQ(b[22], 0);
    EXPECT_EQ(b.mid(23, 8), QByteArray("\x00\xff\x00\x00\x01\xfe\x07\x00", 8));
    EXPECT_EQ(b.mid(35), QByteArray(1047 - 35, '\0')) << "entries past the count are 0";
}

TEST(PaletteFiles, RoundTripAndRefusals) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("p.VPL"));
    ASSERT_EQ(SavePaletteFile(file, ramp(256), 256), PaletteFileStatus::Ok);
    QVector<QRgb> loaded;
    EXPECT_EQ(LoadPaletteFile(file, loaded), 256);
    EXPECT_EQ(loaded, ramp(256));

    QVector<QRgb> small(4, qRgb(9, 9, 9));
    EXPECT_EQ(LoadPaletteFile(file, small), 256) << "a given palette takes what fits";
    EXPECT_EQ(small, ramp(4));

    EXPECT_EQ(SavePaletteFile(file, ramp(10), 11), PaletteFileStatus::Refused);
    EXPECT_EQ(SavePaletteFile(file, ramp(300), 257), PaletteFileStatus::Refused);
    EXPECT_EQ(SavePaletteFile(dir.filePath(QStringLiteral("no/such/dir/p.VPL")), ramp(2), 2),
              PaletteFileStatus::CannotCreate);

    const QByteArray good = paletteFileBytes(ramp(2), 2);
    struct Case {
        const char *what;
        QByteArray bytes;
    } bad[] = {{"1046 bytes", good.left(1046)},
               {"1048 bytes", good + '\0'},
               {"length byte 18", QByteArray(1, '\x12') + good.mid(1)},
               {"other signature", good.left(1) + "VISTRANE 30 PALETTE" + good.mid(20)},
               {"no colours", good.left(21) + QByteArray(2, '\0') + good.mid(23)},
               {"300 colours", good.left(21) + QByteArray("\x2c\x01", 2) + good.mid(23)}};
    for (const Case &c : bad) {
        QVector<QRgb> kept = ramp(5);
        PaletteFileStatus status = PaletteFileStatus::Ok;
        EXPECT_EQ(LoadPaletteFile(write(dir, QStringLiteral("bad.vpl"), c.bytes), kept, &status), 0)
            << c.what;
        EXPECT_EQ(status, PaletteFileStatus::WrongFormat) << c.what;
        EXPECT_EQ(kept, ramp(5)) << c.what;
        EXPECT_TRUE(parsePaletteFile(c.bytes).isEmpty()) << c.what;
    }
    PaletteFileStatus status = PaletteFileStatus::Ok;
    QVector<QRgb> none;
    EXPECT_EQ(LoadPaletteFile(dir.filePath(QStringLiteral("missing.VPL")), none, &status), 0);
    EXPECT_EQ(status, PaletteFileStatus::Missing);
    EXPECT_TRUE(none.isEmpty());
}

TEST(PaletteRoutines, SortIsByDecimalTextAndCollapsesDuplicates) {
    // 20 = (20,0,0) and 1000 = (232,3,0): "1000" comes before "20" as text.
    QVector<QRgb> p{qRgb(20, 0, 0), qRgb(232, 3, 0), qRgb(20, 0, 0), qRgb(1, 1, 1)};
    SortPalette(p);
    EXPECT_EQ(p[0], qRgb(232, 3, 0));
    EXPECT_EQ(p[1], qRgb(20, 0, 0));
    EXPECT_EQ(p[2], qRgb(1, 1, 1)) << "65793 after 20";
    EXPECT_EQ(p[3], qRgb(1, 1, 1)) << "the tail keeps its old value";

    const QVector<QRgb> gray = CreateGrayPalette(16);
    ASSERT_EQ(gray.size(), 16);
    EXPECT_EQ(gray[15], qRgb(15, 15, 15));
    EXPECT_TRUE(CreateGrayPalette(0).isEmpty());
    EXPECT_TRUE(CreateGrayPalette(257).isEmpty());
    EXPECT_EQ(NearestPaletteIndex({qRgb(0, 0, 0), qRgb(10, 10, 10), qRgb(10, 10, 10)}, qRgb(9, 9, 9)), 1);
    EXPECT_EQ(NearestPaletteIndex({}, qRgb(9, 9, 9)), -1);
}

TEST(PaletteRoutines, RemapEightBitReadsTheOldColoursFirst) {
    DibBlock d = DibBlock::create(5, 3, 8, 2);
    d.setColor(0, qRgb(255, 0, 0));
    d.setColor(1, qRgb(0, 0, 255));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            setDibIndex(d, x, y, (x + y) % 2);
    ASSERT_EQ(RemapDibToPalette({qRgb(250, 0, 0), qRgb(0, 0, 250)}, d), RemapStatus::Ok);
    // Sorted: (0,0,250) = "16384000" before (250,0,0) = "250".
    EXPECT_EQ(d.color(0), qRgb(0, 0, 250));
    EXPECT_EQ(d.color(1), qRgb(250, 0, 0));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(dibIndex(d, x, y), (x + y) % 2 == 0 ? 1 : 0) << x << "," << y;
}

TEST(PaletteRoutines, RemapFourBitCoversEveryRowAndStopLeavesThePicture) {
    DibBlock d = DibBlock::create(10, 6, 4);
    ASSERT_EQ(d.rowBytes(), 8u);
    for (int i = 0; i < 16; ++i)
        d.setColor(i, qRgb(i * 16, i * 16, i * 16));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x)
            setDibIndex(d, x, y, (x + 3 * y) % 16);
    const DibBlock before = d.copy();
    // Reversed gray levels: after the sort, every old level finds its own colour at a new index.
    QVector<QRgb> reversed;
    for (int i = 15; i >= 0; --i)
        reversed.append(qRgb(i * 16, i * 16, i * 16));
    EXPECT_EQ(RemapDibToPalette(reversed, d, stopAt(50)), RemapStatus::Stopped);
    EXPECT_EQ(std::memcmp(d.data(), before.data(), d.size()), 0) << "a stopped remap changes nothing";
    ASSERT_EQ(RemapDibToPalette(reversed, d), RemapStatus::Ok);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(dibPixel(d, x, y), dibPixel(before, x, y)) << x << "," << y;
    DibBlock rgb = DibBlock::create(4, 4, 24);
    EXPECT_EQ(RemapDibToPalette(reversed, rgb), RemapStatus::NotPaletted);
}
