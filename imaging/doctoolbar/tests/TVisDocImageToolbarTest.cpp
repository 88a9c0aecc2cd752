// The imaging toolbar on a real viewer, offscreen: enabling follows the viewer, the before and after
// hooks, failures, zoom and scale choices, auto-repeat, clipboard, printing to PDF, the dialogs of
// the hidden buttons, keyboard focus and layout.
#include "imaging/doctoolbar/TVisDocImageToolbar.h"
#include "common/testing/RecordingMessages.h"
#include "effects/dialog/TEffectForm.h"
#include "imaging/core/ErrorInvalid.h"
#include "imaging/docforms/DocumentDialogBox.h"
#include "imaging/doctoolbar/TPrintOptionsDialog.h"
#include "imaging/doctoolbar/TScanPagesDialog.h"
#include "imaging/docview/tests/TiffFixtures.h"
#include "platform/imageio/DibConvert.h"
#include "platform/imageio/tests/TestSupport.h"
#include "platform/modal/ModalDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace orva::imaging;
using namespace orva::imaging::test;

namespace {

// A viewer whose page-writing actions are counted (or fail) instead of touching files.
class CountingViewer : public VisDocumentImage {
public:
    int deleted = 0;
    int scanned = -1;
    bool failDelete = false;
    bool DeleteCurrentPage(QString *error) override {
        if (failDelete) {
            return failWith(error, QStringLiteral("Input image is empty"));
        }
        ++deleted;
        return true;
    }
    bool Scan(int pages) override {
        scanned = pages;
        return true;
    }
};

TVisTbBtns detachedSubset() {
    TVisTbBtns b;
    for (TVisTbBtn x : {ibdocPrint, ibdocPanZoom, ibdocMagnify, ibdocZoomIn, ibdocZoomOut, ibdocResetZoom,
                        ibdocBestFit, ibdocInvert, ibdocRotate90, ibdocRotate180, ibdocDeskew,
                        ibdocRemoveBorder, ibdocFirst, ibdocPrior, ibdocNext, ibdocLast}) {
        b.set(x);
    }
    return b;
}

} // namespace

class TVisDocImageToolbarTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_book;   // 20 pages, 1 bit
    QString m_colour; // one page, 24 bits

