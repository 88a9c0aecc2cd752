// Image list over generated shares: membership, order, sources, records and refused numbers.
#include "imaging/imagelist/ImageList.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

using namespace ImageList;

namespace {
void touch(const QString &path, const QDateTime &when = {}) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write("x");
    f.flush();
    if (when.isValid()) {
        f.setFileTime(when, QFileDevice::FileModificationTime);
    }
}

QStringList names(const TImageList &list) {
    QStringList out;
    for (const TImageListEntry &e : list) {
        out.append(e.Text);
    }
    return out;
}

TImageListSettings settingsFor(const QStringList &sources, const QByteArray &mask = "****....") {
    TImageListSettings s;
    s.ImageSources = sources;
    s.SubDirectoryMask = mask;
    s.NoImageName = QStringLiteral("noimage.png");
    return s;
}
} // namespace

TEST(ImageList, GeneratedShareListsExactlyEachRequestsFilesInNameOrder) {
    QTemporaryDir share;
    const QString root = share.path() + QLatin1Char('/');
    // 2000 requests of 8 digits, each with forms in mixed case; every tenth also has a 7-digit
    // request that is its prefix, in the same folder.
    const QStringList forms = {"~B02.TIF", "~a01.tif", "_2~A01.tif", ".jpg", "~C01.png"};
    for (int i = 0; i < 2000; ++i) {
        const QString r = QString::number(20000000 + i * 7);
        for (const QString &f : forms) {
            touch(root + r.left(4) + QLatin1Char('/') + r + f);
        }
        if (i % 10 == 0) {
            touch(root + r.left(4) + QLatin1Char('/') + r.left(7) + QStringLiteral("~A01.tif"));
            touch(root + r.left(4) + QLatin1Char('/') + r + QStringLiteral("9~A01.tif"));
            touch(root + r.left(4) + QLatin1Char('/') + r + QStringLiteral("X.tif"));
        }
    }
    const TImageListSettings s = settingsFor({root});
    for (int i = 0; i < 2000; i += 37) {
        const QByteArray r = QByteArray::number(20000000 + i * 7);
        TImageList list;
        QString used;
        BuildImageList(list, r, used, s);
        const QString q = QString::fromLatin1(r);
        EXPECT_EQ(names(list),
                  QStringList({q + ".jpg", q + "_2~A01.tif", q + "~a01.tif", q + "~B02.TIF", q + "~C01.png"}))
            << r.constData();
        EXPECT_EQ(used, root);
        if (i % 10 == 0) {
            TImageList shortList;
            BuildImageList(shortList, r.left(7), used, s);
            EXPECT_EQ(names(shortList), QStringList({q.left(7) + "~A01.tif"}));
        }
    }
}

