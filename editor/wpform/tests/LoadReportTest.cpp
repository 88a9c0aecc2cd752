// Report messages loaded into the editor: letterhead and its fallbacks, host markup, a stored
// document with pictures, a template, picture boxes, the patient strip and the abbreviation list.
#include "common/testing/FailingDisk.h"
#include "common/testing/FakeHostLink.h"
#include "common/testing/HungFile.h"
#include "common/testing/RecordingMessages.h"
#include "editor/report/HostMarkup.h"
#include "editor/wpform/TWPForm.h"
#include "editor/wpform/tests/EditorTestFiles.h"
#include "platform/richtext/TWpBars.h"
#include "platform/richtext/TWpRtf.h"
#include "platform/richtext/TWpTextControl.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

using namespace orva::richtext;

namespace {

QByteArray goldenPath(const char *name) {
    return (qEnvironmentVariable("ORVA_SOURCE_DIR") + "/editor/wpform/tests/golden/" + name).toUtf8();
}

void compareGolden(const char *name, const QByteArray &actual) {
    const QString path = QString::fromUtf8(goldenPath(name));
    if (qEnvironmentVariableIsSet("ORVA_REGENERATE_GOLDEN")) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(actual);
    }
    QFile f(path);
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
    QCOMPARE(actual, f.readAll());
}

} // namespace

class LoadReportTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    EditorFolders m_folders;
    QString m_picture;

    std::unique_ptr<TWPForm> makeForm(RecordingMessages &messages, HostSendQueue *queue = nullptr) {
        return std::make_unique<TWPForm>(m_folders, queue, messages);
    }