private slots:
    void initTestCase() {
        // The effects dialog keeps its settings here, not in the user's.
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
        std::vector<TiffPage> pages;
        for (int i = 0; i < 20; ++i) {
            pages.push_back({formPage(100, 100, {i * 4, 0, 4, 4}), COMPRESSION_CCITTFAX4, 100, 100});
        }
        m_book = m_dir.filePath("book.tif");
        QVERIFY(writeTiff(m_book, pages));
        m_colour = m_dir.filePath("colour.tif");
        QVERIFY(writeTiff(m_colour, {{colourPage(100, 50, 10), COMPRESSION_LZW, 100, 100}}));
    }

    void withoutViewerEverythingIsOff() {
        TVisDocImageToolbar t;
        for (int b = 0; b < kVisTbBtnCount; ++b) {
            QVERIFY(!t.Button(static_cast<TVisTbBtn>(b))->isEnabled());
        }
        QVERIFY(!t.ScaleCombo()->isEnabled());
        t.ExecuteButton(&t, ibdocZoomIn); // nothing to act on, nothing happens
    }

    void enablingFollowsTheViewer() {
        TVisDocImageToolbar t;
        auto *v = new VisDocumentImage;
        t.SetDocumentImage(v);
        QVERIFY(t.Button(ibdocOpen)->isEnabled());
        QVERIFY(!t.Button(ibdocZoomIn)->isEnabled());
        v->LoadTiff(m_book, 0, 0);
        QVERIFY(t.Button(ibdocZoomIn)->isEnabled());
        QVERIFY(!t.Button(ibdocFirst)->isEnabled());
        QVERIFY(t.Button(ibdocNext)->isEnabled());
        QVERIFY(!t.Button(ibdocEffects)->isEnabled()); // 1 bit
        QVERIFY(!t.Button(ibdocPrint)->isEnabled());   // no printer to ask about
        t.Button(ibdocNext)->click();
        QCOMPARE(v->TiffPage(), 1);
        QVERIFY(t.Button(ibdocPrior)->isEnabled());
        t.Button(ibdocLast)->click();
        QVERIFY(!t.Button(ibdocNext)->isEnabled());
        QVERIFY(!t.Button(ibdocLast)->isEnabled());
        v->LoadTiff(m_colour, 0, 0);
        QVERIFY(t.Button(ibdocEffects)->isEnabled());
        QVERIFY(!t.Button(ibdocNext)->isEnabled());
        // Another viewer's news is not this toolbar's business.
        VisDocumentImage other;
        other.LoadTiff(m_book, 0, 0);
        QVERIFY(!t.Button(ibdocNext)->isEnabled());
        // The viewer goes: the toolbar lets go of it.
        delete v;
        QTRY_VERIFY(!t.Button(ibdocOpen)->isEnabled());
        QVERIFY(t.DocumentImage() == nullptr);
    }

    void beforeAndAfterHooks() {
        TVisDocImageToolbar t;
        VisDocumentImage v;
        t.SetDocumentImage(&v);
        v.LoadTiff(m_book, 0, 0);
        QList<TVisTbBtn> after;
        t.AfterAction = [&](QObject *, TVisTbBtn b) { after << b; };
        t.BeforeAction = [](QObject *, TVisTbBtn, bool &allow) { allow = false; };
        t.Button(ibdocZoomIn)->click();
        QCOMPARE(v.ScalePercent(), 100.0);
        QVERIFY(after.isEmpty());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        t.BeforeAction = {};
        t.Button(ibdocZoomIn)->click();
        QCOMPARE(v.ScalePercent(), 105.0);
        QCOMPARE(after, QList<TVisTbBtn>{ibdocZoomIn});
    }

    void failuresAreAnsweredAfterTheCleanUp() {
        TVisDocImageToolbar t;
        CountingViewer v;
        t.SetDocumentImage(&v);
        v.LoadTiff(m_book, 0, 0);
        v.failDelete = true;
        t.ConfirmDelete = false;
        bool after = false;
        t.AfterAction = [&](QObject *, TVisTbBtn) { after = true; };
        QString error;
        QVERIFY(!t.ExecuteButton(&t, ibdocDelete, &error));
        QCOMPARE(error, QString("Input image is empty"));
        QVERIFY(!after);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        // Pressed, the failure is reported instead of escaping into the event loop.
        QSignalSpy failed(&t, &TVisDocImageToolbar::actionFailed);
        t.Button(ibdocDelete)->click();
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.first().at(0).toString(), QString("Input image is empty"));
        // A failure inside printing puts the viewer's print-job setting back.
        QPrinter printer;
        t.SetPrintDialog(&printer);
        v.SetP_Begin_End_Doc(false);
        const ScopedModalAnswer answer([](QDialog &d) -> int {
            if (qobject_cast<QPrintDialog *>(&d)) {
                throw ErrorInvalid(QStringLiteral("printer gone"));
            }
            return QDialog::Accepted;
        });
        QVERIFY(!t.ExecuteButton(&t, ibdocPrint, &error));
        QCOMPARE(error, QString("printer gone"));
        QVERIFY(!v.P_Begin_End_Doc());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void zoomButtons() {
        TVisDocImageToolbar t;
        VisDocumentImage v;
        v.resize(204, 104);
        t.SetDocumentImage(&v);
        v.LoadTiff(m_colour, 0, 0);
        v.SetScalePercent(997);
        t.ExecuteButton(&t, ibdocZoomIn);
        QCOMPARE(v.ScalePercent(), 1002.0);
        t.ExecuteButton(&t, ibdocZoomIn);
        QCOMPARE(v.ScalePercent(), 1002.0);
        v.SetScalePercent(3);
        t.ExecuteButton(&t, ibdocZoomOut);
        QCOMPARE(v.ScalePercent(), 1.0);
        t.ExecuteButton(&t, ibdocResetZoom);
        QCOMPARE(v.ScalePercent(), 100.0);
        t.ExecuteButton(&t, ibdocBestFit);
        QCOMPARE(v.ScalePercent(), 200.0);
        t.ExecuteButton(&t, ibdocRotate90);
        QCOMPARE(QSize(v.ImageWidth(), v.ImageHeight()), QSize(50, 100));
        t.ExecuteButton(&t, ibdocPanZoom);
        QCOMPARE(v.ControlMode(), cmPanning);
        QVERIFY(t.Button(ibdocPanZoom)->isChecked());
        t.ExecuteButton(&t, ibdocMagnify);
        QCOMPARE(v.ControlMode(), cmMagnify);
        QVERIFY(!t.Button(ibdocPanZoom)->isChecked());
        t.ExecuteButton(&t, ibdocMagnify);
        QCOMPARE(v.ControlMode(), cmNone);
    }

    void scaleListRunsOnlyOnTheUsersChoice() {
        TVisDocImageToolbar t;
        VisDocumentImage v;
        t.SetDocumentImage(&v);
        v.LoadTiff(m_book, 0, 0);
        emit t.ScaleCombo()->activated(7);
        QCOMPARE(v.ScaleDoc(), S_Gray_Anti_256);
        QVERIFY(v.GrayCopyShown());
        v.SetScaleDoc(S_Gray_16_8);
        QCOMPARE(t.ScaleCombo()->currentIndex(), 1);
        t.ScaleCombo()->setCurrentIndex(3);
        QCOMPARE(v.ScaleDoc(), S_Gray_16_8);
    }

    void pageButtonsRepeatWhileHeld() {
        TVisDocImageToolbar t;
        VisDocumentImage v;
        t.SetDocumentImage(&v);
        t.show();
        v.LoadTiff(m_book, 0, 0);
        TVisTBButton *next = t.Button(ibdocNext);
        QCOMPARE(next->autoRepeatDelay(), 400);
        QCOMPARE(next->autoRepeatInterval(), 100);
        QVERIFY(!t.Button(ibdocFirst)->autoRepeat());
        QElapsedTimer held;
        held.start();
        QTest::mousePress(next, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(v.TiffPage() >= 3, 5000);
        // Three pages while held: the first repeat after 400 ms, the next ones 100 ms apart (coarse
        // timers may fire up to 5% early).
        QVERIFY(held.elapsed() >= (400 + 100 + 100) * 95 / 100);
        QTest::mouseRelease(next, Qt::LeftButton);
        const int stopped = v.TiffPage();
        QTest::qWait(300); // held no more: nothing turns
        QCOMPARE(v.TiffPage(), stopped);
    }

    void clipboardButtons() {
        TVisDocImageToolbar t;
        VisDocumentImage v;
        t.SetDocumentImage(&v);
        v.LoadTiff(m_colour, 0, 0);
        QApplication::clipboard()->clear();
        QVERIFY(!t.Button(ibdocPaste)->isEnabled());
        t.Button(ibdocCopy)->click();
        QVERIFY(t.Button(ibdocPaste)->isEnabled());
        t.Button(ibdocCut)->click();
        QVERIFY(!v.HasImage());
        t.Button(ibdocPaste)->click();
        QVERIFY(v.HasImage());
        QCOMPARE(v.GetBitmap().pixelColor(5, 5), QColor(Qt::green));
    }

    void printButtonPrints() {
        TVisDocImageToolbar t;
        VisDocumentImage v;
        t.SetDocumentImage(&v);
        // One inch of black at 100 dpi.
        QVERIFY(writeTiff(m_dir.filePath("black.tif"),
                          {{formPage(100, 100, {0, 0, 100, 100}), COMPRESSION_CCITTFAX4, 100, 100}}));
        v.LoadTiff(m_dir.filePath("black.tif"), 0, 0);
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageMargins(QMarginsF(0, 0, 0, 0));
        t.SetPrintDialog(&printer);
        QVERIFY(t.Button(ibdocPrint)->isEnabled());
        const struct {
            const char *name;
            bool options, print, imageSize;
        } runs[] = {{"cancel-options", false, true, true},
                    {"cancel-print", true, false, true},
                    {"image", true, true, true},
                    {"paper", true, true, false}};
        for (const auto &r : runs) {
            const QString pdf = m_dir.filePath(QString(r.name) + ".pdf");
            QStringList asked;
            const ScopedModalAnswer answer([&](QDialog &d) -> int {
                if (auto *o = qobject_cast<TPrintOptionsDialog *>(&d)) {
                    asked << o->windowTitle();
                    (r.imageSize ? o->ImageSizeButton() : o->PaperSizeButton())->setChecked(true);
                    return r.options ? QDialog::Accepted : QDialog::Rejected;
                }
                if (auto *p = qobject_cast<QPrintDialog *>(&d)) {
                    asked << "print";
                    p->printer()->setOutputFormat(QPrinter::PdfFormat);
                    p->printer()->setOutputFileName(pdf);
                    return r.print ? QDialog::Accepted : QDialog::Rejected;
                }
                return QDialog::Rejected;
            });
            t.Button(ibdocPrint)->click();
            QCOMPARE(asked.value(0), QString("Print Options"));
            QCOMPARE(QFile::exists(pdf), r.options && r.print);
            if (!QFile::exists(pdf) || QStandardPaths::findExecutable("pdftoppm").isEmpty()) {
                continue;
            }
            const QString png = m_dir.filePath(r.name);
            QCOMPARE(QProcess::execute("pdftoppm", {"-r", "10", "-png", "-singlefile", pdf, png}), 0);
            const QImage page(png + ".png");
            QVERIFY(!page.isNull());
            // Its own size covers one inch (10 pixels); the paper size the page's width.
            const int right = page.width() - 3;
            QVERIFY(qGray(page.pixel(5, 5)) < 32);
            QCOMPARE(qGray(page.pixel(right, 5)) < 32, !r.imageSize);
        }
    }

    void openSaveAndTheHiddenButtonsDialogs() {
        TVisDocImageToolbar t;
        CountingViewer v;
        t.SetDocumentImage(&v);
        QStringList messages;
        int pages = 0;
        int scanDefault = 0;
        RecordingMessages boxes;
        v.SetMessages(&boxes);
        boxes.onShow = [&](UserMessages::Kind, const QString &, const QString &text) { messages << text; };
        const ScopedModalAnswer answer([&](QDialog &d) -> int {
            if (auto *s = qobject_cast<TScanPagesDialog *>(&d)) {
                scanDefault = s->PagesBox()->value();
                s->PagesBox()->setValue(-3); // refused by the box: it stays within 1..999
                s->PagesBox()->setValue(pages);
                return QDialog::Accepted;
            }
            return QDialog::Rejected;
        });
        t.ExecuteButton(&t, ibdocOpen);
        t.ExecuteButton(&t, ibdocSave);
        QCOMPARE(
            messages,
            (QStringList{"Toolbar. Assign either a MMOpenDialog or a BeforeAction event to open a file",
                         "Toolbar. Assign either a MMSaveDialog or a BeforeAction event to save a file"}));
        QString chosen;
        t.MMOpenDialog = [&](QWidget *, QString &file, int &page) {
            file = chosen;
            page = 2;
            return true;
        };
        QFile junk(m_dir.filePath("junk.bin"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(64, '\x01'));
        junk.close();
        chosen = junk.fileName();
        QString error;
        QVERIFY2(!t.ExecuteButton(&t, ibdocOpen, &error), "an unknown format was opened");
        QCOMPARE(error, QString("This format is not supported by this application"));
        chosen = m_book;
        t.ExecuteButton(&t, ibdocOpen);
        QCOMPARE(v.TiffPage(), 2);
        QCOMPARE(v.ImageBitCount(), 1);

        boxes.replies = {UserMessages::Answer::Cancel};
        t.ExecuteButton(&t, ibdocDelete);
        QCOMPARE(boxes.asked, QStringList{t.windowTitle() + "|Delete Current Tiff Page ?"});
        QCOMPARE(boxes.askedButtons, QList{UserMessages::Buttons::ConfirmOkCancel});
        QCOMPARE(v.deleted, 0);
        boxes.replies = {UserMessages::Answer::Ok};
        t.ExecuteButton(&t, ibdocDelete);
        QCOMPARE(v.deleted, 1);
        t.ConfirmDelete = false;
        t.ExecuteButton(&t, ibdocDelete);
        QCOMPARE(v.deleted, 2);
        QCOMPARE(boxes.asked.size(), 2);

        pages = 3;
        t.ExecuteButton(&t, ibdocScanPages);
        QCOMPARE(v.scanned, 3);
        QCOMPARE(scanDefault, 50);
    }

    // The page, tag, annotation, scanner and effects buttons on a real viewer and a copy of a file.
    void writingButtonsReachTheFile() {
        const QString file = m_dir.filePath("work.tif");
        QFile::remove(file);
        QVERIFY(QFile::copy(m_book, file));
        TVisDocImageToolbar t;
        VisDocumentImage v;
        TDocumentDialogBox viewerDialogs;
        v.SetDialogs(&viewerDialogs);
        t.SetDocumentImage(&v);
        v.LoadTiff(file, 0, 0);
        t.ConfirmDelete = false;
        t.ExecuteButton(&t, ibdocDelete);
        QCOMPARE(v.TiffPageCount(), 19);
        v.Invert();
        t.ExecuteButton(&t, ibdocUpdate);
        t.ExecuteButton(&t, ibdocPack);
        VisDocumentImage again;
        again.LoadTiff(file, 0, 0);
        QCOMPARE(again.TiffPageCount(), 19);
        // The page shown after the delete (the second of the book, its square at 4..7) went back
        // inverted.
        const auto rgb = [&](int x, int y) {
            return orva::imageio::dibPixel(*again.Image().Dib(), x, y) & 0xffffff;
        };
        QCOMPARE(rgb(5, 1), 0xffffffu);
        QCOMPARE(rgb(50, 50), 0u);
        QCOMPARE(rgb(1, 1), 0u);

        t.ExecuteButton(&t, ibdocAnnotEdit);
        QCOMPARE(v.ControlMode(), cmAnnotationEdit);
        t.ExecuteButton(&t, ibdocAnnotEdit);
        QCOMPARE(v.ControlMode(), cmNone);

        int dialogs = 0;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                ++dialogs;
                d->reject();
            }
        });
        closer.start(10);
        t.ExecuteButton(&t, ibdocEditTags); // the tag editor, cancelled
        QCOMPARE(dialogs, 1);
        closer.stop();

        // Without a scan folder the scan is refused with the reason.
        SetScanDirectory({});
        const ScopedModalAnswer accept([](QDialog &) { return int(QDialog::Accepted); });
        v.ScanShowUI = false;
        QString refused;
        QVERIFY2(!t.ExecuteButton(&t, ibdocScanPages, &refused), "a scan without a folder was not refused");
        QVERIFY(refused.contains(QStringLiteral("scandirectory")));

        RecordingMessages messages;
        v.SetMessages(&messages);
        QPointer<QDialog> effects;
        QTimer::singleShot(0, &v, [&] {
            effects = v.findChild<orva::effects::TEffectForm *>();
            if (effects)
                effects->reject();
        });
        t.ExecuteButton(&t, ibdocEffects);
        QVERIFY(effects);
        QTRY_VERIFY(effects.isNull());

        // The scanner chooser lists SANE's devices; the choice is the source scans use.
        QTemporaryDir conf;
        if (!orva::imageio::test::useSaneTestBackend(conf)) {
            return;
        }
        QTimer chooser;
        connect(&chooser, &QTimer::timeout, [&] {
            if (auto *d = qobject_cast<QInputDialog *>(QApplication::activeModalWidget())) {
                d->accept();
            }
        });
        chooser.start(10);
        t.ExecuteButton(&t, ibdocSelectScanner);
        QVERIFY(ScanSource().startsWith(QStringLiteral("test:")));
    }

    void keyboardFocusRing() {
        TVisDocImageToolbar t;
        VisDocumentImage v;
        t.SetDocumentImage(&v);
        t.SetVisibleButtons(detachedSubset());
        v.LoadTiff(m_colour, 0, 0);
        t.show();
        t.setFocus();
        QCOMPARE(t.FocusedButton(), ibdocFirst);
        QTest::keyClick(&t, Qt::Key_Left);
        QCOMPARE(t.FocusedButton(), ibdocRemoveBorder); // hidden buttons are passed over
        for (int i = 0; i < 20; ++i) {
            QTest::keyClick(&t, Qt::Key_Left);
        }
        QCOMPARE(t.FocusedButton(), ibdocPrint); // stops at the first
        QTest::keyClick(&t, Qt::Key_Right);
        QTest::keyClick(&t, Qt::Key_Right);
        QTest::keyClick(&t, Qt::Key_Right);
        QCOMPARE(t.FocusedButton(), ibdocZoomIn);
        QTest::keyClick(&t, Qt::Key_Space);
        QCOMPARE(v.ScalePercent(), 105.0);
    }

    void layoutAndHints() {
        TVisDocImageToolbar t;
        t.SetVisibleButtons(detachedSubset());
        QCOMPARE(t.sizeHint(), QSize(80 + 16 * 20, 25));
        t.resize(80 + 16 * 25 + 3, 25);
        t.show();
        QCOMPARE(t.ScaleCombo()->geometry().left(), 0);
        QCOMPARE(t.ScaleCombo()->width(), 80);
        QCOMPARE(t.Button(ibdocPrint)->geometry().left(), 80);
        QCOMPARE(t.Button(ibdocPrint)->width(), 26); // the 3 spare pixels go to the first buttons
        QCOMPARE(t.Button(ibdocLast)->geometry().right(), t.width() - 1);
        QVERIFY(t.Button(ibdocOpen)->isHidden());
        QVERIFY(t.Button(ibdocOpen)->geometry().left() >= t.width());
        QCOMPARE(t.Button(ibdocInvert)->toolTip(), QString("Invert"));
        QStringList own(kVisTbBtnCount);
        own[ibdocInvert] = "Negative";
        t.SetHints(own);
        QCOMPARE(t.Button(ibdocInvert)->toolTip(), QString("Negative"));
        QCOMPARE(t.Button(ibdocDeskew)->toolTip(), QString("Deskew"));
        t.SetHints(TVisDocImageToolbar::BuiltInHints());
        QVERIFY(t.Hints().isEmpty());
        QCOMPARE(t.Button(ibdocInvert)->toolTip(), QString("Invert"));
        QCOMPARE(t.ScaleCombo()->count(), 8);
        QCOMPARE(t.ScaleCombo()->itemText(7), QString("Anti_256"));
        QCOMPARE(t.Button(ibdocZoomIn)->objectName(), QString("ZOOMIN"));
        QVERIFY(!t.Button(ibdocZoomIn)->icon().isNull());
    }
};

QTEST_MAIN(TVisDocImageToolbarTest)
#include "TVisDocImageToolbarTest.moc"
