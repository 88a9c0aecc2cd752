// TIFF round trips at every depth and compression, page edits that keep the other pages intact,
// atomic replacement of the file, memory TIFFs, and tags typed by their TIFF field type.
#include "platform/imageio/ImageIoLibrary.h"
#include "platform/imageio/tests/TestSupport.h"
#include "platform/imageio/tests/TiffMetadataFixture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

using namespace orva::imageio;
using namespace orva::imageio::test;

namespace {

Bytes fileBytes(const QString &path) {
    Bytes b;
    lib::readWholeFile(path, b);
    return b;
}

DibBlock readPage(const QString &path, int page) {
    DibBlock d;
    EXPECT_EQ(lib::readtiffiledib(path, 0, 0, page, d), kOk) << page;
    return d;
}

} // namespace

TEST(TiffRoundTrip, EveryDepthWithEveryCompressionValidForIt) {
    QTemporaryDir dir;
    const std::uint16_t all[] = {TiffNone, TiffCcittRle, TiffFax3, TiffFax4, TiffLzw, TiffPackBits};
    for (int bits : {1, 4, 8, 24}) {
        const DibBlock source = patternDib(61, 17, bits);
        for (std::uint16_t comp : all) {
            const QString path = dir.filePath(QStringLiteral("rt-%1-%2.tif").arg(bits).arg(comp));
            const std::int16_t code = lib::writetiffiledib(path, comp, 0, source, 0);
            if (!tiffCompressionValid(comp, bits)) {
                EXPECT_EQ(code, ErrCompression) << bits << "/" << comp;
                EXPECT_FALSE(QFile::exists(path));
                continue;
            }
            ASSERT_EQ(code, kOk) << bits << "/" << comp;
            DibBlock back = readPage(path, 0);
            EXPECT_EQ(back.bitCount(), bits) << comp;
            EXPECT_TRUE(samePixels(source, back)) << bits << "/" << comp;
            TiffPageInfo info;
            EXPECT_EQ(lib::getinfo(path, 0, info), 0);
            EXPECT_EQ(info.compression, comp);
            EXPECT_EQ(info.pages, 1);
        }
    }
}

TEST(TiffPages, InsertDeleteReplaceAndPackKeepOtherPagesIdentical) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pages.tif"));
    std::vector<DibBlock> pages;
    pages.push_back(patternDib(40, 30, 1, 1));
    pages.push_back(patternDib(33, 21, 8, 2));
    pages.push_back(patternDib(25, 19, 24, 3));
    ASSERT_EQ(lib::writetiffiledib(path, TiffFax4, 0, pages[0], 0), kOk);
    ASSERT_EQ(lib::writetiffiledib(path, TiffLzw, 1, pages[1], 0), kOk);
    ASSERT_EQ(lib::writetiffiledib(path, TiffPackBits, 1, pages[2], 0), kOk);
    TiffPageInfo info;
    ASSERT_EQ(lib::getinfo(path, 0, info), 0);
    EXPECT_EQ(info.pages, 3);

    auto expectPages = [&](const std::vector<const DibBlock *> &want, const char *step) {
        TiffPageInfo i;
        ASSERT_EQ(lib::getinfo(path, 0, i), 0) << step;
        ASSERT_EQ(i.pages, static_cast<int>(want.size())) << step;
        for (std::size_t p = 0; p < want.size(); ++p)
            EXPECT_TRUE(samePixels(readPage(path, static_cast<int>(p)), *want[p])) << step << " page " << p;
    };

    const DibBlock inserted = patternDib(50, 10, 4, 4);
    ASSERT_EQ(lib::writetiffiledibpage(path, TiffNone, 1, inserted, 0), kOk);
    expectPages({&pages[0], &inserted, &pages[1], &pages[2]}, "insert");

    const DibBlock replacement = patternDib(12, 12, 24, 5);
    ASSERT_EQ(lib::writetiffiledibpagereplace(path, TiffLzw, 2, replacement, 0), kOk);
    expectPages({&pages[0], &inserted, &replacement, &pages[2]}, "replace");

    ASSERT_EQ(lib::deletepage(path, 0), kOk);
    expectPages({&inserted, &replacement, &pages[2]}, "delete");

    ASSERT_EQ(lib::packtiff(path), kOk);
    expectPages({&inserted, &replacement, &pages[2]}, "pack");

    EXPECT_EQ(lib::deletepage(path, 7), ErrPage);
    EXPECT_EQ(lib::writetiffiledibpagereplace(path, TiffNone, 3, replacement, 0), ErrPage);
}

