// Our readers against ImageMagick as the independent decoder, on pictures the test makes with it,
// and hostile or truncated files that must give a failure code instead of a crash.
#include "platform/imageio/Codecs.h"
#include "platform/imageio/EpsDxf.h"
#include "platform/imageio/ImageIoLibrary.h"
#include "platform/imageio/tests/TestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orva::imageio;
using namespace orva::imageio::test;

namespace {

std::int16_t readAny(const QString &type, const QString &file, DibBlock &out) {
    if (type == "BMP")
        return lib::rdbmpfiledib(file, 0, 0, out);
    if (type == "PNG")
        return lib::rdpngfiledib(file, 0, 0, out);
    if (type == "GIF")
        return lib::rdgiffiledib(file, 0, 0, out);
    if (type == "JPEG")
        return lib::rdjpgfiledib(file, 0, 1, 0, out);
    if (type == "PCX")
        return lib::rdpcxfiledib(file, 0, 0, out);
    if (type == "TGA")
        return lib::readtgafiledib(file, 0, 0, out);
    return lib::readtiffiledib(file, 0, 0, 0, out);
}

struct Fixture {
    const char *name;
    const char *type;
    QStringList convertArgs; // between the source picture and the output file
    int bits;                // our expected depth (0: not checked)
    int tolerance;
};

} // namespace

