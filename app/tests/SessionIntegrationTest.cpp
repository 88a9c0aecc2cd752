// A whole session through the main window: the sample host sends a screen with an object request
// frame in its middle, cut into several blocks, and a report message; the screen shows the text
// without the frame, the frame is carried out, and the report reaches the editor intact.
#include "app/ConnectionController.h"
#include "app/TOrvaMainForm.h"
#include "app/tests/FormChildren.h"
#include "common/testing/RecordingMessages.h"
#include "editor/wpform/TWPForm.h"
#include "terminal/widget/TVtTerminalEx.h"
#include "testsupport/SampleHost.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class SessionIntegrationTest : public QObject {
    Q_OBJECT
private slots:
    void screenFrameAndReportThroughTheWindow() {
        QTemporaryDir dir;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("config"));
        const QByteArray report = "KX_TEMPLATE~HIST1^KX_REQUEST~12345678^KX_TEXT~line \xe9\xfc";
        QJsonArray steps;
        steps.append(QJsonObject{{"sleep", 0.3}});
        steps.append(QJsonObject{{"send", "SCREEN TOP"}});
        steps.append(QJsonObject{
            {"client_command", 5}, {"args", QJsonArray{"Lab", "Hello"}}, {"split", QJsonArray{1, 4, 9}}});
        steps.append(QJsonObject{{"send", "SCREEN BOTTOM"}});
        steps.append(QJsonObject{{"report", QString::fromLatin1(report)}, {"split", QJsonArray{2, 10, 30}}});
        QFile script(dir.filePath("script.json"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QJsonDocument(steps).toJson());
        script.close();

        SampleHost host;
        QVERIFY2(host.start({"--script", script.fileName(), "--once"}), qPrintable(host.error()));

        QFile setup(dir.filePath("orva.inf"));
        QVERIFY(setup.open(QIODevice::WriteOnly));
        setup.write("host name = " + host.address() + "\r\ntemplatedirectory = " + dir.path().toUtf8() +
                    "\r\nrtfabbreviationdirectory = " + dir.path().toUtf8() + "\r\n");
        setup.close();

        auto messages = std::make_unique<RecordingMessages>();
        RecordingMessages *shown = messages.get();
        TOrvaMainForm form({"orva", setup.fileName()}, nullptr, std::move(messages));
        QVERIFY(form.FormCreate());
        child<ConnectionController>(&form, "ConnectionController")->Timer1Timer();
        QTRY_VERIFY_WITH_TIMEOUT(form.findChild<TWPForm *>(), 15000);
        QCOMPARE(form.findChild<TWPForm *>()->ReceivedReportText, report);
        QTRY_COMPARE_WITH_TIMEOUT(child<TVtTerminalEx>(&form, "VtTerminal1")->GetRowText(1).trimmed(),
                                  QByteArray("SCREEN TOPSCREEN BOTTOM"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(shown->shown.contains("Lab|Hello"), 5000);
        form.CloseSpeedClick();
    }
};

QTEST_MAIN(SessionIntegrationTest)
#include "SessionIntegrationTest.moc"
