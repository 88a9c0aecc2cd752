// Returning a report from the editor: F10 and ESC, the saved copies, the upload on a stand-in link,
// refusals that keep the report, the reload after a failed upload, template saves, and the host
// requests (audio command, abbreviation look-up with its bounded wait, F2 expansion).
#include "common/testing/FakeHostLink.h"
#include "common/testing/RecordingMessages.h"
#include "editor/report/EditorAudioStatus.h"
#include "editor/wpform/TWPForm.h"
#include "editor/wpform/tests/EditorTestFiles.h"
#include "platform/richtext/TWpTextControl.h"

#include <QLabel>
#include <QProgressBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>

using namespace orva::richtext;

namespace {

const QByteArray kReport = "KX_TEMPLATE~LH1^KX_REQCODE~R/8^KX_PROCCODE~P1^KX_PATCODE~9"
                           "^KX_RESULTTEXT~Liver normal.";

// The host's abbreviation list as client command 4 leaves it.
struct HostList {
    bool created = true;
    QList<QPair<QByteArray, QByteArray>> entries;
    QByteArray answerName, answer;
    QObject timers; // answers still due go with the list

    THostAbbreviationAccess access() {
        THostAbbreviationAccess a;
        a.ListCreated = [this] { return created; };
        a.Value = [this](const QByteArray &name) {
            for (const auto &e : entries)
                if (e.first == name)
                    return e.second;
            return QByteArray();
        };
        a.ClearAnswer = [this] { answerName = answer = QByteArray(); };
        a.Answer = [this] { return qMakePair(answerName, answer); };
        return a;
    }
    // A client command 4 arriving `ms` from now, while the editor waits.
    void answerLater(int ms, const QByteArray &name, const QByteArray &text) {
        QTimer::singleShot(ms, &timers, [this, name, text] {
            answerName = name;
            answer = text;
            if (!name.isEmpty())
                entries.append({name, text});
        });
    }
};

// The document's text as the host keeps it, from the base64 lines of an upload.
QString uploadedText(const HostSendQueue &queue, QString *header) {
    QByteArrayList lines = queue.Lines();
    lines.removeAll("|||");
    TWpDocument doc;
    readRtf(QByteArray::fromBase64(lines.join()), doc);
    *header = doc.header()->toPlainText();
    return TWpDocument::plainText(doc.main());
}

} // namespace

class ReturnReportTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    EditorFolders m_folders;

    struct Editor {
        RecordingMessages shown;
        FakeHostLink link;
        HostSendQueue queue{link};
        HostList host;
        std::unique_ptr<TWPForm> form;
        std::unique_ptr<QSignalSpy> finished;
    };

    std::unique_ptr<Editor> open(const QByteArray &message = kReport) {
        auto e = std::make_unique<Editor>();
        e->form = std::make_unique<TWPForm>(m_folders, &e->queue, e->shown);
        e->form->SetHostAbbreviations(e->host.access());
        e->form->SetLookupRoundMs(5);
        e->finished = std::make_unique<QSignalSpy>(e->form.get(), &TWPForm::ReportFinished);
        e->form->SetReceivedReportText(message);
        e->form->LoadReport();
        return e;
    }

    static void type(TWPForm &form, const QString &text) {
        form.ResultBox()->setSelStart(form.ResultBox()->Text().size());
        form.ResultBox()->setSelText(text);
    }
    static void key(TWPForm &form, Qt::Key k) { QTest::keyClick(form.ResultBox()->editor(), k); }
    static QString mainText(TWPForm &form) {
        return TWpDocument::plainText(form.ResultBox()->document().main());
    }