TEST(Formats, AgreeWithImageMagick) {
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick not installed";
    QTemporaryDir dir;
    const QString source = dir.filePath("source.png");
    bool ok = false;
    run("convert",
        {"-size", "53x31", "gradient:#ff0000-#0000ff", "(", "-size", "53x31", "pattern:checkerboard", ")",
         "-compose", "multiply", "-composite", source},
        &ok);
    ASSERT_TRUE(ok);
    const Fixture fixtures[] = {
        {"bmp1.bmp", "BMP", {"-monochrome", "BMP3:"}, 1, 0},
        {"bmp4.bmp", "BMP", {"-colors", "16", "BMP3:"}, 4, 0},
        {"bmp8.bmp", "BMP", {"-colors", "200", "BMP3:"}, 8, 0},
        {"bmp24.bmp", "BMP", {"-type", "TrueColor", "BMP3:"}, 24, 0},
        {"bmp-rle8.bmp", "BMP", {"-colors", "200", "-compress", "RLE", "BMP3:"}, 8, 0},
        {"bmp-v5.bmp", "BMP", {"-type", "TrueColor", "BMP:"}, 24, 0},
        {"bmp565.bmp", "BMP", {"-define", "bmp:subtype=RGB565", "BMP:"}, 24, 8},
        {"bmp32.bmp", "BMP", {"-define", "bmp:subtype=ARGB8888", "-alpha", "off", "BMP:"}, 0, 0},
        {"png1.png", "PNG", {"-monochrome", "PNG8:"}, 0, 0},
        {"png8.png", "PNG", {"-colors", "100", "PNG8:"}, 8, 0},
        {"pnggray.png", "PNG", {"-colorspace", "Gray", "-depth", "8", "PNG:"}, 8, 0},
        {"png24.png", "PNG", {"PNG24:"}, 24, 0},
        {"png48.png", "PNG", {"-depth", "16", "PNG48:"}, 24, 1},
        {"png-interlaced.png", "PNG", {"-interlace", "PNG", "PNG24:"}, 24, 0},
        {"gif.gif", "GIF", {"-colors", "64", "GIF:"}, 8, 0},
        {"gif-interlaced.gif", "GIF", {"-colors", "64", "-interlace", "GIF", "GIF:"}, 8, 0},
        {"jpg.jpg", "JPEG", {"-quality", "90", "JPEG:"}, 24, 3},
        {"jpggray.jpg", "JPEG", {"-colorspace", "Gray", "JPEG:"}, 8, 3},
        {"pcx-mono.pcx", "PCX", {"-monochrome", "PCX:"}, 0, 0},
        {"pcx4.pcx", "PCX", {"-colors", "16", "-type", "Palette", "PCX:"}, 0, 0},
        {"pcx8.pcx", "PCX", {"-colors", "100", "-type", "Palette", "PCX:"}, 8, 0},
        {"pcx24.pcx", "PCX", {"-type", "TrueColor", "PCX:"}, 24, 0},
        {"tga8.tga", "TGA", {"-colors", "100", "-type", "Palette", "TGA:"}, 8, 0},
        {"tga24.tga", "TGA", {"-type", "TrueColor", "TGA:"}, 24, 0},
        {"tga-rle.tga", "TGA", {"-type", "TrueColor", "-compress", "RLE", "TGA:"}, 24, 0},
        {"tgagray.tga", "TGA", {"-colorspace", "Gray", "TGA:"}, 8, 0},
        {"tif1-g4-200.tif", "TIFF", {"-monochrome", "-density", "200", "-compress", "Group4", "TIFF:"}, 1, 0},
        {"tif1-g3-300.tif", "TIFF", {"-monochrome", "-density", "300", "-compress", "Fax", "TIFF:"}, 1, 0},
        {"tif4.tif", "TIFF", {"-colors", "16", "-depth", "4", "-type", "Palette", "TIFF:"}, 4, 0},
        {"tif8gray.tif", "TIFF", {"-colorspace", "Gray", "-depth", "8", "-compress", "LZW", "TIFF:"}, 8, 0},
        {"tif24.tif", "TIFF", {"-type", "TrueColor", "-depth", "8", "-compress", "Zip", "TIFF:"}, 24, 0},
        {"tif48.tif", "TIFF", {"-type", "TrueColor", "-depth", "16", "TIFF:"}, 24, 1},
        {"tif-jpeg.tif", "TIFF", {"-type", "TrueColor", "-compress", "JPEG", "TIFF:"}, 24, 4},
        {"tif-tiled.tif",
         "TIFF",
         {"-type", "TrueColor", "-depth", "8", "-define", "tiff:tile-geometry=16x16", "TIFF:"},
         24,
         0},
        {"tif-planar.tif",
         "TIFF",
         {"-type", "TrueColor", "-depth", "8", "-interlace", "Plane", "TIFF:"},
         24,
         0},
        {"tif-nores.tif",
         "TIFF",
         {"-units", "Undefined", "-density", "0", "-type", "TrueColor", "-depth", "8", "TIFF:"},
         24,
         0},
    };
    for (const Fixture &f : fixtures) {
        const QString file = dir.filePath(f.name);
        QStringList args{source};
        args += f.convertArgs.mid(0, f.convertArgs.size() - 1);
        args += f.convertArgs.last() + file;
        run("convert", args, &ok);
        ASSERT_TRUE(ok) << f.name;
        DibBlock dib;
        ASSERT_EQ(readAny(f.type, file, dib), kOk) << f.name;
        if (f.bits) {
            EXPECT_EQ(dib.bitCount(), f.bits) << f.name;
        }
        const int diff = maxDifference(dib, imageMagickPixels(file));
        EXPECT_GE(diff, 0) << f.name << ": size differs";
        EXPECT_LE(diff, f.tolerance) << f.name << " " << dib.bitCount();
        lib::FileInfo info;
        ASSERT_EQ(lib::fileinfo(file, info), kOk) << f.name;
        EXPECT_EQ(info.type, f.type) << f.name;
        EXPECT_EQ(info.width, 53) << f.name;
    }
}

