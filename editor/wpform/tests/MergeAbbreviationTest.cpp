// Merge fields filled from the report record, abbreviation markup with its table marks, and the
// local abbreviation list: adding entries of each kind and the list box's keys.
#include "common/testing/RecordingMessages.h"
#include "editor/report/HostMarkup.h"
#include "editor/wpform/MergeFields.h"
#include "editor/wpform/TWPForm.h"
#include "editor/wpform/tests/EditorTestFiles.h"
#include "platform/richtext/TWpRtf.h"
#include "platform/richtext/TWpTextControl.h"

#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextTable>

using namespace orva::richtext;

namespace {

void compareGolden(const char *name, const QByteArray &actual) {
    const QString path = qEnvironmentVariable("ORVA_SOURCE_DIR") + "/editor/wpform/tests/golden/" + name;
    if (qEnvironmentVariableIsSet("ORVA_REGENERATE_GOLDEN"))
        writeFile(path, actual);
    QCOMPARE(actual, readFile(path));
}

const QByteArray kTags =
    "T01|PatSur|Surname\r\nT02|ReqCode|Request\r\n6|PatAdd1|Address\r\n7|patadd2|Address\r\n"
    "8|Patadd3|Address\r\n9|patpc|Address\r\n";

} // namespace

class MergeAbbreviationTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    EditorFolders m_folders;

    std::unique_ptr<TWPForm> open(RecordingMessages &shown, const QByteArray &message) {
        auto form = std::make_unique<TWPForm>(m_folders, nullptr, shown);
        form->SetReceivedReportText(message);
        form->LoadReport();
        return form;
    }
    static QString mainText(TWPForm &form) {
        return TWpDocument::plainText(form.ResultBox()->document().main());
    }

