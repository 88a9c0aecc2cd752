// The document viewer rendered offscreen: TIFF pages of every compression, files without resolution,
// scale and gray copy, zoom, rotation and invert by their pixels, pages and tags, mouse modes,
// clipboard, print to PDF (checked with pdftoppm), effects hand-over and the annotation engine.
#include "imaging/docview/VisDocumentImage.h"
#include "common/FileWait.h"
#include "common/testing/DeadShareWatch.h"
#include "common/testing/HungFile.h"
#include "common/testing/RecordingMessages.h"
#include "effects/dialog/TEffectForm.h"
#include "imaging/docforms/DocumentDialogBox.h"
#include "imaging/docview/tests/TiffFixtures.h"
#include "platform/imageio/Annotations.h"
#include "platform/imageio/DibConvert.h"
#include "platform/imageio/tests/TestSupport.h"

#include <QFileInfo>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QMap>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstring>

using namespace orva::imaging;
using namespace orva::imaging::test;

namespace {

QColor shown(VisDocumentImage &v, int x, int y) {
    return v.viewport()->grab().toImage().pixelColor(x, y);
}

int gray(const QColor &c) {
    return qGray(c.rgb());
}

void mouse(QWidget *w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

QByteArray dibBytes(const VisDocumentImage &v) {
    const orva::imageio::DibBlock *d = v.Image().Dib();
    return QByteArray(reinterpret_cast<const char *>(d->data()), static_cast<qsizetype>(d->size()));
}

} // namespace

class VisDocumentImageTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString tiff(const QString &name, const std::vector<TiffPage> &pages) {
        const QString file = m_dir.filePath(name);
        if (!writeTiff(file, pages)) {
            return {};
        }
        return file;
    }

private slots:
    void initTestCase() {
        // The effects dialog and the annotation tools keep their settings here, not in the user's.
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    }

    void everyCompressionDisplays() {
        const QRect square(20, 10, 30, 30);
        const struct {
            const char *name;
            TiffPage page;
            bool colour;
        } cases[] = {
            {"g4.tif", {formPage(200, 100, square), COMPRESSION_CCITTFAX4}, false},
            {"packbits.tif", {formPage(200, 100, square), COMPRESSION_PACKBITS}, false},
            {"lzw.tif", {colourPage(200, 100, 40), COMPRESSION_LZW}, true},
            {"jpeg.tif", {colourPage(200, 100, 40), COMPRESSION_JPEG}, true},
        };
        for (const auto &c : cases) {
            const QString file = tiff(c.name, {c.page});
            QVERIFY2(!file.isEmpty(), c.name);
            for (int bits : {0, 24}) {
                VisDocumentImage v;
                v.resize(300, 200);
                v.LoadTiffPage(file, 0, bits, 100, S_Gray_Anti_256);
                QVERIFY2(v.HasImage(), c.name);
                QCOMPARE(QSize(v.ImageWidth(), v.ImageHeight()), QSize(200, 100));
                QCOMPARE(v.TiffPageCount(), 1);
                if (c.colour) {
                    QVERIFY2(shown(v, 10, 10).green() > 200 && shown(v, 10, 10).red() < 60, c.name);
                    QVERIFY2(shown(v, 60, 60).red() > 200 && shown(v, 60, 60).blue() < 60, c.name);
                    QVERIFY2(shown(v, 150, 60).blue() > 200 && shown(v, 150, 60).red() < 60, c.name);
                } else {
                    QCOMPARE(gray(shown(v, 30, 20)), 0);
                    QCOMPARE(gray(shown(v, 100, 50)), 255);
                }
                QCOMPARE(gray(shown(v, 250, 150)), 255); // beyond the page: the control's white
            }
        }
    }

    void filesWithoutResolutionOpenUnchanged() {
        const QString none =
            tiff("nores.tif", {{formPage(120, 80, {0, 0, 10, 10}), COMPRESSION_NONE, {}, {}}});
        const QString xOnly =
            tiff("xonly.tif", {{formPage(120, 80, {0, 0, 10, 10}), COMPRESSION_NONE, 204, {}}});
        for (const QString &file : {none, xOnly}) {
            VisDocumentImage v;
            v.LoadTiff(file, 0, 0);
            QVERIFY(v.HasImage());
            QCOMPARE(QSize(v.ImageWidth(), v.ImageHeight()), QSize(120, 80));
            v.CorrectAspect(true); // forced: a missing resolution still counts as square
            QCOMPARE(QSize(v.ImageWidth(), v.ImageHeight()), QSize(120, 80));
        }
    }

    void faxResolutionBecomesSquare() {
        const QString file =
            tiff("fax.tif", {{formPage(1728, 1100, {0, 0, 100, 100}), COMPRESSION_CCITTFAX3, 204, 98}});
        VisDocumentImage v;
        v.LoadTiff(file, 0, 0);
        QCOMPARE(QSize(v.ImageWidth(), v.ImageHeight()), QSize(1728, 2290));
        QCOMPARE(v.ImageBitCount(), 1);
        QCOMPARE(v.XResolution(), 204);
        QCOMPARE(v.YResolution(), 204);
        // The header no longer claims 204 x 98, so a second correction leaves the page alone.
        v.CorrectAspect(true);
        QCOMPARE(QSize(v.ImageWidth(), v.ImageHeight()), QSize(1728, 2290));
        v.SetYResolution(100);
        QCOMPARE(v.YResolution(), 100);
        QCOMPARE(v.Image().Dib()->yPelsPerMeter(), 3937);
    }

    void scalePercentAndNotifications() {
        VisDocumentImage v;
        v.LoadTiff(tiff("s.tif", {{formPage(100, 100, {0, 0, 10, 10})}}), 0, 0);
        QSignalSpy spy(&v, &VisDocumentImage::stateChanged);
        v.SetScalePercent(0);
        QCOMPARE(v.ScalePercent(), 1.0);
        const int afterFirst = spy.count();
        QVERIFY(afterFirst > 0);
        v.SetScalePercent(-5);
        v.SetScalePercent(1);
        QCOMPARE(spy.count(), afterFirst); // the same value again changes nothing
        v.SetScalePercent(50);
        QCOMPARE(v.DisplayedSize(), QSize(50, 50));
        QCOMPARE(spy.last().at(0).value<QObject *>(), &v);
    }

