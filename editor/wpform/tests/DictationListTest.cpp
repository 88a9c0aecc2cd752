// The dictation panel: parsing AUDIOTEXTINFO, the status rules, inserting text and placeholders,
// the dictation window's updates filling placeholders, and the typed entries in the returned text.
#include "editor/wpform/DictationList.h"
#include "common/testing/FakeHostLink.h"
#include "common/testing/RecordingMessages.h"
#include "editor/report/EditorAudioStatus.h"
#include "editor/report/HostMarkup.h"
#include "editor/wpform/TWPForm.h"
#include "editor/wpform/tests/EditorTestFiles.h"
#include "platform/richtext/TWpTextControl.h"

#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace orva::richtext;

class DictationListTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    EditorFolders m_folders;

private slots:
    void initTestCase() {
        m_folders = testFolders(m_dir);
        writeFile(m_dir.filePath("program/tags.txt"), "T01|PatSur|Surname\r\n");
    }

    void parsing() {
        const TAudioTextRecords r =
            ParseAudioTextInfo("J2\\8\\P1\\D2]J1\\4\\P1\\D1\\\\Line one\\Line two]short\\1");
        QCOMPARE(r.size(), 2);
        QCOMPARE(r[0].Name, QByteArray("J1"));
        QCOMPARE(r[0].Status, AudioStatusCode(4) > 1 ? AudioStatusCode(4) : 1);
        QCOMPARE(r[0].Text, QByteArray("Line one\r\nLine two"));
        QCOMPARE(r[1].Name, QByteArray("J2"));
        QCOMPARE(r[1].Status, 1);
        QCOMPARE(StatusCaption(r[1].Status), QStringLiteral("Recording (Used)"));
        QCOMPARE(ParseAudioTextInfo("J3\\4\\P1\\D\\b\\text").value(0).Status, 6);
        TAudioTextRecord rec;
        MarkInserted(rec);
        QCOMPARE(rec.Status, 1);
        MarkInserted(rec);
        QCOMPARE(rec.Status, 0);
        QVERIFY(!rec.Typed);
        QCOMPARE(SafeEntryName("a\x03^b~c;d"), QByteArray("abcd"));
    }

    void panelAndPlaceholders() {
        RecordingMessages shown;
        FakeHostLink link;
        HostSendQueue queue{link};
        TWPForm form(m_folders, &queue, shown);
        form.SetReceivedReportText("KX_REQCODE~R1^KX_PROCCODE~P1^KX_PATCODE~9^KX_RESULTTEXT~Text: "
                                   "^KX_AUDIOTEXTINFO~J2\\8\\P1\\D2]J1\\2\\P1\\D1\\\\Line one");
        form.LoadReport();
        QVERIFY(form.findChild<QWidget *>(QStringLiteral("TreePanel"))->isVisibleTo(&form));
        QCOMPARE(form.findChild<QListWidget *>(QStringLiteral("lvAudioRecs"))->count(), 2);
        form.findChild<QListWidget *>(QStringLiteral("lvAudioRecs"))->setCurrentRow(0);
        QVERIFY(form.findChild<QPushButton *>(QStringLiteral("sbPlayAudio"))->isEnabled());
        QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("sbPlayAudio")), Qt::LeftButton);
        QVERIFY(link.sent.contains("J1"));

        // Recognised text is inserted and marked used; the typed entry goes back with the report.
        const TAudioTextRecord first = form.AudioRecords()[0];
        NotifyEditorAudioStatus(first.Name, first.Text, 2); // recognised text
        form.ResultBox()->setSelStart(form.ResultBox()->Text().size());
        QVERIFY(form.BtnInsTextClick());
        QVERIFY(
            TWpDocument::plainText(form.ResultBox()->document().main()).endsWith(QStringLiteral("Line one")));
        QCOMPARE(form.AudioRecords()[0].Status, 3);
        QVERIFY(ExportHostMarkup(form.ResultBox()->document(), form.TypedDictationEntries())
                    .startsWith("KX_AUDIOTYPED;J1"));
        // Used text asks first.
        QVERIFY(!form.BtnInsTextClick());
        QVERIFY(shown.asked.last().startsWith(QStringLiteral("Reusing Audio File Text|")));

        // A placeholder for a dictation to come, filled when the dictation window reports corrected text.
        shown.answers = {"Gross;"};
        form.ResultBox()->setSelStart(form.ResultBox()->Text().size());
        link.sent.clear();
        QVERIFY(form.InsertAudioPlaceholder());
        QVERIFY(link.sent.contains("RECORD^KX_ALWAYSONTOP~1"));
        const QByteArray name = form.AudioRecords().last().Name;
        QVERIFY(name.startsWith("R1_"));
        QVERIFY(TWpDocument::plainText(form.ResultBox()->document().main())
                    .contains(QStringLiteral("INSERT AUDIO HERE-")));
        NotifyEditorAudioStatus(name, "Final text", 4);
        const QString text = TWpDocument::plainText(form.ResultBox()->document().main());
        QVERIFY2(text.endsWith(QStringLiteral("Final text")), qPrintable(text));
        QVERIFY(!text.contains(QChar(0xA8)));
        QCOMPARE(form.AudioRecords().last().Status, 5);
        QVERIFY(form.AudioRecords().last().Typed);

        // No AUDIOTEXTINFO: no panel.
        form.SetReceivedReportText("KX_REQCODE~R2^KX_PROCCODE~P1^KX_PATCODE~9^KX_RESULTTEXT~x");
        form.LoadReport();
        QVERIFY(!form.findChild<QWidget *>(QStringLiteral("TreePanel"))->isVisibleTo(&form));
    }

    void starPlaceholder() {
        TAudioTextRecords r = ParseAudioTextInfo("J1\\4\\P1\\Other\\\\a]J2\\4\\P1\\Gross\\\\b");
        r[0].Status = r[1].Status = 4;
        QCOMPARE(PlaceholderMatch(r, QString(QChar(0xA8)) + "INSERT AUDIO HERE-*;P1;Gross"), 1);
        QCOMPARE(PlaceholderMatch(r, QString(QChar(0xA8)) + "INSERT AUDIO HERE-J1;*;x"), 0);
        QCOMPARE(PlaceholderMatch(r, QString(QChar(0xA8)) + "INSERT AUDIO HERE-J3;P1;x"), -1);
        QCOMPARE(PlaceholderMatch(r, QString(QChar(0xA8)) + "INSERT AUDIO HERE-j2;p1;x"), 1);
        QCOMPARE(PlaceholderMatch(r, QString(QChar(0xA8)) + "INSERT AUDIO HERE-J2;P2;x"), -1);
        QCOMPARE(PlaceholderMatch(r, QString(QChar(0xA8)) + "INSERT AUDIO HERE-*;*;gross"), -1);
        r[0].Status = 2; // recognised only: not filled
        QCOMPARE(PlaceholderMatch(r, QString(QChar(0xA8)) + "INSERT AUDIO HERE-J1;P1;x"), -1);
    }

    // Several placeholders in one paragraph, for the same dictation and for others: each one asked
    // for is filled with every line of the text, and the others stay fields.
    void fillsEveryPlaceholderOfAParagraph() {
        RecordingMessages shown;
        FakeHostLink link;
        HostSendQueue queue{link};
        TWPForm form(m_folders, &queue, shown);
        form.SetReceivedReportText("KX_REQCODE~R1^KX_PROCCODE~P1^KX_PATCODE~9^KX_RESULTTEXT~Start "
                                   "^KX_AUDIOTEXTINFO~J1\\2\\P1\\D1]J2\\2\\P1\\D2");
        form.LoadReport();
        TWpTextControl *box = form.ResultBox();
        const QString mark(QChar(0xA8));
        for (const char *fields : {"J1;P1;D1", "J2;P1;D2", "j1;*;x", "J9;P1;D9"}) {
            box->setSelStart(box->Text().size());
            box->InsertField(mark + QStringLiteral("INSERT AUDIO HERE-") + QLatin1String(fields));
            box->setSelStart(box->Text().size());
            box->setSelText(QStringLiteral(" and "));
        }
        NotifyEditorAudioStatus("J1", "One\r\nTwo", 4);
        QTextDocument *doc = box->document().main();
        const QString text = TWpDocument::plainText(doc);
        QCOMPARE(text.count(QStringLiteral("One\rTwo")), 2);
        QCOMPARE(text.count(mark), 2);
        QVERIFY2(text.contains(QStringLiteral("HERE-J2;P1;D2 and One\rTwo and ")), qPrintable(text));
        const QList<TWpDocument::FieldSpan> spans = TWpDocument::fieldSpans(doc);
        QCOMPARE(spans.size(), 2);
        for (const TWpDocument::FieldSpan &s : spans)
            QVERIFY(text.mid(s.start, s.end - s.start).startsWith(mark));
        QCOMPARE(form.AudioRecords()[0].Status, 5);
        QVERIFY(form.AudioRecords()[0].Typed);
        QVERIFY(!form.AudioRecords()[1].Typed);
    }
};

QTEST_MAIN(DictationListTest)
#include "DictationListTest.moc"