private slots:
    void initTestCase() {
        m_folders = testFolders(m_dir);
        writeFile(m_dir.filePath("program/tags.txt"), kTags);
        writeFile(m_dir.filePath("templates/LH1.doc"), rtfOf([](TWpDocument &d) {
                      QTextCursor(d.header()).insertText("Patient <<PatSur>> <<0>>");
                      QTextCursor(d.footer()).insertText("Request <<1>> <<uNot a prompt>>");
                  }));
        writeFile(m_dir.filePath("templates/M1.tpl"), rtfOf([](TWpDocument &d) {
                      QTextCursor c(d.main());
                      c.insertText("Name: <<PatSur>> given <<PatGiven>> title <<PATTitle>>");
                      c.insertBlock();
                      c.insertText("<<2>>/<<3>>/<<4>>/<<5>>/<< 1 >>/<<99>>/<<99999999999>>");
                      c.insertBlock();
                      c.insertText("Result: <<uEnter result>> and <<U>> and <<>> end <<open");
                  }));
        writeFile(m_dir.filePath("abbrev/abrevlist.txt"), "P1=p1.abr\r\nM1=p1.abr\r\n");
        writeFile(m_dir.filePath("abbrev/p1.abr"), "NAD=No abnormality detected\r\n");
    }

    void mergeFieldValues() {
        TReportRecord r;
        r.LoadTags({"T01|PatSur|Surname", "T02|ReqCode|Request"});
        LoadReportKeys(r);
        r.SetValue("PatAdd1", "1 High St");
        r.SetValue("Patadd3", "Leeds");
        r.SetValue("patpc", "LS1");
        r.SetValue("PatSur", "Smith");
        const QByteArrayList tags = {"T01|PatSur", "T02|ReqCode", "6|a", "7|b", "8|c", "9|d"};
        const struct {
            const char *content;
            bool main;
            const char *text;
            bool changeable, placeholder;
        } cases[] = {
            {"0", true, "Smith", false, false},     {" 0 ", false, "Smith", false, false},
            {"6", true, "???", false, false},       {"99999999999", true, "???", false, false},
            {"2", true, "1 High St", false, false}, {"3", true, "Leeds LS1", false, false},
            {"4", true, " ", false, false},         {"5", true, " ", false, false},
            {"patsur", true, "Smith", true, false}, {"patsur", false, "Smith", false, false},
            {"PatGiven", true, " ", true, false},   {"uEnter result", true, "Enter result", true, true},
            {"U", true, " ", true, true},           {"uPrompt", false, " ", false, false},
            {"", true, " ", true, false},
        };
        for (const auto &c : cases) {
            const MergeFieldValue v = MergeFieldValueFor(c.content, c.main, r, tags);
            QCOMPARE(v.text, QByteArray(c.text));
            QCOMPARE(v.changeable, c.changeable);
            QCOMPARE(v.placeholder, c.placeholder);
        }
        r.SetValue("patadd2", "Flat 2");
        QCOMPARE(MergeFieldValueFor("3", true, r, tags).text, QByteArray("Flat 2"));
        QCOMPARE(MergeFieldValueFor("4", true, r, tags).text, QByteArray("Leeds"));
        QCOMPARE(MergeFieldValueFor("5", true, r, tags).text, QByteArray("LS1"));
    }

    void templateFilledFromTheReport() {
        RecordingMessages shown;
        auto form = open(shown, "KX_TEMPLATE~LH1^KX_REQCODE~R/1^KX_PROCCODE~M1^KX_PATCODE~9^KX_PATSUR~Smith"
                                "^KX_PATTITLE~Mrs^KX_PATADD1~1 High St^KX_PATADD3~Leeds^KX_PATPC~LS1");
        QCOMPARE(shown.shown, QStringList());
        const QString unknown = QStringLiteral("???");
        QCOMPARE(mainText(*form),
                 QStringLiteral("Name: Smith given   title Mrs\r1 High St/Leeds LS1/ / /R/1/") + unknown +
                     '/' + unknown + QStringLiteral("\rResult: Enter result and   and   end <<open"));
        QCOMPARE(form->ResultBox()->document().header()->toPlainText(),
                 QStringLiteral("Patient Smith Smith"));
        QCOMPARE(form->ResultBox()->document().footer()->toPlainText(), QStringLiteral("Request R/1  "));
        // The prompt is a changeable placeholder; the values of the header are fixed.
        TWpDocument &doc = form->ResultBox()->document();
        const int prompt = TWpDocument::fieldIdAt(doc.main(), mainText(*form).indexOf("Enter result") + 1);
        QVERIFY(prompt != 0);
        QCOMPARE(doc.fieldTable().value(prompt).data, PlaceholderFieldData);
        QVERIFY(doc.fieldTable().value(prompt).changeable);
        const int sur = TWpDocument::fieldIdAt(doc.header(), 9);
        QVERIFY(sur != 0);
        QVERIFY(!doc.fieldTable().value(sur).changeable);
        compareGolden("merged-template.rtf", writeRtf(doc));
    }

    void abbreviationTableMarks() {
        RecordingMessages shown;
        auto form = open(shown, "KX_TEMPLATE~LH1^KX_REQCODE~R/2^KX_PROCCODE~P1^KX_PATCODE~9^KX_RESULTTEXT~.");
        TWpTextControl *box = form->ResultBox();
        box->setSelStart(0);
        QVERIFY(box->InsertTable(2, 2) > 0);
        box->setSelStart(box->TableStart(box->TableIds().first()) + 1);
        // Blank, next, down past the last row (ignored), next in the last cell (ignored); "[" stays text.
        form->InsertAbbreviationText("a[1]\xad"
                                     "b\xac"
                                     "c\xad"
                                     "d\xac"
                                     "e");
        const int t = box->TableIds().first();
        QCOMPARE(box->TableCellText(t, 1, 1), QStringLiteral("a[1]"));
        QCOMPARE(box->TableCellText(t, 1, 2), QStringLiteral("b"));
        QCOMPARE(box->TableCellText(t, 2, 2), QStringLiteral("cde"));
        box->setSelStart(box->TableStart(t) + 1);
        form->InsertAbbreviationText("\xab"
                                     "x");
        QCOMPARE(box->TableCellText(t, 1, 1), QStringLiteral("x"));
        // Outside a table the marks do nothing.
        box->setSelStart(box->Text().size());
        form->InsertAbbreviationText("{y{\xad\xac\xab");
        QVERIFY(mainText(*form).endsWith(QStringLiteral("y")));
    }

    void addingEntriesKeepsHostLinesOut() {
        writeFile(m_dir.filePath("abbrev/p1.abr"), "NAD=No abnormality detected\r\n");
        RecordingMessages shown;
        auto form = open(shown, "KX_TEMPLATE~LH1^KX_REQCODE~R/3^KX_PROCCODE~P1^KX_PATCODE~9"
                                "^KX_EXTRADATA~x|lft|liver function^KX_RESULTTEXT~Plain {bold{ text");
        TWpTextControl *box = form->ResultBox();
        // No selection: nothing is asked.
        box->setSelLength(0);
        form->Addabbreviation1Click(1);
        QCOMPARE(shown.shown.size(), 1);
        QVERIFY(shown.inputs.isEmpty());

        box->setSelStart(0);
        box->setSelLength(5);
        shown.answers = {"p.l", "pl"};
        form->Addabbreviation1Click(1);
        QCOMPARE(shown.shown.last(),
                 QStringLiteral("Add Abbreviation|Forbidden Characters removed. Try again."));
        QCOMPARE(form->AbbreviationList(),
                 (QByteArrayList{"NAD=No abnormality detected", "PL=Plain", "/lft=liver function"}));

        box->setSelStart(0);
        box->setSelLength(box->Text().size());
        shown.answers = {"fm"};
        form->Addabbreviation1Click(2);
        const QByteArray markup = form->AbbreviationList().at(2);
        QVERIFY2(markup.startsWith("FM=\xa4"), markup.constData());
        QVERIFY(markup.contains("{bold{"));

        // Overwriting asks; No keeps the old entry.
        shown.answers = {"pl"};
        form->Addabbreviation1Click(3);
        QCOMPARE(shown.asked.last(), QStringLiteral("Add Abbreviation|PL already in use!!\r\nDo you want to "
                                                    "overwrite the existing version?"));
        QCOMPARE(form->AbbreviationList().at(1), QByteArray("PL=Plain"));
        shown.answers = {"pl"};
        shown.replies = {UserMessages::Answer::Yes};
        form->Addabbreviation1Click(3);
        QCOMPARE(form->AbbreviationList().at(1), QByteArray("PL=///FILE:PL.abx"));
        QVERIFY(QFile::exists(m_dir.filePath("abbrev/p1.abr.PL.abx")));
        QCOMPARE(form->AbbreviationList().last(), QByteArray("/lft=liver function"));

        const QByteArray saved = readFile(m_dir.filePath("abbrev/p1.abr"));
        QVERIFY(!saved.contains("lft"));
        QVERIFY(saved.startsWith("NAD=No abnormality detected\r\nPL=///FILE:PL.abx\r\nFM="));

        // The formatted entry comes back from its file; the markup entry keeps its bold text.
        box->setSelStart(box->Text().size());
        box->setSelText(" fm");
        QTest::keyClick(box->editor(), Qt::Key_F2);
        QVERIFY(mainText(*form).endsWith(QStringLiteral("Plain bold text Plain bold text")));
    }

    void listBoxKeys() {
        writeFile(m_dir.filePath("abbrev/p1.abr"), "NAD=No abnormality detected\r\nX=ex\r\n");
        RecordingMessages shown;
        auto form =
            open(shown, "KX_TEMPLATE~LH1^KX_REQCODE~R/4^KX_PROCCODE~P1^KX_PATCODE~9^KX_RESULTTEXT~Seen:");
        auto *list = form->findChild<QListWidget *>("abrevlistbox");
        list->setCurrentRow(0);
        form->ResultBox()->setSelStart(form->ResultBox()->Text().size());
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(mainText(*form), QStringLiteral("Seen:No abnormality detected"));
        list->setCurrentRow(1);
        QTest::keyClick(list, '.');
        QCOMPARE(form->AbbreviationList().size(), 2); // answered No
        shown.replies = {UserMessages::Answer::Yes};
        QTest::keyClick(list, '.');
        QCOMPARE(shown.asked.last(),
                 QStringLiteral("Delete abbreviation entry|Are you sure you want to do delete X"));
        QCOMPARE(form->AbbreviationList(), QByteArrayList{"NAD=No abnormality detected"});
        QCOMPARE(readFile(m_dir.filePath("abbrev/p1.abr")), QByteArray("NAD=No abnormality detected\r\n"));
    }
};

QTEST_MAIN(MergeAbbreviationTest)
#include "MergeAbbreviationTest.moc"