    void grayCopyOnlyForBilevelPages() {
        VisDocumentImage v;
        v.resize(300, 300);
        v.LoadTiffPage(tiff("g.tif", {{formPage(200, 100, {20, 20, 40, 40}), COMPRESSION_CCITTFAX4}}), 0, 0,
                       50, S_Gray_Anti_256);
        QVERIFY(v.GrayCopyShown());
        QCOMPARE(QSize(v.GrayCopy().Width(), v.GrayCopy().Height()), QSize(100, 50));
        QVERIFY(gray(shown(v, 20, 20)) < 64);
        QCOMPARE(gray(shown(v, 80, 40)), 255);
        // Switched off: the page itself is reduced for the screen, with the same picture.
        v.SetScaleDoc(S_Gray_None);
        QVERIFY(!v.GrayCopyShown());
        QVERIFY(gray(shown(v, 20, 20)) < 64);
        QCOMPARE(gray(shown(v, 80, 40)), 255);
        // A 24-bit page is shown without a gray copy whatever the mode.
        VisDocumentImage c;
        c.LoadTiffPage(tiff("c.tif", {{colourPage(200, 100, 40), COMPRESSION_LZW}}), 0, 0, 50,
                       S_Gray_Anti_256);
        QCOMPARE(c.ImageBitCount(), 24);
        QVERIFY(!c.GrayCopyShown());
        // Zooming far in never makes a gray copy larger than the page.
        v.SetScaleDoc(S_Gray_Anti_16);
        v.SetScalePercent(999);
        QCOMPARE(QSize(v.GrayCopy().Width(), v.GrayCopy().Height()), QSize(200, 100));
        QCOMPARE(v.DisplayedSize(), QSize(1998, 999));
        QVERIFY(gray(shown(v, 250, 250)) < 64); // page pixel (25, 25) is in the square
    }

    void thinLinesSurviveReduction() {
        QImage page = formPage(400, 400, {0, 0, 0, 0});
        for (int x = 0; x < 400; ++x) {
            page.setPixel(x, 200, 0); // a one-pixel rule across the page
        }
        VisDocumentImage v;
        v.resize(300, 300);
        v.LoadTiffPage(tiff("rule.tif", {{page, COMPRESSION_CCITTFAX4}}), 0, 0, 25, S_Gray_None);
        QVERIFY(gray(shown(v, 20, 50)) < 255); // averaged to gray, not dropped
        v.SetBlitMode(sDark);
        QCOMPARE(gray(shown(v, 20, 50)), 0); // black on white: dark lines win
        v.SetBlitMode(sLightest);
        QCOMPARE(gray(shown(v, 20, 50)), 255);
    }

    void zoomLevelsShowTheRightPixels() {
        VisDocumentImage v;
        v.resize(300, 200);
        v.show();
        v.LoadTiffPage(tiff("z.tif", {{colourPage(100, 50, 10), COMPRESSION_LZW}}), 0, 0, 200, S_Gray_None);
        QCOMPARE(v.DisplayedSize(), QSize(200, 100));
        QCOMPARE(shown(v, 19, 19), QColor(Qt::green));
        QCOMPARE(shown(v, 21, 21), QColor(Qt::red));
        QCOMPARE(shown(v, 101, 50), QColor(Qt::blue));
        v.SetScalePercent(800);
        QCOMPARE(shown(v, 79, 79), QColor(Qt::green));
        QCOMPARE(shown(v, 81, 81), QColor(Qt::red));
        // Scrolled: positive deltas move the picture right or down.
        v.ScrollBy(-400, 0);
        QCOMPARE(v.ScrollPosition(), QPoint(400, 0));
        QCOMPARE(shown(v, 5, 5), QColor(Qt::blue)); // page x = 405 / 8 = 50
        v.ScrollBy(20, 0);
        QCOMPARE(v.ScrollPosition(), QPoint(380, 0));
        v.SetScalePercent(10);
        QCOMPARE(v.DisplayedSize(), QSize(10, 5));
        QCOMPARE(v.ScrollPosition(), QPoint(0, 0));
    }

    void rotateAndInvert() {
        VisDocumentImage v;
        v.resize(300, 300);
        v.LoadTiff(tiff("r.tif", {{colourPage(100, 50, 10), COMPRESSION_LZW}}), 0, 0);
        QStringList captions;
        v.OnProgress = [&](QObject *sender, std::int16_t, const QString &caption, bool &) {
            QCOMPARE(sender, &v);
            captions << caption;
        };
        v.Rotate(qRgb(255, 255, 255), -90); // a quarter turn clockwise
        // The effect routine's own progress reaches the viewer's handler.
        QVERIFY(captions.contains("Rotating Image "));
        QVERIFY(captions.size() > 1);
        v.OnProgress = {};
        QCOMPARE(QSize(v.ImageWidth(), v.ImageHeight()), QSize(50, 100));
        QCOMPARE(shown(v, 45, 5), QColor(Qt::green));
        QCOMPARE(shown(v, 5, 5), QColor(Qt::red));
        v.Rotate(qRgb(255, 255, 255), 180);
        QCOMPARE(shown(v, 5, 95), QColor(Qt::green));
        v.Invert();
        QCOMPARE(shown(v, 5, 95), QColor(Qt::magenta)); // was green
        QCOMPARE(shown(v, 45, 95), QColor(Qt::cyan));   // was red
        QCOMPARE(shown(v, 45, 5), QColor(Qt::yellow));  // was blue

        VisDocumentImage b;
        b.LoadTiff(tiff("b.tif", {{formPage(64, 8, {0, 0, 8, 8}), COMPRESSION_CCITTFAX4}}), 0, 0);
        const QByteArray before = dibBytes(b);
        b.Invert();
        const orva::imageio::DibBlock &d = *b.Image().Dib();
        const auto *bits = reinterpret_cast<const std::uint8_t *>(before.constData()) + d.headerSize();
        for (std::size_t i = 0; i < d.imageBytes(); ++i) {
            QCOMPARE(d.bits()[i], static_cast<std::uint8_t>(~bits[i]));
        }
        b.Invert();
        QCOMPARE(dibBytes(b), before);

        VisDocumentImage empty;
        QString error;
        QVERIFY(!empty.Invert(&error));
        QCOMPARE(error, QString("Input image is empty"));
        error.clear();
        QVERIFY(!empty.CorrectAspect(false, &error));
        QCOMPARE(error, QString("Input image is empty"));
    }