TEST(TiffPages, BigEndianFilesAreEditedInTheirOwnOrder) {
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick not installed";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mm.tif"));
    bool ok = false;
    run(QStringLiteral("convert"),
        {QStringLiteral("-size"), QStringLiteral("20x10"), QStringLiteral("gradient:"),
         QStringLiteral("-define"), QStringLiteral("tiff:endian=msb"), path},
        &ok);
    ASSERT_TRUE(ok);
    const DibBlock first = readPage(path, 0);
    const DibBlock added = patternDib(9, 9, 1);
    ASSERT_EQ(lib::writetiffiledib(path, TiffFax3, 1, added, 0), kOk);
    EXPECT_EQ(fileBytes(path)[0], 'M');
    EXPECT_TRUE(samePixels(readPage(path, 0), first));
    EXPECT_TRUE(samePixels(readPage(path, 1), added));
    EXPECT_EQ(maxDifference(readPage(path, 1), imageMagickPixels(path, 1)), 0);
}

TEST(TiffPages, AKilledWriteLeavesTheOldFileIntact) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("victim.tif"));
    ASSERT_EQ(lib::writetiffiledib(path, TiffNone, 0, patternDib(64, 64, 8), 0), kOk);
    const Bytes before = fileBytes(path);
    // A large uncompressed page takes several chunks to write; the child kills itself after the first.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const DibBlock big = patternDib(2000, 1500, 24);
        Progress progress{[](std::int16_t percent, void *) -> std::int16_t {
                              if (percent > 90 && percent < 100)
                                  raise(SIGKILL);
                              return 1;
                          },
                          nullptr};
        lib::writetiffiledib(path, TiffNone, 1, big, 0, progress);
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the write finished before it could be killed";
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_LE(QDir(dir.path()).entryList(QDir::Files).size(), 2)
        << "at most an abandoned temporary beside it";
}

TEST(TiffPages, StoppedWriteChangesNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stop.tif"));
    ASSERT_EQ(lib::writetiffiledib(path, TiffNone, 0, patternDib(16, 16, 8), 0), kOk);
    const Bytes before = fileBytes(path);
    Progress stop{[](std::int16_t, void *) -> std::int16_t { return 0; }, nullptr};
    EXPECT_EQ(lib::writetiffiledib(path, TiffLzw, 1, patternDib(16, 16, 24), 0, stop), ErrStopped);
    EXPECT_EQ(fileBytes(path), before);
}

TEST(TiffStream, MemoryTwinsMatchTheFileOperations) {
    Bytes block;
    const DibBlock a = patternDib(30, 20, 1, 1);
    const DibBlock b = patternDib(30, 20, 8, 2);
    ASSERT_EQ(lib::writetiffiledibstream(block, TiffFax4, 0, a, 0), kOk);
    ASSERT_EQ(lib::writetiffiledibstream(block, TiffLzw, 1, b, 0), kOk);
    TiffPageInfo info;
    ASSERT_EQ(lib::getinfostream(block, 1, info), 0);
    EXPECT_EQ(info.pages, 2);
    EXPECT_EQ(info.bitsPerPixel, 8);
    DibBlock page;
    ASSERT_EQ(lib::readtiffiledibstream(block, 0, 0, 1, page), kOk);
    EXPECT_TRUE(samePixels(page, b));
    ASSERT_EQ(lib::writetiffiledibpagereplacestream(block, TiffNone, 0, b, 0), kOk);
    ASSERT_EQ(lib::deletepagestream(block, 1), kOk);
    ASSERT_EQ(lib::packtiffstream(block), kOk);
    ASSERT_EQ(lib::readtiffiledibstream(block, 0, 0, 0, page), kOk);
    EXPECT_TRUE(samePixels(page, b));
    EXPECT_EQ(lib::getinfostream(block, 1, info), ErrPage);
    Bytes tiny(1, 'I');
    TiffTagValue v;
    EXPECT_LT(lib::readtagstream(tiny, 0, 256, v), 0);
}

