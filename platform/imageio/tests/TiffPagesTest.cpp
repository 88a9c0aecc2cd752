// TIFF round trips at every depth and compression, page edits that keep the other pages intact,
// atomic replacement of the file, memory TIFFs, and tags typed by their TIFF field type.
#include "platform/imageio/ImageIoLibrary.h"
#include "platform/imageio/tests/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
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
