// The detached image window end to end: the sample host's menu choice 6 sends the client command
// that asks for a request's forms; the window opens on them; the key map's image actions step
// between the files, scroll by 20 pixels and zoom; its place is kept in the registry from one run
// of the program to the next.
#include "app/ConnectionController.h"
#include "app/TOrvaMainForm.h"
#include "app/tests/FormChildren.h"
#include "common/LocalPath.h"
#include "common/testing/RecordingMessages.h"
#include "imaging/core/DLL96V1.h"
#include "imaging/detached/TDetachedImageForm.h"
#include "imaging/docview/VisDocumentImage.h"
#include "imaging/docview/tests/TiffFixtures.h"
#include "platform/hostlink/HostLink.h"
#include "terminal/widget/TVtTerminalEx.h"
#include "testsupport/SampleHost.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace orva::imaging;

class DetachedWindowIntegrationTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_share;
    QString m_setup;

    // A request form page at 100 dpi, black on white: frame, title, request number, ruled lines.
    static QImage formPage(int page) {
        QImage canvas(850, 1100, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter p(&canvas);
        p.setPen(QPen(Qt::black, 3));
        p.drawRect(50, 50, 750, 1000);
        p.drawLine(50, 190, 800, 190);
        p.setPen(QPen(Qt::black, 1));
        for (int y = 260; y < 1000; y += 60) {
            p.drawLine(90, y, 760, y);
        }
        QFont font("DejaVu Sans");
        font.setPixelSize(36);
        font.setBold(true);
        p.setFont(font);
        p.drawText(90, 110, "PATHOLOGY REQUEST FORM");
        font.setPixelSize(24);
        font.setBold(false);
        p.setFont(font);
        p.drawText(90, 165, "Request 12345678");
        p.drawText(600, 165, QString("Page %1 of 3").arg(page));
        p.drawText(90, 245, "Clinical details:");
        p.drawText(90, 1030, "Specimen: biopsy");
        p.end();
        return canvas.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    }

    // A share with the sample host's request: a three-page form, a second TIFF and a picture.
    void writeShare() {
        m_share = m_dir.filePath("share") + "/";
        QDir().mkpath(m_share + "1234");
        std::vector<test::TiffPage> pages;
        for (int p = 1; p <= 3; ++p) {
            pages.push_back({formPage(p), COMPRESSION_CCITTFAX4, 100, 100});
        }
        QVERIFY(test::writeTiff(m_share + "1234/12345678~A01.tif", pages));
        QVERIFY(test::writeTiff(m_share + "1234/12345678~B01.tif", {pages[2]}));
        QVERIFY(test::colourPage(600, 400, 50).save(m_share + "1234/12345678~C01.png"));
        QVERIFY(test::colourPage(300, 200, 20).save(m_share + "noimage.png"));
    }

    std::unique_ptr<TOrvaMainForm> makeForm(const QByteArray &port) {
        QFile setup(m_dir.filePath("orva.inf"));
        if (!setup.open(QIODevice::WriteOnly)) {
            return nullptr;
        }
        setup.write(
            "host name = 127.0.0.1:" + port + "\r\nsourcedirectory = " + m_share.toUtf8() +
            "\r\nsubdirectory = ****....\r\nnoimagename = noimage.png\r\nprinteravailable = yes\r\n"
            "captureset = 2,1,18:\"REQUEST:\"\r\nlogin conversation = see \"login:\" answer \"labuser\"\r\n");
        setup.close();
        auto form = std::make_unique<TOrvaMainForm>(QStringList{"orva", setup.fileName()}, nullptr,
                                                    std::make_unique<RecordingMessages>());
        return form->FormCreate() ? std::move(form) : nullptr;
    }

private slots:
    void hostAsksForTheFormsAndTheKeyMapDrivesTheWindow() {
        SetPathMapper(LocalPath::toLocalPath);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("config"));
        writeShare();
        SampleHost host;
        QVERIFY2(host.start(), qPrintable(host.error()));
        const QByteArray port = QByteArray::number(host.port());

        QRect place;
        {
            auto form = makeForm(port);
            QVERIFY(form);
            form->show();
            child<ConnectionController>(form.get(), "ConnectionController")->Timer1Timer();
            auto *terminal = child<TVtTerminalEx>(form.get(), "VtTerminal1");
            QTRY_VERIFY_WITH_TIMEOUT(terminal->GetRowText(2).startsWith("REQUEST: 12345678"), 15000);
            QVERIFY(terminal->GetRowText(9).contains("6. Request forms in the image window"));
            QTRY_VERIFY_WITH_TIMEOUT(terminal->GetRowText(22).startsWith("Choice:"), 5000);
            QVERIFY(form->findChild<TDetachedImageForm *>() == nullptr);
            child<HostLink>(form.get(), "Telnet1")->Send("6\r");
            QTRY_VERIFY_WITH_TIMEOUT(form->findChild<TDetachedImageForm *>() &&
                                         form->findChild<TDetachedImageForm *>()->isVisible(),
                                     10000);

            auto *w = child<TDetachedImageForm>(form.get(), "DetachedImageForm");
            VisDocumentImage *v = w->VisDocumentImage1();
            QCOMPARE(w->FileListCombo()->count(), 3);
            QCOMPARE(w->Panel(0)->text(), QString("Page 1 of 3"));
            QCOMPARE(w->Panel(5)->text(), "File Name: " + m_share + "1234\\12345678~A01.tif");
            QCOMPARE(v->TiffPageCount(), 3);
            // {prevpage} (code 2) runs the next-file action, {nextpage} (code 0) the previous one.
            QVERIFY(RunImageKey(w, ikNextFile));
            QCOMPARE(w->Panel(0)->text(), QString("Page 2 of 3"));
            QVERIFY(RunImageKey(w, ikNextFile));
            QCOMPARE(v->ImageWidth(), 600); // the picture
            QVERIFY(RunImageKey(w, ikPreviousFile));
            QVERIFY(RunImageKey(w, ikPreviousFile));
            QCOMPARE(w->FileListCombo()->currentIndex(), 0);

            const double fitted = v->ScalePercent();
            QVERIFY(RunImageKey(w, ikZoomIn));
            QVERIFY(RunImageKey(w, ikZoomIn));
            QCOMPARE(v->ScalePercent(), fitted + 10);
            QVERIFY(RunImageKey(w, ikZoomOut));
            QCOMPARE(v->ScalePercent(), fitted + 5);
            v->SetScalePercent(200);
            QVERIFY(RunImageKey(w, ikScrollDown));
            QVERIFY(RunImageKey(w, ikScrollDown));
            QVERIFY(RunImageKey(w, ikScrollRight));
            QCOMPARE(v->ScrollPosition(), QPoint(20, 40));
            QVERIFY(RunImageKey(w, ikScrollUp));
            QVERIFY(RunImageKey(w, ikScrollLeft));
            QCOMPARE(v->ScrollPosition(), QPoint(0, 20));
            QVERIFY(RunImageKey(w, ikZoomReset));
            QVERIFY(v->DisplayedSize().height() <= v->height());

            // Moved and sized by the user, then closed: the place is stored.
            w->move(120, 90);
            w->resize(500, 400); // within the offscreen screen of 800 x 600
            place = QRect(w->pos(), w->size());
            w->close();
            QVERIFY(!RunImageKey(w, ikNextFile)); // hidden: the keys leave it alone
            form->CloseSpeedClick();
        }
        {
            // The next run of the program opens the window where it was.
            auto form = makeForm(port);
            QVERIFY(form);
            form->ShowInDetachedWindow("12345678,");
            auto *w = child<TDetachedImageForm>(form.get(), "DetachedImageForm");
            QVERIFY(w->isVisible());
            QCOMPARE(QRect(w->pos(), w->size()), place);
            form->CloseSpeedClick();
        }
    }
};

QTEST_MAIN(DetachedWindowIntegrationTest)
#include "DetachedWindowIntegrationTest.moc"
