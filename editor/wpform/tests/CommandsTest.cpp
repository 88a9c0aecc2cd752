// The editor's commands driven through the form's actions and keys: formatting, indents, symbols,
// dates, tables, pictures, printing page by page, templates, abbreviation lists, recovery, the
// field keys and the window's questions.
#include "common/HostText.h"
#include "common/LocalPath.h"
#include "common/testing/FakeHostLink.h"
#include "common/testing/RecordingMessages.h"
#include "editor/report/HostMarkup.h"
#include "editor/wpform/EditorCommands.h"
#include "editor/wpform/TWPForm.h"
#include "editor/wpform/tests/EditorTestFiles.h"
#include "imaging/media/TMMOpenDialog.h"
#include "platform/richtext/TWpTextControl.h"
#include "platform/shell/TfrmHelpAbout.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPdfWriter>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextTable>
#include <QTimer>

using namespace orva::richtext;

namespace {
const QByteArray kReport =
    "KX_TEMPLATE~LH1^KX_REQCODE~R/9^KX_PROCCODE~P1^KX_PATCODE~9^KX_RESULTTEXT~Liver normal.";
}

class CommandsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    EditorFolders m_folders;

    struct Editor {
        RecordingMessages shown;
        FakeHostLink link;
        HostSendQueue queue{link};
        std::unique_ptr<TWPForm> form;
        void run(const char *action) {
            QAction *a = form->findChild<QAction *>(QLatin1String(action));
            QVERIFY2(a, action);
            a->trigger();
        }
        TWpTextControl *box() const { return form->ResultBox(); }
        QString text() const { return TWpDocument::plainText(form->ResultBox()->document().main()); }
        void select(int start, int length) {
            box()->setSelStart(start);
            box()->setSelLength(length);
        }
    };

    std::unique_ptr<Editor> open(const QByteArray &message = kReport) {
        auto e = std::make_unique<Editor>();
        e->form = std::make_unique<TWPForm>(m_folders, &e->queue, e->shown);
        e->form->SetReceivedReportText(message);
        e->form->LoadReport();
        return e;
    }

