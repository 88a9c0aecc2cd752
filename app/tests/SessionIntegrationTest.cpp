// A whole session through the main window: the sample host sends a screen with an object request
// frame in its middle, cut into several blocks, and a report message; the screen shows the text
// without the frame, the frame is carried out, and the report reaches the editor intact.
#include "app/ConnectionController.h"
#include "app/TOrvaMainForm.h"
#include "app/tests/FormChildren.h"
#include "common/testing/RecordingMessages.h"
#include "editor/wpform/TWPForm.h"
#include "platform/hostlink/HostLink.h"
#include "terminal/widget/TVtTerminalEx.h"
#include "testsupport/SampleHost.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The middle of a screen cell (rows and columns from 1) in the terminal's viewport.
QPoint cellCentre(const TVtTerminalEx *t, int row, int col) {
    return {(col - 1) * t->CellWidth() + t->CellWidth() / 2,
            (row - 1) * t->CellHeight() + t->CellHeight() / 2};
}

// The sample host serving one connection with `steps`.
bool startScripted(SampleHost &host, const QTemporaryDir &dir, const QJsonArray &steps) {
    QFile script(dir.filePath("script.json"));
    if (!script.open(QIODevice::WriteOnly) || script.write(QJsonDocument(steps).toJson()) < 0) {
        return false;
    }
    script.close();
    return host.start({"--script", script.fileName(), "--once"});
}

} // namespace

class SessionIntegrationTest : public QObject {
    Q_OBJECT
private slots:
    // While the user drags out a selection, the host's text waits; a key lets it through, whole and
    // in the order it came.
    void selectionHoldKeepsHostTextUntilAKey() {
        QTemporaryDir dir;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("config"));
        QJsonArray steps;
        steps.append(QJsonObject{{"sleep", 0.2}});
        steps.append(QJsonObject{{"send", "\\e[H\\e[2JSELECT THIS TEXT\\r\\n"}});
        steps.append(QJsonObject{{"expect", "go"}});
        steps.append(QJsonObject{{"send", "HELD ONE\\r\\n"}, {"split", QJsonArray{3, 6}}});
        steps.append(QJsonObject{{"send", "HELD TWO\\r\\nHELD THREE"}, {"split", QJsonArray{4}}});
        // A frame after the text: its box shows that everything before it has arrived.
        steps.append(QJsonObject{{"client_command", 5}, {"args", QJsonArray{"Held", "sent"}}});
        SampleHost host;
        QVERIFY2(startScripted(host, dir, steps), qPrintable(host.error()));
        QFile setup(dir.filePath("orva.inf"));
        QVERIFY(setup.open(QIODevice::WriteOnly));
        setup.write("host name = " + host.address() + "\r\n");
        setup.close();

        auto messages = std::make_unique<RecordingMessages>();
        RecordingMessages *shown = messages.get();
        TOrvaMainForm form({"orva", setup.fileName()}, nullptr, std::move(messages));
        QVERIFY(form.FormCreate());
        form.show();
        auto *terminal = child<TVtTerminalEx>(&form, "VtTerminal1");
        child<ConnectionController>(&form, "ConnectionController")->Timer1Timer();
        QTRY_VERIFY_WITH_TIMEOUT(terminal->GetRowText(1).startsWith("SELECT THIS TEXT"), 15000);

        QWidget *viewport = terminal->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, cellCentre(terminal, 1, 1));
        QTest::mouseMove(viewport, cellCentre(terminal, 1, 10));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, cellCentre(terminal, 1, 10));
        QCOMPARE(terminal->GetSelectedText(), QByteArray("SELECT THI\r\n"));

        child<HostLink>(&form, "Telnet1")->Send("go\r");
        QTRY_VERIFY_WITH_TIMEOUT(shown->shown.contains("Held|sent"), 10000);
        // The box comes after the terminal has taken what was written before it: nothing was.
        for (int row = 1; row <= terminal->Rows(); ++row) {
            QVERIFY2(!terminal->GetRowText(row).contains("HELD"), terminal->GetRowText(row).constData());
        }
        QCOMPARE(terminal->GetSelectedText(), QByteArray("SELECT THI\r\n"));

        QTest::keyClick(terminal, Qt::Key_Shift);
        QTRY_COMPARE(terminal->GetRowText(2).trimmed(), QByteArray("HELD ONE"));
        QCOMPARE(terminal->GetRowText(3).trimmed(), QByteArray("HELD TWO"));
        QCOMPARE(terminal->GetRowText(4).trimmed(), QByteArray("HELD THREE"));
        QCOMPARE(terminal->GetSelectedText(), QByteArray());
        form.CloseSpeedClick();
    }

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

        SampleHost host;
        QVERIFY2(startScripted(host, dir, steps), qPrintable(host.error()));

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
        QCOMPARE(form.findChild<TWPForm *>()->ReceivedReportText(), report);
        QTRY_COMPARE_WITH_TIMEOUT(child<TVtTerminalEx>(&form, "VtTerminal1")->GetRowText(1).trimmed(),
                                  QByteArray("SCREEN TOPSCREEN BOTTOM"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(shown->shown.contains("Lab|Hello"), 5000);
        form.CloseSpeedClick();
    }
};

QTEST_MAIN(SessionIntegrationTest)
#include "SessionIntegrationTest.moc"