TEST(Formats, FaxResolutionsAndMissingResolution) {
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick not installed";
    QTemporaryDir dir;
    struct Case {
        const char *density;
        const char *compress;
        int dpi;
    } cases[] = {{"200", "Group4", 200}, {"300", "Group4", 300}, {"200", "Fax", 200}, {"300", "Fax", 300}};
    for (const auto &c : cases) {
        const QString file = dir.filePath(QStringLiteral("fax-%1-%2.tif").arg(c.density, c.compress));
        bool ok = false;
        run("convert",
            {"-size", "170x220", "xc:white", "-fill", "black", "-draw", "rectangle 10,10 60,200", "-draw",
             "circle 120,100 150,130", "-monochrome", "-units", "PixelsPerInch", "-density", c.density,
             "-compress", c.compress, file},
            &ok);
        ASSERT_TRUE(ok);
        DibBlock dib;
        ASSERT_EQ(lib::readtiffiledib(file, 0, 0, 0, dib), kOk);
        EXPECT_EQ(dib.bitCount(), 1);
        EXPECT_EQ(maxDifference(dib, imageMagickPixels(file)), 0) << file.toStdString();
        EXPECT_NEAR(dib.xPelsPerMeter() * 0.0254, c.dpi, 0.5);
        TiffPageInfo info;
        ASSERT_EQ(lib::getinfo(file, 0, info), 0);
        EXPECT_EQ(info.compression, QByteArray(c.compress) == "Group4" ? 4 : 3);
    }
    const QString plain = dir.filePath("nores.png");
    bool ok = false;
    run("convert", {"-size", "8x8", "xc:gray", "-units", "Undefined", "-strip", plain}, &ok);
    ASSERT_TRUE(ok);
    DibBlock dib;
    ASSERT_EQ(lib::rdpngfiledib(plain, 0, 0, dib), kOk);
    EXPECT_EQ(dib.xPelsPerMeter(), 0) << "no resolution stays 0, for callers to handle";
}

TEST(Formats, WantedBitsConvertTheDecodedPicture) {
    QTemporaryDir dir;
    const QString file = dir.filePath("p.tif");
    ASSERT_EQ(lib::writetiffiledib(file, TiffLzw, 0, patternDib(40, 20, 24), 0), kOk);
    for (int bits : {1, 4, 8, 24}) {
        DibBlock d;
        ASSERT_EQ(lib::readtiffiledib(file, bits, 1, 0, d), kOk) << bits;
        EXPECT_EQ(d.bitCount(), bits);
    }
    DibBlock d;
    EXPECT_EQ(lib::readtiffiledib(file, 7, 0, 0, d), ErrArgument);
}

// A bilevel page written without its photometric tag is a fax page: 0 bits are white. The file is
// built byte by byte, so the expectation owes nothing to the writer.
TEST(Formats, BilevelTiffWithoutPhotometricIsWhiteOnZero) {
    const auto page = [](int photometric) {
        struct Entry {
            std::uint16_t tag, type;
            std::uint32_t count, value;
        };
        std::vector<Entry> entries{{256, 3, 1, 8}, {257, 3, 1, 2}, {258, 3, 1, 1}, {259, 3, 1, 1}};
        if (photometric >= 0)
            entries.push_back({262, 3, 1, std::uint32_t(photometric)});
        const std::uint32_t data = 8 + 2 + 12 * std::uint32_t(entries.size() + 4) + 4;
        entries.insert(entries.end(), {{273, 4, 1, data}, {277, 3, 1, 1}, {278, 3, 1, 2}, {279, 4, 1, 2}});
        Bytes b{'I', 'I', 42, 0, 8, 0, 0, 0};
        const auto put = [&b](std::uint32_t v, int n) {
            for (int i = 0; i < n; ++i)
                b.push_back(std::uint8_t(v >> (8 * i)));
        };
        put(std::uint32_t(entries.size()), 2);
        for (const Entry &e : entries) {
            put(e.tag, 2);
            put(e.type, 2);
            put(e.count, 4);
            put(e.value, 4);
        }
        put(0, 4);
        b.push_back(0x0F); // first row: four 0 bits, then four 1 bits
        b.push_back(0xF0); // second row: the other way round
        return b;
    };
    const struct {
        const char *name;
        int photometric;
        QRgb zero, one;
    } rows[] = {{"no tag", -1, qRgb(255, 255, 255), qRgb(0, 0, 0)},
                {"white is zero", 0, qRgb(255, 255, 255), qRgb(0, 0, 0)},
                {"black is zero", 1, qRgb(0, 0, 0), qRgb(255, 255, 255)}};
    for (const auto &row : rows) {
        const Bytes file = page(row.photometric);
        DibBlock d;
        ASSERT_EQ(decodeTiff(file.data(), file.size(), 0, d), kOk) << row.name;
        EXPECT_EQ(dibPixel(d, 0, 0), row.zero) << row.name;
        EXPECT_EQ(dibPixel(d, 7, 0), row.one) << row.name;
        EXPECT_EQ(dibPixel(d, 0, 1), row.one) << row.name;
        EXPECT_EQ(dibPixel(d, 7, 1), row.zero) << row.name;
    }
}

