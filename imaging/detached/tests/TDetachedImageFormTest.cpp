// The detached image window offscreen on a share written by the test: listing one or several
// requests, the shown file and its panels, file buttons, failures, key actions, wheel, printing (the
// toolbar's Print button too), copy, the image name dialog, stay on top and the remembered place.
#include "imaging/detached/TDetachedImageForm.h"
#include "common/LocalPath.h"
#include "common/testing/RecordingMessages.h"
#include "imaging/core/DLL96V1.h"
#include "imaging/detached/TdlgOpenImage.h"
#include "imaging/doctoolbar/TPrintOptionsDialog.h"
#include "imaging/doctoolbar/TVisDocImageToolbar.h"
#include "imaging/docview/VisDocumentImage.h"
#include "imaging/docview/tests/TiffFixtures.h"
#include "platform/imageio/tests/TestSupport.h"
#include "platform/imageio/tests/TiffMetadataFixture.h"
#include "platform/modal/ModalDialog.h"
#include "platform/settings/TRegistry.h"
#include "testsupport/UserDriver.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

using namespace orva::imaging;
using namespace orva::imaging::test;

namespace {

class FakeHost : public TDetachedImageHost {
public:
    ImageList::TImageListSettings settings;
    QStringList sourcesUsed;
    bool invert = false;
    bool tools = false;
    mutable RecordingMessages messages;
    bool ImageTools() const override { return tools; }
    UserMessages &Messages() const override { return messages; }
    ImageList::TImageListSettings ImageListSettings() const override { return settings; }
    void SetCurrentImageSource(const QString &source) override { sourcesUsed << source; }
    bool InvertDetachedPrint() const override { return invert; }
    void SetInvertDetachedPrint(bool on) override { invert = on; }
};

QStringList panels(TDetachedImageForm &f) {
    QStringList texts;
    for (int i = 0; i < 6; ++i) {
        texts << f.Panel(i)->text();
    }
    return texts;
}

QStringList items(TDetachedImageForm &f) {
    QStringList texts;
    for (int i = 0; i < f.FileListCombo()->count(); ++i) {
        texts << f.FileListCombo()->itemText(i);
    }
    return texts;
}

// The colour of a pixel of a page as libtiff decodes it (any depth and compression).
QRgb tiffPixel(const QString &file, int page, int x, int y) {
    TIFF *t = TIFFOpen(QFile::encodeName(file).constData(), "r");
    if (!t) {
        return 0;
    }
    std::uint32_t w = 0, h = 0;
    std::vector<std::uint32_t> raster;
    QRgb result = 0;
    if (TIFFSetDirectory(t, static_cast<tdir_t>(page)) && TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w) &&
        TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h)) {
        raster.resize(static_cast<std::size_t>(w) * h);
        if (TIFFReadRGBAImageOriented(t, w, h, raster.data(), ORIENTATION_TOPLEFT, 0)) {
            const std::uint32_t p = raster[static_cast<std::size_t>(y) * w + x];
            result = qRgb(TIFFGetR(p), TIFFGetG(p), TIFFGetB(p));
        }
    }
    TIFFClose(t);
    return result;
}

int tiffPages(const QString &file) {
    TIFF *t = TIFFOpen(QFile::encodeName(file).constData(), "r");
    if (!t) {
        return 0;
    }
    const int n = TIFFNumberOfDirectories(t);
    TIFFClose(t);
    return n;
}

QByteArray dibBytes(const VisDocumentImage &v) {
    const orva::imageio::DibBlock *d = v.Image().Dib();
    return QByteArray(reinterpret_cast<const char *>(d->data()), static_cast<qsizetype>(d->size()));
}

} // namespace

class TDetachedImageFormTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_share;
    QString m_alternate;
    FakeHost m_host;

    QString write(const QString &relative) {
        const QString path = m_dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        return path;
    }