private slots:
    void initTestCase() {
        m_folders = testFolders(m_dir);
        writeFile(m_dir.filePath("program/tags.txt"), "T01|PatSur|Surname\r\n");
        writeFile(m_dir.filePath("templates/LH1.doc"), rtfOf([](TWpDocument &d) {
                      QTextCursor(d.header()).insertText("Pathology Department");
                      QTextCursor(d.footer()).insertText("Report footer");
                  }));
        writeFile(m_dir.filePath("abbrev/abrevlist.txt"), "P1=p1.abr\r\n");
        writeFile(m_dir.filePath("abbrev/p1.abr"), "NAD=No abnormality detected\r\n");
        writeFile(m_dir.filePath("abbrev/other.abr"), "OT=other text\r\n/host=never\r\n");
        QImage wide(1000, 200, QImage::Format_RGB32);
        wide.fill(Qt::blue);
        QDir().mkpath(m_dir.filePath("pictures"));
        QVERIFY(wide.save(m_dir.filePath("pictures/wide.png")));
    }

    void decisions() {
        QCOMPARE(SuperScriptStep(SuperScriptStep({10, 0})), (ScriptState{10, 0}));
        QCOMPARE(SuperScriptStep({10, -70}), (ScriptState{10, 70}));
        QCOMPARE(SubScriptStep(SubScriptStep({12, 0})), (ScriptState{12, 0}));
        QCOMPARE(SuperScriptStep({1, 0}).size, 1);
        QCOMPARE(IndentStep(9999, true), 9999);
        QCOMPARE(IndentStep(9998, true), 10998);
        QCOMPARE(IndentStep(500, false), -500);
        QCOMPARE(IndentStep(0, false), 0);
        QCOMPARE(PictureInsertScale(1000), 64);
        QCOMPARE(PictureInsertScale(635), 100);
        QCOMPARE(PictureInsertScale(0), 0);
        const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 7));
        const QLocale c(QLocale::English, QLocale::UnitedKingdom);
        QCOMPARE(DateItemText(1, when, c), c.toString(when.date(), QLocale::ShortFormat));
        QCOMPARE(DateItemText(6, when, c), c.toString(when.date(), QLocale::LongFormat) + ' ' +
                                               c.toString(when.time(), QLocale::LongFormat));
        TTableList list;
        list.created(3);
        list.created(3);
        list.created(0);
        list.created(-1);
        QCOMPARE(list.entries.size(), 1);
        list.deleted(3);
        QCOMPARE(list.entries.first().id, 0);
    }

    void formatting() {
        auto e = open();
        TWpTextControl *b = e->box();
        const struct {
            const char *action;
            std::function<int()> value;
        } toggles[] = {
            {"BoldButton", [b] { return b->FontBold(); }},
            {"ItalicButton", [b] { return b->FontItalic(); }},
            {"UnderlineButton", [b] { return b->FontUnderline(); }},
            {"StrikeoutButton", [b] { return b->FontStrikethru(); }},
        };
        for (const auto &t : toggles) {
            e->select(0, 5);
            e->run(t.action);
            QVERIFY2(t.value() != 0, t.action);
            e->run(t.action);
            QVERIFY2(t.value() == 0, t.action);
        }
        e->select(0, 5);
        const int size = b->FontSize();
        e->run("SuperScriptButton");
        QCOMPARE(b->BaseLine(), 70);
        QCOMPARE(b->FontSize(), size - 2);
        e->run("SuperScriptButton");
        QCOMPARE(b->BaseLine(), 0);
        QCOMPARE(b->FontSize(), size);
        e->run("SubScriptButton");
        QCOMPARE(b->BaseLine(), -70);
        e->run("BaselineButton");
        QCOMPARE(b->BaseLine(), 0);
        const struct {
            const char *action;
            int alignment;
        } aligns[] = {{"CentreJustify", 2}, {"RightJustify", 1}, {"LeftJustify", 0}};
        for (const auto &a : aligns) {
            e->run(a.action);
            QCOMPARE(b->Alignment(), a.alignment);
        }
        b->setIndentL(9999);
        e->run("AddHangingIndent");
        QCOMPARE(b->IndentL(), 9999);
        b->setIndentFL(500);
        e->run("BackIndent");
        QCOMPARE(b->IndentFL(), -500);
        e->run("AddRightIndent");
        QCOMPARE(b->IndentR(), 1000);
        e->run("backRightIndent");
        QCOMPARE(b->IndentR(), 0);
        const bool marks = b->ControlChars();
        e->run("aShowAll");
        QCOMPARE(b->ControlChars(), !marks);
        e->run("Zoom200");
        QCOMPARE(b->ZoomFactor(), 200);
        e->run("Zoom75");
        QCOMPARE(b->ZoomFactor(), 75);
        // Ctrl+B through the document's keys.
        e->select(0, 5);
        QTest::keyClick(b->editor(), Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(b->FontBold(), 1);
        const bool insert = b->InsertionMode();
        QTest::keyClick(b->editor(), Qt::Key_Insert);
        QCOMPARE(b->InsertionMode(), !insert);
    }

    void insertions() {
        auto e = open();
        TWpTextControl *b = e->box();
        e->select(b->Text().size(), 0);
        e->run("Half1");
        QCOMPARE(e->text(), QString(QStringLiteral("Liver normal.") + QChar(0xBD)));
        e->select(b->Text().size(), 0);
        // Typing goes on in the font from before the symbol.
        b->setSelText(QStringLiteral("x"));
        e->select(b->Text().size() - 2, 1);
        QCOMPARE(b->FontName(), QStringLiteral("Times New Roman"));
        e->select(b->Text().size() - 1, 1);
        QVERIFY(b->FontName() != QStringLiteral("Times New Roman"));
        QVERIFY(ExportHostMarkup(b->document()).contains("1/2x"));

        // Date items write their caption.
        QMenu *dates = e->form->findChild<QMenu *>("DateandTime1");
        emit dates->aboutToShow();
        QAction *item = e->form->findChild<QAction *>("DateItem2");
        const QString caption = item->text().replace(QStringLiteral("&&"), QStringLiteral("&"));
        e->select(b->Text().size(), 0);
        item->trigger();
        QVERIFY(e->text().endsWith(caption));

        // One cursor start marker, wherever it was put last.
        e->select(2, 0);
        e->run("CursorStartMarker1");
        e->select(5, 0);
        e->run("CursorStartMarker1");
        QCOMPARE(e->text().count(QChar(0xA5)), 1);
        QCOMPARE(e->text().indexOf(QChar(0xA5)), 4);

        e->select(0, 0);
        e->run("TableDownMarker1");
        e->run("TableNextMarker1");
        e->run("TableBlankMarker1");
        QVERIFY(e->text().startsWith(QString(QChar(0xAC)) + QChar(0xAD) + QChar(0xAB)));

        // Clear asks first.
        e->run("Clear1");
        QVERIFY(!e->text().isEmpty());
        e->shown.replies = {UserMessages::Answer::Yes};
        e->run("Clear1");
        QCOMPARE(e->shown.asked.last(),
                 QStringLiteral("Warning!|This option clears the result text and can't be "
                                "undone!\r\nAre your sure?"));
        QCOMPARE(e->text(), QString());
    }

    void tables() {
        auto e = open();
        TWpTextControl *b = e->box();
        // Cancel gives up; out-of-range counts are asked again.
        e->run("Table1");
        QCOMPARE(b->TableIds().size(), 0);
        e->shown.answers = {"100000", "2", "x", "3"};
        e->run("Table1");
        QCOMPARE(e->shown.prompts, (QStringList{"Number of Rows:", "Number of Rows:", "Number of Rows:",
                                                "Number of Columns:", "Number of Columns:"}));
        QCOMPARE(b->TableIds().size(), 1);
        const int t = b->TableIds().first();
        QCOMPARE(b->TableRows(t), 2);
        QCOMPARE(b->TableColumns(t), 3);
        QCOMPARE(e->form->TableList().entries.size(), 1);
        b->setSelStart(b->TableStart(t) + 1);
        e->run("Row1");
        QCOMPARE(b->TableRows(t), 3);
        e->run("DelColumn");
        QCOMPARE(b->TableColumns(t), 2);
        // The right button gives the table menu in a table and the editor menu elsewhere.
        b->setSelStart(b->TableStart(t) + 1);
        const QRect inTable = b->editor()->cursorRect();
        QCOMPARE(e->form->ContextMenuFor(inTable.center())->title(), QStringLiteral("T&able"));
    }

    void pictures() {
        auto e = open();
        TWpTextControl *b = e->box();
        e->run("ToolButton13"); // no picture: nothing happens
        QVERIFY(e->form->InsertPictureFile(m_dir.filePath("pictures/wide.png")));
        QCOMPARE(e->shown.boxes.last().caption,
                 QStringLiteral("Insert Image - Image not a network resource"));
        QCOMPARE(e->form->PictureList().last().ScaleX, 64);
        QCOMPARE(e->form->PictureList().last().PosX, 2000);
        QCOMPARE(e->form->PictureList().last().PosY, b->ScrollPosY() + 3000);
        e->run("ToolButton13");
        QCOMPARE(b->ObjectScaleX(), 74);
        // Under a mapped network folder there is no warning; an unreadable picture is refused.
        LocalPath::SetPathMap({{QStringLiteral("\\\\srv\\pics"), m_dir.filePath("pictures")}});
        const int boxes = e->shown.boxes.size();
        QVERIFY(e->form->InsertPictureFile(m_dir.filePath("pictures/wide.png")));
        QCOMPARE(e->shown.boxes.size(), boxes);
        writeFile(m_dir.filePath("pictures/broken.png"), "not a picture");
        QVERIFY(!e->form->InsertPictureFile(m_dir.filePath("pictures/broken.png")));
        QCOMPARE(e->shown.boxes.last().caption, QStringLiteral("Insert Image"));
        LocalPath::SetPathMap({});

        // The menu's Picture command chooses through the open dialog with its preview.
        const qsizetype before = e->form->PictureList().size();
        bool throughOpenDialog = false;
        QTimer::singleShot(0, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            auto *dialog = qobject_cast<orva::imaging::TMMOpenDialog *>(modal);
            throughOpenDialog = dialog != nullptr;
            if (dialog) {
                dialog->selectFile(m_dir.filePath("pictures/wide.png"));
                QMetaObject::invokeMethod(dialog, "accept");
            } else if (modal) {
                modal->close();
            }
        });
        e->form->findChild<QAction *>("Picture1")->trigger();
        QVERIFY(throughOpenDialog);
        QCOMPARE(e->form->PictureList().size(), before + 1);
        QCOMPARE(e->form->PictureList().last().FileName,
                 HostText::fromUnicode(m_dir.filePath("pictures/wide.png")));
    }

    void printsEachPageAsItsOwnJob() {
        auto e = open();
        TWpTextControl *b = e->box();
        QString body;
        for (int i = 1; i <= 150; ++i)
            body += QStringLiteral("Line %1 of the report\r").arg(i);
        e->select(b->Text().size(), 0);
        b->setSelText(body);
        QVERIFY(e->form->InsertPictureFile(m_dir.filePath("pictures/wide.png")));
        const int pages = b->CurrentPages();
        QVERIFY(pages >= 3);
        QCOMPARE(b->document().footer()->toPlainText(), QStringLiteral("Report footer"));
        QStringList files;
        e->form->SetNewPrintJob([&](int page) -> std::unique_ptr<QPagedPaintDevice> {
            files.append(m_dir.filePath(QStringLiteral("print/page%1.pdf").arg(page)));
            QDir().mkpath(m_dir.filePath("print"));
            auto pdf = std::make_unique<QPdfWriter>(files.last());
            pdf->setPageSize(QPageSize(QPageSize::A4));
            pdf->setPageMargins(QMarginsF(0, 0, 0, 0));
            return pdf;
        });
        e->run("Print1");
        QCOMPARE(files.size(), pages);
        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        for (int i = 0; i < files.size(); ++i) {
            QProcess p;
            p.start(pdftotext, {files.at(i), "-"});
            QVERIFY(p.waitForFinished(30000));
            const QString text = QString::fromUtf8(p.readAllStandardOutput());
            QVERIFY2(text.simplified().contains("Pathology Department"), qPrintable(files.at(i)));
            QVERIFY2(text.simplified().contains("Report footer"), qPrintable(files.at(i)));
            QCOMPARE(text.count('\f'), 1); // one page a job
        }
        // The picture shows on the page it was placed on, and only there.
        const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
        const int picturePage = e->form->PictureList().last().PosY / b->PageHeight() + 1;
        for (int i = 0; i < files.size(); ++i) {
            const QString png = files.at(i) + QStringLiteral(".png");
            QCOMPARE(
                QProcess::execute(pdftoppm, {"-r", "20", "-png", "-singlefile", files.at(i), files.at(i)}),
                0);
            const QImage img(png);
            QVERIFY(!img.isNull());
            bool blue = false;
            for (int y = 0; y < img.height() && !blue; ++y)
                for (int x = 0; x < img.width() && !blue; ++x)
                    blue = qBlue(img.pixel(x, y)) > 240 && qRed(img.pixel(x, y)) < 20;
            QCOMPARE(blue, i + 1 == picturePage);
        }
    }

    void fieldKeys() {
        auto e =
            open("KX_TEMPLATE~LH1^KX_REQCODE~R/9^KX_PROCCODE~P1^KX_PATCODE~9^KX_RESULTTEXT~A `B `C `end");
        TWpTextControl *b = e->box();
        QVector<int> fields;
        for (int id = b->NextField(0); id != 0; id = b->NextField(id))
            fields.append(id);
        QCOMPARE(fields.size(), 3);
        auto fieldAtCaret = [b] { return b->FieldAtInputPos(); };
        b->setFieldCurrent(fields[0]);
        b->setSelStart(b->FieldStart());
        QTest::keyClick(b->editor(), Qt::Key_Tab);
        QCOMPARE(fieldAtCaret(), fields[1]);
        QCOMPARE(b->SelLength(), 1);
        QTest::keyClick(b->editor(), Qt::Key_Return);
        QCOMPARE(fieldAtCaret(), fields[2]);
        // Tab in the last field: the caret goes just after it.
        QTest::keyClick(b->editor(), Qt::Key_Tab);
        b->setFieldCurrent(fields[2]);
        QCOMPARE(b->SelStart(), b->FieldEnd());
        QCOMPARE(b->SelLength(), 0);
        // Shift+Tab goes back, never before the first field.
        b->setSelStart(b->FieldStart());
        QTest::keyClick(b->editor(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(fieldAtCaret(), fields[1]);
        QTest::keyClick(b->editor(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(fieldAtCaret(), fields[0]);
        QTest::keyClick(b->editor(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(fieldAtCaret(), fields[0]);
        // Shift+Enter outside a field goes to the first.
        b->setSelStart(b->Text().size());
        QTest::keyClick(b->editor(), Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(fieldAtCaret(), fields[0]);
        QCOMPARE(b->SelLength(), 0);
        // Delete Field removes the field with its text.
        const int before = b->Text().size();
        e->run("DeleteField1");
        QCOMPARE(b->Text().size(), before - 1);
    }

    void templatesAndLists() {
        RecordingMessages shown;
        TWPForm form(m_folders, nullptr, shown);
        form.SetReceivedReportText("KX_REQCODE~editing");
        form.LoadReport();
        QVERIFY(form.TemplateEditing());
        writeFile(m_dir.filePath("templates/T1.tpl"),
                  rtfOf([](TWpDocument &d) { QTextCursor(d.main()).insertText("Template body"); }));
        shown.chosenFiles = {m_dir.filePath("templates/T1.tpl")};
        form.findChild<QAction *>("Open1")->trigger();
        QCOMPARE(TWpDocument::plainText(form.ResultBox()->document().main()),
                 QStringLiteral("Template body"));
        QCOMPARE(form.findChild<QLabel *>(QStringLiteral("PATIENTStatic"))->text(),
                 QStringLiteral("TEMPLATE : ") + m_dir.filePath("templates/T1.tpl"));
        // A document that is not a template is asked about.
        shown.chosenFiles = {m_dir.filePath("templates/LH1.doc")};
        form.findChild<QAction *>("Open1")->trigger();
        QCOMPARE(
            shown.asked.last(),
            QStringLiteral("Open|Are you sure you want to open a document which is not a PENDRA template?"));
        QCOMPARE(form.TemplateFileName(), m_dir.filePath("templates/T1.tpl"));

        // Save As links the template to an abbreviation list.
        shown.chosenFiles = {m_dir.filePath("templates/T2.tpl")};
        shown.answers = {"other"};
        form.findChild<QAction *>("SaveAs1")->trigger();
        QVERIFY(QFile::exists(m_dir.filePath("templates/T2.tpl")));
        QCOMPARE(readFile(m_dir.filePath("abbrev/abrevlist.txt")),
                 QByteArray("P1=p1.abr\r\nT2=other.abr\r\n"));
        writeFile(m_dir.filePath("abbrev/abrevlist.txt"), "P1=p1.abr\r\n");

        // Loading a list leaves its host lines out.
        QVERIFY(form.LoadAbbreviationFile(m_dir.filePath("abbrev/other.abr")));
        QCOMPARE(form.AbbreviationList(), QByteArrayList{"OT=other text"});

        // About opens the program's about box with the editor's four lines.
        QStringList aboutLines;
        QTimer::singleShot(0, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *box = qobject_cast<TfrmHelpAbout *>(modal)) {
                aboutLines = box->DynamicLines();
                box->accept();
            } else if (modal) {
                modal->close();
            }
        });
        form.findChild<QAction *>("About1")->trigger();
        QCOMPARE(aboutLines.size(), 4);
        QVERIFY(aboutLines.value(0).startsWith(QStringLiteral("Primary Host: ")));
        QVERIFY(aboutLines.value(1).startsWith(QStringLiteral("Configuration File: ")));
        QVERIFY(aboutLines.value(2).startsWith(QStringLiteral("Templates Directory: ")));
        QVERIFY(aboutLines.value(3).startsWith(QStringLiteral("Abbreviations Directory: ")));

        QSignalSpy finished(&form, &TWPForm::ReportFinished);
        form.findChild<QAction *>("Close1")->trigger();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(form.findChild<QLabel *>(QStringLiteral("PATIENTStatic"))->text(), TWPForm::NoTemplateText);
    }

    void exitAndRecovery() {
        auto e = open();
        QAction *recover = e->form->findChild<QAction *>("RecoverLast1");
        writeFile(e->form->RecoveryFilePath(),
                  rtfOf([](TWpDocument &d) { QTextCursor(d.main()).insertText("Recovered text"); }));
        QMenu *file = qobject_cast<QMenu *>(recover->associatedObjects().value(0));
        QVERIFY(file);
        emit file->aboutToShow();
        QVERIFY(recover->isEnabled());
        recover->trigger();
        QCOMPARE(e->text(), QStringLiteral("Recovered text"));
        QFile::remove(e->form->RecoveryFilePath());
        emit file->aboutToShow();
        QVERIFY(!recover->isEnabled());

        // Exit with changes asks; No returns the report (an upload starts).
        e->select(e->box()->Text().size(), 0);
        e->box()->setSelText(QStringLiteral(" more"));
        e->form->SetReportChanged(true);
        e->run("Exit1");
        QCOMPARE(e->shown.asked.last(), QStringLiteral("Not Saved!|Do you want to abandon changes?"));
        QVERIFY(e->queue.ResultTransferActive());

        // Yes abandons: one ESC to the host.
        auto a = open();
        a->form->SetReportChanged(true);
        a->shown.replies = {UserMessages::Answer::Yes};
        a->run("Exit1");
        QCOMPARE(a->link.sent, QByteArray("\x1b"));
    }

    void spellCheckFromTheMenu() {
        auto e = open(
            "KX_TEMPLATE~LH1^KX_REQCODE~R/9^KX_PROCCODE~P1^KX_PATCODE~9^KX_RESULTTEXT~The livr is normal.");
        int shownCount = 0;
        e->form->SetShowSpellForm([&](TSpellForm *) { ++shownCount; });
        e->run("aSpellCheck");
        QCOMPARE(shownCount, 1);
        auto clean = open();
        clean->form->SetShowSpellForm([&](TSpellForm *) { ++shownCount; });
        clean->run("aSpellCheck");
        QCOMPARE(shownCount, 1);
        QCOMPARE(clean->shown.shown.last(),
                 QStringLiteral("Spelling Check|Spelling Check complete.\r\nNo errors detected."));
    }
};

QTEST_MAIN(CommandsTest)
#include "CommandsTest.moc"
