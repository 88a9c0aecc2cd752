// The open dialog's preview offscreen: which preview each kind of file gets, files the image core
// refuses, TIFF paging and the kept page, the "P" toggle, and the toolbar's Open and Save buttons.
#include "imaging/media/TMMOpenDialog.h"
#include "common/FileWait.h"
#include "common/testing/DeadShareWatch.h"
#include "common/testing/HungFile.h"
#include "common/testing/RecordingMessages.h"
#include "imaging/core/DLL96V1.h"
#include "imaging/doctoolbar/TVisDocImageToolbar.h"
#include "imaging/docview/VisDocumentImage.h"
#include "imaging/docview/tests/TiffFixtures.h"
#include "imaging/media/TMultiMediaView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVideoWidget>

using namespace orva::imaging;
using orva::imaging::test::formPage;
using orva::imaging::test::writeTiff;

namespace {

bool writeBytes(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

void le16(QByteArray &b, int v) {
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}

// An uncompressed 24-bit TGA, 8 x 4, all red.
QByteArray tga() {
    QByteArray b(18, '\0');
    b[2] = 2;
    b[12] = 8;
    b[14] = 4;
    b[16] = 24;
    for (int i = 0; i < 32; ++i)
        b.append("\x00\x00\xff", 3);
    return b;
}

// An 8 x 4 PCX of three 8-bit planes, run-length coded, all red.
QByteArray pcx() {
    QByteArray b(128, '\0');
    b[0] = 10;
    b[1] = 5;
    b[2] = 1;
    b[3] = 8;
    b[8] = 7;  // xmax
    b[10] = 3; // ymax
    b[65] = 3;
    b[66] = 8; // bytes per line
    b[68] = 1;
    for (int row = 0; row < 4; ++row) {
        b.append("\xc8\xff", 2);
        b.append("\xc8\x00", 2);
        b.append("\xc8\x00", 2);
    }
    return b;
}

QByteArray wav() {
    QByteArray data(1600, '\0');
    QByteArray b("RIFF");
    const auto le32 = [&b](quint32 v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    le32(36 + data.size());
    b.append("WAVEfmt ");
    le32(16);
    le16(b, 1);
    le16(b, 1);
    le32(8000);
    le32(16000);
    le16(b, 2);
    le16(b, 16);
    b.append("data");
    le32(data.size());
    return b + data;
}

bool anErrorBoxShown() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox *>(w) && w->isVisible())
            return true;
    return false;
}

} // namespace

class TMMOpenDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init() { SetMciExtensions({QStringLiteral("WAV"), QStringLiteral("AVI")}); }

    void pageButtons_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("enabled"); // First Prior Next Last
        QTest::newRow("one page") << 0 << 1 << "0000";
        QTest::newRow("no pages") << 0 << 0 << "0000";
        QTest::newRow("first of two") << 0 << 2 << "0011";
        QTest::newRow("last of two") << 1 << 2 << "1100";
        QTest::newRow("middle") << 2 << 5 << "1111";
    }
    void pageButtons() {
        QFETCH(int, page);
        QFETCH(int, count);
        QFETCH(QString, enabled);
        const TPageButtons b = PageButtonsFor(page, count);
        const QString got = QString::number(int(b.First)) + QString::number(int(b.Prior)) +
                            QString::number(int(b.Next)) + QString::number(int(b.Last));
        QCOMPARE(got, enabled);
    }

    void nameFilters() {
        QCOMPARE(
            NameFiltersFor(QStringLiteral("All|*.BMP;*.GIF;|Wave Sound    (WAV) |*.WAV")),
            QStringList({QStringLiteral("All (*.BMP *.GIF)"), QStringLiteral("Wave Sound (WAV) (*.WAV)")}));
        const QStringList media = NameFiltersFor(MediaFilterText());
        QVERIFY(media.constFirst().contains(QStringLiteral("*.WAV")));
    }

    // A selection on a share that stops answering: the preview gives up at its deadline with nothing
    // shown, the dialog's timers keep time meanwhile, the user is told once; the next file previews.
    void previewOfAFileOnADeadShare() {
        QTemporaryDir dir;
        QImage red(8, 4, QImage::Format_RGB888);
        red.fill(Qt::red);
        QVERIFY(red.save(dir.filePath("p.png")));
        // Made first: the stand-in's end waits for the threads that were not there before it.
        TMMOpenDialog d;
        d.SetShareWaitMs(500);
        HungFile hung(dir.filePath("dead.png"));
        QVERIFY(hung.made());
        hung.watch(8000);
        DeadShareWatch watch;
        QElapsedTimer clock;
        clock.start();
        d.DoSelectionChange(dir.filePath("dead.png"));
        QVERIFY2(clock.elapsed() < 3000, QByteArray::number(clock.elapsed()));
        QVERIFY2(watch.keptTurning(), QByteArray::number(watch.ticks));
        hung.finished();
        QVERIFY(!hung.blocked());
        QVERIFY(d.PreviewedFile().isEmpty());
        QCOMPARE(watch.messages.shown.size(), 1);
        QVERIFY(watch.messages.shown[0].contains("dead.png"));
        d.DoSelectionChange(dir.filePath("p.png"));
        QVERIFY(!d.MediaPreview()->Picture().isNull());
    }

    void previewForEachKind() {
        QTemporaryDir dir;
        QImage red(8, 4, QImage::Format_RGB888);
        red.fill(Qt::red);
        for (const char *name : {"p.bmp", "p.png", "p.jpg", "p.ico"})
            QVERIFY(red.save(dir.filePath(QLatin1String(name))));
        // Qt writes no GIF: a 1 x 1 one by hand.
        QVERIFY(writeBytes(dir.filePath("p.gif"),
                           QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00"
                                      "!\xf9\x04\x00\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00"
                                      "\x00\x02\x02\x44\x01\x00;",
                                      43)));
        QVERIFY(writeBytes(dir.filePath("p.tga"), tga()));
        QVERIFY(writeBytes(dir.filePath("p.pcx"), pcx()));
        QVERIFY(writeBytes(dir.filePath("s.wav"), wav()));
        QVERIFY(writeBytes(dir.filePath("v.avi"), QByteArray("RIFF\0\0\0\0AVI LIST", 16)));
        QVERIFY(writeBytes(dir.filePath("run.scm"),
                           "/fc|16777215/fh|-12/fn|DejaVu Sans/fs|/ft|0000/bc|65280/sp|2/sm|Moving/eo|"));
        QVERIFY(writeBytes(dir.filePath("roll.cms"),
                           "Credits\r\n255\r\n-12\r\nDejaVu Sans\r\n\r\n1000\r\n0\r\n0\r\nThanks\r\n"));
        QVERIFY(writeBytes(dir.filePath("junk.xyz"), QByteArray(200, 'j')));
        QVERIFY(writeBytes(dir.filePath("junk.bmp"), QByteArray(200, 'j')));
        QVERIFY(writeTiff(dir.filePath("p.tif"), {{formPage(64, 32, {0, 0, 8, 8})}}));

        TMMOpenDialog d;
        TMultiMediaView *media = d.MediaPreview();
        const struct {
            const char *file;
            int stackPage; // 0 TIFF viewer, 1 media control
            bool picture;
            bool clip;
            bool video;
        } cases[] = {
            {"p.bmp", 1, true, false, false},     {"p.png", 1, true, false, false},
            {"p.gif", 1, true, false, false},     {"p.jpg", 1, true, false, false},
            {"p.pcx", 1, true, false, false},     {"p.tga", 1, true, false, false},
            {"p.ico", 1, true, false, false},     {"p.tif", 0, false, false, false},
            {"s.wav", 1, false, true, false},     {"v.avi", 1, false, true, true},
            {"junk.xyz", 1, false, false, false}, {"junk.bmp", 1, false, false, false},
        };
        for (const auto &c : cases) {
            const QString file = dir.filePath(QLatin1String(c.file));
            d.DoSelectionChange(file);
            QCOMPARE(d.PreviewStack()->currentIndex(), c.stackPage);
            QCOMPARE(!media->Picture().isNull(), c.picture);
            QCOMPARE(media->MediaOpen(), c.clip);
            QCOMPARE(!media->VideoWidget()->isHidden(), c.video);
            if (c.stackPage == 0)
                QVERIFY(d.TiffPreview()->HasImage());
            QVERIFY2(!anErrorBoxShown(), c.file);
        }
        d.DoSelectionChange(dir.filePath("run.scm"));
        QCOMPARE(media->TextMode(), TMultiImage::TTextMode::Scrolling);
        d.DoSelectionChange(dir.filePath("roll.cms"));
        QCOMPARE(media->TextMode(), TMultiImage::TTextMode::Credit);

        // A clip that plays stops at the next selection, and a folder or a missing file previews nothing.
        d.DoSelectionChange(dir.filePath("s.wav"));
        media->Play();
        d.DoSelectionChange(dir.path());
        QVERIFY(!media->Playing());
        QVERIFY(!media->MediaOpen());
        QVERIFY(d.PreviewedFile().isEmpty());
        d.DoSelectionChange(dir.filePath("p.png"));
        d.DoSelectionChange(dir.filePath("gone.png"));
        QVERIFY(media->Picture().isNull());
    }

    void tiffPagesAndTheToggle() {
        QTemporaryDir dir;
        std::vector<orva::imaging::test::TiffPage> five, three;
        for (int i = 0; i < 5; ++i)
            five.push_back({formPage(64, 32, {i * 8, 0, 8, 8})});
        for (int i = 0; i < 3; ++i)
            three.push_back({formPage(64, 32, {0, i * 8, 8, 8})});
        const QString fiveFile = dir.filePath("five.tif");
        const QString threeFile = dir.filePath("three.tif");
        QVERIFY(writeTiff(fiveFile, five));
        QVERIFY(writeTiff(threeFile, three));

        TMMOpenDialog d;
        d.DoSelectionChange(fiveFile);
        QCOMPARE(d.PageLabel()->text(), QStringLiteral("P 1 of 5"));
        QVERIFY(!d.PageButton(0)->isEnabled());
        QVERIFY(d.PageButton(2)->isEnabled());
        d.PageButton(3)->click();
        QCOMPARE(d.TiffSelectedPage(), 4);
        QCOMPARE(d.PageLabel()->text(), QStringLiteral("P 5 of 5"));
        QVERIFY(!d.PageButton(3)->isEnabled());
        d.PageButton(1)->click();
        QCOMPARE(d.PageLabel()->text(), QStringLiteral("P 4 of 5"));
        d.PageButton(3)->click();

        // The kept page is clamped to the next file.
        d.DoSelectionChange(threeFile);
        QCOMPARE(d.TiffPreview()->TiffPage(), 2);
        QCOMPARE(d.TiffSelectedPage(), 2);
        QCOMPARE(d.PageLabel()->text(), QStringLiteral("P 3 of 3"));

        // With "P" up nothing is previewed; down again previews the current selection at once.
        d.SetPreview(false);
        QVERIFY(!d.TiffPreview()->HasImage());
        d.DoSelectionChange(fiveFile);
        QVERIFY(!d.TiffPreview()->HasImage());
        QVERIFY(d.PageLabel()->text().isEmpty());
        d.selectFile(fiveFile);
        d.SetPreview(true);
        QTRY_VERIFY_WITH_TIMEOUT(d.TiffPreview()->HasImage(), 5000);

        // A failed preview never drops the user's chosen file.
        d.selectFile(fiveFile);
        d.DoSelectionChange(dir.filePath("gone.tif"));
        QCOMPARE(d.selectedFiles().value(0), fiveFile);
    }

    // The dialog's hints, the player's Pause, and a TIFF preview's progress: a selection made while a
    // large page is read stops that read, and the newer file is shown.
    void previewHintsPauseProgressAndStop() {
        QTemporaryDir dir;
        const QString large = dir.filePath("large.tif");
        const QString small = dir.filePath("small.tif");
        QVERIFY(writeTiff(large, {{formPage(2400, 3200, {0, 0, 80, 80})}}));
        QVERIFY(writeTiff(small, {{formPage(64, 32, {0, 0, 8, 8})}, {formPage(64, 32, {8, 0, 8, 8})}}));
        QVERIFY(writeBytes(dir.filePath("s.wav"), wav()));

        TMMOpenDialog d;
        d.setDirectory(dir.path());
        d.show();
        QCOMPARE(d.PreviewButton()->toolTip(), QStringLiteral("Enable/Disable preview of selected file"));
        const char *hints[] = {"First Tif Page", "Prior Tif Page", "Next Tif Page", "Last Tif Page"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(d.PageButton(i)->toolTip(), QLatin1String(hints[i]));

        d.DoSelectionChange(dir.filePath("s.wav"));
        auto *pause = d.findChild<QToolButton *>(QStringLiteral("PauseButton"));
        QVERIFY(pause);
        d.MediaPreview()->Play();
        pause->click();
        QVERIFY(!d.MediaPreview()->Playing());
        QVERIFY(d.MediaPreview()->MediaOpen()); // paused, not closed

        QList<int> steps;
        connect(d.Progress(), &QProgressBar::valueChanged, &d, [&](int v) { steps << v; });
        d.DoSelectionChange(small);
        QVERIFY(!steps.isEmpty()); // a TIFF preview shows its progress too
        bool arrived = false;
        QTimer::singleShot(0, &d, [&] {
            arrived = true;
            d.DoSelectionChange(small);
        });
        d.DoSelectionChange(large);
        QVERIFY(arrived);
        QCOMPARE(d.PreviewedFile(), small);
        QCOMPARE(d.TiffPreview()->TiffPageCount(), 2);
    }

    void toolbarOpenAndSave() {
        QTemporaryDir dir;
        const QString three = dir.filePath("three.tif");
        QVERIFY(writeTiff(three, {{formPage(64, 32, {0, 0, 8, 8})},
                                  {formPage(64, 32, {8, 0, 8, 8})},
                                  {formPage(64, 32, {16, 0, 8, 8})}}));
        QImage red(8, 4, QImage::Format_RGB888);
        red.fill(Qt::red);
        const QString png = dir.filePath("p.png");
        QVERIFY(red.save(png));

        VisDocumentImage viewer;
        TVisDocImageToolbar bar;
        bar.SetDocumentImage(&viewer);
        // The buttons' runners are those of this program; the dialog itself is answered here.
        QString answer;
        int answerPage = 0;
        bar.MMOpenDialog = [&](QWidget *owner, QString &file, int &page) {
            TMMOpenDialog d(owner);
            d.SetTiffSelectedPage(answerPage);
            d.DoSelectionChange(answer);
            file = answer;
            page = d.TiffSelectedPage();
            return true;
        };
        bar.MMSaveDialog = [&](QWidget *, QString &file) {
            file = dir.filePath("saved.tif");
            return true;
        };
        TVisTbBtns shown;
        shown.set(ibdocOpen);
        shown.set(ibdocSave);
        bar.SetVisibleButtons(shown);

        answer = three;
        answerPage = 7;
        bar.Button(ibdocOpen)->click();
        QCOMPARE(viewer.FileName(), three);
        QCOMPARE(viewer.TiffPage(), 2);
        QCOMPARE(viewer.ImageBitCount(), 1);

        answer = png;
        bar.Button(ibdocOpen)->click();
        QCOMPARE(viewer.FileName(), png);
        QVERIFY(viewer.HasImage());

        // The red picture is saved red, and saving again replaces the file instead of adding a page.
        bar.Button(ibdocSave)->click();
        bar.Button(ibdocSave)->click();
        TTiffInfo info;
        QVERIFY(DllGetInfo(dir.filePath("saved.tif"), 0, info));
        QCOMPARE(info.bitsPerPixel, 24);
        QCOMPARE(info.pages, 1);
    }
};

QTEST_MAIN(TMMOpenDialogTest)
#include "TMMOpenDialogTest.moc"