private slots:
    void initTestCase() {
        m_folders = testFolders(m_dir);
        writeFile(m_dir.filePath("program/tags.txt"), "T01|PatSur|Surname\r\nT02|ReqCode|Request\r\n");
        writeFile(m_dir.filePath("templates/LH1.doc"), rtfOf([](TWpDocument &d) {
                      d.page.marginL = 1134;
                      d.page.marginR = 1000;
                      d.page.marginT = 700;
                      QTextCursor(d.header()).insertText("Pathology Department");
                  }));
        writeFile(m_dir.filePath("templates/tmpl_default.doc"), rtfOf([](TWpDocument &d) {
                      d.page.marginL = 500;
                      QTextCursor(d.header()).insertText("Default letterhead");
                  }));
        writeFile(m_dir.filePath("templates/P1.tpl"), rtfOf([](TWpDocument &d) {
                      QTextCursor c(d.main());
                      c.insertText(QString::fromUtf8("Macroscopy: \xc2\xa5"));
                      c.insertBlock();
                      c.insertText("Microscopy:");
                  }));
        writeFile(m_dir.filePath("abbrev/abrevlist.txt"), "P1=p1.abr\r\nZZ=zz.abr\r\n");
        writeFile(m_dir.filePath("abbrev/p1.abr"), "nad=No abnormality detected\r\n/old=stale host line\r\n");
        writeFile(m_dir.filePath("abbrev/zz.abr"), "zz=sleep\r\n");
        m_picture = m_dir.filePath("pictures/box.png");
        QDir().mkpath(m_dir.filePath("pictures"));
        QImage img(200, 100, QImage::Format_RGB32);
        img.fill(Qt::red);
        QVERIFY(img.save(m_picture));
    }

    void markupBodyWithLetterheadAndStrip() {
        RecordingMessages shown;
        auto form = makeForm(shown);
        form->SetReceivedReportText(
            "KX_TEMPLATE~LH1^KX_REQCODE~12/34^KX_PROCCODE~P1^KX_PATCODE~9^KX_PATSUR~Smith"
            "^KX_PATGIVEN~Anne^KX_PATTITLE~Mrs^KX_PATADD1~1 High St^KX_PATPC~AB1 2CD"
            "^KX_SERVICEDATE~01/02/2026^KX_DOCTITLE~Dr^KX_DOCGIVEN~john^KX_DOCSUR~Jones"
            "^KX_EXTRADATA~x|lft|liver function"
            "^KX_RESULTTEXT~{Report{~Liver \xa4"
            "255\xa4normal\xa4"
            "0\xa4 size.~|Note|");
        QVERIFY(form->LoadReport());
        QCOMPARE(shown.shown, QStringList());
        TWpTextControl *box = form->ResultBox();
        QCOMPARE(TWpDocument::plainText(box->document().main()),
                 QStringLiteral("Report\rLiver normal size.\rNote"));
        QTextCursor at(box->document().main());
        at.setPosition(1);
        QCOMPARE(at.charFormat().fontWeight(), int(QFont::Bold));
        at.setPosition(14);
        QCOMPARE(at.charFormat().foreground().color(), QColor(255, 0, 0));
        QCOMPARE(at.charFormat().fontFamilies().toStringList().value(0), QStringLiteral("Courier New"));
        QCOMPARE(box->document().header()->toPlainText(), QStringLiteral("Pathology Department"));
        QCOMPARE(box->PageMarginL(), 1134);
        QCOMPARE(box->PageMarginT(), 700);
        QCOMPARE(form->findChild<QLabel *>(QStringLiteral("PATIENTStatic"))->text(),
                 QStringLiteral("Mrs Smith, Anne 1 High St   AB1 2CD"));
        QCOMPARE(form->findChild<QLabel *>(QStringLiteral("RequestStatic"))->text(),
                 QStringLiteral("12/34  "));
        QCOMPARE(form->findChild<QLabel *>(QStringLiteral("DrNameStatic"))->text(),
                 QStringLiteral("Dr J Jones  "));
        QCOMPARE(form->ReportRecord().GetValue("PatSur"), QByteArray("Smith"));
        QCOMPARE(form->ReportRecord().Values[0]->Code, QByteArray("T01"));
        QCOMPARE(form->WorkDocumentName(), QDir(m_dir.filePath("work")).filePath("12%2F34_P1.doc"));
        QVERIFY(form->AbandonReport());
        QVERIFY(!form->ReportChanged());
        QVERIFY(form->isVisible());
        QCOMPARE(form->AbbreviationList(),
                 (QByteArrayList{"nad=No abnormality detected", "/lft=liver function"}));
        QCOMPARE(form->findChild<QListWidget *>("abrevlistbox")->count(), 2);
        QFile last(m_dir.filePath("work/lastpendrastring.txt"));
        QVERIFY(last.exists());
        QCOMPARE(last.permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
                 QFileDevice::Permissions());
        compareGolden("markup_export.txt", ExportHostMarkup(box->document()));

        // The next message starts from a clean record: earlier values are emptied, names stay.
        form->SetReceivedReportText("KX_REQCODE~R2^KX_PROCCODE~ZZ^KX_PATCODE~9^KX_RESULTTEXT~.");
        QVERIFY(form->LoadReport());
        QCOMPARE(form->ReportRecord().GetValue("PatSur"), QByteArray());
        QVERIFY(form->ReportRecord().IndexOfName("PATGIVEN") >= 0);
        QCOMPARE(TWpDocument::plainText(box->document().main()), QString());
        QCOMPARE(form->AbbreviationList(), QByteArrayList{"zz=sleep"});
        // No letterhead named: the default one, silently.
        QCOMPARE(box->document().header()->toPlainText(), QStringLiteral("Default letterhead"));
        QVERIFY(shown.shown.filter("Letterhead Error").isEmpty());
    }

    void storedDocumentWithPictures() {
        RecordingMessages shown;
        auto form = makeForm(shown);
        const QByteArray stored = rtfOf([&](TWpDocument &d) {
            QTextCursor(d.main()).insertText("No abnormality detected.");
            d.addPicture({0, m_picture, 1000, 2000, 50, 50, 1, 2, 0, 0, 0, 0});
        });
        form->SetReceivedReportText("KX_TEMPLATE~NOSUCH^KX_REQCODE~R3^KX_PROCCODE~P:1^KX_PATCODE~9"
                                    "^KX_IMAGEBOX~" +
                                    m_picture.toUtf8() + ",10,20,,,100^KX_IMAGEBOX~/no/such.png,1,1" +
                                    "^KX_B64DATA~" + stored.toBase64() + "^KX_PATSUR~Brown");
        QVERIFY(form->LoadReport());
        TWpTextControl *box = form->ResultBox();
        // A short stored report is a report all the same.
        QCOMPARE(TWpDocument::plainText(box->document().main()), QStringLiteral("No abnormality detected."));
        QCOMPARE(box->document().header()->toPlainText(), QStringLiteral("Default letterhead"));
        QCOMPARE(box->PageMarginL(), 500);
        QVERIFY(!QFile::exists(form->WorkDocumentName()));
        QVERIFY(form->WorkDocumentName().endsWith("R3_P%3A1.doc"));
        QCOMPARE(form->ReportRecord().GetValue("PatSur"), QByteArray("Brown"));
        QCOMPARE(form->PictureList().size(), 2);
        QCOMPARE(box->document().pictures.size(), 2);
        const TImageRecord &fromMessage = form->PictureList().at(0);
        QCOMPARE(fromMessage.PosX, 200);
        QCOMPARE(fromMessage.ScaleX, 50);                     // fitted: 100 of 200 pixels
        QCOMPARE(box->document().pictures.at(0).scaleY, 100); // empty scale: natural size
        QCOMPARE(form->PictureList().at(1).FromMessage, false);
        QCOMPARE(form->PictureList().at(1).ObjectMode, 1);
        QVERIFY(shown.shown.filter("Insert Image|Warning!!\r\nThe image /no/such.png is missing.").size() ==
                1);
        QVERIFY(shown.shown.filter("Letterhead Error").isEmpty());
    }

    // A picture on a share that does not answer (a FIFO stands in for it) is taken as missing
    // after a bounded wait instead of freezing the window; the other pictures are placed.
    void pictureOnAHungShareDoesNotBlock() {
        RecordingMessages shown;
        auto form = makeForm(shown);
        form->SetPictureWaitMs(200);
        const QString hung = m_dir.filePath("pictures/hung.png");
        HungFile fifo(hung);
        QVERIFY(fifo.made());
        form->SetReceivedReportText(
            "KX_TEMPLATE~NOSUCH^KX_REQCODE~R5^KX_PROCCODE~P1^KX_PATCODE~9^KX_IMAGEBOX~" + hung.toUtf8() +
            ",10,20,,,100^KX_IMAGEBOX~" + m_picture.toUtf8() + ",1,1,,,100^KX_RESULTTEXT~{Report{~text");
        fifo.watch(5000);
        const bool loaded = form->LoadReport();
        fifo.finished();
        QVERIFY2(!fifo.blocked(), "the load waited on the hung file");
        QVERIFY(loaded);
        QCOMPARE(shown.shown.filter("Insert Image|Warning!!\r\nThe image " + hung + " is missing.").size(),
                 1);
        QCOMPARE(form->PictureList().size(), 1);
        QCOMPARE(form->PictureList().at(0).ScaleX, 50);
    }

    void corruptStoredDocumentStopsTheLoad() {
        RecordingMessages shown;
        auto form = makeForm(shown);
        form->SetReceivedReportText("KX_REQCODE~R4^KX_PROCCODE~P1^KX_PATCODE~9^KX_B64DATA~bm90IHJ0Zg==");
        QVERIFY(!form->LoadReport());
        QVERIFY(shown.shown.last().contains("Data file is empty or corrupted."));
        form->SetReceivedReportText("KX_REQCODE~R4^KX_PROCCODE~P1^KX_PATCODE~9^KX_B64DATA~@@@");
        QVERIFY(!form->LoadReport());
        QVERIFY(shown.shown.last().startsWith("Download Report Data|"));
    }

    // A stored report that cannot be written in full (a full result folder) stops the load with
    // its box; nothing cut off is loaded or left to be loaded later.
    void storedDocumentThatCannotBeWrittenStopsTheLoad() {
        const QByteArray stored = rtfOf([](TWpDocument &d) {
            QTextCursor c(d.main());
            for (int i = 0; i < 150; ++i)
                c.insertText(
                    QStringLiteral("Line %1 of the stored report, which must come back whole.\n").arg(i));
        });
        QVERIFY(stored.size() > 10000 && stored.size() < 16000); // one that a 16 KiB write buffer holds
        const QByteArray message =
            "KX_REQCODE~R10^KX_PROCCODE~P1^KX_PATCODE~9^KX_B64DATA~" + stored.toBase64() + "^KX_PATSUR~Grey";
        const struct {
            const char *name;
            bool smallDisk;
        } cases[] = {{"file size limit", false}, {"full tmpfs", true}};
        for (const auto &c : cases) {
            QTemporaryDir dir;
            EditorFolders folders = m_folders;
            folders.ResultDirectory = dir.filePath("results");
            QVERIFY(QDir().mkpath(folders.ResultDirectory));
            std::unique_ptr<SmallDisk> disk;
            if (c.smallDisk) {
                disk = std::make_unique<SmallDisk>(folders.ResultDirectory, "32k");
                if (!disk->mounted()) {
                    qInfo("%s skipped: %s", c.name, qPrintable(disk->reason()));
                    continue;
                }
                // Other files leave less room than the report needs, but not none.
                writeFile(folders.ResultDirectory + "/filler", QByteArray(24000, 'f'));
            }
            RecordingMessages shown;
            TWPForm form(folders, nullptr, shown);
            form.SetReceivedReportText(message);
            bool loaded = true;
            {
                std::unique_ptr<FileSizeLimit> limit;
                if (!c.smallDisk)
                    limit = std::make_unique<FileSizeLimit>(8180);
                loaded = form.LoadReport();
            }
            QVERIFY2(!loaded, c.name);
            QVERIFY2(!shown.shown.isEmpty(), c.name);
            QVERIFY2(shown.shown.last().startsWith(
                         "Download Report Data|The File downloaded from the server could "
                         "not be created locally\r\n"),
                     qPrintable(shown.shown.last()));
            QVERIFY2(!QFile::exists(form.WorkDocumentName()), c.name);
            QVERIFY2(!TWpDocument::plainText(form.ResultBox()->document().main()).contains("stored report"),
                     c.name);
            for (const QString &name : QDir(folders.ResultDirectory).entryList(QDir::Files | QDir::Hidden))
                QVERIFY2(name == "lastpendrastring.txt" || name == "filler", qPrintable(name));
        }
    }

    void templateBodyAndCaretMark() {
        RecordingMessages shown;
        auto form = makeForm(shown);
        int merged = 0;
        form->SetMergeFields([&](int) {
            ++merged;
            return true;
        });
        form->SetReceivedReportText("KX_TEMPLATE~LH1^KX_REQCODE~R5^KX_PROCCODE~P1^KX_PATCODE~9");
        QVERIFY(form->LoadReport());
        TWpTextControl *box = form->ResultBox();
        QCOMPARE(TWpDocument::plainText(box->document().main()), QStringLiteral("Macroscopy: \rMicroscopy:"));
        QCOMPARE(box->SelStart(), 12);
        QCOMPARE(merged, 3);
        form->SetReceivedReportText("KX_REQCODE~R5^KX_PROCCODE~P1^KX_PATCODE~9^KX_TPLOVERRIDE~../P1");
        // Escaped: no template is read outside the folder. A template was tried, so the load stands.
        QVERIFY(form->LoadReport());
        QCOMPARE(TWpDocument::plainText(box->document().main()), QString());
        QCOMPARE(shown.shown, QStringList());

        // A template and a letterhead saved as Word documents are refused, and the user is told why.
        const QByteArray word = QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0');
        writeFile(m_dir.filePath("templates/WORD.tpl"), word);
        writeFile(m_dir.filePath("templates/WORD.doc"), word);
        const QString notRtf =
            QStringLiteral("is not an RTF document. Open it in a word processor and save it "
                           "as RTF (Rich Text Format).");
        form->SetReceivedReportText("KX_REQCODE~R5^KX_PROCCODE~WORD^KX_PATCODE~9");
        QVERIFY(form->LoadReport());
        QCOMPARE(shown.shown.size(), 1);
        QVERIFY2(
            shown.shown.at(0).startsWith("Template Error|The file \"" + m_dir.filePath("templates/WORD.tpl")),
            qPrintable(shown.shown.at(0)));
        QVERIFY(shown.shown.at(0).endsWith(notRtf));
        QCOMPARE(TWpDocument::plainText(box->document().main()), QString());
        QCOMPARE(box->document().header()->toPlainText(), QStringLiteral("Default letterhead"));
        QDir templates(m_dir.filePath("templates"));
        QVERIFY(templates.rename("tmpl_default.doc", "default.bak"));
        shown.shown.clear();
        form->SetReceivedReportText("KX_TEMPLATE~WORD^KX_REQCODE~R5^KX_PROCCODE~P1^KX_PATCODE~9");
        const bool loaded = form->LoadReport();
        QVERIFY(templates.rename("default.bak", "tmpl_default.doc"));
        QVERIFY(loaded);
        QCOMPARE(shown.shown.size(), 1);
        QVERIFY2(shown.shown.at(0).startsWith("Letterhead Error|") && shown.shown.at(0).endsWith(notRtf),
                 qPrintable(shown.shown.at(0)));
    }

    void recoverLastLoadsTheRecoveryCopy() {
        RecordingMessages shown;
        auto form = makeForm(shown);
        const QString recovery = m_dir.filePath("work/recover.R9 P1.txc");
        writeFile(recovery,
                  rtfOf([](TWpDocument &d) { QTextCursor(d.main()).insertText("Recovered text."); }));
        form->SetReceivedReportText(
            "KX_TEMPLATE~LH1^KX_REQCODE~R9^KX_PROCCODE~P1^KX_PATCODE~9^KX_RESULTTEXT~Host");
        QVERIFY(form->LoadReport());
        QCOMPARE(TWpDocument::plainText(form->ResultBox()->document().main()), QStringLiteral("Host"));
        // The recovery copy takes the place of the message's body, once.
        QVERIFY(form->RecoverLast(recovery));
        QCOMPARE(TWpDocument::plainText(form->ResultBox()->document().main()),
                 QStringLiteral("Recovered text."));
        QCOMPARE(form->ResultBox()->document().header()->toPlainText(),
                 QStringLiteral("Pathology Department"));
        QVERIFY(!form->RecoverPending());
        QVERIFY(form->LoadReport());
        QCOMPARE(TWpDocument::plainText(form->ResultBox()->document().main()), QStringLiteral("Host"));
        // A recovery copy that cannot be read leaves an empty body, and the load says it failed.
        QVERIFY(!form->RecoverLast(m_dir.filePath("work/missing.txc")));
        QCOMPARE(TWpDocument::plainText(form->ResultBox()->document().main()), QString());
        QCOMPARE(shown.shown, QStringList());
    }

    void templateEditing() {
        RecordingMessages shown;
        auto form = makeForm(shown);
        form->SetReceivedReportText("KX_REQCODE~R6^KX_RESULTTEXT~x");
        QVERIFY(form->LoadReport());
        QVERIFY(form->TemplateEditing());
        QCOMPARE(form->findChild<QLabel *>(QStringLiteral("PATIENTStatic"))->text(),
                 QStringLiteral("TEMPLATE EDITING - No Template Loaded."));
        QCOMPARE(form->ResultBox()->HeaderFooter(), 0);
        QVERIFY(form->findChild<QAction *>(QStringLiteral("Save1"))->isEnabled());
        QVERIFY(form->WorkDocumentName().isEmpty());
    }

    void emptyAbbreviationIndex() {
        EditorFolders folders = m_folders;
        folders.AbbreviationDirectory = m_dir.filePath("emptyabbrev");
        QDir().mkpath(folders.AbbreviationDirectory);
        writeFile(folders.AbbreviationDirectory + "/abrevlist.txt", "");
        RecordingMessages shown;
        TWPForm form(folders, nullptr, shown);
        form.SetReceivedReportText("KX_REQCODE~R7^KX_PROCCODE~P9^KX_PATCODE~9^KX_RESULTTEXT~a");
        QVERIFY(form.LoadReport());
        QVERIFY(form.AbbreviationList().isEmpty());
    }

    void zoom() {
        QCOMPARE(FitWidthZoom(1000, 17), 122);
        QCOMPARE(FitWidthZoom(20, 17), 10);
        QCOMPARE(FitWidthZoom(100000, 17), 500);
        QCOMPARE(ControlWidthForZoom(90), 735);
        QCOMPARE(ControlWidthForZoom(100), 814);
        struct {
            int panel, control, setting, left;
        } const places[] = {
            {1000, 814, 100, 83},                     // centred, then 10 to the left
            {1000, 735, TWPForm::ZoomCentred90, 132}, // centred only
            {1000, 814, TWPForm::ZoomPageWidth, 93},  // centred only
            {700, 814, 100, 0},                       // wider than the panel: from its left edge
            {834, 814, 100, 0},
        };
        for (const auto &p : places)
            QCOMPARE(ControlLeftForZoom(p.panel, p.control, p.setting), p.left);
    }

    void creationGivesTheControlItsBarsAndPlace() {
        RecordingMessages shown;
        auto form = makeForm(shown);
        QCOMPARE(form->ResultBox()->ButtonBarHandle(),
                 static_cast<QWidget *>(
                     form->findChild<orva::richtext::TWpButtonBar *>(QStringLiteral("WpButtonBar"))));
        QCOMPARE(
            form->ResultBox()->RulerHandle(),
            static_cast<QWidget *>(form->findChild<orva::richtext::TWpRuler *>(QStringLiteral("WpRuler"))));
        QCOMPARE(form->ResultBox()->StatusBarHandle(),
                 static_cast<QWidget *>(
                     form->findChild<orva::richtext::TWpStatusBar *>(QStringLiteral("WpStatus"))));
        QCOMPARE(form->findChild<orva::richtext::TWpStatusBar *>(QStringLiteral("WpStatus"))->PageMode(), 1);
        QVERIFY(form->findChild<orva::richtext::TWpButtonBar *>(QStringLiteral("WpButtonBar"))->isEnabled());
        for (int tab = 1; tab <= 14; ++tab) {
            form->ResultBox()->setTabCurrent(tab);
            QCOMPARE(form->ResultBox()->TabPos(), 0);
        }

        form->show();
        form->setWindowState(Qt::WindowNoState);
        form->resize(1600, 900);
        QTRY_VERIFY_WITH_TIMEOUT(form->findChild<QWidget *>(QStringLiteral("ResultPanel"))->width() > 1200,
                                 5000);
        const int panel = form->findChild<QWidget *>(QStringLiteral("ResultPanel"))->width();
        form->SetZoom(100);
        QCOMPARE(form->ResultBox()->geometry(),
                 QRect((panel - 814) / 2 - 10, 0, 814,
                       form->findChild<QWidget *>(QStringLiteral("ResultPanel"))->height()));
        form->SetZoom(TWPForm::ZoomCentred90);
        QCOMPARE(form->ResultBox()->geometry().left(), (panel - 735) / 2);
        QCOMPARE(form->ResultBox()->width(), 735);
        form->SetZoom(120);
        form->resize(1500, 900); // the control stays in its place as the panel changes
        QTRY_VERIFY_WITH_TIMEOUT(form->findChild<QWidget *>(QStringLiteral("ResultPanel"))->width() < panel,
                                 5000);
        QCOMPARE(form->ResultBox()->geometry().left(),
                 (form->findChild<QWidget *>(QStringLiteral("ResultPanel"))->width() - 973) / 2 - 10);
    }
};

QTEST_MAIN(LoadReportTest)
#include "LoadReportTest.moc"
