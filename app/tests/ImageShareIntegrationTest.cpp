// Request images end to end: a generated image share, the sample host's menu screen with its
// request number on row 2, the screen watcher filling the request box, and Enter showing the
// request's first file.
#include "app/ConnectionController.h"
#include "app/TOrvaMainForm.h"
#include "app/tests/FormChildren.h"
#include "common/LocalPath.h"
#include "common/testing/RecordingMessages.h"
#include "imaging/core/DLL96V1.h"
#include "imaging/view/TMultiImage.h"
#include "terminal/widget/TVtTerminalEx.h"
#include "testsupport/SampleHost.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class ImageShareIntegrationTest : public QObject {
    Q_OBJECT
private slots:
    void hostScreenToRequestImages() {
        orva::imaging::SetPathMapper(LocalPath::toLocalPath);
        QTemporaryDir dir;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("config"));
        const QString tools = SampleHost::sourceDir() + "/tools/samplehost/";
        const QString share = dir.filePath("share") + "/";
        const QString alternate = dir.filePath("alternate") + "/";
        QCOMPARE(
            QProcess::execute("python3", {tools + "make_image_share.py", share, "--alternate", alternate}),
            0);

        SampleHost host;
        QVERIFY2(host.start({"--once"}), qPrintable(host.error()));

        QFile setup(dir.filePath("orva.inf"));
        QVERIFY(setup.open(QIODevice::WriteOnly));
        setup.write(
            "host name = " + host.address() + "\r\nsourcedirectory = " + share.toUtf8() +
            "\r\nalternatesource = " + alternate.toUtf8() +
            "\r\nsubdirectory = ****....\r\nnoimagename = noimage.png\r\nprinteravailable = yes\r\n"
            "captureset = 2,1,18:\"REQUEST:\"\r\nlogin conversation = see \"login:\" answer \"labuser\"\r\n");
        setup.close();

        auto messages = std::make_unique<RecordingMessages>();
        TOrvaMainForm form({"orva", setup.fileName()}, nullptr, std::move(messages));
        QVERIFY(form.FormCreate());
        form.show();
        child<ConnectionController>(&form, "ConnectionController")->Timer1Timer();
        auto *terminal = child<TVtTerminalEx>(&form, "VtTerminal1");
        auto *reqNum = child<QLineEdit>(&form, "ReqNum");
        auto *view = child<orva::imaging::TMultiImage>(&form, "ViewMultiImage");
        QTRY_VERIFY_WITH_TIMEOUT(terminal->GetRowText(2).startsWith("REQUEST: 12345678"), 15000);
        // The watcher rests while the request box has the focus; the user is at the terminal.
        terminal->setFocus();
        // Within two ticks of the one-second watcher the box holds the number. Counted in the watcher's
        // ticks, so a busy machine does not change the outcome; the wait's bound only guards a hang.
        int ticks = 0;
        int ticksUntilShown = reqNum->text() == "12345678" ? 0 : -1;
        QObject::connect(reqNum, &QLineEdit::textChanged, &form, [&](const QString &text) {
            // Set by the watcher during a tick that the counter below has not yet seen.
            if (ticksUntilShown < 0 && text == "12345678")
                ticksUntilShown = ticks + 1;
        });
        QObject::connect(child<QTimer>(&form, "RowseekTimer"), &QTimer::timeout, &form, [&] { ++ticks; });
        QTRY_COMPARE_WITH_TIMEOUT(reqNum->text(), QString("12345678"), 30000);
        QVERIFY2(ticksUntilShown >= 0 && ticksUntilShown <= 2, qPrintable(QString::number(ticksUntilShown)));

        reqNum->setFocus();
        QTest::keyClick(reqNum, Qt::Key_Return);
        QVERIFY(child<QWidget>(&form, "ViewPanel")->isVisible());
        QCOMPARE(child<QListWidget>(&form, "ImageNameListBox")->count(), 3);
        QCOMPARE(view->GetImageName(), share + "1234\\12345678~A01.tif");
        QCOMPARE(view->Picture().size(), QSize(2480, 3508));
        QCOMPARE(view->Info().Pages, 3);
        QVERIFY(child<QLabel>(&form, "ViewCounter")->text().startsWith("1/3   "));

        form.CloseSpeedClick();
    }
};

QTEST_MAIN(ImageShareIntegrationTest)
#include "ImageShareIntegrationTest.moc"