TEST(Formats, CorruptFilesGiveFailureCodes) {
    QTemporaryDir dir;
    const QString tif = dir.filePath("ok.tif");
    ASSERT_EQ(lib::writetiffiledib(tif, TiffFax4, 0, patternDib(100, 80, 1), 0), kOk);
    Bytes good;
    ASSERT_EQ(lib::readWholeFile(tif, good), kOk);
    struct Case {
        const char *name;
        std::int16_t (*decode)(const std::uint8_t *, std::size_t, DibBlock &);
        Bytes bytes;
    } cases[] = {
        {"jpeg header only", decodeJpeg, Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0}},
        {"jpeg garbage", decodeJpeg, Bytes(200, 0xFF)},
        {"png signature only", decodePng, Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13}},
        {"gif header only", decodeGif, Bytes{'G', 'I', 'F', '8', '9', 'a', 10, 0, 10, 0, 0, 0, 0}},
        {"bmp huge", decodeBmp,
         [] {
             Bytes b(54, 0);
             b[0] = 'B';
             b[1] = 'M';
             b[10] = 54;
             b[14] = 40;
             writeLe32(b.data() + 18, 0x7FFFFFFF);
             writeLe32(b.data() + 22, 0x7FFFFFFF);
             b[26] = 1;
             b[28] = 24;
             return b;
         }()},
        {"pcx short", decodePcx, Bytes(127, 10)},
        {"tga truncated", decodeTga,
         Bytes{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 100, 0, 100, 0, 24, 0, 1, 2, 3}},
        {"tiff cut", [](const std::uint8_t *d, std::size_t n, DibBlock &o) { return decodeTiff(d, n, 0, o); },
         Bytes(good.begin(), good.begin() + static_cast<long>(good.size() / 2))},
        {"tiff garbage",
         [](const std::uint8_t *d, std::size_t n, DibBlock &o) { return decodeTiff(d, n, 0, o); },
         Bytes{'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (auto &c : cases) {
        DibBlock out;
        EXPECT_LT(c.decode(c.bytes.data(), c.bytes.size(), out), 0) << c.name;
        EXPECT_TRUE(out.isNull()) << c.name;
    }
}