TEST(TiffTags, TypedByFieldTypeNotByLength) {
    Bytes block;
    DibBlock d = patternDib(10, 10, 1);
    d.setResolution(7874, 7874); // 200 dpi
    ASSERT_EQ(lib::writetiffiledibstream(block, TiffFax4, 0, d, 0), kOk);
    struct Case {
        std::uint16_t tag;
        TiffTagKind kind;
        std::int32_t number;
    } cases[] = {
        {256, TiffTagKind::Number, 10}, {282, TiffTagKind::Number, 200}, {259, TiffTagKind::Number, 4}};
    for (const auto &c : cases) {
        TiffTagValue v;
        ASSERT_EQ(lib::readtagstream(block, 0, c.tag, v), kOk) << c.tag;
        EXPECT_EQ(v.kind, c.kind) << c.tag;
        EXPECT_EQ(v.number, c.number) << c.tag;
    }
    ASSERT_EQ(lib::writetagstringstream(block, 0, 305, "Abc"), kOk); // shorter than 5 bytes: still text
    ASSERT_EQ(lib::writetagstringstream(block, 0, 270, "A longer description"), kOk);
    ASSERT_EQ(lib::writetagstream(block, 0, 282, 300), kOk);
    TiffTagValue v;
    ASSERT_EQ(lib::readtagstream(block, 0, 305, v), kOk);
    EXPECT_EQ(v.kind, TiffTagKind::Text);
    EXPECT_EQ(v.text, QByteArray("Abc"));
    ASSERT_EQ(lib::readtagstream(block, 0, 282, v), kOk);
    EXPECT_EQ(v.type, 5) << "resolution stays RATIONAL";
    EXPECT_EQ(v.number, 300);
    EXPECT_EQ(lib::writetagstream(block, 0, 273, 5), ErrTag) << "strip offsets are read-only";
    EXPECT_EQ(lib::readtagstream(block, 0, 999, v), ErrTag);
    DibBlock back;
    ASSERT_EQ(lib::readtiffiledibstream(block, 0, 0, 0, back), kOk);
    EXPECT_TRUE(samePixels(back, d)) << "tag edits keep the pixels";
    int seen = 0;
    ASSERT_EQ(lib::returntagsstream(block, 0, [&](const TiffTagValue &) { return ++seen < 3; }), kOk);
    EXPECT_EQ(seen, 3) << "the callback stops the listing";
}

TEST(TiffFuzzRegressions, EmptyEntriesAndHugeSampleCounts) {
    // II*, one directory of seven entries: width 1, length 1, 65535 bits and samples, one strip,
    // and an ASCII tag with no value at all.
    Bytes f = {'I', 'I', 42, 0, 8, 0, 0, 0, 7, 0};
    auto entry = [&](std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value) {
        const std::size_t at = f.size();
        f.resize(at + 12);
        writeLe16(f.data() + at, tag);
        writeLe16(f.data() + at + 2, type);
        writeLe32(f.data() + at + 4, count);
        writeLe32(f.data() + at + 8, value);
    };
    entry(256, 4, 1, 1);
    entry(257, 4, 1, 1);
    entry(258, 3, 1, 65535);
    entry(273, 4, 1, 100);
    entry(277, 3, 1, 65535);
    entry(279, 4, 1, 1);
    entry(305, 2, 0, 0);
    f.resize(f.size() + 4, 0);
    f.resize(101, 0);
    TiffPageInfo info;
    const std::int16_t code = tiffInfo(f.data(), f.size(), 0, info);
    if (code == kOk) {
        EXPECT_GT(info.bitsPerPixel, 0);
    }
    DibBlock dib;
    EXPECT_LT(decodeTiff(f.data(), f.size(), 0, dib), 0);
    ASSERT_EQ(tiffPack(f), kOk);
    EXPECT_EQ(tiffPageCount(f), 1);
}