TEST(ImageList, SourcesRecordsAndOddNames) {
    QTemporaryDir tmp;
    const QString s1 = tmp.path() + "/s1/", s2 = tmp.path() + "/s2/", s3 = tmp.path() + "/missing/";
    const QDateTime t1(QDate(2024, 3, 1), QTime(8, 15)), t2(QDate(2024, 3, 2), QTime(9, 45));
    touch(s2 + "1234/12345678~A01.tif", t1);
    touch(s2 + "1234/12345678", t1);
    touch(s2 + "1234/x~Ay~z.tif", t1);
    touch(s2 + "1234/12345678~Z99.png", t2);
    touch(s2 + "1234/12345678~Z99.ant", t2); // annotations of a picture are not listed
    QDir().mkpath(s2 + "1234/12345678.old");
    touch(s1 + "1234/99990000.tif");

    TImageList list;
    QString used;
    BuildImageList(list, "12345678", used, settingsFor({s3, s1, s2}));
    ASSERT_EQ(names(list), QStringList({"12345678", "12345678~A01.tif", "12345678~Z99.png"}));
    EXPECT_EQ(used, s2);
    const TImageListRecord &bare = *list[0].Record;
    EXPECT_EQ(bare.Extension, "");
    EXPECT_EQ(bare.BaseName, bare.FileName);
    const TImageListRecord &a = *list[1].Record;
    EXPECT_EQ(a.NamePart, "12345678");
    EXPECT_EQ(a.DocType, "A");
    EXPECT_EQ(a.Scanner, "01");
    EXPECT_EQ(a.Extension, "tif");
    EXPECT_EQ(a.Path, s2 + "1234\\");
    EXPECT_EQ(a.Created, ListTimeText(t1));
    EXPECT_EQ(a.ScannedText(), "N/A");
    EXPECT_EQ(a.Created, ListTimeText(t1)) << "reading the scan text must not change the time";
    EXPECT_EQ(list[2].Record->Created, ListTimeText(t2)) << "the last entry keeps its own time";
    EXPECT_TRUE(QFile::exists(a.FullName().replace('\\', '/')));

    const TImageListRecord two = TImageListRecord::FromFileName("x~Ay~z.tif");
    EXPECT_EQ(two.NamePart, "x");
    EXPECT_EQ(two.DocType, "A");
    EXPECT_EQ(two.Scanner, "y~z");
    const TImageListRecord tildeLast = TImageListRecord::FromFileName("123~.tif");
    EXPECT_EQ(tildeLast.DocType, "");
    EXPECT_EQ(tildeLast.Scanner, "");

    // Files in both sources: the first wins.
    touch(s1 + "1234/12345678~B01.tif");
    BuildImageList(list, "12345678", used, settingsFor({s1, s2}));
    EXPECT_EQ(names(list), QStringList({"12345678~B01.tif"}));
    EXPECT_EQ(used, s1);

    // Mask "****": the record's folder is the masked directory.
    EXPECT_EQ(RequestFolder(s1, "12345678", "****"), s1 + "1234\\");
    // None found: the placeholder alone, source 0.
    BuildImageList(list, "55555555", used, settingsFor({s1, s2}));
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].Text, s1 + "noimage.png");
    EXPECT_EQ(list[0].Record, nullptr);
    EXPECT_EQ(used, s1);
}

TEST(ImageList, RefusedRequestNumbersListNothingAndSayWhy) {
    QTemporaryDir tmp;
    const QString src = tmp.path() + "/";
    touch(src + "top.tif");
    touch(src + "1234/12345678~A01.tif");
    touch(tmp.path() + "/../outside.tif");
    const struct {
        QByteArray request;
        const char *why;
    } cases[] = {
        {"", "empty"},
        {"1234*", "wildcard"},
        {"1234567?", "wildcard"},
        {"[1]234", "wildcard"},
        {"..", "dot"},
        {"../1234", "dot"},
        {"12/34", "separator"},
        {"12\\34", "separator"},
        {"C:12", "separator"},
        {"1234 567", "0x20"},
        {QByteArray("12\0", 3), "0x00"},
        {QByteArray(33, '1'), "longer"},
    };
    for (const auto &c : cases) {
        const QString why = RequestNumberProblem(c.request);
        EXPECT_TRUE(why.contains(QLatin1String(c.why)))
            << c.request.toStdString() << " " << why.toStdString();
        TImageList list;
        QString used;
        BuildImageList(list, c.request, used, settingsFor({src}));
        ASSERT_EQ(list.size(), 1);
        EXPECT_EQ(list[0].Record, nullptr) << c.request.toStdString();
    }
    EXPECT_TRUE(IsValidRequestNumber("AB-12345678"));
    EXPECT_EQ(SplitRequestNumbers(",12345678,, abc*, 87654321 ,.."),
              QList<QByteArray>({"12345678", "87654321"}));
}

TEST(ImageList, MembershipRule) {
    const struct {
        const char *name;
        const char *request;
        bool belongs;
    } cases[] = {
        {"12345678~A01.tif", "12345678", true},   {"12345678.tif", "12345678", true},
        {"12345678_2~A01.tif", "12345678", true}, {"12345678", "12345678", true},
        {"12345678~A01.tif", "1234567", false},   {"123456789.tif", "12345678", false},
        {"12345678A.tif", "12345678", false},     {"ab12.tif", "AB12", true},
        {"1234567", "12345678", false},           {"x12345678.tif", "12345678", false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(BelongsToRequest(QString::fromLatin1(c.name), c.request), c.belongs) << c.name;
    }
}

TEST(ImageList, BoundedListingOfAMissingFolderIsEmpty) {
    int leftOut = -1;
    EXPECT_TRUE(ListRequestFilesBounded("/nonexistent/orva/share", "1", 2000, &leftOut).isEmpty());
    EXPECT_EQ(leftOut, 0);
}