// A few bytes whose header claims a picture of hundreds of megabytes (under the size cap) are refused
// before the picture is made: the peak memory of the process hardly moves.
TEST(Formats, TinyFilesClaimingGiantPicturesAreRefusedBeforeTheirMemoryIsTaken) {
    using Decode = std::function<std::int16_t(const Bytes &, DibBlock &)>;
    const auto simple = [](std::int16_t (*decode)(const std::uint8_t *, std::size_t, DibBlock &)) {
        return Decode([decode](const Bytes &b, DibBlock &o) { return decode(b.data(), b.size(), o); });
    };
    Bytes bmp(54, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[10] = 54;
    bmp[14] = 40;
    writeLe32(bmp.data() + 18, 10000);
    writeLe32(bmp.data() + 22, 10000);
    bmp[26] = 1;
    bmp[28] = 24;
    Bytes tga(18, 0);
    tga[2] = 2;
    writeLe16(tga.data() + 12, 10000);
    writeLe16(tga.data() + 14, 10000);
    tga[16] = 24;
    Bytes pcx(130, 0);
    pcx[0] = 10;
    pcx[1] = 5;
    pcx[2] = 1;
    pcx[3] = 8;
    writeLe16(pcx.data() + 8, 9999);
    writeLe16(pcx.data() + 10, 9999);
    pcx[65] = 1;
    writeLe16(pcx.data() + 66, 10000);
    const Bytes gif{'G', 'I', 'F', '8',  '9', 'a', 0x80, 0x3E, 0x80, 0x3E, 0x80, 0,    0, 0, 0, 0,
                    255, 255, 255, 0x2C, 0,   0,   0,    0,    0x80, 0x3E, 0x80, 0x3E, 0, 2, 0, 0x3B};
    // JPEG and TIFF: a real small picture whose size fields are then made giant.
    Bytes jpeg;
    {
        QImage small(8, 8, QImage::Format_Grayscale8);
        small.fill(128);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(small.save(&buffer, "JPG"));
        jpeg.assign(buffer.data().begin(), buffer.data().end());
        std::size_t at = 0;
        while (at + 9 < jpeg.size() && !(jpeg[at] == 0xFF && jpeg[at + 1] == 0xC0))
            ++at;
        ASSERT_LT(at + 9, jpeg.size()) << "no baseline frame header";
        jpeg[at + 5] = jpeg[at + 7] = 0x40; // 16384 by 16384
        jpeg[at + 6] = jpeg[at + 8] = 0;
    }
    Bytes tiff;
    ASSERT_EQ(lib::writetiffiledibstream(tiff, 1, 0, patternDib(2, 2, 8), 0), kOk);
    ASSERT_EQ(tiff.size() > 8 && tiff[0] == 'I', true) << "a little-endian file";
    {
        const std::size_t ifd = readLe32(tiff.data() + 4);
        ASSERT_LT(ifd + 2, tiff.size());
        int patched = 0;
        for (std::size_t i = 0, n = readLe16(tiff.data() + ifd); i < n; ++i) {
            std::uint8_t *entry = tiff.data() + ifd + 2 + 12 * i;
            if (readLe16(entry) == 256 || readLe16(entry) == 257) {
                writeLe16(entry + 2, 4); // LONG
                writeLe32(entry + 8, 20000);
                ++patched;
            }
        }
        ASSERT_EQ(patched, 2);
    }
    Bytes packed(48, 0); // the header and a two-colour table, then no pixels
    packed[0] = 40;
    writeLe32(packed.data() + 4, 12);
    writeLe32(packed.data() + 8, 100000000);
    packed[12] = 1;
    packed[14] = 1;

    const struct {
        const char *name;
        Decode decode;
        Bytes bytes;
    } cases[] = {
        {"bmp", simple(decodeBmp), bmp},
        {"tga", simple(decodeTga), tga},
        {"pcx", simple(decodePcx), pcx},
        {"gif", simple(decodeGif), gif},
        {"jpeg", simple(decodeJpeg), jpeg},
        {"tiff", [](const Bytes &b, DibBlock &o) { return decodeTiff(b.data(), b.size(), 0, o); }, tiff},
        {"packed dib",
         [](const Bytes &b, DibBlock &o) {
             o = DibBlock::fromPacked(b.data(), b.size());
             return o ? kOk : ErrCorrupt;
         },
         packed},
    };
    const auto peakMiB = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss / 1024;
    };
    // Each in a child of its own: the peak only ever rises, so one case would hide the next.
    for (const auto &c : cases) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const long before = peakMiB();
            DibBlock out;
            const bool refused = c.decode(c.bytes, out) < 0;
            _exit(!refused ? 2 : peakMiB() - before >= 64 ? 3 : 0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << c.name;
        EXPECT_NE(WEXITSTATUS(status), 2) << c.name << ": not refused";
        EXPECT_NE(WEXITSTATUS(status), 3) << c.name << ": the claimed picture's memory was taken";
    }
}