// Every page and tag edit keeps what the pages point at: Exif, GPS and the reduced copies.
TEST(TiffPointers, EveryEditCarriesExifGpsAndSubImagesOver) {
    QTemporaryDir dir;
    const QString original = dir.filePath(QStringLiteral("form.tif"));
    ASSERT_TRUE(
        writeFormWithMetadata(original, {{true, "2026:01:02 03:04:05"}, {false, "2026:02:03 04:05:06"}}));
    const DibBlock added = patternDib(16, 8, 1);
    const DibBlock colour = patternDib(48, 32, 24);
    struct Edit {
        const char *name;
        std::function<std::int16_t(const QString &)> run;
        int formPage; // where the G4 page is afterwards
    } edits[] = {
        {"tag on page 0", [](const QString &f) { return lib::writetagstring(f, 0, 270, "checked"); }, 1},
        {"tag on page 1", [](const QString &f) { return lib::writetag(f, 1, 274, 1); }, 1},
        {"page inserted",
         [&](const QString &f) { return lib::writetiffiledibpage(f, TiffFax4, 1, added, 0); }, 2},
        {"page appended", [&](const QString &f) { return lib::writetiffiledib(f, TiffFax4, 1, added, 0); },
         1},
        {"packed", [](const QString &f) { return lib::packtiff(f); }, 1},
        {"page 0 replaced",
         [&](const QString &f) { return lib::writetiffiledibpagereplace(f, kKeepCompression, 0, colour, 0); },
         1},
    };
    for (const Edit &e : edits) {
        const QString file = dir.filePath(QStringLiteral("edit.tif"));
        QFile::remove(file);
        ASSERT_TRUE(QFile::copy(original, file));
        ASSERT_EQ(e.run(file), kOk) << e.name;
        const PageFacts first = pageFacts(file, 0);
        const PageFacts last = pageFacts(file, e.formPage);
        ASSERT_TRUE(first.read && last.read) << e.name;
        EXPECT_EQ(first.taken, QByteArray("2026:01:02 03:04:05")) << e.name;
        EXPECT_EQ(first.latitudeRef, QByteArray("N")) << e.name;
        EXPECT_EQ(first.reducedCopy, QByteArray("\x0a\x14\x1e\x28\x5a\x14\x1e\x28")) << e.name;
        EXPECT_EQ(first.artist, QByteArray("Reception desk")) << e.name;
        EXPECT_EQ(first.compression, COMPRESSION_JPEG) << e.name;
        EXPECT_EQ(last.taken, QByteArray("2026:02:03 04:05:06")) << e.name;
        EXPECT_EQ(last.reducedCopy.size(), 8) << e.name;
        EXPECT_EQ(last.compression, COMPRESSION_CCITTFAX4) << e.name;
    }
    // Deleting the colour page leaves the G4 page with all of its own.
    const QString file = dir.filePath(QStringLiteral("deleted.tif"));
    ASSERT_TRUE(QFile::copy(original, file));
    ASSERT_EQ(lib::deletepage(file, 0), kOk);
    const PageFacts only = pageFacts(file, 0);
    EXPECT_EQ(only.taken, QByteArray("2026:02:03 04:05:06"));
    EXPECT_EQ(only.latitudeRef, QByteArray("N"));
    EXPECT_EQ(only.reducedCopy.size(), 8);
}

// A page replaced with the old page's compression: JPEG stays JPEG at 24 bits, G4 stays G4, a
// coloured table under JPEG falls back to lossless, and an unknown code to LZW.
TEST(TiffPointers, ReplacingKeepsTheCompressionWhereTheDepthAllows) {
    QTemporaryDir dir;
    const QString original = dir.filePath(QStringLiteral("form.tif"));
    ASSERT_TRUE(writeFormWithMetadata(original, {{true}, {false}}));
    struct Case {
        int page;
        DibBlock dib;
        std::uint16_t compression;
        int bits;
    } cases[] = {
        {0, patternDib(48, 32, 24), COMPRESSION_JPEG, 24},
        {1, patternDib(64, 40, 1), COMPRESSION_CCITTFAX4, 1},
        {0, patternDib(48, 32, 8), COMPRESSION_LZW, 8},   // its table is coloured: no JPEG
        {1, patternDib(64, 40, 24), COMPRESSION_LZW, 24}, // G4 holds no colour
    };
    for (const Case &c : cases) {
        const QString file = dir.filePath(QStringLiteral("replaced.tif"));
        QFile::remove(file);
        ASSERT_TRUE(QFile::copy(original, file));
        ASSERT_EQ(lib::writetiffiledibpagereplace(file, kKeepCompression, c.page, c.dib, 0), kOk);
        const PageFacts f = pageFacts(file, c.page);
        EXPECT_EQ(f.compression, c.compression) << c.page << "/" << c.bits;
        EXPECT_EQ(f.bits, c.bits) << c.page << "/" << c.bits;
        EXPECT_FALSE(f.taken.isEmpty()) << c.page << "/" << c.bits;
        if (c.compression != COMPRESSION_JPEG) {
            EXPECT_TRUE(samePixels(readPage(file, c.page), c.dib)) << c.page << "/" << c.bits;
        }
    }
    // Inserting never means "keep": there is no old page to keep from.
    EXPECT_EQ(lib::writetiffiledibpage(original, kKeepCompression, 0, patternDib(4, 4, 1), 0),
              ErrCompression);
}

