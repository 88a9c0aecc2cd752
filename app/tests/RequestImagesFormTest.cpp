// The main window's request images, offscreen with a fake link: the screen watcher, Enter in the
// request box, the image strip and its keys, print to PDF, the source menu items and the
// host-sent list falling back to the main window.
#include "app/RequestImagePanel.h"
#include "app/TOrvaMainForm.h"
#include "app/tests/FormChildren.h"
#include "common/LocalPath.h"
#include "common/testing/FakeHostLink.h"
#include "common/testing/RecordingMessages.h"
#include "imaging/core/DLL96V1.h"
#include "imaging/view/TMultiImage.h"
#include "terminal/widget/TVtTerminalEx.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

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
    static QComboBox *names(const std::unique_ptr<TOrvaMainForm> &form) {
        return child<QComboBox>(form.get(), "ImageNameListBox");
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
        QCOMPARE(names(form)->itemText(0), QString("12345678~A01.png"));
        QCOMPARE(names(form)->itemText(1), QString("12345678~b01.png"));
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

    void noFilesAndRefusedNumbers() {
        auto form = makeForm();
        QVERIFY(form);
        reqNum(form)->setText("55555555");
        form->ShowRequestImages();
        QCOMPARE(names(form)->count(), 1);
        QCOMPARE(names(form)->itemText(0), QString("noimage.png"));
        QCOMPARE(view(form)->GetImageName(), m_s1 + "noimage.png");
        QCOMPARE(counter(form)->text(), QString());
        QVERIFY(!child<QPushButton>(form.get(), "NextImageButton")->isVisibleTo(form.get()));

        // A prefix of another request lists only its own file; wildcards and paths list nothing.
        reqNum(form)->setText("1234567");
        form->ShowRequestImages();
        QCOMPARE(names(form)->count(), 1);
        QCOMPARE(names(form)->itemText(0), QString("1234567~A01.png"));
        for (const char *bad : {"1234*", "../1234", "1234\\12345678", ".."}) {
            names(form)->clear();
            reqNum(form)->setText(bad);
            QVERIFY(!form->LoadRequestImages());
            QCOMPARE(names(form)->count(), 0);
        }
    }

    void detachedOptionAndHostListFallBackToTheMainWindow() {
        auto form = makeForm();
        QVERIFY(form);
        form->ImageDisplayOptionToolBtnClick();
        QVERIFY(child<QToolButton>(form.get(), "ImageDisplayOptionToolBtn")->isChecked());
        reqNum(form)->setText("12345678");
        form->ShowRequestImages();
        QCOMPARE(names(form)->count(), 3);
        form->ExitButtonClick();
        form->ShowInDetachedWindow(",..,12345678,");
        QCOMPARE(view(form)->Picture().width(), 30);
    }

    void hostSentImageListReachesTheMainWindow() {
        auto form = makeForm();
        QVERIFY(form);
        // Client command 1 with "ORVAIMAGE": an object request frame of type 10, from the host.
        m_link->setState(LinkState::Connected);
        m_link->deliver("\x9f"
                        "orva\x03"
                        "10\x03"
                        "1\x03ORVAIMAGE\x03"
                        "12345678\x9b");
        QTRY_VERIFY_WITH_TIMEOUT(!view(form)->Picture().isNull(), 3000);
        QCOMPARE(view(form)->GetImageName(), m_s2 + "1234\\12345678~A01.png");
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