TEST(Formats, EpsAndDxfSmoke) {
    QTemporaryDir dir;
    const QString eps = dir.filePath("box.eps");
    QFile f(eps);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 72 36\nnewpath 0 0 moveto 72 36 lineto "
            "stroke\nshowpage\n");
    f.close();
    DibBlock d;
    setGhostscriptProgram(dir.filePath("no-such-gs"));
    EXPECT_EQ(lib::readepsfiledib(eps, 0, 0, d), ErrNoGhostscript);
    EXPECT_TRUE(errorText(ErrNoGhostscript).startsWith("format not supported"));
    setGhostscriptProgram({});
    if (!QStandardPaths::findExecutable("gs").isEmpty()) {
        ASSERT_EQ(lib::readepsfiledib(eps, 0, 0, d), kOk);
        EXPECT_EQ(d.width(), 72);
        EXPECT_EQ(d.height(), 36);
    }
    const QString dxf = dir.filePath("draw.dxf");
    QFile g(dxf);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write("0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n30\n0\n11\n100\n21\n50\n31\n0\n"
            "0\nCIRCLE\n8\n0\n10\n50\n20\n25\n30\n0\n40\n10\n0\nENDSEC\n0\nEOF\n");
    g.close();
    QImage image;
    ASSERT_EQ(lib::readdxftoddb(dxf, 0, 0, image), kOk);
    EXPECT_EQ(image.width(), kDxfRenderSize);
    EXPECT_NEAR(image.height(), kDxfRenderSize / 2, 8);
    lib::DxfInfo info;
    ASSERT_EQ(lib::getdxfinfo(dxf, info), kOk);
    EXPECT_DOUBLE_EQ(info.maxX, 100);
    const QString empty = dir.filePath("empty.dxf");
    QFile e(empty);
    ASSERT_TRUE(e.open(QIODevice::WriteOnly));
    e.write("0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n");
    e.close();
    EXPECT_EQ(lib::readdxftoddb(empty, 0, 0, image), ErrUnsupported);
}

TEST(Formats, PhotoCdBaseImagesAgreeWithImageMagick) {
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick not installed";
    QTemporaryDir dir;
    const QString file = dir.filePath("photo.pcd");
    bool ok = false;
    run("convert", {"-size", "768x512", "gradient:#ff2000-#0020c0", "-type", "TrueColor", file}, &ok);
    ASSERT_TRUE(ok);
    const int sizes[3][2] = {{192, 128}, {384, 256}, {768, 512}};
    for (int mode = 0; mode < 3; ++mode) {
        DibBlock dib;
        ASSERT_EQ(lib::readpcdfiledib(file, 0, 0, mode, dib), kOk) << mode;
        EXPECT_EQ(dib.width(), sizes[mode][0]);
        EXPECT_EQ(dib.height(), sizes[mode][1]);
    }
    DibBlock base;
    ASSERT_EQ(lib::readpcdfiledib(file, 0, 0, 2, base), kOk);
    // Both decoders convert from Photo YCC; they may round differently.
    const int diff = maxDifference(base, imageMagickPixels(file, -1));
    EXPECT_GE(diff, 0);
    EXPECT_LE(diff, 12);
    lib::FileInfo info;
    ASSERT_EQ(lib::fileinfo(file, info), kOk);
    EXPECT_EQ(info.type, QStringLiteral("PCD"));
    DibBlock none;
    EXPECT_EQ(lib::readpcdfiledib(file, 0, 0, 3, none), ErrArgument);
}