private slots:
    void initTestCase() {
        SetPathMapper(LocalPath::toLocalPath);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("config"));
        m_share = m_dir.filePath("share") + "/";
        m_alternate = m_dir.filePath("alternate") + "/";
        std::vector<TiffPage> pages;
        for (int p = 0; p < 3; ++p) {
            pages.push_back({formPage(200, 300, {p * 50, 0, 40, 40}), COMPRESSION_CCITTFAX4, 100, 100});
        }
        QVERIFY(writeTiff(write("share/1234/12345678~A01.tif"), pages));
        QVERIFY(colourPage(120, 80, 10).save(write("share/1234/12345678~B01.png")));
        QVERIFY(writeTiff(write("share/1234/12345678~C01.tiff"), {pages[1]}));
        QVERIFY(colourPage(60, 40, 5).save(write("share/noimage.png")));
        QVERIFY(colourPage(90, 60, 5).save(write("alternate/4567/45670001~A01.png")));
        QFile junk(write("share/1234/12340000~A01.png"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(200, 'j'));
        junk.close();
        QVERIFY(writeTiff(write("share/1234/12349999~A01.tif"), {pages[0]}));
        m_host.settings.ImageSources = {m_share, m_alternate};
        m_host.settings.SubDirectoryMask = "****....";
        m_host.settings.NoImageName = "noimage.png";
    }

    void theWindowAsDesigned() {
        TDetachedImageForm f(m_host);
        QCOMPARE(f.windowTitle(), QString("Orva Image System"));
        QVERIFY(f.windowFlags().testFlag(Qt::Tool));
        QVERIFY(!f.Action("aRefresh")->isEnabled());
        QVERIFY(!f.Action("aCloseOnExit")->isEnabled());
        QVERIFY(!f.PrevImgBtn()->isEnabled());
        QVERIFY(!f.NextImgBtn()->isEnabled());
        QCOMPARE(f.Action("aPrevFile")->shortcuts(),
                 (QList<QKeySequence>{QKeySequence(Qt::Key_F7), QKeySequence(Qt::Key_Comma)}));
        QCOMPARE(f.Action("aNextFile")->shortcuts(),
                 (QList<QKeySequence>{QKeySequence(Qt::Key_F8), QKeySequence(Qt::Key_Period)}));
        QCOMPARE(f.Action("aOpenImage")->text(), QString("&Open Image File ..."));
        QCOMPARE(f.FileListCombo()->width(), 145);
        QCOMPARE(f.Panel(0)->width(), 75);
        QCOMPARE(f.Panel(4)->width(), 170);
        // The toolbar shows its sixteen buttons, and Print has a printer to ask about.
        QVERIFY(!f.VisDocImageToolbar1()->Button(ibdocPrint)->isHidden());
        QVERIFY(f.VisDocImageToolbar1()->Button(ibdocOpen)->isHidden());
        QCOMPARE(f.VisDocImageToolbar1()->VisibleButtons().count(), std::size_t(16));
        QCOMPARE(f.VisDocImageToolbar1()->PrintDialog(), &f.PrintDialog1());
        QVERIFY(!f.VisDocumentImage1()->AutoSaveAnno());
        // With the image tools the open, save, page, tag, annotation, scanning and effects buttons come too,
        // and marks drawn are kept with the pictures.
        m_host.tools = true;
        TDetachedImageForm withTools(m_host);
        const TVisDocImageToolbar &t = *withTools.VisDocImageToolbar1();
        QCOMPARE(t.VisibleButtons().count(), std::size_t(26));
        for (TVisTbBtn b : {ibdocOpen, ibdocSave, ibdocScanPages, ibdocSelectScanner, ibdocAnnotEdit,
                            ibdocEditTags, ibdocEffects, ibdocDelete, ibdocPack, ibdocUpdate}) {
            QVERIFY(t.VisibleButtons().test(b));
        }
        QVERIFY(withTools.VisDocumentImage1()->AutoSaveAnno() &&
                withTools.VisDocumentImage1()->AutoLoadAnno());
        QCOMPARE(withTools.VisDocumentImage1()->Messages(), &m_host.Messages());
        m_host.tools = false;
    }

    // A file picked while a scan runs is refused: the scanned pages never stand under another
    // file's name, nor another file's picture among them.
    void pickDuringAScanIsRefused() {
        QTemporaryDir conf;
        if (!orva::imageio::test::useSaneTestBackend(conf)) {
            QSKIP("SANE test backend not installed");
        }
        TDetachedImageForm f(m_host);
        f.show();
        f.LoadRequestImages("12345678");
        QCOMPARE(f.FileListCombo()->currentIndex(), 0);
        const QStringList before = panels(f);
        VisDocumentImage *v = f.VisDocumentImage1();
        v->ScanShowUI = false;
        v->ScanShowBetweenScan = true;
        v->ScanDpi = 60;
        v->sScanWidth = 1;
        v->sScanHeight = 0.5;
        v->SetScanFileName(QStringLiteral("PICK.TIF"));
        m_host.messages = RecordingMessages();
        QString shownAfterPick;
        int indexAfterPick = -2;
        QStringList panelsAfterPick;
        v->OnShowDibBetweenScan = [&](QObject *, orva::imageio::DibBlock &) {
            f.FileListCombo()->setCurrentIndex(1);
            emit f.FileListCombo()->activated(1);
            shownAfterPick = v->FileName();
            indexAfterPick = f.FileListCombo()->currentIndex();
            panelsAfterPick = panels(f);
        };
        SetScanDirectory(m_dir.filePath(QStringLiteral("pickscans")));
        const bool ok = v->Scan(1);
        SetScanDirectory({});
        QVERIFY2(ok, qPrintable(v->ScanMessage()));
        QVERIFY2(shownAfterPick.contains(QStringLiteral("PICK")), qPrintable(shownAfterPick));
        QCOMPARE(indexAfterPick, 0);
        QCOMPARE(panelsAfterPick, before);
        QCOMPARE(m_host.messages.shown.filter(QStringLiteral("A scan is running")).size(), 1);
    }

    void oneRequestFileByFile() {
        TDetachedImageForm f(m_host);
        f.resize(615, 452);
        f.show();
        m_host.sourcesUsed.clear();
        f.LoadRequestImages("12345678");
        QCOMPARE(items(f), (QStringList{"12345678", "12345678", "12345678"}));
        QCOMPARE(m_host.sourcesUsed, QStringList{m_share});
        QCOMPARE(f.FileListCombo()->currentIndex(), 0);
        QCOMPARE(f.VisDocumentImage1()->TiffPageCount(), 3);
        QCOMPARE(f.VisDocumentImage1()->ImageBitCount(), 24); // TIFF pages are read at 24 bits
        QCOMPARE(f.VisDocImageToolbar1()->ScaleCombo()->currentIndex(), 7);
        const QStringList first = panels(f);
        QCOMPARE(first.mid(0, 4),
                 (QStringList{"Page 1 of 3", "Doc. Type: A", "Scanner: 01", "Scanned: N/A"}));
        QVERIFY(first[4].startsWith("File Created: ") && first[4].size() > 20);
        QCOMPARE(first[5], "File Name: " + m_share + "1234\\12345678~A01.tif");
        // Fitted to the height of the viewer.
        QVERIFY(f.VisDocumentImage1()->DisplayedSize().height() <=
                f.VisDocumentImage1()->contentsRect().height());
        QVERIFY(f.VisDocumentImage1()->DisplayedSize().height() >=
                f.VisDocumentImage1()->contentsRect().height() - 20);
        QVERIFY(!f.PrevImgBtn()->isEnabled());
        QVERIFY(f.NextImgBtn()->isEnabled());
        // Showing it again keeps both the scan and the creation panels.
        QVERIFY(f.ShowSelectedFile());
        QCOMPARE(panels(f), first);

        f.aNextFileExecute();
        QCOMPARE(f.VisDocumentImage1()->ImageBitCount(), 24);
        QCOMPARE(f.Panel(0)->text(), QString("Page 2 of 3"));
        QVERIFY(f.PrevImgBtn()->isEnabled() && f.NextImgBtn()->isEnabled());
        f.aNextFileExecute();
        QCOMPARE(f.Panel(5)->text(), "File Name: " + m_share + "1234\\12345678~C01.tiff");
        QCOMPARE(f.VisDocumentImage1()->TiffPageCount(), 1); // ".tiff" is read as a TIFF page
        QVERIFY(f.PrevImgBtn()->isEnabled());
        QVERIFY(!f.NextImgBtn()->isEnabled());
        f.aNextFileExecute(); // on the last file: nothing changes
        QCOMPARE(f.FileListCombo()->currentIndex(), 2);
        f.aPrevFileExecute();
        f.aPrevFileExecute();
        f.aPrevFileExecute(); // on the first: nothing changes
        QCOMPARE(f.FileListCombo()->currentIndex(), 0);

        // With a comma after it the same number lists the same files.
        f.LoadRequestImages("12345678,");
        QCOMPARE(f.Items().size(), 3);
        // One file: both file buttons off.
        f.LoadRequestImages("45670001");
        QCOMPARE(items(f), QStringList{"45670001"});
        QCOMPARE(m_host.sourcesUsed.last(), m_alternate);
        QVERIFY(!f.PrevImgBtn()->isEnabled() && !f.NextImgBtn()->isEnabled());
        QCOMPARE(f.VisDocumentImage1()->ImageBitCount(), 24); // a PNG at its own depth
    }

    void severalRequests() {
        TDetachedImageForm f(m_host);
        m_host.sourcesUsed.clear();
        f.LoadRequestImages("12345678, 45670001,");
        QCOMPARE(f.Items().size(), 4);
        QCOMPARE(f.Items().at(0).File, m_share + "1234\\12345678~A01.tif");
        QCOMPARE(f.Items().at(3).File, m_alternate + "4567\\45670001~A01.png");
        QCOMPARE(m_host.sourcesUsed, (QStringList{m_share, m_alternate}));
        // A request without images keeps its place in the list, named by its number.
        f.LoadRequestImages("99990000, 45670001,");
        QCOMPARE(items(f), (QStringList{"99990000: " + m_share + "noimage.png", "45670001"}));
        QCOMPARE(f.Panel(5)->text(), QString());
        QVERIFY(f.VisDocumentImage1()->HasImage()); // the placeholder picture
        // Without the comma at the end the text is one request number, which is refused.
        f.LoadRequestImages("12345678,45670001");
        QCOMPARE(items(f), QStringList{m_share + "noimage.png"});
    }

    void filesThatCannotBeShown() {
        TDetachedImageForm f(m_host);
        f.LoadRequestImages("12340000");
        QCOMPARE(f.Items().size(), 1);
        QVERIFY(!f.VisDocumentImage1()->HasImage()); // the library cannot read it
        QCOMPARE(f.Panel(0)->text(), QString("Page 1 of 1"));
        QCOMPARE(f.Panel(1)->text(), QString("Doc. Type: A"));
        // A key action that cannot act says why in the user's message box.
        m_host.messages.shown.clear();
        f.ToolbarAction(ibdocInvert);
        QCOMPARE(m_host.messages.shown, QStringList{"Orva Image System|Input image is empty"});

        f.LoadRequestImages("12349999");
        QVERIFY(f.VisDocumentImage1()->HasImage());
        QVERIFY(QFile::remove(m_share + "1234/12349999~A01.tif"));
        QVERIFY(!f.ShowSelectedFile()); // the TIFF has gone
        QCOMPARE(panels(f), QStringList(6));
        QVERIFY(!f.VisDocumentImage1()->HasImage()); // not the picture shown before
        f.FileListCombo()->setCurrentIndex(-1);
        QVERIFY(!f.ShowSelectedFile());
    }

    void keyActionsWheelAndResize() {
        TDetachedImageForm f(m_host);
        f.resize(615, 452);
        f.LoadRequestImages("12345678");
        QVERIFY(!RunImageKey(&f, ikNextFile)); // hidden: nothing
        QCOMPARE(f.FileListCombo()->currentIndex(), 0);
        f.show();
        QVERIFY(RunImageKey(&f, ikNextFile));
        QCOMPARE(f.FileListCombo()->currentIndex(), 1);
        QVERIFY(RunImageKey(&f, ikPreviousFile));
        QCOMPARE(f.FileListCombo()->currentIndex(), 0);

        VisDocumentImage *v = f.VisDocumentImage1();
        const double fitted = v->ScalePercent();
        RunImageKey(&f, ikZoomIn);
        QCOMPARE(v->ScalePercent(), fitted + 5);
        RunImageKey(&f, ikZoomOut);
        QCOMPARE(v->ScalePercent(), fitted);
        v->SetScalePercent(400);
        RunImageKey(&f, ikScrollDown); // the picture moves up 20 pixels
        RunImageKey(&f, ikScrollRight);
        QCOMPARE(v->ScrollPosition(), QPoint(20, 20));
        RunImageKey(&f, ikScrollUp);
        QCOMPARE(v->ScrollPosition(), QPoint(20, 0));
        QWheelEvent down(QPointF(50, 50), f.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(v->viewport(), &down);
        QCOMPARE(v->ScrollPosition(), QPoint(20, 10));
        RunImageKey(&f, ikZoomReset);
        // The whole page in view again, filling the viewer's height as when it opened.
        QVERIFY(v->ScalePercent() < 400);
        QVERIFY(v->DisplayedSize().height() <= v->contentsRect().height());
        QVERIFY(v->DisplayedSize().width() <= v->contentsRect().width());
        QVERIFY(v->DisplayedSize().height() >= v->contentsRect().height() - 20);
        // A resized window fits the page to its width.
        f.resize(800, 452);
        QTRY_VERIFY(std::abs(v->DisplayedSize().width() - v->viewport()->width()) <= 1);
    }

    void printingCopyAndOpen() {
        TDetachedImageForm f(m_host);
        f.LoadRequestImages("12345678");
        VisDocumentImage *v = f.VisDocumentImage1();
        QString pdf;
        QStringList asked;
        int answer = QDialog::Accepted;
        QString typed;
        const ScopedModalAnswer user([&](QDialog &d) -> int {
            if (auto *p = qobject_cast<QPrintDialog *>(&d)) {
                asked << "print";
                p->printer()->setOutputFormat(QPrinter::PdfFormat);
                p->printer()->setOutputFileName(pdf);
                p->printer()->setPageMargins(QMarginsF(0, 0, 0, 0));
                return answer;
            }
            if (auto *o = qobject_cast<TPrintOptionsDialog *>(&d)) {
                asked << o->windowTitle();
                return answer;
            }
            if (auto *o = qobject_cast<TdlgOpenImage *>(&d)) {
                asked << o->windowTitle();
                o->txtImageName()->setText(typed);
                return answer;
            }
            return QDialog::Rejected;
        });
        // Negative print: the printout is inverted, the screen picture stays as it was.
        f.Action("NegativeImageonPrint1")->trigger();
        QVERIFY(m_host.invert);
        QVERIFY(f.Action("NegativeImageonPrint1")->isChecked());
        const QByteArray before = dibBytes(*v);
        pdf = m_dir.filePath("negative.pdf");
        f.PrintCurrentImage();
        QCOMPARE(dibBytes(*v), before);
        QVERIFY(QFileInfo(pdf).size() > 0);
        if (!QStandardPaths::findExecutable("pdftoppm").isEmpty()) {
            QCOMPARE(QProcess::execute("pdftoppm", {"-r", "20", "-png", "-singlefile", pdf, pdf}), 0);
            const QImage page(pdf + ".png");
            // A 2 x 3 page fitted into A4 width: the square (40 x 40 of 200) is white, the rest black.
            QVERIFY(qGray(page.pixel(5, 5)) > 200);
            QVERIFY(qGray(page.pixel(page.width() / 2, page.height() / 3)) < 50);
        }
        f.Action("NegativeImageonPrint1")->trigger();
        QVERIFY(!m_host.invert);
        // The toolbar's Print button prints too.
        pdf = m_dir.filePath("toolbar.pdf");
        asked.clear();
        f.VisDocImageToolbar1()->Button(ibdocPrint)->click();
        QCOMPARE(asked, (QStringList{"Print Options", "print"}));
        QVERIFY(QFileInfo(pdf).size() > 0);
        // Cancelled: nothing printed.
        answer = QDialog::Rejected;
        pdf = m_dir.filePath("cancelled.pdf");
        f.PrintCurrentImage();
        QVERIFY(!QFile::exists(pdf));

        f.Copy1Click();
        QCOMPARE(QApplication::clipboard()->image().size(), QSize(v->ImageWidth(), v->ImageHeight()));

        // "Open Image": the text reaches the list only on OK; the dialog is made once.
        typed = "45670001,";
        f.aOpenImageExecute();
        QCOMPARE(f.Items().size(), 3);
        TdlgOpenImage *dialog = f.OpenImageDialog();
        QCOMPARE(dialog->windowTitle(), QString("Open Image"));
        QCOMPARE(dialog->findChild<QLabel *>()->text(), QString("Image Name"));
        QCOMPARE(dialog->findChild<QLabel *>()->buddy(), dialog->txtImageName());
        answer = QDialog::Accepted;
        f.aOpenImageExecute();
        QCOMPARE(items(f), QStringList{"45670001"});
        QCOMPARE(f.OpenImageDialog(), dialog);
    }

    // A scanned form of a colour JPEG page and a G4 page, each with Exif, GPS and a reduced copy,
    // worked on with the window's image tools as the user clicks them: Update keeps every page's
    // depth, compression and descriptions; Save replaces the chosen file with the picture alone.
    void imageToolsKeepScannedForms() {
        m_host.tools = true;
        const QString form = write("share/5555/55550001~A01.tif");
        QVERIFY(orva::imageio::test::writeFormWithMetadata(
            form, {{true, "2026:01:02 03:04:05"}, {false, "2026:02:03 04:05:06"}}));
        TDetachedImageForm f(m_host);
        // Wide enough for every tool on the tool bar.
        f.resize(1400, 500);
        UserDriver user(&f);
        f.LoadRequestImages("55550001");
        QCOMPARE(f.VisDocumentImage1()->TiffPageCount(), 2);

        // The colour page turned over and updated: still JPEG colour, red now on the right.
        user.click("ROTATE180");
        user.click("UPDATE");
        auto page = orva::imageio::test::pageFacts(form, 0);
        QCOMPARE(page.compression, std::uint16_t(COMPRESSION_JPEG));
        QCOMPARE(page.bits, 24);
        QCOMPARE(page.taken, QByteArray("2026:01:02 03:04:05"));
        QCOMPARE(page.latitudeRef, QByteArray("N"));
        QCOMPARE(page.reducedCopy.size(), 8);
        QCOMPARE(page.artist, QByteArray("Reception desk"));
        const QRgb left = tiffPixel(form, 0, 4, 16);
        const QRgb right = tiffPixel(form, 0, 44, 16);
        QVERIFY2(qBlue(left) > 180 && qRed(left) < 80, qPrintable(QString::number(left, 16)));
        QVERIFY2(qRed(right) > 180 && qBlue(right) < 80, qPrintable(QString::number(right, 16)));

        // The G4 page inverted and updated: still G4 at 1 bit, its Exif kept, not grown.
        user.click("NEXT");
        QCOMPARE(f.VisDocumentImage1()->TiffPage(), 1);
        const qint64 before = QFileInfo(form).size();
        user.click("INVERT");
        user.click("UPDATE");
        page = orva::imageio::test::pageFacts(form, 1);
        QCOMPARE(page.compression, std::uint16_t(COMPRESSION_CCITTFAX4));
        QCOMPARE(page.bits, 1);
        QCOMPARE(page.taken, QByteArray("2026:02:03 04:05:06"));
        QCOMPARE(page.reducedCopy.size(), 8);
        QVERIFY(QFileInfo(form).size() < before + 200);
        QCOMPARE(qGray(tiffPixel(form, 1, 2, 2)), 0);     // white turned black
        QCOMPARE(qGray(tiffPixel(form, 1, 10, 10)), 255); // the black square turned white
        QCOMPARE(orva::imageio::test::pageFacts(form, 0).compression, std::uint16_t(COMPRESSION_JPEG));

        // Save over an existing three-page file: asked, then replaced by the G4 page alone.
        const QString target = write("share/5555/saved.tif");
        std::vector<TiffPage> three(3, {formPage(30, 30, {0, 0, 4, 4}), COMPRESSION_NONE, 100, 100});
        QVERIFY(writeTiff(target, three));
        const auto saveAs = [&](const QString &file) {
            UserDriver::answerNextBox("Save", [file](QWidget *box) {
                auto *dialog = qobject_cast<QFileDialog *>(box);
                QVERIFY(dialog);
                dialog->findChild<QLineEdit *>("fileNameEdit")->setText(file);
                if (QFile::exists(file)) {
                    UserDriver::answerNextBox("Yes");
                }
            });
            user.click("SAVE");
        };
        saveAs(target);
        QVERIFY(UserDriver::lastBoxText().contains("replace", Qt::CaseInsensitive));
        QCOMPARE(tiffPages(target), 1);
        page = orva::imageio::test::pageFacts(target, 0);
        QCOMPARE(page.compression, std::uint16_t(COMPRESSION_CCITTFAX4));
        QCOMPARE(page.bits, 1);
        QCOMPARE(qGray(tiffPixel(target, 0, 10, 10)), 255);

        // The colour page saved to a new file stays colour JPEG.
        f.LoadRequestImages("55550001");
        const QString colour = write("share/5555/colour.tif");
        saveAs(colour);
        page = orva::imageio::test::pageFacts(colour, 0);
        QCOMPARE(page.compression, std::uint16_t(COMPRESSION_JPEG));
        QCOMPARE(page.bits, 24);
        QVERIFY(qBlue(tiffPixel(colour, 0, 4, 16)) > 180);
        m_host.tools = false;
    }

    // Delete, Update and Pack on a picture that is no TIFF say so, and leave the file alone.
    void pageWorkOnAPictureSaysItNeedsATiff() {
        m_host.tools = true;
        const QString png = write("share/5555/55550002~A01.png");
        QVERIFY(colourPage(40, 30, 5).save(png));
        QFile f0(png);
        QVERIFY(f0.open(QIODevice::ReadOnly));
        const QByteArray before = f0.readAll();
        f0.close();
        TDetachedImageForm f(m_host);
        f.resize(1400, 500);
        UserDriver user(&f);
        f.LoadRequestImages("55550002");
        QVERIFY(f.VisDocumentImage1()->HasImage());
        m_host.messages.shown.clear();
        m_host.messages.replies = {UserMessages::Answer::Ok};
        user.click("DELETE");
        QCOMPARE(m_host.messages.asked.last(), f.windowTitle() + "|Delete Current Tiff Page ?");
        user.click("UPDATE");
        user.click("PACK");
        const QString told =
            f.windowTitle() + "|Pages and tags can only be changed in a TIFF file; this picture is not one";
        QCOMPARE(m_host.messages.shown, (QStringList{told, told, told}));
        QVERIFY(f0.open(QIODevice::ReadOnly));
        QCOMPARE(f0.readAll(), before);
        m_host.tools = false;
    }

    void stayOnTop() {
        TDetachedImageForm f(m_host);
        f.show();
        f.Action("aStayOnTop")->trigger();
        QVERIFY(f.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(f.isVisible());
        QVERIFY(f.Action("aStayOnTop")->isChecked());
        f.Action("aStayOnTop")->trigger();
        QVERIFY(!f.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(f.isVisible());
        QVERIFY(!f.Action("aStayOnTop")->isChecked());
    }

    void placeIsRemembered() {
        const QString key = "Software\\Tessel\\OrvaVT\\Config";
        {
            TRegistry reg(key);
            reg.WriteString("DetachedFormLeft", "30");
            reg.WriteString("DetachedFormTop", "40");
            reg.WriteString("DetachedFormWidth", "0");
            reg.WriteString("DetachedFormHieght", "tall");
        }
        TDetachedImageForm f(m_host);
        f.RestorePosition();
        QCOMPARE(f.size(), QSize(640, 480));
        QCOMPARE(f.pos(), QPoint(30, 40));
        f.show();
        f.move(60, 70);
        f.resize(700, 500);
        f.close();
        QVERIFY(!f.isVisible());
        {
            TRegistry reg(key);
            QCOMPARE(reg.ReadInteger("DetachedFormLeft", -1), 60);
            QCOMPARE(reg.ReadInteger("DetachedFormTop", -1), 70);
            QCOMPARE(reg.ReadInteger("DetachedFormWidth", -1), 700);
            QCOMPARE(reg.ReadInteger("DetachedFormHieght", -1), 500);
        }
        TDetachedImageForm again(m_host);
        again.RestorePosition();
        QCOMPARE(again.geometry().size(), QSize(700, 500));
        QCOMPARE(again.pos(), QPoint(60, 70));
        // Moved by the user and shown again for the next request: it stays where it was put.
        again.show();
        again.move(15, 25);
        again.RestorePosition();
        QCOMPARE(again.pos(), QPoint(15, 25));
        // Moved, then the program ends with the window open: the place is kept all the same.
        {
            TDetachedImageForm open(m_host);
            open.RestorePosition();
            open.show();
            open.move(35, 45);
        }
        QCOMPARE(TRegistry(key).ReadInteger("DetachedFormLeft", -1), 35);
        // A place on a monitor that is no longer there comes back onto the screen.
        {
            TRegistry reg(key);
            reg.WriteInteger("DetachedFormLeft", 50000);
        }
        again.RestorePosition();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.contains(QRect(again.pos(), again.size())));
    }
};

QTEST_MAIN(TDetachedImageFormTest)
#include "TDetachedImageFormTest.moc"
