// File helpers: time arithmetic, the listing text the image list parses, masks and path mapping.
#include "common/GDFileManip.h"
#include "common/LocalPath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace GDFileManip;

namespace {
void touch(const QString &path, const QDateTime &when, const QByteArray &content = "x") {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
}
} // namespace

TEST(FileManip, FileTimesBecomeDayNumbers) {
    EXPECT_DOUBLE_EQ(FileTimeToDateTime(116444736000000000ULL, 0), 25569.0);
    EXPECT_NEAR(FileTimeToDateTime(116444736000000000ULL, -60), 25569.0 + 60.0 / 1440.0, 1e-9);
    const QDateTime t(QDate(2026, 1, 15), QTime(10, 30), Qt::UTC);
    const double local = FileTimeToLocalDateTime(DateTimeToFileTime(t));
    EXPECT_NEAR(local, DateTimeToDays(t.toLocalTime()), 1e-6);
}

TEST(FileManip, ListsEntriesInNameOrderWithColumns) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(ListDirectory(dir.path() + "/*.*", 0, 6), "0\r");

    const QDateTime when(QDate(2024, 2, 3), QTime(3, 4));
    touch(dir.filePath("b.tif"), when, "12345");
    touch(dir.filePath("A.TIF"), when);
    touch(dir.filePath("c.txt"), when);
    QDir(dir.path()).mkdir("sub");

    const QByteArray stamp = when.toString(ListDateFormat() + " hh:mm").toLatin1();
    EXPECT_TRUE(stamp.endsWith(" 03:04"));
    EXPECT_EQ(ListDirectory(dir.path() + "/*.tif", 0, 6),
              "2\rA.TIF\n" + stamp + "\n\rb.tif\n" + stamp + "\n\r");
    EXPECT_EQ(ListDirectory(dir.path() + "/b*", 0, 32 | 64), "1\r5\n32\n\r");
    // Directories only with the directory attribute; files only with filter 0.
    EXPECT_EQ(ListDirectory(dir.path() + "/*.*", faDirectory, 2), "1\rsub\n\r");
    EXPECT_EQ(ListDirectory(dir.path() + "/*.*", 0, 2), "3\rA.TIF\n\rb.tif\n\rc.txt\n\r");
    EXPECT_EQ(ListDirectory(dir.path() + "/*.*", faAnyFile, 2), "4\rA.TIF\n\rb.tif\n\rc.txt\n\rsub\n\r");
    EXPECT_EQ(ListDirectory(dir.path() + "/missing/*.*", 0, 2), "0\r");
}

TEST(FileManip, MasksMatchLikeWindows) {
    EXPECT_TRUE(MatchesMask("12345678~A01.tif", "12345678*.*"));
    EXPECT_TRUE(MatchesMask("README", "*.*"));
    EXPECT_TRUE(MatchesMask("Recover.x.TXC", "recover.*.txc"));
    EXPECT_TRUE(MatchesMask("abc", "abc.*"));
    EXPECT_FALSE(MatchesMask("abd", "abc.*"));
    EXPECT_TRUE(MatchesMask("a1.tif", "a?.tif"));
    EXPECT_FALSE(MatchesMask("a12.tif", "a?.tif"));
}

TEST(FileManip, MaskedPathsAndEscapedNames) {
    EXPECT_EQ(BuildMaskedPath("12345678", "****...."), "1234\\12345678");
    EXPECT_EQ(BuildMaskedPath("12", "****"), "12\\12");
    EXPECT_EQ(BuildMaskedPath("12345678", ""), "\\12345678");
    EXPECT_EQ(EscapeFileName("a\\b/c:d*e?f\"g<h>i|j%"), "a%5Cb%2Fc%3Ad%2Ae%3Ff%22g%3Ch%3Ei%7Cj%");
}

TEST(LocalPath, MapsWindowsPrefixesOnly) {
    LocalPath::SetPathMap({{"\\\\labsrv\\images", "/mnt/images"}, {"I:", "/srv/i/"}});
    EXPECT_EQ(LocalPath::toLocalPath("\\\\LabSrv\\Images\\1234\\x.tif"), "/mnt/images/1234/x.tif");
    EXPECT_EQ(LocalPath::toLocalPath("\\\\labsrv\\images2\\x.tif"), "//labsrv/images2/x.tif");
    EXPECT_EQ(LocalPath::toLocalPath("i:\\a\\b"), "/srv/i/a/b");
    EXPECT_EQ(LocalPath::toLocalPath("/home/u/x.tif"), "/home/u/x.tif");
    EXPECT_EQ(LocalPath::toLocalPath("rel\\x"), "rel/x");
    LocalPath::SetPathMap({});
}
