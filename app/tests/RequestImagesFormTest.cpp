// The main window's request images, offscreen with a fake link: the screen watcher, Enter in the
// request box, the image strip and its keys, print to PDF, the source menu items, and the display
// option and the host-sent list opening the detached window.
#include "app/RequestImagePanel.h"
#include "app/TOrvaMainForm.h"
#include "app/tests/FormChildren.h"
#include "common/LocalPath.h"
#include "common/ResourceCursors.h"
#include "common/testing/FakeHostLink.h"
#include "common/testing/RecordingMessages.h"
#include "imaging/core/DLL96V1.h"
#include "imaging/detached/TDetachedImageForm.h"
#include "imaging/docview/VisDocumentImage.h"
#include "imaging/view/TMultiImage.h"
#include "terminal/widget/TVtTerminalEx.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using orva::imaging::TDetachedImageForm;
using orva::imaging::TMultiImage;

namespace {

void writeImage(const QString &path, int width, QColor colour) {
    QDir().mkpath(QFileInfo(path).path());
    QImage img(width, 40, QImage::Format_RGB888);
    img.fill(colour);
    QVERIFY(img.save(path, "PNG"));
}
} // namespace

class RequestImagesFormTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_s1, m_s2;
    RecordingMessages *m_messages = nullptr;
    FakeHostLink *m_link = nullptr;

    std::unique_ptr<TOrvaMainForm> makeForm(const QByteArray &extra = {}) {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("config"));
        const QString setup = m_dir.filePath("orva.inf");
        QFile f(setup);
        if (!f.open(QIODevice::WriteOnly)) {
            return nullptr;
        }
        f.write("sourcedirectory = " + m_s1.toUtf8() + "\r\nalternatesource = " + m_s2.toUtf8() +
                "\r\nsubdirectory = ****....\r\nnoimagename = noimage.png\r\nprinteravailable = yes\r\n"
                "haltonserverfail = no\r\ncaptureset = 99,1,18:\"REQUEST:\"\r\n"
                "captureset = 2,1,30:\"REQUEST:\"\r\n" +
                extra);
        f.close();
        auto messages = std::make_unique<RecordingMessages>();
        m_messages = messages.get();
        m_link = new FakeHostLink(LinkState::Closed);
        auto form = std::make_unique<TOrvaMainForm>(QStringList{"orva", setup}, m_link, std::move(messages));
        if (!form->FormCreate()) {
            return nullptr;
        }
        return form;
    }
    static RequestImagePanel *panel(const std::unique_ptr<TOrvaMainForm> &form) {
        return child<RequestImagePanel>(form.get(), "ViewPanel");
    }
    static QLineEdit *reqNum(const std::unique_ptr<TOrvaMainForm> &form) {
        return child<QLineEdit>(form.get(), "ReqNum");
    }
    static QListWidget *names(const std::unique_ptr<TOrvaMainForm> &form) {
        return child<QListWidget>(form.get(), "ImageNameListBox");
    }
    static TMultiImage *view(const std::unique_ptr<TOrvaMainForm> &form) {
        return child<TMultiImage>(form.get(), "ViewMultiImage");
    }
    static QLabel *counter(const std::unique_ptr<TOrvaMainForm> &form) {
        return child<QLabel>(form.get(), "ViewCounter");
    }