namespace {

// A one-page TIFF with old-style JPEG pointers: the interchange stream (with or without its
// length), one quantisation table and one DC and one AC Huffman table, each with recognisable bytes.
Bytes oldJpegFile(bool withLength) {
    Bytes f = {'I', 'I', 42, 0, 8, 0, 0, 0};
    struct E {
        std::uint16_t tag, type;
        std::uint32_t count, value;
    };
    std::vector<E> entries = {{256, 4, 1, 8}, {257, 4, 1, 8},  {258, 3, 1, 8}, {259, 3, 1, 6},
                              {262, 3, 1, 1}, {273, 4, 1, 0},  {277, 3, 1, 1}, {279, 4, 1, 10},
                              {513, 4, 1, 0}, {514, 4, 1, 40}, {519, 4, 1, 0}, {520, 4, 1, 0},
                              {521, 4, 1, 0}};
    if (!withLength)
        entries.erase(entries.begin() + 9);
    const std::size_t ifdBytes = 2 + 12 * entries.size() + 4;
    const std::uint32_t data = static_cast<std::uint32_t>(8 + ifdBytes);
    // Strip 10 bytes, stream 40, quantisation 64, DC 16 + 3, AC 16 + 5.
    const std::uint32_t strip = data, stream = strip + 10, q = stream + 40, dc = q + 64, ac = dc + 19;
    for (E &e : entries) {
        if (e.tag == 273)
            e.value = strip;
        if (e.tag == 513)
            e.value = stream;
        if (e.tag == 519)
            e.value = q;
        if (e.tag == 520)
            e.value = dc;
        if (e.tag == 521)
            e.value = ac;
    }
    f.resize(8 + ifdBytes + 10 + 40 + 64 + 19 + 21, 0);
    writeLe16(f.data() + 8, static_cast<std::uint16_t>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::uint8_t *p = f.data() + 10 + 12 * i;
        writeLe16(p, entries[i].tag);
        writeLe16(p + 2, entries[i].type);
        writeLe32(p + 4, entries[i].count);
        writeLe32(p + 8, entries[i].value);
    }
    for (std::uint32_t i = strip; i < f.size(); ++i)
        f[i] = static_cast<std::uint8_t>(i * 7 + 3);
    std::fill(f.begin() + dc, f.begin() + dc + 16, 0);
    f[dc + 2] = 3;
    std::fill(f.begin() + ac, f.begin() + ac + 16, 0);
    f[ac + 4] = 5;
    return f;
}

// The bytes a tag's offset points at, read straight from page 0's directory.
Bytes pointedAt(const Bytes &f, std::uint16_t tag, std::size_t length) {
    const std::uint32_t ifd = readLe32(f.data() + 4);
    const std::uint16_t n = readLe16(f.data() + ifd);
    for (std::uint16_t i = 0; i < n; ++i) {
        const std::uint8_t *e = f.data() + ifd + 2 + 12 * i;
        if (readLe16(e) == tag) {
            const std::uint32_t at = readLe32(e + 8);
            return Bytes(f.begin() + at, f.begin() + at + length);
        }
    }
    return {};
}

} // namespace

TEST(TiffPointers, OldJpegStreamsAndTablesMoveWithTheirPage) {
    const Bytes original = oldJpegFile(true);
    Bytes edited = original;
    ASSERT_EQ(tiffWriteTagString(edited, 0, 270, "moved"), kOk);
    EXPECT_NE(readLe32(edited.data() + 4), readLe32(original.data() + 4)) << "the directory moved";
    for (const auto &[tag, length] :
         {std::pair<std::uint16_t, std::size_t>{273, 10}, {513, 40}, {519, 64}, {520, 19}, {521, 21}}) {
        const Bytes want = pointedAt(original, tag, length);
        ASSERT_EQ(want.size(), length) << tag;
        EXPECT_EQ(pointedAt(edited, tag, length), want) << tag;
    }
    // A stream of unknown length cannot be moved: the edit is refused and the file left as it was.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.tif"));
    const Bytes unknown = oldJpegFile(false);
    ASSERT_EQ(lib::writeFileAtomic(path, unknown), kOk);
    EXPECT_EQ(lib::writetagstring(path, 0, 270, "x"), ErrUnmovable);
    EXPECT_EQ(fileBytes(path), unknown);
    EXPECT_EQ(lib::writetag(path, 0, 513, 0), ErrTag) << "offsets are never written by hand";
}

TEST(TiffPointers, PageWorkOnAnotherFormatSaysItNeedsATiff) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("form.png"));
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::white);
    ASSERT_TRUE(picture.save(path, "PNG"));
    const Bytes before = fileBytes(path);
    EXPECT_EQ(lib::deletepage(path, 0), ErrNotTiff);
    EXPECT_EQ(lib::packtiff(path), ErrNotTiff);
    EXPECT_EQ(lib::writetiffiledibpagereplace(path, kKeepCompression, 0, patternDib(8, 8, 24), 0),
              ErrNotTiff);
    EXPECT_EQ(lib::writetiffiledib(path, TiffLzw, 1, patternDib(8, 8, 24), 0), ErrNotTiff);
    EXPECT_EQ(lib::writetagstring(path, 0, 270, "x"), ErrNotTiff);
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_TRUE(errorText(ErrNotTiff).contains(QStringLiteral("TIFF")));
}
