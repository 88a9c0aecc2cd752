// The viewer's TIFF work: page edits keep the other pages' pixels (and ImageMagick agrees on the
// pages), the annotation file follows the pages, tags round-trip in their own TIFF type, scan
// file names, and scanning against SANE's test backend.
#include "imaging/core/TiffPages.h"
#include "imaging/core/ScanJob.h"
#include "platform/imageio/Annotations.h"
#include "platform/imageio/tests/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orva::imaging;
namespace io = orva::imageio;
using io::test::patternDib;
using io::test::samePixels;

namespace {

Bytes fileBytes(const QString &path) {
    Bytes b;
    io::lib::readWholeFile(path, b);
    return b;
}

DibBlock pageOf(const TTiffSource &s, int page) {
    DibBlock d;
    EXPECT_TRUE(s.IsStream() ? ReadTIFFileDibStream(*s.Stream, 0, 0, page, d)
                             : ReadTIFFileDib(s.File, 0, 0, page, d))
        << page;
    return d;
}

// ImageMagick's count and sizes of the pages, "w x h" each.
QStringList identify(const QString &file) {
    const QByteArray out = io::test::run(QStringLiteral("identify"),
                                         {QStringLiteral("-format"), QStringLiteral("%wx%h\\n"), file});
    return QString::fromLatin1(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

struct Pages : ::testing::Test {
    QTemporaryDir dir;
    QString file;
    std::vector<DibBlock> pages;
    void SetUp() override {
        file = dir.filePath(QStringLiteral("form.tif"));
        for (int i = 0; i < 3; ++i) {
            pages.push_back(patternDib(40 + 10 * i, 30, 1, i));
            ASSERT_TRUE(
                WriteTIFFileDib(file, sFAXCCITT4, i == 0 ? tiffReplace : tiffAppend, pages.back(), 0));
        }
    }
    // One mark on each page, its pen width the page number + 1.
    QString annotate(const void *window) {
        const QString ant = AnnotationFileName(QString(), file);
        io::anno::Mark m;
        m.points = {{1, 1}, {5, 5}};
        for (int p = 0; p < 3; ++p) {
            io::anno::ClearAnnotation(window);
            m.penWidth = p + 1;
            io::anno::Engine(window)->add(m);
            EXPECT_TRUE(AnnoSave(window, p, ant));
        }
        io::anno::ClearAnnotation(window);
        return ant;
    }
    int markWidthOn(const void *window, const QString &ant, int page) {
        EXPECT_TRUE(AnnoLoad(window, page, ant));
        return AnnotationCount(window) ? io::anno::Engine(window)->marks()[0].penWidth : 0;
    }
};

} // namespace

TEST_F(Pages, DeletingMovesTheAnnotationsAndShowsTheRightPage) {
    int window = 0;
    AnnoInit(&window, nullptr);
    const QString ant = annotate(&window);
    const TTiffSource src = TTiffSource::OfFile(file);
    int show = -1, count = -1;
    ASSERT_TRUE(DeleteTiffPage(src, 1, {&window, ant}, show, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(show, 1) << "a middle page: the same index shows the next page";
    EXPECT_TRUE(samePixels(pageOf(src, 0), pages[0]));
    EXPECT_TRUE(samePixels(pageOf(src, 1), pages[2]));
    EXPECT_EQ(markWidthOn(&window, ant, 1), 3) << "the annotations of the page after moved down with it";
    ASSERT_TRUE(DeleteTiffPage(src, 1, {&window, ant}, show, count));
    EXPECT_EQ(show, 0) << "the last page: the new last page shows";
    EXPECT_FALSE(DeleteTiffPage(src, 0, {&window, ant}, show, count));
    EXPECT_EQ(LastErrorCode(), io::ErrOnlyPage);
    EXPECT_EQ(markWidthOn(&window, ant, 0), 1) << "a refused delete leaves the annotations";
    EXPECT_EQ(TiffPageCount(src), 1);
    AnnoDestroy(&window);
    QString why;
    EXPECT_EQ(TiffPageCount(TTiffSource::OfFile(dir.filePath("none.tif")), &why), std::nullopt);
    EXPECT_EQ(why, QStringLiteral("Input filename isn't valid"));
}

TEST_F(Pages, InsertReplaceAndPackKeepTheOtherPagesAndImageMagickAgrees) {
    int window = 0;
    AnnoInit(&window, nullptr);
    const QString ant = annotate(&window);
    const TTiffSource src = TTiffSource::OfFile(file);
    const DibBlock fresh = patternDib(25, 35, 8, 9);
    int count = 0;
    ASSERT_TRUE(SaveTiffPage(src, fresh, tiffInsert, 1, sLZW, 8, {&window, ant}, count));
    EXPECT_EQ(count, 4);
    EXPECT_TRUE(samePixels(pageOf(src, 0), pages[0]));
    EXPECT_TRUE(samePixels(pageOf(src, 1), fresh)) << "order A, new, B, C";
    EXPECT_TRUE(samePixels(pageOf(src, 2), pages[1]));
    EXPECT_EQ(markWidthOn(&window, ant, 1), 0) << "room made in the annotations";
    EXPECT_EQ(markWidthOn(&window, ant, 2), 2);
    ASSERT_TRUE(SaveTiffPage(src, fresh, tiffInsert, 99, sNONE, 8, {&window, ant}, count));
    EXPECT_EQ(count, 5) << "an index beyond the pages appends";

    // Compression 4 writes one bit whatever the picture was.
    const DibBlock colour = patternDib(30, 20, 24, 4);
    ASSERT_TRUE(ReplaceTiffPage(src, 0, colour, sFAXCCITT4, TiffWriteBits(sFAXCCITT4, sColorTrue, 24)));
    TTiffInfo info;
    ASSERT_TRUE(DllGetInfo(file, 0, info));
    EXPECT_EQ(info.bitsPerPixel, 1);
    EXPECT_EQ(info.compression, QStringLiteral("FAXCCITT4"));
    EXPECT_TRUE(samePixels(pageOf(src, 2), pages[1]));

    std::vector<DibBlock> before;
    for (int p = 0; p < count; ++p)
        before.push_back(pageOf(src, p));
    const qint64 size = QFileInfo(file).size();
    ASSERT_TRUE(PackTiffSource(src));
    EXPECT_LE(QFileInfo(file).size(), size);
    for (int p = 0; p < count; ++p)
        EXPECT_TRUE(samePixels(pageOf(src, p), before[p])) << p;
    if (io::test::haveImageMagick()) {
        EXPECT_EQ(identify(file), (QStringList{"30x20", "25x35", "50x30", "60x30", "25x35"}));
    }
    QString why;
    EXPECT_FALSE(ReplaceTiffPage(src, 0, DibBlock(), sNONE, 1, nullptr, &why));
    EXPECT_EQ(why, QStringLiteral("Input image is empty"));
    AnnoDestroy(&window);
}

TEST_F(Pages, ShareWritesKeepTheOriginalsPermissionsAndRefuseAFileChangedMeanwhile) {
    const QFileDevice::Permissions shared = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ReadUser | QFileDevice::WriteUser |
                                            QFileDevice::ReadGroup | QFileDevice::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(file, shared));
    const TTiffSource src = TTiffSource::OfFile(file);
    int show = 0, count = 0;
    ASSERT_TRUE(DeleteTiffPage(src, 0, {}, show, count));
    EXPECT_EQ(QFileInfo(file).permissions(), shared);
    ASSERT_TRUE(PackTiffSource(src));
    EXPECT_EQ(QFileInfo(file).permissions(), shared);
    const QString fresh = dir.filePath(QStringLiteral("new.tif"));
    const mode_t umaskBefore = ::umask(002);
    const bool saved =
        SaveTiffPage(TTiffSource::OfFile(fresh), pages[0], tiffReplace, 0, sNONE, 1, {}, count);
    ::umask(umaskBefore);
    ASSERT_TRUE(saved);
    EXPECT_EQ(QFileInfo(fresh).permissions() & 0x0777, QFileDevice::ReadUser | QFileDevice::WriteUser |
                                                           QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                           QFileDevice::ReadOther)
        << "a new file on the share gets the mode the umask gives, for colleagues to read";

    // Another workstation writes the file while our change is being made: ours is not written.
    const Bytes theirs = fileBytes(fresh);
    struct Meddler {
        QString file;
        bool done = false;
    } meddler{fresh};
    const io::Progress meddle{[](std::int16_t percent, void *data) -> std::int16_t {
                                  auto *m = static_cast<Meddler *>(data);
                                  if (percent >= 90 && !m->done) {
                                      QFile f(m->file);
                                      m->done = f.open(QIODevice::Append) && f.write("x") == 1;
                                  }
                                  return 1;
                              },
                              &meddler};
    EXPECT_EQ(io::lib::writetiffiledibpagereplace(fresh, 4, 0, pages[1], 0, meddle), io::ErrChanged);
    Bytes now = fileBytes(fresh);
    now.pop_back();
    EXPECT_EQ(now, theirs) << "their write stays, ours is dropped";
}

TEST(MemoryPages, TheSameRulesInMemory) {
    Bytes block;
    const TTiffSource src = TTiffSource::OfStream(block);
    QString why;
    EXPECT_EQ(TiffPageCount(src, &why), std::nullopt);
    EXPECT_EQ(why, QStringLiteral("Stream is nil or empty"));
    int count = 0;
    std::vector<DibBlock> pages;
    for (int i = 0; i < 3; ++i) {
        pages.push_back(patternDib(20, 10 + i, 1, i));
        ASSERT_TRUE(SaveTiffPage(src, pages.back(), tiffAppend, 0, sPACKBITS, 1, {}, count));
    }
    EXPECT_EQ(count, 3);
    int show = 0;
    ASSERT_TRUE(DeleteTiffPage(src, 1, {}, show, count));
    EXPECT_EQ(show, 1) << "a middle page deleted in memory shows the same index, as for files";
    EXPECT_TRUE(samePixels(pageOf(src, 1), pages[2]));
    ASSERT_TRUE(SaveTiffPage(src, pages[1], tiffInsert, 1, sNONE, 1, {}, count));
    EXPECT_TRUE(samePixels(pageOf(src, 1), pages[1]));
    ASSERT_TRUE(PackTiffSource(src));
    EXPECT_EQ(TiffPageCount(src), 3);
}

namespace {

// A hand-made one-page TIFF (8 x 1 pixels, 1 bit) carrying tags of every number type.
struct RawEntry {
    std::uint16_t tag, type;
    std::uint32_t count;
    Bytes value;
};

Bytes le(std::initializer_list<std::uint32_t> values, int size) {
    Bytes b;
    for (std::uint32_t v : values)
        for (int i = 0; i < size; ++i)
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return b;
}

Bytes taggedTiff() {
    std::vector<RawEntry> e = {
        {256, 4, 1, le({8}, 4)},
        {257, 4, 1, le({1}, 4)},
        {258, 3, 1, le({1}, 2)},
        {259, 3, 1, le({1}, 2)},
        {262, 3, 1, le({0}, 2)},
        {263, 1, 1, le({1}, 1)},
        {264, 8, 1, le({5}, 2)},
        {269, 2, 9, Bytes{'R', 'e', 'q', 'u', 'e', 's', 't', ' ', 0}},
        {273, 4, 1, le({0}, 4)},
        {274, 3, 1, le({1}, 2)},
        {277, 3, 1, le({1}, 2)},
        {278, 4, 1, le({1}, 4)},
        {279, 4, 1, le({1}, 4)},
        {281, 4, 1, le({255}, 4)},
        {282, 5, 1, le({300, 1}, 4)},
        {283, 5, 1, le({600, 2}, 4)},
        {286, 10, 1, le({static_cast<std::uint32_t>(-7), 1}, 4)},
        {296, 3, 1, le({2}, 2)},
        {297, 3, 2, le({0, 1}, 2)},
        {305, 2, 5, Bytes{'O', 'r', 'v', 'a', 0}},
    };
    const std::size_t ifdSize = 2 + 12 * e.size() + 4;
    Bytes f = {'I', 'I', 42, 0, 8, 0, 0, 0};
    std::size_t data = 8 + ifdSize;
    Bytes tail;
    Bytes ifd = le({static_cast<std::uint32_t>(e.size())}, 2);
    for (auto &x : e) {
        if (x.tag == 273)
            x.value = le({static_cast<std::uint32_t>(data + 64)}, 4);
        Bytes entry = le({x.tag}, 2);
        const Bytes type = le({x.type}, 2), count = le({x.count}, 4);
        entry.insert(entry.end(), type.begin(), type.end());
        entry.insert(entry.end(), count.begin(), count.end());
        if (x.value.size() <= 4) {
            Bytes v = x.value;
            v.resize(4, 0);
            entry.insert(entry.end(), v.begin(), v.end());
        } else {
            const Bytes at = le({static_cast<std::uint32_t>(data + tail.size())}, 4);
            entry.insert(entry.end(), at.begin(), at.end());
            tail.insert(tail.end(), x.value.begin(), x.value.end());
            if (tail.size() & 1)
                tail.push_back(0);
        }
        ifd.insert(ifd.end(), entry.begin(), entry.end());
    }
    ifd.resize(ifd.size() + 4, 0);
    f.insert(f.end(), ifd.begin(), ifd.end());
    f.insert(f.end(), tail.begin(), tail.end());
    f.resize(8 + ifdSize + 64, 0);
    f.push_back(0xA5); // the one strip
    return f;
}

} // namespace

TEST(TagRecords, EveryWritableSingleValuedTagRoundTripsInItsOwnType) {
    Bytes block = taggedTiff();
    const TTiffSource src = TTiffSource::OfStream(block);
    DibBlock pixels;
    ASSERT_TRUE(ReadTIFFileDibStream(block, 0, 0, 0, pixels)) << LastErrorText().toStdString();
    TTiffTagList tags;
    int seen = 0;
    ASSERT_TRUE(ReadTagRecords(src, 0, tags, nullptr,
                               [&](QObject *, std::uint16_t, std::int16_t, std::int32_t, const QByteArray &,
                                   const QString &, bool, std::int16_t, std::uint16_t, std::uint32_t,
                                   bool &) { ++seen; }));
    EXPECT_EQ(seen, tags.size());
    struct Want {
        std::uint16_t tag, type;
        bool writable;
        std::int64_t min, max;
    } wants[] = {
        {256, 4, false, 0, 0},    {263, 1, true, 1, 3},          {269, 2, true, 0, 0},
        {273, 4, false, 0, 0},    {274, 3, true, 1, 8},          {264, 8, true, -32768, 32767},
        {281, 4, true, 0, 65535}, {282, 5, true, 0, 2147483647}, {286, 10, true, -2147483648LL, 2147483647},
        {296, 3, true, 1, 3},     {297, 3, false, 0, 0},         {305, 2, true, 0, 0}};
    for (const Want &w : wants) {
        const auto it =
            std::find_if(tags.begin(), tags.end(), [&](const TTiffTagRecord &r) { return r.Tag == w.tag; });
        ASSERT_NE(it, tags.end()) << w.tag;
        EXPECT_EQ(it->FieldType, w.type) << w.tag;
        EXPECT_EQ(it->ReadOnly, !w.writable) << w.tag;
        if (w.writable && !it->IsText()) {
            EXPECT_EQ(TagMinimum(*it), w.min) << w.tag;
            EXPECT_EQ(TagMaximum(*it), w.max) << w.tag;
        }
    }
    // Change every writable tag: numbers to their maximum, text to something as long.
    std::map<std::uint16_t, std::int32_t> numbers;
    for (TTiffTagRecord &r : tags) {
        if (r.ReadOnly)
            continue;
        r.Modified = true;
        if (r.IsText()) {
            r.Text = QByteArray(r.Length - 1, 'Z');
        } else {
            r.Value = static_cast<std::int32_t>(TagMaximum(r) - 1);
            numbers[r.Tag] = r.Value;
        }
    }
    bool resolution = false;
    ASSERT_TRUE(WriteModifiedTags(src, 0, tags, resolution));
    EXPECT_TRUE(resolution);
    EXPECT_TRUE(std::none_of(tags.begin(), tags.end(), [](const TTiffTagRecord &r) { return r.Modified; }));
    TTiffTagList back;
    ASSERT_TRUE(ReadTagRecords(src, 0, back));
    ASSERT_EQ(back.size(), tags.size());
    for (int i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].FieldType, tags[i].FieldType) << back[i].Tag << ": the type stays";
        EXPECT_EQ(back[i].Count, tags[i].Count) << back[i].Tag;
        if (back[i].ReadOnly)
            continue;
        if (back[i].IsText()) {
            EXPECT_EQ(back[i].Text, tags[i].Text) << back[i].Tag;
        } else {
            EXPECT_EQ(back[i].Value, numbers[back[i].Tag]) << back[i].Tag;
        }
    }
    DibBlock after;
    ASSERT_TRUE(ReadTIFFileDibStream(block, 0, 0, 0, after));
    EXPECT_TRUE(samePixels(after, pixels));

    // Values outside the tag's own type are refused, and nothing of the batch is written.
    const Bytes unchanged = block;
    EXPECT_FALSE(WriteTagsStream(block, 0, {{274, false, 3, {}}, {296, false, 70000, {}}}));
    EXPECT_FALSE(WriteTagsStream(block, 0, {{263, false, 256, {}}}));
    EXPECT_FALSE(WriteTagsStream(block, 0, {{305, false, 1, {}}})) << "a number never replaces text";
    EXPECT_FALSE(WriteTagsStream(block, 0, {{282, true, 0, "72"}})) << "text never replaces a number";
    EXPECT_FALSE(WriteTagsStream(block, 0, {{297, false, 1, {}}})) << "one value never replaces two";
    EXPECT_FALSE(WriteTagsStream(block, 0, {{317, false, 1, {}}})) << "the predictor decides the decoding";
    EXPECT_EQ(block, unchanged);
}

TEST(TagRecords, AGoneFileOrEmptyMemoryImageIsRefusedWithItsReasonNotTakenAsDone) {
    QTemporaryDir dir;
    const TTiffSource gone = TTiffSource::OfFile(dir.filePath("gone.tif"));
    TTiffTagList tags{TTiffTagRecord{}};
    QString why;
    EXPECT_FALSE(ReadTagRecords(gone, 0, tags, nullptr, {}, &why));
    EXPECT_TRUE(tags.isEmpty());
    EXPECT_EQ(why, QStringLiteral("Input filename isn't valid"));

    TTiffTagRecord artist;
    artist.Tag = 315;
    artist.FieldType = 2;
    artist.ReadOnly = false;
    artist.Modified = true;
    TTiffTagList edited{artist};
    bool resolution = true;
    why.clear();
    EXPECT_FALSE(WriteModifiedTags(gone, 0, edited, resolution, &why));
    EXPECT_EQ(why, QStringLiteral("Input filename isn't valid"));
    EXPECT_TRUE(edited[0].Modified) << "the edit is kept for another try";

    Bytes empty;
    why.clear();
    EXPECT_FALSE(PackTiffSource(TTiffSource::OfStream(empty), nullptr, &why));
    EXPECT_EQ(why, QStringLiteral("Stream is nil or empty"));
}

TEST(TagRecords, TheNumberBoxRules) {
    TTiffTagRecord longTag;
    longTag.FieldType = 4;
    TTiffTagRecord shortTag;
    shortTag.FieldType = 3;
    TTiffTagRecord orientation;
    orientation.Tag = 274;
    orientation.FieldType = 3;
    struct Case {
        const char *text;
        const TTiffTagRecord *record;
        std::int32_t value;
        const char *shown;
    } cases[] = {
        {"", &longTag, 0, "0"},
        {"-", &longTag, 0, "0"},
        {"12", &longTag, 12, "12"},
        {"99999999999", &longTag, 2147483647, "2147483647"},
        {"70000", &shortTag, 65535, "65535"},
        {"1.5", &longTag, 0, "1.5"},
        {"9", &orientation, 8, "8"},
        {"0", &orientation, 1, "1"},
        {"+7", &shortTag, 7, "+7"},
    };
    for (const auto &c : cases) {
        const TTagNumberText n = NormalizeTagNumber(QLatin1String(c.text), *c.record);
        EXPECT_EQ(n.Value, c.value) << c.text;
        EXPECT_EQ(n.Text, QLatin1String(c.shown)) << c.text;
    }
    TTiffTagRecord text;
    text.FieldType = 2;
    text.Length = 20;
    EXPECT_TRUE(TagTextAcceptable(QString(19, QLatin1Char('a')), text));
    EXPECT_FALSE(TagTextAcceptable(QString(20, QLatin1Char('a')), text));
    EXPECT_FALSE(TagTextAcceptable(QString::fromUtf8("caf\u00e9"), text)) << "TIFF text is 7-bit";
}

TEST(ScanNames, TheFileNameRule) {
    struct Case {
        const char *name;
        int number;
        TScanSaveOpt option;
        const char *expected;
    } cases[] = {
        {"C:\\FILE.TIF", 0, sSinglePage, "/scans/FILE0000.TIF"},
        {"scan", 3, sSinglePage, "/scans/SCAN0003.TIF"},
        {"a.b.TIF", 3, sSinglePage, "/scans/AB00003.TIF"},
        {"", 12, sSinglePage, "/scans/SCAN0012.TIF"},
        {"form.tif", 5, sMultiPageAppend, "/scans/FORM.TIF"},
        {"/data/Lab Scans/req.tif", 1, sSinglePage, "/data/Lab Scans/REQ00001.TIF"},
        {"x", 1, sMultiPageOverWrite, "/scans/X.TIF"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ScanFileNameFor(QLatin1String(c.name), c.number, c.option, QStringLiteral("/scans")),
                  QLatin1String(c.expected))
            << c.name;
    EXPECT_EQ((ScanPixelsFor(t_TW_BW, 8).Bits), 1);
    const struct {
        TTwainColorres mode;
        int bits, code;
    } pixels[] = {{t_TW_BW, 1, 1},   {t_TW_GRAY, 8, 2},    {t_TW_GRAY4, 4, 3},
                  {t_TW_RGB, 24, 4}, {t_TW_PALETTE, 8, 8}, {t_TW_ANYTYPE, 5, 0}};
    for (const auto &p : pixels) {
        EXPECT_EQ(ScanPixelsFor(p.mode, 5).Bits, p.bits) << p.mode;
        EXPECT_EQ(ScanPixelsFor(p.mode, 5).PixelType, p.code) << p.mode;
    }
}

namespace {

struct Scanning : ::testing::Test {
    QTemporaryDir conf;
    QTemporaryDir scans;
    TScanSettings settings;
    void SetUp() override {
        if (!io::test::useSaneTestBackend(conf))
            GTEST_SKIP() << "SANE test backend not installed";
        SetScanDirectory(scans.path());
        settings.ScanShowUI = false;
        settings.ScanUseAdf = false;
        settings.ScanDpi = 60;
        settings.sScanWidth = 1;
        settings.sScanHeight = 0.5;
        settings.ScanFileName = QStringLiteral("FILE.TIF");
    }
    void TearDown() override { SetScanDirectory({}); }
    QString scanned(const QString &name) const { return scans.filePath(name); }
};

} // namespace

TEST_F(Scanning, PagesHaveTheRequestedResolutionAndMode) {
    const struct {
        TTwainColorres mode;
        int dpi, bits;
    } cases[] = {{t_TW_BW, 60, 1}, {t_TW_GRAY, 150, 8}, {t_TW_RGB, 30, 24}};
    for (const auto &c : cases) {
        settings.ScanColorres = c.mode;
        settings.ScanDpi = c.dpi;
        settings.TifSaveCompress = c.bits == 1 ? sFAXCCITT4 : sLZW;
        TScanJob job;
        ASSERT_TRUE(job.Scan(settings, 1)) << job.Message().toStdString();
        ASSERT_EQ(job.Files().size(), 1);
        TTiffInfo info;
        ASSERT_TRUE(DllGetInfo(job.Files()[0], 0, info));
        EXPECT_EQ(info.bitsPerPixel, c.bits) << c.mode;
        EXPECT_NEAR(info.width, c.dpi, c.dpi / 20 + 2) << "one inch";
        TTagRead x;
        ASSERT_TRUE(ReadTag(job.Files()[0], 0, 282, x));
        EXPECT_EQ(x.value, c.dpi);
        settings.ScanSaveNumber = job.ScanSaveNumber();
    }
}

TEST_F(Scanning, SinglePagesAreNumberedAndNeverOverwriteEarlierScans) {
    settings.ScanUseAdf = true;
    TScanJob job;
    ASSERT_TRUE(job.Scan(settings, 3)) << job.Message().toStdString();
    EXPECT_EQ(job.Files(),
              (QStringList{scanned("FILE0001.TIF"), scanned("FILE0002.TIF"), scanned("FILE0003.TIF")}));
    EXPECT_EQ(job.ScanSaveNumber(), 3);
    QFile keep(scanned("FILE0002.TIF"));
    const qint64 size = keep.size();
    settings.ScanSaveNumber = 0; // the number started again, as after a restart
    ASSERT_TRUE(job.Scan(settings, 2));
    EXPECT_EQ(job.Files(), (QStringList{scanned("FILE0004.TIF"), scanned("FILE0005.TIF")}));
    EXPECT_EQ(keep.size(), size);
    settings.ScanSaveNumber = kMaxScanNumber;
    EXPECT_FALSE(job.Scan(settings, 1));
    EXPECT_TRUE(job.Message().contains(QStringLiteral("9900"))) << job.Message().toStdString();
}

// Two workstations scanning into one folder: the other one takes a number (exclusively, as a careful
// writer does) after this scan chose it and before the page is written. Neither page replaces
// the other.
TEST_F(Scanning, ANumberTakenMeanwhileIsNotReplaced) {
    settings.ScanShowBetweenScan = true;
    QStringList othersPages;
    TScanJob job;
    job.OnShowDibBetweenScan = [&](DibBlock &, const QString &file) {
        // The other workstation, taking the first number that is free for it.
        for (int n = 1; n < 10; ++n) {
            const QString name = scanned(QStringLiteral("FILE%1.TIF").arg(n, 4, 10, QLatin1Char('0')));
            const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            if (fd < 0)
                continue;
            EXPECT_EQ(::write(fd, "other page", 10), 10);
            ::close(fd);
            othersPages << name;
            break;
        }
        EXPECT_TRUE(file.endsWith(QStringLiteral("FILE0001.TIF"))) << file.toStdString();
    };
    ASSERT_TRUE(job.Scan(settings, 1)) << job.Message().toStdString();
    EXPECT_EQ(job.Files(), QStringList{scanned("FILE0001.TIF")});
    EXPECT_EQ(othersPages, QStringList{scanned("FILE0002.TIF")});
    QFile other(scanned("FILE0002.TIF"));
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    EXPECT_EQ(other.readAll(), "other page");
    TTiffInfo info;
    EXPECT_TRUE(DllGetInfo(scanned("FILE0001.TIF"), 0, info)) << "this scan's page is whole";

    // A page the viewer drops, or a cancelled scan, leaves no empty file behind.
    job.OnShowDibBetweenScan = [&](DibBlock &page, const QString &) { page = DibBlock(); };
    ASSERT_TRUE(job.Scan(settings, 1)) << job.Message().toStdString();
    EXPECT_EQ(QDir(scans.path()).entryList(QDir::Files), (QStringList{"FILE0001.TIF", "FILE0002.TIF"}));
}

// The scan folder is shared by the workstations of a bench: one this scan has to make takes the
// mode the share's umask gives, as its pages do, so that colleagues can open the forms.
TEST_F(Scanning, AFolderMadeForScansIsSharedAsTheShareIs) {
    ::chmod(QFile::encodeName(scans.path()).constData(), 0775);
    SetScanDirectory(scans.filePath(QStringLiteral("ward")));
    settings.ScanUseAdf = true;
    const mode_t umaskBefore = ::umask(002);
    TScanJob job;
    const bool scannedOk = job.Scan(settings, 1);
    ::umask(umaskBefore);
    ASSERT_TRUE(scannedOk) << job.Message().toStdString();
    ASSERT_EQ(job.Files().size(), 1);
    struct stat folder {};
    struct stat page {};
    ASSERT_EQ(::stat(QFile::encodeName(scans.filePath(QStringLiteral("ward"))).constData(), &folder), 0);
    ASSERT_EQ(::stat(QFile::encodeName(job.Files()[0]).constData(), &page), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0775u);
    EXPECT_EQ(page.st_mode & 0777, 0664u);
}

TEST_F(Scanning, TheFeederStopsCleanlyAfterItsLastPage) {
    settings.ScanUseAdf = true;
    settings.ScanSaveOpt = sMultiPageOverWrite;
    int finished = 0;
    TScanJob job;
    job.OnFinishedLoadSave = [&](const QString &, int index) { EXPECT_EQ(index, finished++); };
    ASSERT_TRUE(job.Scan(settings, 12)) << job.Message().toStdString();
    EXPECT_EQ(finished, 10) << "the test backend's feeder holds ten sheets";
    TTiffInfo info;
    ASSERT_TRUE(DllGetInfo(scanned("FILE.TIF"), 0, info));
    EXPECT_EQ(info.pages, 10);
    settings.ScanSaveOpt = sMultiPageAppend;
    job.OnFinishedLoadSave = {};
    ASSERT_TRUE(job.Scan(settings, 2));
    ASSERT_TRUE(DllGetInfo(scanned("FILE.TIF"), 0, info));
    EXPECT_EQ(info.pages, 12) << "appended to the earlier scan";
}

TEST_F(Scanning, CancelReplaceRefuseAndAnOwnerGoneMidScan) {
    settings.ScanUseAdf = true;
    auto job = std::make_unique<TScanJob>();
    job->OnFinishedLoadSave = [&](const QString &, int) { job->Cancel(); };
    EXPECT_FALSE(job->Scan(settings, 5));
    EXPECT_EQ(job->Files().size(), 1);
    EXPECT_EQ(job->Message(), io::errorText(io::ErrStopped));

    // The viewer puts its own page in place of the scanned one.
    const DibBlock mine = patternDib(16, 8, 1, 3);
    job->OnFinishedLoadSave = {};
    job->OnShowDibBetweenScan = [&](DibBlock &page, const QString &file) {
        EXPECT_TRUE(file.endsWith(QStringLiteral(".TIF")));
        page = orva::imaging::DllCopyDib(mine);
    };
    settings.ScanShowBetweenScan = true;
    settings.ScanUseAdf = false;
    ASSERT_TRUE(job->Scan(settings, 1));
    DibBlock written;
    ASSERT_TRUE(ReadTIFFileDib(job->Files()[0], 0, 0, 0, written));
    EXPECT_TRUE(samePixels(written, mine));

    bool optionsShown = false;
    settings.ScanShowUI = true;
    job->ShowOptions = [&](TScanSettings &) { return !(optionsShown = true); };
    EXPECT_FALSE(job->Scan(settings, 1));
    EXPECT_TRUE(optionsShown);
    EXPECT_TRUE(job->Files().isEmpty());

    SetScanDirectory({});
    EXPECT_FALSE(job->Scan(settings, 1));
    EXPECT_TRUE(job->Message().contains(QStringLiteral("scandirectory")));
    SetScanDirectory(scans.path());

    // The owner goes away while the scan runs: the scan stops and nothing more is called.
    settings.ScanShowUI = false;
    settings.ScanShowBetweenScan = false;
    settings.ScanUseAdf = true;
    int after = 0;
    job->OnFinishedLoadSave = [&](const QString &, int) {
        ++after;
        job.reset();
    };
    TScanJob *raw = job.get();
    EXPECT_FALSE(raw->Scan(settings, 4));
    EXPECT_EQ(after, 1);
}