private slots:
    void initTestCase() {
        m_folders = testFolders(m_dir);
        writeFile(m_dir.filePath("program/tags.txt"), "T01|PatSur|Surname\r\n");
        writeFile(m_dir.filePath("templates/LH1.doc"), rtfOf([](TWpDocument &d) {
                      QTextCursor(d.header()).insertText("Pathology Department");
                      QTextCursor(d.footer()).insertText("Page footer");
                  }));
        writeFile(m_dir.filePath("abbrev/abrevlist.txt"), "P1=p1.abr\r\n");
        writeFile(m_dir.filePath("abbrev/p1.abr"),
                  "nad=No abnormality detected\r\nbold={Bold{ text\r\nfmt=///FILE:fmt.abx\r\n");
        writeFile(m_dir.filePath("abbrev/p1.abr.fmt.abx"),
                  rtfOf([](TWpDocument &d) { QTextCursor(d.main()).insertText("From a file"); }));
    }

    void f10ReturnsAndKeepsCopies() {
        auto e = open(kReport + "^KX_RETURNCONF~C\xE9");
        AudioFilePositions() = {100, 2500};
        key(*e->form, Qt::Key_F10); // no edit: F10 returns all the same
        AudioFilePositions() = {};
        QVERIFY(e->queue.ResultTransferActive());
        const QByteArray text = "Liver normal. \r\n*^KX_RETURNCONF~C\xE9\r\n^KX_AUDIOFILEPOS~100;2500";
        QCOMPARE(e->link.sends.size(), 1);
        QVERIFY(e->link.sends.first().endsWith("\x02" + text + "\x03"));
        QString header;
        QCOMPARE(uploadedText(e->queue, &header), QStringLiteral("Liver normal."));
        QCOMPARE(header, QString()); // the host keeps no letterhead
        // The editor is emptied and hidden; the main window takes over.
        QCOMPARE(mainText(*e->form), QString());
        QVERIFY(!e->form->isVisible());
        QCOMPARE(e->finished->count(), 1);
        QVERIFY(e->form->AbandonReport());
        QVERIFY(!e->form->ReportChanged());
        // The copies: the last report whole, the recovery copy without its letterhead, both private.
        const QString recovery = e->form->RecoveryFilePath();
        QCOMPARE(QFileInfo(recovery).fileName(), QStringLiteral("recover.R%2F8 P1.txc"));
        QVERIFY(QFileInfo(e->form->LastReportFileName()).fileName().startsWith("LastReport."));
        for (const QString &copy : {recovery, e->form->LastReportFileName()}) {
            QVERIFY2(QFile::exists(copy), qPrintable(copy));
            QCOMPARE(QFile(copy).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
                     QFileDevice::Permissions());
        }
        TWpDocument last, recovered;
        readRtf(readFile(e->form->LastReportFileName()), last);
        readRtf(readFile(recovery), recovered);
        QCOMPARE(last.header()->toPlainText(), QStringLiteral("Pathology Department"));
        QCOMPARE(recovered.header()->toPlainText(), QString());
        QCOMPARE(TWpDocument::plainText(recovered.main()), QStringLiteral("Liver normal."));
        QVERIFY(!QFile::exists(e->form->WorkDocumentName() + ".tmp"));

        // The host failed it: the last report comes back, whole and flagged, and goes again.
        QVERIFY(e->form->ReloadLastReport());
        QVERIFY(e->form->isVisible());
        QVERIFY(e->form->ReportChanged());
        QCOMPARE(mainText(*e->form), QStringLiteral("Liver normal."));
        QCOMPARE(e->form->ResultBox()->document().header()->toPlainText(),
                 QStringLiteral("Pathology Department"));

        // The next report of the run keeps the same last-report name.
        const QString name = e->form->LastReportFileName();
        e->queue.SetResultTransferActive(false);
        e->form->SetReceivedReportText(kReport);
        QVERIFY(e->form->LoadReport());
        key(*e->form, Qt::Key_F10);
        QCOMPARE(e->form->LastReportFileName(), name);
        QCOMPARE(e->link.sends.size(), 2);
    }

    // A long report moves the "Document Creation" bar as it is converted, through to its end.
    void conversionMovesTheCreationBar() {
        auto e = open();
        key(*e->form, Qt::Key_F10); // the first return makes the panel
        auto *panel = e->form->findChild<QWidget *>("CreateProgressPanel");
        QVERIFY(panel);
        auto *bar = panel->findChild<QProgressBar *>();
        QVERIFY(bar);
        e->queue.SetResultTransferActive(false);
        e->form->SetReceivedReportText(kReport);
        QVERIFY(e->form->LoadReport());
        type(*e->form, QString(2000, 'x'));
        QList<int> values;
        QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) { values.append(v); });
        key(*e->form, Qt::Key_F10);
        QCOMPARE(e->link.sends.size(), 2);
        QVERIFY(values.first() <= 1); // from the start of the text
        QVERIFY2(values.size() > 50, qPrintable(QString::number(values.size())));
        QVERIFY(std::is_sorted(values.begin(), values.end()));
        QVERIFY(values.last() >= 95); // within a step of the end
    }

    void escapeAbandons() {
        // Right after loading: one ESC, the document cleared, nothing asked.
        auto e = open();
        key(*e->form, Qt::Key_Escape);
        QCOMPARE(e->link.sent, QByteArray("\x1B"));
        QCOMPARE(mainText(*e->form), QString());
        QVERIFY(e->shown.asked.isEmpty());
        QCOMPARE(e->finished->count(), 1);
        QVERIFY(!QFile::exists(e->form->WorkDocumentName()));

        // After an edit the user is asked first; Yes abandons with one ESC.
        e = open();
        type(*e->form, " Edited.");
        e->shown.replies = {UserMessages::Answer::Yes};
        key(*e->form, Qt::Key_Escape);
        QCOMPARE(e->shown.asked, QStringList{"Not Saved!|Do you want to abandon changes?"});
        QCOMPARE(e->link.sent, QByteArray("\x1B"));
        key(*e->form, Qt::Key_Escape); // the editor is closed: nothing more
        QCOMPARE(e->link.sent, QByteArray("\x1B"));

        // No returns the report.
        e = open();
        type(*e->form, " Edited.");
        e->shown.replies = {UserMessages::Answer::No};
        e->form->LeaveReport();
        QVERIFY(e->queue.ResultTransferActive());
        QVERIFY(e->link.sent.startsWith("\x07"));
        QVERIFY(!e->link.sent.contains('\x1B'));
        QVERIFY(e->link.sent.contains("Liver normal. Edited."));
    }

    // Whatever stops the upload from starting, the host gets nothing and the report stays whole.
    void refusedUploadKeepsTheReport() {
        const struct {
            const char *name;
            bool busy;
            LinkState state;
            const char *says;
        } cases[] = {
            {"another upload", true, LinkState::Connected, "already in progress"},
            {"link down", false, LinkState::Closed, "link to the host is down"},
        };
        for (const auto &c : cases) {
            auto e = open();
            if (c.busy)
                QVERIFY(e->queue.Start(BuildUploadMessage("dictation", "")) ==
                        HostSendQueue::StartResult::Started);
            e->link.state = c.state;
            const qsizetype before = e->link.sends.size();
            type(*e->form, " Edited.");
            key(*e->form, Qt::Key_F10);
            key(*e->form, Qt::Key_Escape); // leaving is held back too: no ESC in the middle of an upload
            QVERIFY2(e->shown.shown.last().contains(c.says), c.name);
            QCOMPARE(e->link.sends.size(), before);
            QVERIFY2(e->form->ReportChanged(), c.name);
            QCOMPARE(mainText(*e->form), QStringLiteral("Liver normal. Edited."));
            QCOMPARE(e->form->ResultBox()->SelLength(), 0);
            QCOMPARE(e->form->ResultBox()->document().header()->toPlainText(),
                     QStringLiteral("Pathology Department"));
            QCOMPARE(e->finished->count(), 0);
        }
    }

    // A report that cannot be saved is never sent and never dropped, whether the user tries again
    // or not: it stays in the editor, marked as changed, and the host is told nothing.
    void failedSaveKeepsTheReport() {
        auto e = open();
        // A file where the work folder should be: no copy can be written.
        const QString blocked = m_dir.filePath("blocked");
        writeFile(blocked, "x");
        EditorFolders folders = m_folders;
        folders.ResultDirectory = blocked;
        TWPForm form(folders, &e->queue, e->shown);
        QSignalSpy finished(&form, &TWPForm::ReportFinished);
        form.SetReceivedReportText(kReport);
        form.LoadReport();
        type(form, " Edited.");
        const QString question = "Save Report|The data failed to save.  Do you want to try again?";
        for (auto answer : {UserMessages::Answer::Yes, UserMessages::Answer::No}) {
            e->shown.asked.clear();
            e->shown.shown.clear();
            e->shown.replies = {answer};
            key(form, Qt::Key_F10);
            QCOMPARE(e->shown.asked, QStringList{question});
            if (answer == UserMessages::Answer::Yes)
                QCOMPARE(e->shown.shown, QStringList{"Save Report|Sorry, the data could not be saved.  The "
                                                     "report was not sent and stays in the editor."});
            QVERIFY(e->link.sends.isEmpty());
            QVERIFY(!e->queue.ResultTransferActive());
            QCOMPARE(mainText(form), QStringLiteral("Liver normal. Edited."));
            QCOMPARE(form.ResultBox()->document().header()->toPlainText(),
                     QStringLiteral("Pathology Department"));
            QVERIFY(form.ReportChanged());
            QVERIFY(!form.AbandonReport());
            QCOMPARE(finished.count(), 0);
        }
        // Leaving still asks before anything is thrown away.
        e->shown.replies = {UserMessages::Answer::Yes};
        key(form, Qt::Key_Escape);
        QCOMPARE(e->shown.asked.last(), QStringLiteral("Not Saved!|Do you want to abandon changes?"));
        QCOMPARE(e->link.sent, QByteArray("\x1B"));
    }

    void templateEditingSendsNothing() {
        auto e = open("KX_REQCODE~R6");
        QVERIFY(e->form->TemplateEditing());
        type(*e->form, "Template text");
        key(*e->form, Qt::Key_F10); // no template open: nothing to save into
        QCOMPARE(e->shown.shown.last(), QStringLiteral("Save Template|The template did not save"));
        e->form->SetTemplateFileName(m_dir.filePath("templates/NEW.tpl"));
        key(*e->form, Qt::Key_F10);
        TWpDocument saved;
        QVERIFY(readRtf(readFile(m_dir.filePath("templates/NEW.tpl")), saved).ok);
        QCOMPARE(TWpDocument::plainText(saved.main()), QStringLiteral("Template text"));
        QVERIFY(!e->form->ReportChanged());
        key(*e->form, Qt::Key_Escape);
        QCOMPARE(e->finished->count(), 1);
        QCOMPARE(e->form->findChild<QLabel *>(QStringLiteral("PATIENTStatic"))->text(),
                 TWPForm::NoTemplateText);
        QVERIFY(e->link.sends.isEmpty());
    }

    void reloadWithoutASavedCopy() {
        auto e = open();
        type(*e->form, " Edited.");
        QVERIFY(!e->form->ReloadLastReport());
        QCOMPARE(mainText(*e->form), QStringLiteral("Liver normal. Edited."));
    }

    void audioCommand() {
        auto e = open();
        QVERIFY(e->form->SendAudioCommand("J1", kAudioPlayback));
        QCOMPARE(e->link.sent, QByteArray("\x05"
                                          "AUDIO\x03J1\x03PLAYBACK^KX_ALWAYSONTOP~1\x03\x06"));
        e->link.state = LinkState::Closed;
        QVERIFY(!e->form->SendAudioCommand("J1", kAudioPlayback));
        e->link.state = LinkState::Connected;
        QVERIFY(e->queue.Start(BuildUploadMessage("x", "")) == HostSendQueue::StartResult::Started);
        QVERIFY(!e->form->SendAudioCommand("J1", kAudioPlayback));
        QCOMPARE(e->link.sends.size(), 2);
    }

    void lookupAnswers() {
        auto e = open();
        TWPForm &form = *e->form;
        // Answered: the host's events keep coming during the wait, and the editor takes no input.
        bool enabledDuringWait = true;
        QTimer::singleShot(3, [&] { enabledDuringWait = form.isEnabled(); });
        e->host.answerLater(10, "lft", "liver function tests");
        QCOMPARE(form.LookupHostAbbreviation("lft"), QByteArray("lft=liver function tests"));
        QCOMPARE(e->link.sent, QByteArray("\x05"
                                          "ABR\x03lft\x03\x06"));
        QVERIFY(!enabledDuringWait);
        QVERIFY(form.isEnabled());

        e->host.answerLater(10, "", "!!NOT FOUND!!");
        QCOMPARE(form.LookupHostAbbreviation("xyz"), QByteArray());

        // No answer: given up after the bound.
        form.SetLookupRounds(4);
        QCOMPARE(form.LookupHostAbbreviation("slow"), QByteArray());
        // Its answer arrives late, during the next look-up: not taken for that word.
        e->host.answerLater(2, "slow", "too late");
        QCOMPARE(form.LookupHostAbbreviation("next"), QByteArray());
        QCOMPARE(e->host.entries.last(), qMakePair(QByteArray("slow"), QByteArray("too late")));

        // A report loaded during the wait: the answer belongs to the old one.
        form.SetLookupRounds(201);
        QTimer::singleShot(2, [&] {
            form.SetReceivedReportText(kReport);
            form.LoadReport();
        });
        e->host.answerLater(20, "gen", "old report");
        QCOMPARE(form.LookupHostAbbreviation("gen"), QByteArray());

        // Nothing is asked without a host list or a link.
        const qsizetype sent = e->link.sends.size();
        e->host.created = false;
        QCOMPARE(form.LookupHostAbbreviation("lft"), QByteArray());
        e->host.created = true;
        e->link.state = LinkState::Closed;
        QCOMPARE(form.LookupHostAbbreviation("lft"), QByteArray());
        QCOMPARE(e->link.sends.size(), sent);
    }

    void expandFromEachSource() {
        const struct {
            const char *word;
            const char *hostAnswer; // nullptr: the host list or the active list has it
            const char *result;
        } cases[] = {
            {"mets", nullptr, "Liver normal. metastatic carcinoma"},   // the host's list
            {"NAD", nullptr, "Liver normal. No abnormality detected"}, // the active list, any case
            {"scc", "squamous cell carcinoma", "Liver normal. squamous cell carcinoma"}, // asked
            {"zzz", "!!NOT FOUND!!", "Liver normal. zzz"},
            {"bold", nullptr, "Liver normal. Bold text"},
            {"fmt", nullptr, "Liver normal. From a file"},
        };
        for (const auto &c : cases) {
            auto e = open();
            e->host.entries = {{"mets", "metastatic carcinoma"}};
            type(*e->form, QStringLiteral(" ") + c.word);
            if (c.hostAnswer)
                e->host.answerLater(5, QByteArray(c.word).toLower(), c.hostAnswer);
            key(*e->form, Qt::Key_F2);
            QCOMPARE(mainText(*e->form), QString::fromLatin1(c.result));
            QCOMPARE(e->link.sent.startsWith("\x05"
                                             "ABR"),
                     c.hostAnswer != nullptr);
        }
        // No word before the caret: nothing is asked.
        auto e = open();
        type(*e->form, " ");
        key(*e->form, Qt::Key_F2);
        QVERIFY(e->link.sends.isEmpty());
    }

    void dictationStatusReachesTheEditor() {
        auto e = open();
        QByteArrayList seen;
        connect(e->form.get(), &TWPForm::AudioStatusChanged, this,
                [&](const QByteArray &name, const QByteArray &text, int code) {
                    seen.append(name + '|' + text + '|' + QByteArray::number(code));
                });
        NotifyEditorAudioStatus("J1", "Corrected", 4);
        QCOMPARE(seen, QByteArrayList{"J1|Corrected|4"});
        e.reset();
        NotifyEditorAudioStatus("J1", "after", 4); // the editor has gone: nothing happens
    }
};

QTEST_MAIN(ReturnReportTest)
#include "ReturnReportTest.moc"
