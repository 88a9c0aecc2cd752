// Request images of the main window: capture sets, entries, the shown file and the counter.
#include "imaging/imagelist/RequestImages.h"
#include "common/testing/HungFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

using namespace RequestImages;

namespace {
TScreenRows screenOf(const QList<QByteArray> &rows) {
    return {static_cast<int>(rows.size()),
            [rows](int row) { return rows.value(row - 1).leftJustified(80, ' '); }};
}
} // namespace

TEST(RequestImages, CaptureSets) {
    const QList<TCaptureSet> set = {{2, 1, 18, "REQUEST:"}};
    const struct {
        QList<TCaptureSet> sets;
        QByteArray row2;
        std::optional<QByteArray> expected;
    } cases[] = {
        {set, "REQUEST:12345 ABC", QByteArray("12345")},
        {set, "XX REQUEST:", QByteArray("")},
        {set, "REQUEST: 12345678", QByteArray("12345678")},
        {set, "NOTHING HERE", std::nullopt},
        {set, "           REQUEST:1", std::nullopt}, // the marker lies beyond the piece
        {{{99, 1, 18, "REQUEST:"}, {2, 5, 200, "REQ"}}, "    REQ 42 X", QByteArray("42")},
        {{{2, -5, -1, "R"}, {2, 500, 10, "R"}, {0, 1, 10, "R"}}, "R1", std::nullopt},
        {{{2, 1, 10, "A:"}, {2, 1, 10, "B:"}}, "B:7 A:9", QByteArray("9")},
    };
    for (const auto &c : cases) {
        const auto got = CaptureRequestNumber(c.sets, screenOf({"top", c.row2}));
        EXPECT_EQ(got, c.expected) << c.row2.constData();
    }
}

TEST(RequestImages, EntriesAndShownFile) {
    QTemporaryDir tmp;
    const QString s1 = tmp.path() + "/s1/", s2 = tmp.path() + "/s2/";
    QDir().mkpath(s1);
    QDir().mkpath(s2 + "1234");
    for (const char *n : {"12345678~b01.tif", "12345678~A01.tif", "12345678~C01.jpg"}) {
        QFile f(s2 + "1234/" + n);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ImageList::TImageListSettings s;
    s.ImageSources = {s1, s2};
    s.SubDirectoryMask = "****....";
    s.NoImageName = "noimage.png";
    QString current;
    const QStringList entries = RequestEntries("12345678", s, current);
    ASSERT_EQ(entries.size(), 3);
    EXPECT_TRUE(entries[0].startsWith("12345678~A01.tif\n"));
    EXPECT_TRUE(entries[1].startsWith("12345678~b01.tif\n"));
    EXPECT_FALSE(entries[2].endsWith('\n'));
    EXPECT_EQ(current, s2);
    EXPECT_EQ(RequestEntries("87654321", s, current), QStringList({"noimage.png"}));
    EXPECT_EQ(current, s1);

    TShowSettings show{s2, s1, "****....", "noimage.png", "secure.png"};
    const auto probeAs = [](FileAccess a) { return [a](const QString &) { return a; }; };
    const struct {
        QString entry;
        FileAccess access;
        QString path;
        QString date;
    } cases[] = {
        {"12345678~A01.tif\n01/02/2024 10:11\n", FileAccess::Readable, s2 + "1234\\12345678~A01.tif",
         "01/02/2024 10:11"},
        {"12345678~A01.tif\n01/02/2024 10:11", FileAccess::Denied, s1 + "secure.png", "01/02/2024 10:11"},
        {"12345678~A01.tif", FileAccess::Missing, s2 + "1234\\12345678~A01.tif", ""},
        {"noimage.png", FileAccess::Missing, s1 + "noimage.png", ""},
        {"/x/y/z.tif", FileAccess::Denied, s1 + "secure.png", ""},
        {"/x/y/z.tif", FileAccess::Readable, "/x/y/z.tif", ""},
    };
    for (const auto &c : cases) {
        const TShownImage got = ChooseImage(c.entry, show, probeAs(c.access));
        EXPECT_EQ(got.Path, c.path) << c.entry.toStdString();
        EXPECT_EQ(got.DateText, c.date) << c.entry.toStdString();
    }
    show.SecureImageName.clear();
    EXPECT_EQ(ChooseImage("a.tif", show, probeAs(FileAccess::Denied)).Path, s2 + "a.ti\\a.tif");
    EXPECT_EQ(ProbeFile(s2 + "1234\\12345678~A01.tif"), FileAccess::Readable);
    EXPECT_EQ(ProbeFile(s2 + "1234\\gone.tif"), FileAccess::Missing);
}

// A file on a share that does not answer (a FIFO stands in for it) is missing after the bound,
// rather than holding the window until the share comes back.
TEST(RequestImages, ProbeOfAHungFileIsBounded) {
    QTemporaryDir dir;
    HungFile hung(dir.filePath("12345678~A01.tif"));
    ASSERT_TRUE(hung.made());
    hung.watch(5000);
    const FileAccess access = ProbeFileBounded(dir.filePath("12345678~A01.tif"), 200);
    hung.finished();
    EXPECT_FALSE(hung.blocked()) << "the probe waited on the hung file";
    EXPECT_EQ(access, FileAccess::Missing);
}

TEST(RequestImages, CounterText) {
    EXPECT_EQ(ViewCounterText(1, 3, "d"), "2/3   d");
    EXPECT_EQ(ViewCounterText(0, 1, "d"), "d");
    EXPECT_EQ(ViewCounterText(0, 0, ""), "");
}
