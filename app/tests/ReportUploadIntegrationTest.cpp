// A report from the sample host opens in the editor through the main window; its upload goes back
// through the send queue and the host checks every number of the header and stores the text. The
// host's refusals (NAK, BEL) and a link dropped mid-upload end the transfer and tell the user.
#include "app/ConnectionController.h"
#include "app/TOrvaMainForm.h"
#include "app/tests/FormChildren.h"
#include "common/testing/RecordingMessages.h"
#include "editor/report/HostMarkup.h"
#include "editor/report/HostUpload.h"
#include "editor/wpform/TWPForm.h"
#include "platform/richtext/TWpTextControl.h"
#include "testsupport/SampleHost.h"

#include <QFile>
#include <QFrame>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

// One session against the sample host running `upload` after sending the histology report.
class Session {
public:
    explicit Session(const QJsonObject &upload) {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("config"));
        QJsonArray steps;
        steps.append(QJsonObject{{"sleep", 0.2}});
        steps.append(QJsonObject{{"report_file", "histology.txt"}, {"split", QJsonArray{5, 40}}});
        QJsonObject receive = upload;
        receive["receive_upload"] = dir.filePath("uploaded.txt");
        steps.append(receive);
        QFile script(dir.filePath("script.json"));
        if (script.open(QIODevice::WriteOnly))
            script.write(QJsonDocument(steps).toJson());
        script.close();
        if (!host.start({"--script", script.fileName(), "--once"}))
            qWarning("sample host: %s", qPrintable(host.error()));
        QFile setup(dir.filePath("orva.inf"));
        setup.open(QIODevice::WriteOnly);
        setup.write("host name = " + host.address() +
                    "\r\ntemplatedirectory = " + dir.filePath("templates").toUtf8() +
                    "\r\nrtfabbreviationdirectory = " + dir.path().toUtf8() +
                    "\r\nrtfresultdirectory = " + dir.filePath("work").toUtf8() + "\r\n");
        setup.close();
        auto recording = std::make_unique<RecordingMessages>();
        messages = recording.get();
        form = std::make_unique<TOrvaMainForm>(QStringList{"orva", setup.fileName()}, nullptr,
                                               std::move(recording));
    }
    ~Session() {
        form.reset();
        host.stop();
    }
    TWPForm *editor() const { return form->findChild<TWPForm *>(); }
    QFrame *transferPanel() const { return child<QFrame>(form.get(), "TransferPanel"); }
    QString hostLog() {
        QFile f(host.logPath());
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll());
    }

    QTemporaryDir dir;
    SampleHost host;
    RecordingMessages *messages = nullptr;
    std::unique_ptr<TOrvaMainForm> form;
};

// Opens the report and starts its upload with the document as the binary part.
bool openAndUpload(Session &s, QByteArray *text) {
    if (!s.form->FormCreate())
        return false;
    child<ConnectionController>(s.form.get(), "ConnectionController")->Timer1Timer();
    if (!QTest::qWaitFor([&] { return s.editor() && s.editor()->isVisible(); }, 15000))
        return false;
    TWPForm *editor = s.editor();
    *text = ExportHostMarkup(editor->ResultBox->document());
    if (!editor->ResultBox->SaveDocument(editor->WorkDocumentName + ".tmp", -1, false, 3))
        return false;
    return editor->ReturnReport(*text);
}
} // namespace

class ReportUploadIntegrationTest : public QObject {
    Q_OBJECT
private slots:
    void reportOpensAndUploadArrivesIntact() {
        Session s(QJsonObject{{"ack_delay", 0.01}});
        QByteArray text;
        QVERIFY(openAndUpload(s, &text));
        TWPForm *editor = s.editor();
        QCOMPARE(editor->ReportRecord.GetReqCode(), QByteArray("26/00123"));
        QCOMPARE(editor->PATIENTStatic->text().left(15), QStringLiteral("Mrs Smith, Anne"));
        QCOMPARE(
            text,
            QByteArray("Liver biopsy \r\nTwo cores of {liver{, 12 mm. \r\n|Caf? au lait| change 1/2 cm. "));
        QVERIFY(s.form->SendQueue().ResultTransferActive());
        QTRY_VERIFY_WITH_TIMEOUT(!s.form->SendQueue().ResultTransferActive(), 20000);
        // Every number of the header agreed with what the host received.
        QVERIFY(s.hostLog().contains("\"ok\": true, \"checks\""));
        QFile stored(s.dir.filePath("uploaded.txt"));
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QCOMPARE(stored.readAll(), text);
        QFile document(s.dir.filePath("uploaded.txt.bin"));
        QVERIFY(document.open(QIODevice::ReadOnly));
        QVERIFY(document.readAll().startsWith("{\\rtf1"));
        QVERIFY(s.transferPanel()->isHidden());
        QVERIFY(s.form->SendQueue().Lines().isEmpty());
        QVERIFY(s.messages->shown.filter("Transfer failure").isEmpty());
        // The plain-text copies of the message and the upload go when the window closes.
        QVERIFY(QFile::exists(s.dir.filePath("work/lastpendrastring.txt")));
        QVERIFY(QFile::exists(s.dir.filePath("work/Datacopy.txt")));
        s.form->CleanWorkFiles();
        QVERIFY(!QFile::exists(s.dir.filePath("work/lastpendrastring.txt")));
        QVERIFY(!QFile::exists(s.dir.filePath("work/Datacopy.txt")));
    }

    void hostRefusals() {
        for (const char *reply : {"nak", "bel"}) {
            Session s(QJsonObject{{"reply", reply}});
            QByteArray text;
            QVERIFY(openAndUpload(s, &text));
            QTRY_VERIFY_WITH_TIMEOUT(!s.form->SendQueue().ResultTransferActive(), 20000);
            QVERIFY(s.form->SendQueue().Lines().isEmpty());
            QTRY_VERIFY_WITH_TIMEOUT(s.messages->shown.contains("Save Data|Transfer failure. Please Re-save"),
                                     5000);
            QVERIFY(s.editor()->ReportChanged);
        }
    }

    void droppedLinkEndsTheUpload() {
        Session s(QJsonObject{{"close_after_header", true}});
        QByteArray text;
        QVERIFY(openAndUpload(s, &text));
        QTRY_VERIFY_WITH_TIMEOUT(child<HostLink>(s.form.get(), "Telnet1")->State() == LinkState::Closed,
                                 20000);
        QVERIFY(!s.form->SendQueue().ResultTransferActive());
        QVERIFY(s.form->SendQueue().Lines().isEmpty());
        QVERIFY(s.transferPanel()->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(!s.messages->shown.filter("lost while the report was being sent").isEmpty(),
                                 5000);
    }
};

QTEST_MAIN(ReportUploadIntegrationTest)
#include "ReportUploadIntegrationTest.moc"