private slots:
    void initTestCase() {
        // As the program does at start: names from settings and lists are Windows paths.
        orva::imaging::SetPathMapper(LocalPath::toLocalPath);
        m_s1 = m_dir.filePath("s1") + "/";
        m_s2 = m_dir.filePath("s2") + "/";
        QDir().mkpath(m_s1 + "1234");
        writeImage(m_s1 + "noimage.png", 10, Qt::gray);
        writeImage(m_s1 + "1234/1234567~A01.png", 70, Qt::black); // a shorter request in the same folder
        writeImage(m_s2 + "1234/12345678~b01.png", 20, Qt::red);
        writeImage(m_s2 + "1234/12345678~A01.png", 30, Qt::green);
        writeImage(m_s2 + "1234/12345678~C01.png", 40, Qt::blue);
    }

    void screenWatcherCopiesTheRequestNumber() {
        auto form = makeForm();
        QVERIFY(form);
        QVERIFY(child<QTimer>(form.get(), "RowseekTimer")->isActive());
        child<TVtTerminalEx>(form.get(), "VtTerminal1")->WriteString("\x1b[2;1HREQUEST: 87654321 NAME");
        QTRY_COMPARE_WITH_TIMEOUT(reqNum(form)->text(), QString("87654321"), 3000);
        QVERIFY(m_messages->shown.isEmpty()); // the set on row 99 is passed over quietly
    }

    void enterShowsTheRequestAndTheStripWorks() {
        auto form = makeForm();
        QVERIFY(form);
        form->show();
        reqNum(form)->setText("12345678");
        QTest::keyClick(reqNum(form), Qt::Key_Return);
        QVERIFY(panel(form)->isVisible());
        QCOMPARE(reqNum(form)->text(), QString());
        QCOMPARE(names(form)->count(), 3);
        QCOMPARE(names(form)->item(0)->text(), QString("12345678~A01.png"));
        QCOMPARE(names(form)->item(1)->text(), QString("12345678~b01.png"));
        TMultiImage *view = ::RequestImagesFormTest::view(form);
        QCOMPARE(view->GetImageName(), m_s2 + "1234\\12345678~A01.png");
        QCOMPARE(view->Picture().width(), 30);
        QCOMPARE(panel(form)->CurrentImageSource(), m_s2);
        QVERIFY(view->StretchRatio());
        QVERIFY(counter(form)->text().startsWith("1/3   "));
        QVERIFY(!counter(form)->text().endsWith('\n'));
        QVERIFY(child<QPushButton>(form.get(), "NextImageButton")->isVisible());
        QVERIFY(child<QToolButton>(form.get(), "PrintToolButton")->isEnabled());

        view->setFocus();
        QTest::keyClick(view, Qt::Key_Period);
        QCOMPARE(view->Picture().width(), 20);
        QVERIFY(counter(form)->text().startsWith("2/3   "));
        QTest::keyClick(view, Qt::Key_Period);
        QTest::keyClick(view, Qt::Key_Period); // the last stays
        QCOMPARE(panel(form)->ImageIndex(), 2);
        QTest::keyClick(view, Qt::Key_Comma);
        QCOMPARE(panel(form)->ImageIndex(), 1);
        QTest::keyClick(view, Qt::Key_Comma);
        QCOMPARE(panel(form)->ImageIndex(), 0);
        QCOMPARE(view->Picture().width(), 30);
        QVERIFY(counter(form)->text().startsWith("1/3   "));
        QTest::keyClick(view, Qt::Key_Comma); // the first stays
        QCOMPARE(panel(form)->ImageIndex(), 0);
        QTest::keyClick(view, Qt::Key_Period);
        QCOMPARE(panel(form)->ImageIndex(), 1);
        QTest::keyClick(view, Qt::Key_Z);
        QVERIFY(!view->StretchRatio());
        QTest::keyClick(view, Qt::Key_Plus);
        QCOMPARE(view->Zoom(), 1.1);
        QTest::keyClick(view, Qt::Key_Minus);
        QVERIFY(qAbs(view->Zoom() - 0.99) < 1e-9);
        QTest::keyClick(view, Qt::Key_Greater, Qt::ShiftModifier);
        QCOMPARE(view->Picture().size(), QSize(40, 20));
        QTest::keyClick(view, Qt::Key_Z);
        QVERIFY(view->StretchRatio());

        // Print into a PDF: the job is titled with the image name.
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_dir.filePath("print.pdf"));
        QVERIFY(panel(form)->PrintImage(printer));
        QCOMPARE(printer.docName(), "Orva:" + view->GetImageName());
        QFile pdf(m_dir.filePath("print.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.readAll().startsWith("%PDF"));

        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY(!panel(form)->isVisible());
    }

    // At start the image strip has its zoom bar and may print; the request's files are listed, sorted,
    // in the menu bar, where a double-click or Enter on one shows it; Shift with "," or "." steps
    // through a fitted image's files and turns an unfitted one.
    void imageListAndStripKeys() {
        auto form = makeForm();
        QVERIFY(form);
        form->show();
        QVERIFY(child<QToolBar>(form.get(), "ZoomToolBar")->isVisibleTo(panel(form)));
        QVERIFY(child<QToolButton>(form.get(), "PrintToolButton")->isEnabled());
        // The image area's own cursor, the magnifying glass.
        QCOMPARE(view(form)->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(view(form)->cursor().pixmap().toImage(),
                 ResourceCursors::Load("MAGGLASS").pixmap().toImage());

        reqNum(form)->setText("12345678");
        QTest::keyClick(reqNum(form), Qt::Key_Return);
        QListWidget *list = names(form);
        QVERIFY(list->isVisible());
        QCOMPARE(list->parentWidget(), child<QWidget>(form.get(), "MenuPanel"));
        QCOMPARE(list->geometry().right() + 1 + 4, child<QLabel>(form.get(), "NoLinkLight")->x());
        QStringList shown;
        for (int i = 0; i < list->count(); ++i) {
            shown.append(list->item(i)->text());
        }
        QCOMPARE(shown, (QStringList{"12345678~A01.png", "12345678~b01.png", "12345678~C01.png"}));

        // A click, then the double-click as the window system sends it.
        list->scrollToItem(list->item(2));
        const QPoint at = list->visualItemRect(list->item(2)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QMouseEvent twice(QEvent::MouseButtonDblClick, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, {});
        QApplication::sendEvent(list->viewport(), &twice);
        QCOMPARE(panel(form)->ImageIndex(), 2);
        QCOMPARE(view(form)->Picture().width(), 40);
        list->setFocus();
        list->setCurrentRow(1);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(panel(form)->ImageIndex(), 1);
        QCOMPARE(view(form)->Picture().width(), 20);

        TMultiImage *image = view(form);
        image->setFocus();
        QVERIFY(image->StretchRatio());
        QTest::keyClick(image, Qt::Key_Less, Qt::ShiftModifier);
        QCOMPARE(panel(form)->ImageIndex(), 0);
        QTest::keyClick(image, Qt::Key_Greater, Qt::ShiftModifier);
        QCOMPARE(panel(form)->ImageIndex(), 1);
        QTest::keyClick(image, Qt::Key_Period, Qt::ShiftModifier);
        QCOMPARE(panel(form)->ImageIndex(), 2);
        QTest::keyClick(image, Qt::Key_Comma, Qt::ShiftModifier);
        QTest::keyClick(image, Qt::Key_Comma, Qt::ShiftModifier);
        QCOMPARE(panel(form)->ImageIndex(), 0);
        QCOMPARE(image->Picture().size(), QSize(30, 40));
        // Not fitted: Shift+"," turns the picture and stays on the file.
        QTest::keyClick(image, Qt::Key_Z);
        QTest::keyClick(image, Qt::Key_Comma, Qt::ShiftModifier);
        QCOMPARE(panel(form)->ImageIndex(), 0);
        QCOMPARE(image->Picture().size(), QSize(40, 30));
    }

    void noFilesAndRefusedNumbers() {
        auto form = makeForm();
        QVERIFY(form);
        reqNum(form)->setText("55555555");
        form->ShowRequestImages();
        QCOMPARE(names(form)->count(), 1);
        QCOMPARE(names(form)->item(0)->text(), QString("noimage.png"));
        QCOMPARE(view(form)->GetImageName(), m_s1 + "noimage.png");
        QCOMPARE(counter(form)->text(), QString());
        QVERIFY(!child<QPushButton>(form.get(), "NextImageButton")->isVisibleTo(form.get()));

        // A prefix of another request lists only its own file; wildcards and paths list nothing and
        // show the no-image picture.
        reqNum(form)->setText("1234567");
        form->ShowRequestImages();
        QCOMPARE(names(form)->count(), 1);
        QCOMPARE(names(form)->item(0)->text(), QString("1234567~A01.png"));
        for (const char *bad : {"1234*", "../1234", "1234\\12345678", ".."}) {
            names(form)->clear();
            reqNum(form)->setText(bad);
            QVERIFY(form->LoadRequestImages());
            QCOMPARE(names(form)->count(), 1);
            QCOMPARE(view(form)->GetImageName(), m_s1 + "noimage.png");
        }
    }

    void detachedOptionAndHostListOpenTheDetachedWindow() {
        auto form = makeForm();
        QVERIFY(form);
        QVERIFY(form->findChild<TDetachedImageForm *>() == nullptr);
        form->ImageDisplayOptionToolBtnClick();
        QVERIFY(child<QToolButton>(form.get(), "ImageDisplayOptionToolBtn")->isChecked());
        reqNum(form)->setText("12345678");
        form->ShowRequestImages();
        auto *detached = child<TDetachedImageForm>(form.get(), "DetachedImageForm");
        QVERIFY(detached->isVisible());
        QCOMPARE(detached->parent(), form.get()); // owned by the main window
        QCOMPARE(detached->Items().size(), 3);
        QCOMPARE(detached->Items().at(0).File, m_s2 + "1234\\12345678~A01.png");
        QCOMPARE(panel(form)->CurrentImageSource(), m_s2);
        QCOMPARE(names(form)->count(), 0); // the main window's own area is left alone
        // The next request reuses the window; refused pieces of a host list ask for nothing.
        detached->close();
        form->ShowInDetachedWindow(",..,12345678,");
        QCOMPARE(form->findChildren<TDetachedImageForm *>().size(), 1);
        QVERIFY(detached->isVisible());
        QCOMPARE(detached->Items().size(), 4); // ".." is refused and shows the no-image picture
        QCOMPARE(detached->Items().at(0).File, m_s1 + "noimage.png");
        QCOMPARE(detached->VisDocumentImage1()->ImageWidth(), 10);
        // "Negative Image on Print" is the main window's option.
        QVERIFY(!form->InvertDetachedPrint());
        detached->NegativeImageonPrint1Click();
        QVERIFY(form->InvertDetachedPrint());
    }

    void hostSentImageListReachesTheDetachedWindow() {
        auto form = makeForm();
        QVERIFY(form);
        // Client command 1 with "ORVAIMAGE": an object request frame of type 10, from the host.
        m_link->setState(LinkState::Connected);
        m_link->deliver("\x9f"
                        "orva\x03"
                        "10\x03"
                        "1\x03ORVAIMAGE\x03"
                        "12345678\x9b");
        QTRY_VERIFY_WITH_TIMEOUT(form->findChild<TDetachedImageForm *>() &&
                                     form->findChild<TDetachedImageForm *>()->isVisible(),
                                 3000);
        auto *detached = form->findChild<TDetachedImageForm *>();
        QCOMPARE(detached->VisDocumentImage1()->ImageWidth(), 30);
        QCOMPARE(detached->Panel(0)->text(), QString("Page 1 of 3"));
        QVERIFY(view(form)->Picture().isNull());
    }

    void resetImagePosition() {
        auto form = makeForm();
        QVERIFY(form);
        form->ResetImagePosition1Click(); // no window yet: nothing to move
        form->ShowInDetachedWindow("12345678,");
        auto *detached = child<TDetachedImageForm>(form.get(), "DetachedImageForm");
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        detached->move(screen.left() + 300, screen.top() + 200);
        detached->resize(screen.width() + 100, 300);
        form->ResetImagePosition1Click();
        QCOMPARE(detached->pos(), screen.topLeft());
        QCOMPARE(detached->size(), QSize(screen.width() - 4, 300));
    }

    void sourceMenuItems() {
        auto form = makeForm();
        QVERIFY(form);
        m_messages->answers = {m_s2, "**"};
        panel(form)->NewSourceClick();
        QCOMPARE(m_messages->inputs.value(0), "Change Source Directory|Current Source is \"" + m_s1 + "\".");
        QCOMPARE(m_messages->inputs.value(1), QString("Change Subdirectory Pattern|Enter new pattern"));
        QCOMPARE(panel(form)->CurrentImageSource(), m_s2);
        QCOMPARE(panel(form)->MaskInUse(), QByteArray("**"));
        m_messages->answers = {m_dir.filePath("nowhere")};
        panel(form)->NewSourceClick();
        QCOMPARE(
            m_messages->shown.value(0),
            QString("Invalid Path|That path does not exist \rOR maxiumum users is exceeded. \r\rNo changes "
                    "recorded."));
        QCOMPARE(panel(form)->CurrentImageSource(), m_s1);
        panel(form)->DefaultSourceClick();
        QCOMPARE(panel(form)->MaskInUse(), QByteArray("****...."));
    }
};

QTEST_MAIN(RequestImagesFormTest)
#include "RequestImagesFormTest.moc"
