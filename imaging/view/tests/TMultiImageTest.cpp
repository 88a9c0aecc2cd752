// The image view control rendered offscreen: pixels at known points after stretch, fit, zoom,
// scrolling, panning and rotation; loading edge cases; rubber band; clipboard.
#include "imaging/view/TMultiImage.h"
#include "common/FileWait.h"
#include "common/testing/DeadShareWatch.h"
#include "common/testing/HungFile.h"
#include "common/testing/RecordingMessages.h"
#include "imaging/core/DLL96V1.h"
#include "platform/imageio/Annotations.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using orva::imaging::TMultiImage;

namespace {
// 100 x 50: left half red, right half blue, a green 10 x 10 block at the top left.
QImage twoColours() {
    QImage img(100, 50, QImage::Format_RGB888);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            img.setPixelColor(x, y, x < 10 && y < 10 ? Qt::green : (x < 50 ? Qt::red : Qt::blue));
    return img;
}

quint32 crc32(const QByteArray &bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : bytes) {
        crc ^= static_cast<unsigned char>(ch);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray bigEndian(quint32 value) {
    return QByteArray(1, char(value >> 24)) + char(value >> 16) + char(value >> 8) + char(value);
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &data) {
    return bigEndian(quint32(data.size())) + type + data + bigEndian(crc32(type + data));
}

// An 8 x 8 palette PNG stored at 2 bits per pixel (Qt's own writer never stores 2 bits), all pixels
// the palette's last entry, white.
QByteArray twoBitPng() {
    const QByteArray header = bigEndian(8) + bigEndian(8) + QByteArray("\x02\x03\x00\x00\x00", 5);
    const QByteArray palette = QByteArray::fromHex("000000555555aaaaaaffffff");
    QByteArray rows;
    for (int y = 0; y < 8; ++y)
        rows += QByteArray("\x00\xff\xff", 3); // filter "none", then 8 pixels of index 3
    // qCompress puts the length before the zlib stream; PNG wants the stream alone.
    const QByteArray zlib = qCompress(rows).mid(4);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("PLTE", palette) +
           pngChunk("IDAT", zlib) + pngChunk("IEND", {});
}

QColor at(QWidget &w, int x, int y) {
    return w.grab().toImage().pixelColor(x, y);
}

void mouse(QWidget &w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(p), w.mapToGlobal(QPointF(p)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}
} // namespace

class TMultiImageTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_png;

private slots:
    void initTestCase() {
        m_png = m_dir.filePath("two.png");
        QVERIFY(twoColours().save(m_png));
    }

    // A picture on a share that stops answering: the control gives up after its one wait, the
    // window's timers keep time meanwhile, the user is told once, and showing the same picture
    // again while the share is still dead costs no second wait.
    void pictureOnADeadShareIsOneBoundedWait() {
        HungFile hung(m_dir.filePath("dead.tif"));
        QVERIFY(hung.made());
        hung.watch(8000);
        DeadShareWatch watch;
        TMultiImage v;
        v.resize(200, 100);
        v.show();
        v.SetImageName(m_png);
        v.SetShareWaitMs(600);
        QElapsedTimer clock;
        clock.start();
        v.SetImageName(m_dir.filePath("dead.tif"));
        const qint64 first = clock.elapsed();
        QVERIFY2(first >= 500 && first < 3000, QByteArray::number(first));
        QVERIFY2(watch.keptTurning(), QByteArray::number(watch.ticks));
        QVERIFY(v.Picture().isNull());
        QCOMPARE(watch.messages.boxes.size(), 1);
        QVERIFY(watch.messages.boxes[0].text.contains("dead.tif"));
        clock.restart();
        v.SetImageName(m_dir.filePath("dead.tif"));
        QVERIFY2(clock.elapsed() < 300, QByteArray::number(clock.elapsed()));
        QCOMPARE(watch.messages.boxes.size(), 1);
        hung.finished();
        QVERIFY(!hung.blocked());
        // A picture that answers shows as before.
        v.SetImageName(m_png);
        QCOMPARE(v.Picture().size(), QSize(100, 50));
    }

    void stretchFitAndCentre() {
        TMultiImage v;
        v.resize(200, 100);
        v.SetColor(Qt::white);
        v.SetStretch(true);
        v.SetImageName(m_png);
        QCOMPARE(v.Picture().size(), QSize(100, 50));
        QCOMPARE(at(v, 60, 60), QColor(Qt::red));
        QCOMPARE(at(v, 150, 60), QColor(Qt::blue));
        QCOMPARE(at(v, 5, 5), QColor(Qt::green));

        v.resize(200, 200);
        v.SetStretchRatio(true);
        QVERIFY(!v.Stretch());
        QCOMPARE(v.Zoom(), 2.0);
        QCOMPARE(at(v, 150, 50), QColor(Qt::blue));
        QCOMPARE(at(v, 150, 150), QColor(Qt::white)); // below the fitted picture
        QVERIFY(!v.HorzScrollBar()->isVisible());

        v.SetStretchRatio(false);
        v.SetScrolling(false);
        v.SetCenter(true);
        QCOMPARE(at(v, 55, 80), QColor(Qt::green)); // picture at (50, 75)
        QCOMPARE(at(v, 60, 80), QColor(Qt::red));
        QCOMPARE(at(v, 10, 10), QColor(Qt::white));
    }

    void zoomScrollAndPan() {
        TMultiImage v;
        v.resize(60, 40);
        v.show();
        v.SetImageName(m_png);
        QVERIFY(v.HorzScrollBar()->isVisible());
        QCOMPARE(v.HorzScrollBar()->maximum(), 100 - 60 + 12);
        QCOMPARE(v.VertScrollBar()->maximum(), 50 - 40 + 12);
        QCOMPARE(at(v, 5, 5), QColor(Qt::green));
        v.HorzScrollBar()->setValue(52);
        QCOMPARE(v.Origin().x(), 52);
        QCOMPARE(at(v, 2, 20), QColor(Qt::blue));

        // Zoom in: the scroll range grows with the picture.
        v.HorzScrollBar()->setValue(0);
        v.ZoomInBy(2.0);
        QCOMPARE(v.Zoom(), 2.0);
        QCOMPARE(v.HorzScrollBar()->maximum(), 200 - 60 + 12);
        QCOMPARE(at(v, 15, 15), QColor(Qt::green));
        QCOMPARE(at(v, 25, 15), QColor(Qt::red));

        // Grab-hand pan to the right edge is clamped there.
        mouse(v, QEvent::MouseButtonPress, {40, 10}, Qt::LeftButton, Qt::LeftButton);
        mouse(v, QEvent::MouseMove, {0, 10}, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(v.Origin().x(), 20);
        mouse(v, QEvent::MouseMove, {-400, 10}, Qt::NoButton, Qt::LeftButton);
        mouse(v, QEvent::MouseButtonRelease, {-400, 10}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(v.Origin().x(), 100 - 24); // picture width - nearest((60 - 12) / 2)
        QCOMPARE(at(v, 40, 10), QColor(Qt::blue));

        // Zoom limits and zoom out pulling the origin back.
        for (int i = 0; i < 100; ++i)
            v.ZoomInBy(1.1);
        QVERIFY(v.Zoom() < 50.0);
        QVERIFY(v.Zoom() * 1.1 >= 50.0);
        for (int i = 0; i < 200; ++i)
            v.ZoomOutBy(0.9);
        QVERIFY(v.Zoom() > 0.075);
        QCOMPARE(v.Origin(), QPoint(0, 0));

        TMultiImage empty;
        empty.ZoomInBy(1.1);
        QCOMPARE(empty.Zoom(), 1.0);
    }

    void rotateQuarterTurn() {
        TMultiImage v;
        v.resize(100, 100);
        v.SetColor(Qt::white);
        v.SetImageName(m_png);
        v.Rotate90();
        QCOMPARE(v.Picture().size(), QSize(50, 100));
        // A quarter turn anticlockwise: the top-left corner goes to the bottom left.
        QCOMPARE(v.Picture().pixelColor(5, 95), QColor(Qt::green));
        QCOMPARE(at(v, 5, 95), QColor(Qt::green));
        QCOMPARE(at(v, 25, 20), QColor(Qt::blue));
        QCOMPARE(at(v, 75, 50), QColor(Qt::white));
    }

    void loadingEdgeCases() {
        TMultiImage v;
        int finished = 0;
        v.OnFinishedLoadSave = [&](QObject *) { ++finished; };
        v.SetImageName(m_png);
        QCOMPARE(finished, 1);
        v.SetImageName(m_dir.filePath("missing.bmp"));
        QVERIFY(v.Picture().isNull());
        QCOMPARE(finished, 1);

        // A three-page TIFF asked for page 7 shows its last page (pages differ in width).
        const QString tif = m_dir.filePath("pages.tif");
        for (int page = 0; page < 3; ++page) {
            QImage img(10 + page * 10, 20, QImage::Format_RGB888);
            img.fill(Qt::gray);
            const auto dib = orva::imaging::GraphicToDib(&img);
            QVERIFY(
                orva::imaging::WriteTIFFileDib(tif, orva::imaging::sLZW, orva::imaging::tiffAppend, dib, 0));
        }
        v.SetTiffPage(7);
        v.SetImageName(tif);
        QCOMPARE(v.Info().Pages, 3);
        QCOMPARE(v.Picture().width(), 30);
        v.SetTiffPage(1);
        v.SetImageName(tif);
        QCOMPARE(v.Picture().width(), 20);

        // A 2-bit PNG is read as one bit.
        const QString png2 = m_dir.filePath("two-bit.png");
        QFile twoBits(png2);
        QVERIFY(twoBits.open(QIODevice::WriteOnly));
        QCOMPARE(twoBits.write(twoBitPng()), twoBitPng().size());
        twoBits.close();
        QCOMPARE(QImage(png2).size(), QSize(8, 8));
        v.SetTiffPage(0);
        v.SetImageName(png2);
        QCOMPARE(v.Info().BitsPerPixel, 2);
        QCOMPARE(v.Picture().depth(), 1);
        QCOMPARE(v.Picture().pixelColor(4, 4), QColor(Qt::white));

        // A moving-text file clears the picture.
        QFile scm(m_dir.filePath("note.scm"));
        QVERIFY(scm.open(QIODevice::WriteOnly));
        scm.close();
        v.SetImageName(m_png);
        v.SetImageName(scm.fileName());
        QVERIFY(v.Picture().isNull());

        v.SetJPegSaveQuality(0);
        QCOMPARE(v.JPegSaveQuality(), 25);
        v.SetJPegSaveQuality(101);
        QCOMPARE(v.JPegSaveQuality(), 25);
    }

    // A single border is drawn inside the control and the picture is laid out in what is left.
    void borderStyle() {
        QImage red(98, 78, QImage::Format_RGB888);
        red.fill(Qt::red);
        const QString file = m_dir.filePath("red.png");
        QVERIFY(red.save(file));
        TMultiImage v;
        v.resize(100, 80);
        v.SetColor(Qt::white);
        v.SetStretchRatio(true);
        v.SetImageName(file);
        QCOMPARE(v.BorderStyle(), orva::imaging::TBorderStyle::bsNone);
        QCOMPARE(at(v, 0, 0), QColor(Qt::red));
        QVERIFY(v.Zoom() > 1.0);
        v.SetBorderStyle(orva::imaging::TBorderStyle::bsSingle);
        QCOMPARE(v.Zoom(), 1.0); // 98 x 78 fits the 98 x 78 inside the border exactly
        QCOMPARE(at(v, 0, 0), v.palette().color(QPalette::WindowText));
        QCOMPARE(at(v, 99, 79), v.palette().color(QPalette::WindowText));
        QCOMPARE(at(v, 1, 1), QColor(Qt::red));
        QCOMPARE(at(v, 98, 78), QColor(Qt::red));
    }

    // Panning shows the grab cursor the control is given and then its own cursor again.
    void grabHandCursor() {
        TMultiImage v;
        v.resize(60, 40);
        v.SetImageName(m_png);
        QCOMPARE(v.GrabHandCursor().shape(), Qt::OpenHandCursor);
        v.SetGrabHandCursor(QCursor(Qt::ClosedHandCursor));
        v.setCursor(Qt::CrossCursor);
        mouse(v, QEvent::MouseButtonPress, {40, 10}, Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(v.cursor().shape(), Qt::ClosedHandCursor);
        mouse(v, QEvent::MouseButtonRelease, {40, 10}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(v.cursor().shape(), Qt::CrossCursor);
    }

    // Turning the scroll bars off runs the picture-changed handling; a metafile ignores it.
    void showScrollbars() {
        TMultiImage v;
        v.resize(60, 40);
        v.SetImageName(m_png);
        int changed = 0;
        v.OnPictureChanged = [&](QObject *) { ++changed; };
        v.SetShowScrollbars(false);
        QVERIFY(!v.ShowScrollbars());
        QCOMPARE(changed, 1);
        QVERIFY(!v.HorzScrollBar()->isVisibleTo(&v));

        QFile wmf(m_dir.filePath("drawing.wmf"));
        QVERIFY(wmf.open(QIODevice::WriteOnly));
        wmf.write("\xd7\xcd\xc6\x9a");
        wmf.close();
        v.SetImageName(wmf.fileName());
        QCOMPARE(v.Info().FileType, QString("WMF"));
        changed = 0;
        v.SetShowScrollbars(true);
        QVERIFY(!v.ShowScrollbars());
        QCOMPARE(changed, 0);
    }

    // Thumbnails that are not monochrome read at the depth the control reads pictures at; the
    // stored-only values keep their defaults.
    void thumbnailsAtTheReadDepth() {
        const QString thb = m_dir.filePath("thumb.thb");
        QFile::remove(thb);
        QVERIFY(twoColours().save(thb, "BMP"));
        TMultiImage v;
        v.SetImageReadRes(orva::imaging::lColor256);
        v.SetImageName(thb);
        QCOMPARE(v.Picture().size(), QSize(100, 50));
        QCOMPARE(v.Picture().depth(), 8);
        v.SetImageReadRes(orva::imaging::lColorTrue);
        v.SetImageName(thb);
        QVERIFY(v.Picture().depth() >= 24);

        QCOMPARE(v.B_W_CopyFlags(), unsigned(orva::imaging::C_DEL));
        QCOMPARE(v.ReduceDither(), orva::imaging::VIS_BAYER);
    }

    void rubberBandKeepsTheAspect() {
        TMultiImage v;
        v.resize(200, 100);
        v.SetAllowRubberBand(true);
        QRect band;
        v.OnRubberband = [&](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y, int xx,
                             int yy) { band = QRect(QPoint(x, y), QPoint(xx, yy)); };
        mouse(v, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
        mouse(v, QEvent::MouseMove, {30, 10}, Qt::NoButton, Qt::LeftButton);
        mouse(v, QEvent::MouseButtonRelease, {30, 10}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(band, QRect(QPoint(10, 10), QPoint(28, 19)));
    }

    void clipboardRoundTrip() {
        TMultiImage v;
        v.SetImageName(m_png);
        v.CutToClipboard();
        QVERIFY(v.Picture().isNull());
        v.PasteFromClipboard();
        QCOMPARE(v.Picture().size(), QSize(100, 50));
        QCOMPARE(v.Picture().pixelColor(60, 20), QColor(Qt::blue));

        // A bitmap whose header claims more than it holds is refused.
        auto *data = new QMimeData;
        QByteArray bad("BM");
        bad.append(12, '\0');
        bad.append(QByteArray::fromHex("28000000ffff0000ffff0000010018000000000000000000"));
        data->setData("image/bmp", bad);
        QApplication::clipboard()->setMimeData(data);
        v.Clear();
        v.PasteFromClipboard();
        QVERIFY(v.Picture().isNull());
    }

    // Annotations drawn with the mouse are saved to the picture's own ".ant" file when the picture
    // is left and come back when it is entered again; without auto-save they are dropped.
    void annotationsFollowThePicture() {
        namespace anno = orva::imageio::anno;
        QTemporaryDir dir;
        const QString folder = dir.filePath("12345.old");
        QVERIFY(QDir().mkpath(folder));
        const QString first = folder + "/scan.png";
        const QString second = folder + "/other.png";
        QVERIFY(twoColours().save(first) && twoColours().save(second));
        QCOMPARE(orva::imaging::AnnotationFileName(QString(), first), folder + "/scan.png.ant");

        TMultiImage v;
        v.resize(200, 100);
        v.SetAutoSaveAnno(true);
        v.SetAutoLoadAnno(true);
        v.SetImageName(first);
        QSignalSpy edit(&v, &TMultiImage::annoEditChanged);
        QSignalSpy down(&v, &TMultiImage::annoMouseDown);
        QSignalSpy up(&v, &TMultiImage::annoMouseUp);
        QSignalSpy done(&v, &TMultiImage::annoDone);
        QRect band;
        v.SetAllowRubberBand(true);
        v.OnRubberband = [&](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y, int xx,
                             int yy) { band = QRect(QPoint(x, y), QPoint(xx, yy)); };
        v.SetEditAnnotat(true);
        QCOMPARE(edit.count(), 1);
        v.AnnoMenuCommand(anno::CmdLine);
        v.AnnoMenuCommand(anno::CmdRed); // the colour last chosen is kept in the settings file
        mouse(v, QEvent::MouseButtonPress, {10, 40}, Qt::LeftButton, Qt::LeftButton);
        mouse(v, QEvent::MouseMove, {90, 40}, Qt::NoButton, Qt::LeftButton);
        mouse(v, QEvent::MouseButtonRelease, {90, 40}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(orva::imaging::AnnotationCount(&v), 1);
        QCOMPARE(done.count(), 1);
        QCOMPARE(down.count(), 1);
        QCOMPARE(up.count(), 1);
        QVERIFY(band.isNull()); // editing takes the mouse from the rubber band
        QCOMPARE(at(v, 50, 40), QColor(Qt::red));
        // Drawn at zoom 2, the mark sits in picture pixels: half the screen distance.
        v.SetStretchRatio(true);
        v.AnnoMenuCommand(anno::CmdLine);
        v.AnnoMenuCommand(anno::CmdBlue);
        mouse(v, QEvent::MouseButtonPress, {20, 80}, Qt::LeftButton, Qt::LeftButton);
        mouse(v, QEvent::MouseMove, {180, 80}, Qt::NoButton, Qt::LeftButton);
        mouse(v, QEvent::MouseButtonRelease, {180, 80}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(anno::Engine(&v)->marks().back().points, (QList<QPoint>{{10, 40}, {90, 40}}));
        QCOMPARE(at(v, 100, 80), QColor(Qt::blue));
        v.SetStretchRatio(false);
        v.AnnoMenuCommand(anno::CmdSelect);
        mouse(v, QEvent::MouseButtonPress, {50, 40}, Qt::RightButton, Qt::RightButton);
        v.AnnoMenuCommand(anno::CmdDelete);
        QCOMPARE(orva::imaging::AnnotationCount(&v), 1);
        QCOMPARE(orva::imaging::AnnoMouseMessage(QEvent::MouseButtonPress, Qt::RightButton), 516);
        QCOMPARE(orva::imaging::AnnoMouseMessage(QEvent::MouseButtonRelease, Qt::LeftButton), 514);
        QCOMPARE(orva::imaging::AnnoMouseMessage(QEvent::MouseMove, Qt::NoButton), 512);

        v.SetImageName(second);
        QVERIFY(QFileInfo::exists(folder + "/scan.png.ant"));
        QCOMPARE(orva::imaging::AnnotationCount(&v), 0);
        v.SetImageName(first);
        QCOMPARE(orva::imaging::AnnotationCount(&v), 1);

        v.SetAutoSaveAnno(false);
        v.AnnoMenuCommand(anno::CmdClearPage);
        v.SetImageName(second);
        v.SetImageName(first);
        QCOMPARE(orva::imaging::AnnotationCount(&v), 1); // the clearing was not saved

        // A corrupt annotation file (here one of the older name, still read) is refused and the
        // picture still shows.
        QFile bad(folder + "/other.ant");
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("{ not annotations");
        bad.close();
        v.SetImageName(second);
        QCOMPARE(v.Picture().size(), QSize(100, 50));
        QCOMPARE(orva::imaging::AnnotationCount(&v), 0);

        v.SetEditAnnotat(false);
        QCOMPARE(edit.count(), 2);
        mouse(v, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
        mouse(v, QEvent::MouseMove, {30, 10}, Qt::NoButton, Qt::LeftButton);
        mouse(v, QEvent::MouseButtonRelease, {30, 10}, Qt::LeftButton, Qt::NoButton);
        QVERIFY(!band.isNull()); // the rubber band is back
    }

    void scrollingAndCreditMessages() {
        QTemporaryDir dir;
        const QString scm = dir.filePath("run.scm");
        QFile f(scm);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("/fc|16777215/fh|-12/fn|DejaVu Sans/fs|/ft|0000/bc|65280/sp|2/sm|Moving text/eo|");
        f.close();
        TMultiImage v;
        v.resize(120, 40);
        v.SetColor(Qt::white);
        v.SetTextStepInterval(100000); // the test sends the steps itself
        v.SetImageName(scm);
        QCOMPARE(v.TextMode(), TMultiImage::TTextMode::Scrolling);
        QCOMPARE(v.Color(), QColor(0, 255, 0)); // back colour 65280 is green
        QCOMPARE(v.TextBitmapPos().x(), 120);
        v.StepScrollingText();
        v.StepScrollingText();
        QCOMPARE(v.TextBitmapPos().x(), 120); // speed 2: the third step moves
        for (int i = 0; i < 3 * 60; ++i)
            v.StepScrollingText();
        QCOMPARE(v.TextBitmapPos().x(), 60);
        const QImage shot = v.grab().toImage();
        QCOMPARE(shot.pixelColor(2, 2), QColor(0, 255, 0));
        bool white = false;
        for (int x = 60; x < 120 && !white; ++x)
            for (int y = 0; y < 40 && !white; ++y)
                white = shot.pixelColor(x, y) == QColor(Qt::white);
        QVERIFY(white); // the white text is drawn where the bitmap is
        v.StepCreditText();
        QCOMPARE(v.TextBitmapPos().x(), 60); // a credit step does nothing to a scrolling text

        const QString cms = dir.filePath("roll.cms");
        QFile c(cms);
        QVERIFY(c.open(QIODevice::WriteOnly));
        c.write("Credits\r\n255\r\n-12\r\nDejaVu Sans\r\n\r\n1000\r\n0\r\n0\r\nThanks\r\nAll\r\n");
        c.close();
        v.SetImageName(cms);
        QCOMPARE(v.TextMode(), TMultiImage::TTextMode::Credit);
        QCOMPARE(v.Color(), QColor(Qt::black));
        QCOMPARE(v.TextBitmapPos().y(), 40);
        v.StepCreditText();
        QCOMPARE(v.TextBitmapPos().y(), 39); // speed 0: every step moves

        // The control's own timer sends the steps.
        v.SetTextStepInterval(5);
        QTRY_VERIFY_WITH_TIMEOUT(v.TextBitmapPos().y() < 30, 5000);

        v.Clear();
        QCOMPARE(v.TextMode(), TMultiImage::TTextMode::None);
        QCOMPARE(v.Color(), QColor(Qt::white)); // the colour before the text came back

        // A number that is no number clears the picture and starts no text.
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("/fc|red/fh|-12/fn|x/fs|/ft|/bc|0/sp|1/sm|x/eo|");
        f.close();
        v.SetImageName(m_png);
        v.SetImageName(scm);
        QCOMPARE(v.TextMode(), TMultiImage::TTextMode::None);
        QVERIFY(v.Picture().isNull());
    }

    void newPictureArrivesThroughItsTransition() {
        TMultiImage v;
        v.resize(120, 80);
        v.SetStretch(true);
        v.show();
        v.SetImageName(m_png);
        QVERIFY(!v.TransitionRunning());
        const QImage shown = v.grab().toImage();
        v.SetFXMethod(orva::imaging::FXDiagonalSquares);
        v.SetFXDelay(1);
        QImage blue(100, 50, QImage::Format_RGB32);
        blue.fill(Qt::blue);
        const QString second = m_dir.filePath("blue.png");
        QVERIFY(blue.save(second));
        v.SetImageName(second);
        QVERIFY(v.TransitionRunning());
        QCOMPARE(at(v, 2, 2), shown.pixelColor(2, 2)); // the old picture shows until uncovered
        QTRY_VERIFY_WITH_TIMEOUT(!v.TransitionRunning(), 5000);
        QCOMPARE(at(v, 2, 2), QColor(Qt::blue));
        QCOMPARE(at(v, 119, 79), QColor(Qt::blue));
    }
};

QTEST_MAIN(TMultiImageTest)
#include "TMultiImageTest.moc"
