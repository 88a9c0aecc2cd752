// The DYNAMICRANGE marker: its place on the range picture, the widening at the right edge, the AND
// with the picture, and the error texts of each refusal.
#include "editor/report/DynamicTarget.h"
#include "common/testing/HungFile.h"
#include "editor/report/TReportRecord.h"

#include <QElapsedTimer>

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString whitePicture(const QTemporaryDir &dir, const char *name,
                     QImage::Format format = QImage::Format_RGB32) {
    QImage img(100, 50, QImage::Format_RGB32);
    img.fill(Qt::white);
    const QString path = dir.filePath(name);
    img.convertToFormat(format).save(path);
    return path;
}

// The columns holding any dark pixel.
QPair<int, int> darkColumns(const QImage &img) {
    int first = -1, last = -1;
    for (int x = 0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y)
            if (qGray(img.pixel(x, y)) < 128) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return {first, last};
}

} // namespace

TEST(DynamicTarget, MarkerPlaceAndWidth) {
    QTemporaryDir dir;
    const QString source = whitePicture(dir, "range.png");
    const struct {
        const char *percent;
        int width, firstDark, lastDark;
    } cases[] = {
        {"50", 100, 25, 75}, // centred on the middle, width unchanged
        {"0", 100, 0, 50},   // shifted in, not cut off
        {"100", 125, 75, 124},
    };
    for (const auto &c : cases) {
        tDynamicTarget t;
        const QString out = dir.filePath(QStringLiteral("out%1.png").arg(c.percent));
        ASSERT_EQ(t.AddTarget(source, out, c.percent, QStringLiteral("L")), 0) << c.percent;
        const QImage img(out);
        EXPECT_EQ(img.width(), c.width) << c.percent;
        EXPECT_EQ(img.height(), 50);
        const auto dark = darkColumns(img);
        EXPECT_NEAR(dark.first, c.firstDark, 4) << c.percent;
        EXPECT_NEAR(dark.second, c.lastDark, 4) << c.percent;
        // Beyond the marker the picture is untouched.
        if (c.firstDark > 5) {
            EXPECT_EQ(img.pixel(2, 2), qRgb(255, 255, 255));
        }
    }
}

TEST(DynamicTarget, PaletteSourceIsCombinedByColour) {
    QTemporaryDir dir;
    QImage img(100, 50, QImage::Format_Indexed8);
    img.setColorTable({qRgb(255, 255, 255), qRgb(255, 0, 0)});
    img.fill(1);
    const QString source = dir.filePath("red.bmp");
    ASSERT_TRUE(img.save(source));
    tDynamicTarget t;
    ASSERT_EQ(t.AddTarget(source, dir.filePath("out.png"), "50", QString()), 0);
    const QImage out(dir.filePath("out.png"));
    EXPECT_EQ(out.pixel(2, 2), qRgb(255, 0, 0)); // red AND white stays red
    EXPECT_EQ(out.pixel(50, 1), qRgb(0, 0, 0));  // the cross darkens it
}

TEST(DynamicTarget, Refusals) {
    QTemporaryDir dir;
    const QString source = whitePicture(dir, "range.png");
    const struct {
        QString source, output;
        const char *percent;
        int code;
    } cases[] = {
        {dir.filePath("missing.png"), dir.filePath("a.png"), "5", 1},
        {source, dir.filePath("nofolder/a.png"), "5", 2},
        {source, dir.filePath("b.png"), "abc", 3},
        {source, dir.filePath("c.png"), "1e7", 3},
        {source, dir.filePath("d.png"), "-1", 3},
        {source, dir.filePath("e.png"), "", 3},
    };
    for (const auto &c : cases) {
        tDynamicTarget t;
        EXPECT_EQ(t.AddTarget(c.source, c.output, c.percent, QString()), c.code) << c.percent;
        EXPECT_FALSE(QFile::exists(c.output));
    }
    EXPECT_EQ(tDynamicTarget::ImageError(3), QByteArray("Range out of bounds"));
    EXPECT_EQ(tDynamicTarget::ImageError(0), QByteArray());
}

// A picture far higher than wide costs in proportion to its pixels, not to its height squared; one
// beyond the pixel bound is refused with its own message; a file whose content is not a picture
// it claims to be is not handed to another decoder.
TEST(DynamicTarget, SourceSizeIsBounded) {
    QTemporaryDir dir;
    QImage tall(1, 16000, QImage::Format_RGB32);
    tall.fill(Qt::white);
    ASSERT_TRUE(tall.save(dir.filePath("tall.png")));
    tDynamicTarget t;
    ASSERT_EQ(t.AddTarget(dir.filePath("tall.png"), dir.filePath("tall-out.png"), "100", QStringLiteral("L")),
              0);
    EXPECT_EQ(t.Picture().height(), 16000);
    EXPECT_LE(t.Picture().width(), 2);

    QImage huge(8000, 5001, QImage::Format_Mono);
    huge.fill(1);
    ASSERT_TRUE(huge.save(dir.filePath("huge.png")));
    tDynamicTarget big;
    EXPECT_EQ(big.AddTarget(dir.filePath("huge.png"), dir.filePath("huge-out.png"), "50", QString()),
              tDynamicTarget::SourceTooLarge);
    EXPECT_FALSE(QFile::exists(dir.filePath("huge-out.png")));
    EXPECT_EQ(tDynamicTarget::ImageError(tDynamicTarget::SourceTooLarge),
              QByteArray("Source image is too large"));

    // An SVG named .png: Qt would render it, our readers refuse it.
    QFile svg(dir.filePath("drawing.png"));
    ASSERT_TRUE(svg.open(QIODevice::WriteOnly));
    svg.write("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"50\"/>");
    svg.close();
    EXPECT_EQ(t.AddTarget(svg.fileName(), dir.filePath("svg-out.png"), "50", QString()),
              tDynamicTarget::SourceNotLoaded);
}

// A range picture on a share that does not answer is given up after the wait, as not loaded.
TEST(DynamicTarget, SourceOnAHungShare) {
    QTemporaryDir dir;
    HungFile hung(dir.filePath("range.png"));
    ASSERT_TRUE(hung.made());
    hung.watch(5000);
    tDynamicTarget t;
    t.SourceWaitMs = 200;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(t.AddTarget(dir.filePath("range.png"), dir.filePath("out.png"), "50", QString()),
              tDynamicTarget::SourceNotLoaded);
    EXPECT_LT(clock.elapsed(), 3000);
    hung.finished();
    EXPECT_FALSE(hung.blocked());
}

TEST(DynamicTarget, ReportRecordDrawsUnderItsRoots) {
    QTemporaryDir dir;
    whitePicture(dir, "range.png");
    TReportRecord r;
    r.DynamicRangeRoots = {dir.path()};
    r.Parse("KX_DYNAMICRANGE~" + dir.filePath("range.png").toUtf8() + "," + dir.filePath("out.png").toUtf8() +
            ",L,40^KX_DYNAMICRANGE~" + dir.filePath("range.png").toUtf8() + "," +
            dir.filePath("bad.png").toUtf8() + ",L,abc^KX_DYNAMICRANGE~" + dir.filePath("none.png").toUtf8() +
            "," + dir.filePath("o2.png").toUtf8() + ",L,4^KX_DYNAMICRANGE~/x.png,/etc/out.png,L,4");
    EXPECT_TRUE(QFile::exists(dir.filePath("out.png")));
    EXPECT_EQ(r.DynamicRangeErrors, QByteArray("Range out of bounds\r\nUnable to load source Image\r\n"
                                               "Unable to save Destination image\r\n"));
}