    void deskewAndBorder() {
        QImage page = formPage(300, 300, {0, 0, 0, 0});
        for (int y = 0; y < 300; ++y) { // a black border of 20 pixels round a white page
            for (int x = 0; x < 300; ++x) {
                if (x < 20 || y < 20 || x >= 280 || y >= 280) {
                    page.setPixel(x, y, 0);
                }
            }
        }
        VisDocumentImage v;
        v.LoadTiff(tiff("border.tif", {{page, COMPRESSION_CCITTFAX4}}), 0, 24);
        v.RemoveBorder(0);
        QVERIFY(v.ImageWidth() < 300 && v.ImageWidth() >= 250);
        QVERIFY(std::abs(v.GetSkewAngle()) < 1.0);
        v.Deskew(0);
        QVERIFY(v.HasImage());
    }

    void missingFileIsRefused() {
        VisDocumentImage v;
        QString error;
        QVERIFY(!v.LoadTiff(m_dir.filePath("nope.tif"), 0, 0, &error));
        QCOMPARE(error, QString("Input filename isn't valid"));
        error.clear();
        QVERIFY(!v.LoadTiffFromStream(QByteArray(), 0, 0, &error));
        QCOMPARE(error, QString("Stream is nil or empty"));
        // A file the library cannot read leaves nothing shown and reports no failure.
        QFile junk(m_dir.filePath("junk.tif"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(100, 'x'));
        junk.close();
        error.clear();
        v.LoadTiff(junk.fileName(), 0, 0, &error);
        QVERIFY(error.isEmpty());
        QVERIFY(!v.HasImage());
    }

    void aLoadDuringALoadIsRefused() {
        const QString first = tiff("first.tif", {{formPage(120, 80, {0, 0, 10, 10}), COMPRESSION_CCITTFAX4}});
        const QString second =
            tiff("second.tif", {{formPage(60, 40, {0, 0, 10, 10}), COMPRESSION_CCITTFAX4}});
        VisDocumentImage v;
        int nested = 0;
        QStringList captions;
        v.OnProgress = [&](QObject *, std::int16_t, const QString &caption, bool &) {
            captions << caption;
            // A progress handler that lets the user start another load meanwhile.
            if (nested++ == 0) {
                v.LoadTiff(second, 0, 0);
            }
        };
        v.LoadTiff(first, 0, 0);
        QVERIFY(nested > 0);
        QCOMPARE(QSize(v.ImageWidth(), v.ImageHeight()), QSize(120, 80));
        QCOMPARE(v.FileName(), first);
        QVERIFY(captions.first().startsWith("reading "));
        v.OnProgress = {};
        v.LoadTiff(second, 0, 0);
        QCOMPARE(QSize(v.ImageWidth(), v.ImageHeight()), QSize(60, 40));
    }

    void pagesAndTags() {
        const QString file =
            tiff("three.tif", {{formPage(100, 100, {0, 0, 10, 10}), COMPRESSION_CCITTFAX4},
                               {formPage(100, 100, {40, 40, 10, 10}), COMPRESSION_CCITTFAX4},
                               {formPage(100, 100, {80, 80, 10, 10}), COMPRESSION_CCITTFAX4}});
        VisDocumentImage v;
        v.resize(200, 200);
        QSignalSpy spy(&v, &VisDocumentImage::stateChanged);
        v.LoadTiff(file, 0, 0);
        QCOMPARE(v.TiffPageCount(), 3);
        QCOMPARE(gray(shown(v, 5, 5)), 0);
        QVERIFY(!v.PriorPage());
        QVERIFY(!v.FirstPage());
        spy.clear();
        QVERIFY(v.NextPage());
        QVERIFY(spy.count() > 0);
        QCOMPARE(v.TiffPage(), 1);
        QCOMPARE(v.PreviousTiffPage(), 0);
        QCOMPARE(gray(shown(v, 45, 45)), 0);
        QCOMPARE(gray(shown(v, 5, 5)), 255);
        QVERIFY(v.LastPage());
        QCOMPARE(gray(shown(v, 85, 85)), 0);
        QVERIFY(!v.NextPage());
        QCOMPARE(v.TiffPage(), 2);
        QVERIFY(v.FirstPage());
        QCOMPARE(v.TiffPage(), 0);
        QVERIFY(!v.GoToPage(3));
        QVERIFY(!v.GoToPage(-1));
        QVERIFY(v.GoToPage(2));

        QStringList names;
        for (const TTiffTagRecord &t : v.TagList()) {
            names << t.Name;
            QCOMPARE(t.Page, std::int16_t(2));
        }
        QVERIFY(names.contains("IMAGEWIDTH"));
        QVERIFY(names.contains("XRESOLUTION"));
        QCOMPARE(v.Info().PageCount, 3);
        QCOMPARE(v.Info().Page, 2);

        // The same file from memory.
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        VisDocumentImage m;
        m.LoadTiffFromStream(f.readAll(), 1, 0);
        QCOMPARE(m.FileName(), QString("STREAM"));
        QCOMPARE(m.TiffPageCount(), 3);
        QVERIFY(!m.TagList().isEmpty());
        QVERIFY(m.NextPage());
        QCOMPARE(m.TiffPage(), 2);

        // The file gone from under the viewer: moving on says so.
        QVERIFY(QFile::remove(file));
        QString error;
        QVERIFY(!v.GoToPage(0, &error));
        QCOMPARE(error, QString("Input filename isn't valid"));
    }

    void pictureFilesByTheirOwnDepth() {
        QCOMPARE(VisDocumentImage::LoadImageFileBits(lAutoMatic), 0);
        QCOMPARE(VisDocumentImage::LoadImageFileBits(lColorVga), 4);
        QCOMPARE(VisDocumentImage::LoadImageFileBits(lColor16), 4);
        QCOMPARE(VisDocumentImage::LoadImageFileBits(lMonoChrome), 1);
        QCOMPARE(VisDocumentImage::LoadImageFileBits(lColor256), 8);
        QCOMPARE(VisDocumentImage::LoadImageFileBits(lColorTrue), 24);
        const QString png = m_dir.filePath("mono.png");
        QVERIFY(formPage(64, 32, {0, 0, 8, 8}).save(png));
        VisDocumentImage v;
        v.LoadImageFile(png, lAutoMatic, false);
        QCOMPARE(v.ImageBitCount(), 1);
        QCOMPARE(v.Info().FileType, QString("PNG"));
        v.LoadImageFile(png, lColorTrue, false);
        QCOMPARE(v.ImageBitCount(), 24);
        QCOMPARE(gray(shown(v, 2, 2)), 0);
        // A missing file never leaves the previous picture under its name.
        v.LoadImageFile(m_dir.filePath("gone.png"), lAutoMatic, false);
        QVERIFY(!v.HasImage());
        QCOMPARE(v.TiffPageCount(), 0);
    }

    void mouseModes() {
        VisDocumentImage v;
        v.resize(200, 200);
        v.show();
        v.LoadTiffPage(tiff("m.tif", {{colourPage(400, 400, 10), COMPRESSION_LZW}}), 0, 0, 100, S_Gray_None);
        QWidget *vp = v.viewport();

        v.SetControlMode(cmZoomIn);
        mouse(vp, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
        mouse(vp, QEvent::MouseButtonRelease, {10, 10}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(v.ScalePercent(), 101.0);
        v.SetControlMode(cmZoomOut);
        mouse(vp, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(v.ScalePercent(), 100.0);

        v.SetControlMode(cmPanning);
        mouse(vp, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
        mouse(vp, QEvent::MouseMove, {60, 70}, Qt::NoButton, Qt::LeftButton);
        mouse(vp, QEvent::MouseButtonRelease, {60, 70}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(v.ScrollPosition(), QPoint(40, 30));

        QRect band;
        v.OnRubberband = [&](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y, int xx,
                             int yy) { band = QRect(QPoint(x, y), QPoint(xx, yy)); };
        v.SetControlMode(cmRubberBand);
        mouse(vp, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
        mouse(vp, QEvent::MouseMove, {50, 30}, Qt::NoButton, Qt::LeftButton);
        mouse(vp, QEvent::MouseButtonRelease, {50, 30}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(band, QRect(QPoint(50, 40), QPoint(90, 60))); // page coordinates: scrolled by (40, 30)

        v.SetControlMode(cmZoomRubberBand);
        mouse(vp, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
        mouse(vp, QEvent::MouseMove, {110, 10}, Qt::NoButton, Qt::LeftButton);
        mouse(vp, QEvent::MouseButtonRelease, {110, 10}, Qt::LeftButton, Qt::NoButton);
        // The free corner sits on the square page's diagonal at the mouse's distance.
        QCOMPARE(band.width(), band.height());

        int magnified = 0;
        bool withBitmap = false;
        v.OnMagnify = [&](QObject *, const QImage *bitmap, bool &, const QRect &) {
            ++magnified;
            withBitmap = bitmap && bitmap->size() == QSize(200, 100);
        };
        v.SetControlMode(cmMagnify);
        mouse(vp, QEvent::MouseMove, {20, 20}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(magnified, 1);
        QVERIFY(withBitmap);
        v.SetScalePercent(10); // the page is now 40 x 40: (100, 100) is outside it
        mouse(vp, QEvent::MouseMove, {100, 100}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(magnified, 2);
        QVERIFY(!withBitmap);
    }

    void clipboard() {
        VisDocumentImage v;
        v.LoadTiff(tiff("clip.tif", {{colourPage(60, 40, 10), COMPRESSION_LZW}}), 0, 0);
        v.CopyToClipboard();
        QCOMPARE(QApplication::clipboard()->image().size(), QSize(60, 40));
        v.CutToClipboard();
        QVERIFY(!v.HasImage());
        v.PasteFromClipboard();
        QVERIFY(v.HasImage());
        QCOMPARE(QSize(v.ImageWidth(), v.ImageHeight()), QSize(60, 40));
        QCOMPARE(shown(v, 5, 5), QColor(Qt::green));
        QCOMPARE(v.GetBitmap().pixelColor(40, 30), QColor(Qt::blue));
        // Keys: Ctrl+X cuts, Shift+Insert pastes.
        QTest::keyClick(&v, Qt::Key_X, Qt::ControlModifier);
        QVERIFY(!v.HasImage());
        QTest::keyClick(&v, Qt::Key_Insert, Qt::ShiftModifier);
        QVERIFY(v.HasImage());
    }

    void scaledCopies() {
        VisDocumentImage v;
        v.LoadTiff(tiff("sc.tif", {{formPage(200, 100, {0, 0, 20, 20}), COMPRESSION_CCITTFAX4, 200, 200}}), 0,
                   0);
        const orva::imageio::DibBlock half = v.GetScaledDib(50, S_Gray_None);
        QCOMPARE(QSize(half.width(), half.height()), QSize(100, 50));
        QCOMPARE(half.bitCount(), 1);
        QCOMPARE(half.xPelsPerMeter(), v.Image().Dib()->xPelsPerMeter() / 2);
        QCOMPARE(v.GetScaledDib(50, S_Gray_Anti_256).bitCount(), 8);
    }

    void printsThePageToPdf() {
        const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
        if (pdftoppm.isEmpty()) {
            QSKIP("pdftoppm (poppler-utils) is not installed");
        }
        VisDocumentImage v;
        // A 2 x 2 inch page at 100 dpi with a black 1 inch square at its top left.
        v.LoadTiff(tiff("p.tif", {{formPage(200, 200, {0, 0, 100, 100}), COMPRESSION_CCITTFAX4, 100, 100}}),
                   0, 0);
        for (const bool negative : {false, true}) {
            const QByteArray before = dibBytes(v);
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            const QString pdf = m_dir.filePath(negative ? "neg.pdf" : "pos.pdf");
            printer.setOutputFileName(pdf);
            printer.setPageMargins(QMarginsF(0, 0, 0, 0));
            QVERIFY(v.PrintImage(printer, 0, 0, 0, 0, negative)); // its own size: 2 x 2 inches
            QCOMPARE(dibBytes(v), before);                        // the screen picture is untouched
            const QString png = m_dir.filePath(negative ? "neg" : "pos");
            QCOMPARE(QProcess::execute(pdftoppm, {"-r", "20", "-png", "-singlefile", pdf, png}), 0);
            const QImage page(png + ".png");
            QVERIFY(!page.isNull());
            // At 20 dpi: the square covers (0..19, 0..19), the picture (0..39, 0..39).
            const auto dark = [&](int x, int y) { return gray(page.pixelColor(x, y)) < 16; };
            const auto light = [&](int x, int y) { return gray(page.pixelColor(x, y)) > 240; };
            QVERIFY(negative ? light(10, 10) : dark(10, 10));
            QVERIFY(negative ? dark(30, 10) : light(30, 10));
            QVERIFY(negative ? dark(10, 30) : light(10, 30));
            QVERIFY(light(60, 60)); // the paper beyond the picture
        }
    }

    // The effects dialog opens on a copy; the viewer waits for the user, and the result replaces the
    // picture only on OK.
    void effectsHandOver() {
        VisDocumentImage v;
        TDocumentDialogBox dialogs;
        v.SetDialogs(&dialogs);
        v.LoadTiff(tiff("e.tif", {{colourPage(40, 20, 4), COMPRESSION_LZW}}), 0, 0);
        QVERIFY(!v.ShowEffects()); // no message boxes to show it with
        RecordingMessages messages;
        v.SetMessages(&messages);
        const QRgb before = orva::imageio::dibPixel(*v.Image().Dib(), 0, 0);
        for (const bool keep : {false, true}) {
            bool answered = false;
            QTimer::singleShot(0, &v, [&] {
                QPointer<orva::effects::TEffectForm> f = v.findChild<orva::effects::TEffectForm *>();
                QVERIFY(f);
                QCOMPARE(f->windowModality(), Qt::WindowModal);
                f->SettingsPath = m_dir.filePath(QStringLiteral("fx/IFiltSet.Ini"));
                f->ShowTab(QStringLiteral("Invert"));
                f->DoApply();
                QCOMPARE(orva::imageio::dibPixel(*v.Image().Dib(), 0, 0), before); // still the copy
                answered = true;
                if (keep) {
                    f->CloseAndSave();
                } else {
                    f->reject();
                }
            });
            QCOMPARE(v.ShowEffects(), keep);
            QVERIFY(answered); // it came back only after the user's choice
            QCOMPARE(orva::imageio::dibPixel(*v.Image().Dib(), 0, 0),
                     keep ? qRgb(255, 255, 255) ^ (before & 0xffffff) : before);
        }
    }

    // Page writing on a file and on a memory image: the page shown afterwards, the count, and the
    // pixels the file then holds.
    void pagesAreDeletedReplacedSavedAndPacked() {
        const auto page = [](int n) {
            return TiffPage{formPage(80, 40, {n * 10, 0, 10, 10}), COMPRESSION_CCITTFAX4};
        };
        const auto dark = [](VisDocumentImage &v, int x) {
            return (orva::imageio::dibPixel(*v.Image().Dib(), x, 5) & 0xffffff) == 0;
        };
        for (const bool memory : {false, true}) {
            const QString file = tiff(memory ? "m.tif" : "f.tif", {page(0), page(1), page(2)});
            VisDocumentImage v;
            if (memory) {
                QFile f(file);
                QVERIFY(f.open(QIODevice::ReadOnly));
                v.LoadTiffFromStream(f.readAll(), 0, 0);
            } else {
                v.LoadTiff(file, 0, 0);
            }
            QVERIFY(v.LastPage());
            QVERIFY(dark(v, 25));
            QVERIFY(v.DeleteCurrentPage());
            QCOMPARE(v.TiffPageCount(), 2);
            QCOMPARE(v.TiffPage(), 1); // the last page went: the new last page is shown
            QVERIFY(dark(v, 15));

            v.Invert();
            v.ReplacePage();
            v.FirstPage();
            QVERIFY(v.GoToPage(1));
            QVERIFY(!dark(v, 15)); // the inverted page was written over the old one

            v.SetTifSaveOptions(tiffInsert);
            v.SetTifInsertAt(0);
            QVERIFY(v.SaveTiff(memory ? QStringLiteral("STREAM") : file, 100, 1, S_Gray_None));
            QCOMPARE(v.TiffPageCount(), 3);
            QCOMPARE(v.TiffPage(), 0);
            v.SetTifSaveOptions(tiffAppend);
            QVERIFY(v.SaveTiff(memory ? QStringLiteral("STREAM") : file, 100, 1, S_Gray_None));
            QCOMPARE(v.TiffPageCount(), 4);
            QCOMPARE(v.TiffPage(), 3);
            QVERIFY(v.PackTiff());
            QCOMPARE(v.TiffPageCount(), 4);
            QVERIFY(v.FirstPage());
            QVERIFY(dark(v, 5));
        }
    }

    // The only page of a TIFF is never deleted: the library's refusal goes to OnVislibError, or is
    // raised without it; the file stays as it was.
    void refusedWritesAreReported() {
        const QString file = tiff("one.tif", {{formPage(80, 40, {0, 0, 10, 10}), COMPRESSION_CCITTFAX4}});
        const QByteArray before = [&] {
            QFile f(file);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        VisDocumentImage v;
        v.LoadTiff(file, 0, 0);
        QString error;
        QVERIFY(!v.DeleteCurrentPage(&error));
        QVERIFY(!error.isEmpty());
        int told = 0;
        v.OnVislibError = [&](QObject *, std::int16_t, const QString &, const QByteArray &) { ++told; };
        QVERIFY(!v.DeleteCurrentPage());
        QCOMPARE(told, 1);
        QVERIFY(v.HasImage());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        error.clear();
        QVERIFY(!VisDocumentImage().ReplacePage(&error)); // no picture
        QCOMPARE(error, QString("Input image is empty"));
    }

    // Cancelling the tag editor leaves the file alone and reads the tags again.
    // A document on a share that stops answering: the viewer gives up at its deadline with its
    // earlier page still shown, the window's timers keep time meanwhile, and the user is told once.
    void documentOnADeadShareIsABoundedWait() {
        const QString file =
            tiff("shown.tif", {{formPage(80, 40, {0, 0, 10, 10}), COMPRESSION_CCITTFAX4, 200, 200}});
        VisDocumentImage v;
        v.LoadTiff(file, 0, 0);
        QVERIFY(v.HasImage());
        HungFile hung(m_dir.filePath("dead.tif"));
        QVERIFY(hung.made());
        hung.watch(8000);
        DeadShareWatch watch;
        v.SetShareWaitMs(600);
        QElapsedTimer clock;
        clock.start();
        v.LoadTiff(m_dir.filePath("dead.tif"), 0, 0);
        QVERIFY2(clock.elapsed() < 3000, QByteArray::number(clock.elapsed()));
        QVERIFY2(watch.keptTurning(), QByteArray::number(watch.ticks));
        hung.finished();
        QVERIFY(!hung.blocked());
        QCOMPARE(watch.messages.shown.size(), 1);
        QVERIFY(watch.messages.shown[0].contains("dead.tif"));
        QCOMPARE(v.FileName(), file);
        QVERIFY(v.HasImage());
    }

    void cancelledTagEditorLeavesTheFile() {
        const QString file =
            tiff("tags.tif", {{formPage(80, 40, {0, 0, 10, 10}), COMPRESSION_CCITTFAX4, 200, 200}});
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        VisDocumentImage v;
        TDocumentDialogBox dialogs;
        v.SetDialogs(&dialogs);
        v.LoadTiff(file, 0, 0);
        const qsizetype tags = v.TagList().size();
        QVERIFY(tags > 0);
        bool shown = false;
        QTimer::singleShot(0, [&] {
            if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                shown = true;
                d->reject();
            }
        });
        QVERIFY(v.EditTags());
        QVERIFY(shown);
        QCOMPARE(v.TagList().size(), tags);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }

    // Scanning through SANE's test device: numbered single pages under the scan folder, the last
    // one shown; without a scan folder the scan is refused with a message.
    void scansIntoNumberedFiles() {
        QTemporaryDir conf;
        if (!orva::imageio::test::useSaneTestBackend(conf)) {
            QSKIP("SANE test backend not installed");
        }
        VisDocumentImage v;
        v.ScanShowUI = false;
        v.ScanUseAdf = true;
        v.ScanDpi = 60;
        v.sScanWidth = 1;
        v.sScanHeight = 0.5;
        v.TifSaveCompress = sFAXCCITT4;
        v.SetScanFileName(QStringLiteral("REQ.TIF"));
        SetScanDirectory({});
        QVERIFY(!v.Scan(1));
        QVERIFY(v.ScanMessage().contains(QStringLiteral("scandirectory")));
        const QString scans = m_dir.filePath(QStringLiteral("scans"));
        SetScanDirectory(scans);
        int finished = 0;
        v.OnFinishedLoadSave = [&](QObject *) { ++finished; };
        const bool ok = v.Scan(2);
        SetScanDirectory({});
        QVERIFY2(ok, qPrintable(v.ScanMessage()));
        QCOMPARE(v.ScannedFiles().size(), 2);
        QCOMPARE(QFileInfo(v.ScannedFiles().back()).fileName(), QStringLiteral("REQ00002.TIF"));
        QCOMPARE(v.ScanSaveNumber, 2);
        QVERIFY(finished >= 2);
        QVERIFY(v.HasImage());
        QCOMPARE(v.FileName(), v.ScannedFiles().back());
        QCOMPARE(v.Info().Attributes.bitsPerPixel, 1); // black and white, written G4
        QVERIFY(!v.Scanning());

        // A viewer closed while its scan runs stops the scan; nothing of it is touched afterwards.
        SetScanDirectory(scans);
        QPointer<VisDocumentImage> gone = new VisDocumentImage;
        gone->ScanShowUI = false;
        gone->ScanShowBetweenScan = true;
        gone->SetScanFileName(QStringLiteral("GONE.TIF"));
        // Deleted from an event the scan's wait lets through, as a closing window would be.
        gone->OnShowDibBetweenScan = [&](QObject *, orva::imageio::DibBlock &) {
            QTimer::singleShot(0, [&] { delete gone.data(); });
        };
        QVERIFY(!gone->Scan(3));
        SetScanDirectory({});
        QVERIFY(gone.isNull()); // gone while its scan ran
        QVERIFY(!QFileInfo::exists(QDir(scans).filePath(QStringLiteral("GONE0003.TIF"))));
    }

    // The options chosen in the scan dialog are where the next scan's dialog starts; a cancelled
    // dialog changes nothing.
    void scanOptionsStayForTheNextScan() {
        QTemporaryDir conf;
        if (!orva::imageio::test::useSaneTestBackend(conf)) {
            QSKIP("SANE test backend not installed");
        }
        VisDocumentImage v;
        TDocumentDialogBox dialogs;
        v.SetDialogs(&dialogs);
        v.ScanShowUI = true;
        v.sScanWidth = 1;
        v.sScanHeight = 0.5;
        v.SetScanFileName(QStringLiteral("OPT.TIF"));
        // The user's side of the dialog: what it offers is read off its fields, the choice typed
        // into them, then Scan or Cancel clicked.
        struct Offered {
            int dpi;
            int mode;
            int bright;
        };
        QList<Offered> offered;
        bool accept = true;
        QPointer<QDialog> handled;
        QTimer user;
        user.setInterval(5);
        connect(&user, &QTimer::timeout, [&] {
            auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!d || d == handled || d->objectName() != QLatin1String("ScanOptions")) {
                return;
            }
            handled = d;
            auto *dpi = d->findChild<QSpinBox *>(QStringLiteral("Dpi"));
            auto *mode = d->findChild<QComboBox *>(QStringLiteral("Mode"));
            auto *bright = d->findChild<QSpinBox *>(QStringLiteral("Brightness"));
            QVERIFY(dpi && mode && bright);
            offered.append({dpi->value(), mode->currentData().toInt(), bright->value()});
            dpi->setValue(offered.size() == 1 ? 75 : 150);
            mode->setCurrentIndex(mode->findData(static_cast<int>(t_TW_GRAY)));
            bright->setValue(200);
            auto *button =
                d->findChild<QPushButton *>(accept ? QStringLiteral("Scan") : QStringLiteral("Cancel"));
            QVERIFY(button);
            QTest::mouseClick(button, Qt::LeftButton);
        });
        user.start();
        SetScanDirectory(m_dir.filePath(QStringLiteral("optscans")));
        QVERIFY2(v.Scan(1), qPrintable(v.ScanMessage()));
        accept = false;
        QVERIFY(!v.Scan(1));
        accept = true;
        QVERIFY2(v.Scan(1), qPrintable(v.ScanMessage()));
        SetScanDirectory({});
        QCOMPARE(offered.size(), 3);
        QCOMPARE(offered[1].dpi, 75);
        QCOMPARE(offered[1].mode, static_cast<int>(t_TW_GRAY));
        QCOMPARE(offered[1].bright, 200);
        QCOMPARE(offered[2].dpi, 75); // the cancelled choice of 150 was not kept
        QCOMPARE(v.ScanDpi, 150);
    }

    // Marks drawn with the mouse in annotation editing go to the engine at the page's scale; with
    // auto-save and auto-load they follow the pages of the file.
    void annotationsFollowThePages() {
        namespace anno = orva::imageio::anno;
        const QString file = tiff("marked.tif", {{formPage(200, 100, {0, 0, 1, 1}), COMPRESSION_CCITTFAX4},
                                                 {formPage(200, 100, {0, 0, 1, 1}), COMPRESSION_CCITTFAX4}});
        VisDocumentImage v;
        v.resize(300, 200);
        v.SetAutoSaveAnno(true);
        v.SetAutoLoadAnno(true);
        v.LoadTiffPage(file, 0, 0, 200, S_Gray_None);
        QCOMPARE(v.AnnoFileName(), m_dir.filePath("marked.tif.ant"));
        QSignalSpy editing(&v, &VisDocumentImage::annotationModeChanged);
        v.SetControlMode(cmAnnotationEdit);
        QCOMPARE(editing.last().at(0).toBool(), true);
        AnnoMenuMsg(&v, anno::CmdLine);
        AnnoMenuMsg(&v, anno::CmdRed);
        QWidget *vp = v.viewport();
        mouse(vp, QEvent::MouseButtonPress, {20, 40}, Qt::LeftButton, Qt::LeftButton);
        mouse(vp, QEvent::MouseMove, {180, 40}, Qt::NoButton, Qt::LeftButton);
        mouse(vp, QEvent::MouseButtonRelease, {180, 40}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(v.AnnotationCount(), 1);
        // Drawn at 200 percent, the mark is held in page pixels.
        QCOMPARE(anno::Engine(&v)->marks().back().points, (QList<QPoint>{{10, 20}, {90, 20}}));
        QCOMPARE(shown(v, 100, 40), QColor(Qt::red));
        QVERIFY(v.NextPage());
        QCOMPARE(v.AnnotationCount(), 0);
        QVERIFY(QFileInfo::exists(m_dir.filePath("marked.tif.ant")));
        QVERIFY(v.PriorPage());
        QCOMPARE(v.AnnotationCount(), 1);
        // A right click brings up the engine's menu; its choice runs in the engine.
        QStringList captions;
        QTimer picker;
        connect(&picker, &QTimer::timeout, [&] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                for (QAction *a : menu->actions()) {
                    captions << a->text();
                    if (a->text() == QLatin1String("Clear Page")) {
                        menu->setActiveAction(a);
                    }
                }
                QTest::keyClick(menu, Qt::Key_Return);
            }
        });
        picker.start(10);
        mouse(vp, QEvent::MouseButtonPress, {150, 150}, Qt::RightButton, Qt::RightButton);
        mouse(vp, QEvent::MouseButtonRelease, {150, 150}, Qt::RightButton, Qt::NoButton);
        picker.stop();
        QVERIFY(captions.contains(QStringLiteral("Clear Page")));
        QCOMPARE(v.AnnotationCount(), 0);
        v.SetControlMode(cmNone);
    }

    // Pictures of one base name keep their marks apart; marks kept under the older shared name
    // are still shown, and move whole into the picture's own file when it is first written.
    void annotationFilesOfOneBaseName() {
        namespace anno = orva::imageio::anno;
        QTemporaryDir dir;
        const QString tif = dir.filePath("scan.tif");
        QVERIFY(writeTiff(tif, {{formPage(100, 50, {0, 0, 1, 1}), COMPRESSION_CCITTFAX4},
                                {formPage(100, 50, {0, 0, 1, 1}), COMPRESSION_CCITTFAX4}}));
        const QString png = dir.filePath("scan.png");
        QVERIFY(colourPage(100, 50, 5).save(png));
        // The older file: one mark on page 0, two on page 1.
        const QString older = dir.filePath("scan.ant");
        anno::AnnotationEngine e(nullptr, QString(), {});
        e.add({anno::MarkKind::Line, 0, {}, Qt::red, 3, {{1, 1}, {9, 9}}, {}});
        QCOMPARE(e.save(0, older), orva::imageio::kOk);
        e.add({anno::MarkKind::Line, 0, {}, Qt::blue, 3, {{2, 2}, {8, 8}}, {}});
        QCOMPARE(e.save(1, older), orva::imageio::kOk);
        QFile f(older);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray olderText = f.readAll();
        f.close();

        VisDocumentImage v;
        v.SetAutoSaveAnno(true);
        v.SetAutoLoadAnno(true);
        v.LoadTiff(tif, 0, 0);
        QCOMPARE(v.AnnoFileName(), tif + ".ant");
        QCOMPARE(v.AnnotationCount(), 1); // read from the older file
        QVERIFY(!QFileInfo::exists(tif + ".ant"));
        QVERIFY(v.NextPage());
        QCOMPARE(v.AnnotationCount(), 2);
        AnnoClear(&v);
        QVERIFY(v.PriorPage()); // page 1 saved (now empty): into the picture's own file
        QCOMPARE(v.AnnotationCount(), 1);
        QVERIFY(QFileInfo::exists(tif + ".ant"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), olderText); // the shared file is left for the other picture
        f.close();

        VisDocumentImage other;
        other.SetAutoSaveAnno(true);
        other.SetAutoLoadAnno(true);
        other.LoadImageFile(png, lAutoMatic, false);
        QCOMPARE(other.AnnotationCount(), 1); // the PNG's page 0 from the older file
        AnnoClear(&other);
        other.ClearImage();
        QVERIFY(QFileInfo::exists(png + ".ant"));
        // Each picture now has its own: the TIFF's page 0 keeps its mark, page 1 none.
        anno::AnnotationEngine check(nullptr, QString(), {});
        QCOMPARE(check.load(0, tif + ".ant"), orva::imageio::kOk);
        QCOMPARE(check.marks().size(), std::size_t{1});
        QCOMPARE(check.load(1, tif + ".ant"), orva::imageio::kOk);
        QCOMPARE(check.marks().size(), std::size_t{0});
        QCOMPARE(check.load(0, png + ".ant"), orva::imageio::kOk);
        QCOMPARE(check.marks().size(), std::size_t{0});
    }

    // A TIFF held in memory has no annotation file: with stream annotations each page's marks go to
    // the owner as text when the page is left, and come back from it when the page is shown.
    void streamAnnotationsFollowTheMemoryPages() {
        namespace anno = orva::imageio::anno;
        const QString file = tiff("memory.tif", {{formPage(200, 100, {0, 0, 1, 1}), COMPRESSION_CCITTFAX4},
                                                 {formPage(200, 100, {0, 0, 1, 1}), COMPRESSION_CCITTFAX4}});
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QTemporaryDir cwd;
        const QString before = QDir::currentPath();
        QDir::setCurrent(cwd.path());
        VisDocumentImage v;
        v.resize(300, 200);
        v.SetAutoSaveAnno(true);
        v.SetAutoLoadAnno(true);
        v.SetAnnoLoadSaveFromTo(anFromStream);
        QMap<int, QByteArray> kept;
        QList<int> asked;
        v.OnAfterSavedAnnoToStream = [&](QObject *sender, const QByteArray &text) {
            QCOMPARE(sender, &v);
            kept[v.TiffPage()] = text;
        };
        v.OnBeforeLoadAnnoFromStream = [&](QObject *, QByteArray &text) {
            asked << v.TiffPage();
            text = kept.value(v.TiffPage());
        };
        v.LoadTiffFromStream(bytes, 0, 0);
        v.SetControlMode(cmAnnotationEdit);
        AnnoMenuMsg(&v, anno::CmdLine);
        QWidget *vp = v.viewport();
        mouse(vp, QEvent::MouseButtonPress, {20, 40}, Qt::LeftButton, Qt::LeftButton);
        mouse(vp, QEvent::MouseMove, {180, 40}, Qt::NoButton, Qt::LeftButton);
        mouse(vp, QEvent::MouseButtonRelease, {180, 40}, Qt::LeftButton, Qt::NoButton);
        v.SetControlMode(cmNone);
        QCOMPARE(v.AnnotationCount(), 1);
        QVERIFY(v.NextPage());
        QVERIFY(kept.value(0).size() > 1);
        QCOMPARE(v.AnnotationCount(), 0);
        QVERIFY(v.PriorPage());
        QCOMPARE(v.AnnotationCount(), 1);
        QCOMPARE(asked, (QList<int>{0, 1, 0}));
        QDir::setCurrent(before);
        QCOMPARE(QDir(cwd.path()).entryList(QDir::Files), QStringList()); // no annotation file anywhere
    }

    void annotationEngineFollowsTheViewer() {
        auto *v = new VisDocumentImage;
        const auto key = reinterpret_cast<quintptr>(v);
        QVERIFY(orva::imageio::anno::AnnotationStarted(v));
        QCOMPARE(v->AnnotationCount(), 0);
        QCOMPARE(v->AnnoFileName(), QString()); // no picture, no annotation file
        delete v;
        // The engine knows windows by their address only; the window is gone from its list.
        QVERIFY(!orva::imageio::anno::AnnotationStarted(reinterpret_cast<const void *>(key)));
    }
};

QTEST_MAIN(VisDocumentImageTest)
#include "VisDocumentImageTest.moc"
