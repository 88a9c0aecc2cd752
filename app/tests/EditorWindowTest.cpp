// The results editor and the dictation window as their user reaches them: report and task messages
// come in through the main window's receive path, keys and clicks go to the windows, and what the
// host gets is read off the link.
#include "app/TOrvaMainForm.h"
#include "app/tests/FormChildren.h"
#include "app/tests/TestMainForm.h"
#include "common/LocalPath.h"
#include "common/testing/FailingDisk.h"
#include "common/testing/FakeHostLink.h"
#include "dictation/audioform/TwpAudioForm.h"
#include "dictation/playback/tests/FakePlayer.h"
#include "editor/spell/TSpellForm.h"
#include "editor/wpform/TWPForm.h"
#include "imaging/core/DLL96V1.h"
#include "imaging/core/DllSP96.h"
#include "imaging/detached/TDetachedImageForm.h"
#include "platform/richtext/TWpBars.h"
#include "platform/richtext/TWpTextControl.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

using orva::imaging::TDetachedImageForm;
using orva::richtext::TWpDocument;

namespace {

QString source(const QString &path) {
    return qEnvironmentVariable("ORVA_SOURCE_DIR") + '/' + path;
}

// A report of the sample laboratory (its letterhead and the "SKBX" template) with `extra` fields.
QByteArray report(const QByteArray &extra = {}, const QByteArray &doctor = "^KX_DOCGIVEN~Sarah") {
    return "\x02@|KX_TEMPLATE~HIST^KX_REQCODE~26/00124^KX_PROCCODE~SKBX^KX_PATCODE~P0043^KX_PATSUR~Brown"
           "^KX_PATGIVEN~David^KX_PATTITLE~Mr^KX_SERVICEDATE~03/02/2026^KX_DOCTITLE~Dr^KX_DOCSUR~Green"
           "^KX_RETURNCONF~C1" +
           doctor + extra + "|@\x03";
}

QByteArray audioTask(const QByteArray &fields) {
    return "\x02@|KX_AUDIOONLY~1^" + fields + "|@\x03";
}

// ENQ "AUDIO" ETX name ETX command ETX ACK
QByteArray audioCommand(const QByteArray &name, const QByteArray &command) {
    return "\x05"
           "AUDIO\x03" +
           name + "\x03" + command + "\x03\x06";
}

// Notes whether the busy cursor was up when each block left.
class CursorNotingLink : public FakeHostLink {
public:
    using FakeHostLink::FakeHostLink;
    void Send(const QByteArray &data, int length = 0) override {
        const QCursor *c = QApplication::overrideCursor();
        busy.append(c && c->shape() == Qt::WaitCursor);
        FakeHostLink::Send(data, length);
    }
    QList<bool> busy;
};

QString mainText(TWPForm *editor) {
    return TWpDocument::plainText(editor->ResultBox()->document().main());
}

} // namespace

class EditorWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TestMainForm m;
    CursorNotingLink *m_link = nullptr;
    FakePlayer::Log m_player;

    TWPForm *editor() const { return m.form->findChild<TWPForm *>(); }

    // The main window on a connected link, with the sample host's templates and abbreviations.
    void start() {
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Tessel", "OrvaVT4").clear();
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Tessel", "OrvaVT").clear();
        m_link = new CursorNotingLink(LinkState::Connected);
        m = makeTestMainForm(
            m_dir.path(),
            "templatedirectory = " + source("tools/samplehost/templates").toUtf8() +
                "\nrtfabbreviationdirectory = " + source("tools/samplehost/abbreviations").toUtf8() +
                "\nsourcedirectory = " + m_dir.filePath("share").toUtf8() +
                "\nsubdirectory = ****....\nnoimagename = noimage.png",
            m_link);
        m.form->SetDictationFactories([this] { return std::make_unique<FakePlayer>(m_player); }, {});
        QVERIFY(m.form->FormCreate());
        m.form->show();
    }
    // The host sends a report; the editor shows it.
    TWPForm *open(const QByteArray &message) {
        m.link->deliver(message);
        if (!QTest::qWaitFor([this] { return editor() && editor()->isVisible(); }, 20000))
            return nullptr;
        m.link->sent.clear();
        return editor();
    }
    // The user switches the request images to the detached window, types a request number and
    // presses Enter.
    TDetachedImageForm *requestInDetachedWindow() {
        UserDriver user(m.form.get());
        auto *detached = child<QToolButton>(m.form.get(), "ImageDisplayOptionToolBtn");
        if (!detached->isChecked())
            user.click(detached);
        auto *number = child<QLineEdit>(m.form.get(), "ReqNum");
        user.focusOn(number);
        number->clear();
        user.type("12345678");
        user.press(Qt::Key_Return);
        auto *w = m.form->findChild<TDetachedImageForm *>();
        if (!w || !QTest::qWaitFor([w] { return w->isVisible(); }, 20000))
            return nullptr;
        return w;
    }
    QListWidget *dictations() const { return child<QListWidget>(editor(), "lvAudioRecs"); }
    void clickRow(UserDriver &user, int row) {
        QListWidget *list = dictations();
        user.click(list->viewport(), list->visualItemRect(list->item(row)).center());
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        // As the program's start-up does: share paths as the host names them reach local files.
        orva::imaging::SetPathMapper(&LocalPath::toLocalPath);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("config"));
        QDir(m_dir.path()).mkpath("work");
        QDir(m_dir.path()).mkpath("share/1234");
        QImage page(400, 560, QImage::Format_RGB32);
        page.fill(Qt::white);
        QVERIFY(page.save(m_dir.filePath("share/1234/12345678~A01.png")));
    }
    void cleanup() {
        m.form.reset();
        m_player = {};
    }

    // The host opens a report: the caret waits in the body, so what the user types is the report.
    void typingGoesIntoTheReport() {
        start();
        TWPForm *e = open(report());
        QVERIFY(e);
        UserDriver user(e);
        const QString font = child<QFontComboBox>(e, "font")->currentText();
        user.type("Benign");
        QVERIFY2(mainText(e).startsWith("Macroscopy: Benign"), qPrintable(mainText(e)));
        QCOMPARE(child<QFontComboBox>(e, "font")->currentText(), font);

        // Template editing (no patient code): the empty document takes the keys as well.
        m.messages->replies << UserMessages::Answer::Yes; // abandon the changes
        user.press(Qt::Key_Escape);
        QTRY_VERIFY(!e->isVisible());
        QCOMPARE(m.messages->asked.value(0), QStringLiteral("Not Saved!|Do you want to abandon changes?"));
        QVERIFY(open("\x02@|KX_REQCODE~editing^KX_PROCCODE~SKBX|@\x03"));
        user.type("New");
        QCOMPARE(mainText(e), QStringLiteral("New"));
    }

    // F10 returns and ESC leaves the report from every part of the window that takes the keyboard.
    void returnAndLeaveFromEveryBar_data() {
        QTest::addColumn<QString>("part");
        for (const char *part : {"font", "size", "lvAudioRecs", "TextMemo", "abrevlistbox", "ResultBox"})
            QTest::newRow(part) << QString::fromLatin1(part);
    }
    void returnAndLeaveFromEveryBar() {
        QFETCH(QString, part);
        start();
        const QByteArray dictation = "^KX_AUDIOTEXTINFO~J1\\4\\SKBX\\Macro\\\\Recognised words";
        for (Qt::Key key : {Qt::Key_F10, Qt::Key_Escape}) {
            TWPForm *e = open(report(dictation));
            QVERIFY(e);
            UserDriver user(e);
            user.pressIn(child<QWidget>(e, qPrintable(part)), key);
            QTRY_VERIFY(!e->isVisible());
            if (key == Qt::Key_Escape) {
                QCOMPARE(m.link->sent, QByteArray("\x1B"));
                continue;
            }
            QVERIFY2(m.link->sent.startsWith('\x07') && m.link->sent.contains("Macroscopy:"),
                     m.link->sent.left(200).constData());
            m.link->deliver("|");
            QTRY_VERIFY(!m.form->SendQueue().ResultTransferActive());
        }
    }

    // The host fails an upload (BEL), the user adds to the report that came back, and the disk is
    // full when F10 is pressed: nothing goes to the host, the report stays in the editor as typed,
    // and the copies of the first return are kept byte for byte. Once there is room, F10 sends it.
    void reportSurvivesAFullDisk_data() {
        QTest::addColumn<bool>("tmpfs");
        QTest::newRow("file size limit") << false;
        QTest::newRow("full tmpfs") << true;
    }
    void reportSurvivesAFullDisk() {
        QFETCH(bool, tmpfs);
        const QString work = m_dir.filePath("work");
        std::unique_ptr<SmallDisk> disk;
        if (tmpfs) {
            disk = std::make_unique<SmallDisk>(work, "512k");
            if (!disk->mounted())
                QSKIP(qPrintable(disk->reason()));
        }
        start();
        TWPForm *e = open(report());
        QVERIFY(e);
        UserDriver user(e);
        user.type("Benign");
        user.press(Qt::Key_F10);
        QTRY_VERIFY(!e->isVisible());
        QVERIFY(m.link->sent.startsWith('\x07'));
        m.link->sent.clear();
        m.link->deliver("\x07");
        QTRY_VERIFY(e->isVisible());
        QVERIFY(mainText(e).startsWith("Macroscopy: Benign"));

        const QStringList copies{e->LastReportFileName(), e->RecoveryFilePath()};
        QList<QByteArray> before;
        for (const QString &copy : copies) {
            QFile f(copy);
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(copy));
            before.append(f.readAll());
        }
        const QStringList files = QDir(work).entryList(QDir::Files | QDir::Hidden);

        user.activate();
        user.press(Qt::Key_End, Qt::ControlModifier);
        user.press(Qt::Key_Return);
        user.type("Second paragraph");
        const QString typed = mainText(e);
        QVERIFY2(typed.endsWith("Second paragraph"), qPrintable(typed));

        const QString filler = work + "/filler";
        m.messages->replies << UserMessages::Answer::Yes; // try again: it fails once more
        {
            std::unique_ptr<FileSizeLimit> limit;
            if (tmpfs) {
                QFile f(filler);
                QVERIFY(f.open(QIODevice::WriteOnly));
                const QByteArray block(4096, 'f');
                while (f.write(block) == block.size() && f.flush()) {
                }
            } else {
                limit = std::make_unique<FileSizeLimit>(64);
            }
            user.press(Qt::Key_F10);
        }
        QCOMPARE(m.messages->asked.last(),
                 QStringLiteral("Save Report|The data failed to save.  Do you want to try again?"));
        QCOMPARE(m.messages->shown.last(),
                 QStringLiteral("Save Report|Sorry, the data could not be saved.  "
                                "The report was not sent and stays in the editor."));
        QCOMPARE(m.link->sent, QByteArray());
        QVERIFY(!m.form->SendQueue().ResultTransferActive());
        QVERIFY(e->isVisible());
        QVERIFY(e->ResultBox()->isVisible());
        QCOMPARE(mainText(e), typed);
        for (int i = 0; i < copies.size(); ++i) {
            QFile f(copies[i]);
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(copies[i]));
            QVERIFY2(f.readAll() == before[i], qPrintable(copies[i]));
        }
        QStringList now = QDir(work).entryList(QDir::Files | QDir::Hidden);
        now.removeAll("filler");
        QCOMPARE(now, files); // nothing half-written left behind

        // Room again: the same report goes, with what was typed.
        QFile::remove(filler);
        user.press(Qt::Key_F10);
        QTRY_VERIFY(!e->isVisible());
        QVERIFY2(m.link->sent.startsWith('\x07') && m.link->sent.contains("Second paragraph"),
                 m.link->sent.left(300).constData());
        m.link->deliver("|");
        QTRY_VERIFY(!m.form->SendQueue().ResultTransferActive());
        m.form.reset(); // before the small disk goes
    }

    // Play (button or double click) asks the host for what each entry needs.
    void playAsksTheHostForEachEntry() {
        start();
        TWPForm *e =
            open(report("^KX_AUDIOTEXTINFO~J1\\0\\SKBX\\Recording]J2\\4\\SKBX\\Recognised\\\\Some text]"
                        "NewRecording\\0\\SKBX\\Dictate"));
        QVERIFY(e);
        UserDriver user(e);
        clickRow(user, 0);
        user.click("sbPlayAudio");
        clickRow(user, 1);
        user.click("sbPlayAudio");
        user.doubleClick(dictations()->viewport(),
                         dictations()->visualItemRect(dictations()->item(2)).center());
        QCOMPARE(m.link->sent, audioCommand("J1", "PLAYBACK^KX_ALWAYSONTOP~1") +
                                   audioCommand("J2", "CORRECT") +
                                   audioCommand("NewRecording", "RECORD^KX_ALWAYSONTOP~1"));

        // Typed into the report, the recording is played without ending the host's session.
        m.link->sent.clear();
        clickRow(user, 0);
        user.click("BtnInsText");
        user.click("sbPlayAudio");
        QCOMPARE(m.link->sent, audioCommand("J1", "PLAYBACK^KX_ALWAYSONTOP~1^KX_DONTESCAPE~1"));

        // A placeholder just inserted has nothing to play yet: the host is asked to record it.
        m.link->sent.clear();
        m.messages->answers << "Histology";
        user.chooseMenu({"Insert", "Insert Audio..."});
        QCOMPARE(dictations()->count(), 4);
        const QByteArray name = m.link->sent.mid(7, m.link->sent.indexOf('\x03', 7) - 7);
        QVERIFY2(name.startsWith("26/00124_"), name.constData());
        clickRow(user, dictations()->currentRow());
        user.click("sbPlayAudio");
        QCOMPARE(m.link->sent, audioCommand(name, "RECORD^KX_ALWAYSONTOP~1").repeated(2));
    }

    // Part of a batched dictation's text inserted: the report returns the audio times of that part,
    // read from the dictation window that plays the batch.
    void insertedDictationReturnsItsAudioTimes() {
        start();
        m_player.msPerTextChar = 100;
        m.link->deliver(audioTask("KX_AUDIOTASK~PLAYBACK^KX_REQCODE~26/00124^KX_PROCCODE~SKBX"
                                  "^KX_AUDIOJOBNUMBER~B1^KX_RECOGNISEDTEXT~alpha beta gamma"));
        QTRY_VERIFY(m.form->AudioForm() && m.form->AudioForm()->isVisible());
        TWPForm *e = open(report("^KX_AUDIOTEXTINFO~B1\\8\\SKBX\\Batch\\B\\alpha beta gamma"));
        QVERIFY(e);
        UserDriver user(e);
        auto *memo = child<QPlainTextEdit>(e, "TextMemo");
        QTextCursor c = memo->textCursor();
        c.setPosition(6);
        c.setPosition(10, QTextCursor::KeepAnchor);
        memo->setTextCursor(c);
        user.click("BtnInsText");
        user.pressIn(e->ResultBox(), Qt::Key_F10);
        QVERIFY2(m.link->sent.contains("*^KX_RETURNCONF~C1\r\n^KX_AUDIOFILEPOS~600;1000"),
                 m.link->sent.constData());
    }

    // The dictation panel folds to its caption and opens again; its splitter sizes it, and the page
    // follows the room it is given.
    void dictationPanelFoldsAndSizes() {
        start();
        TWPForm *e = open(report("^KX_AUDIOTEXTINFO~J1\\0\\SKBX\\Recording"));
        QVERIFY(e);
        e->setGeometry(0, 0, 1024, 700);
        UserDriver user(e);
        auto *panel = child<QWidget>(e, "TreePanel");
        auto *label = child<QToolButton>(e, "AudioFilesLabel");
        QTRY_VERIFY(panel->width() > 100);
        const int open = panel->width();
        QCOMPARE(label->text(), QStringLiteral("<< Audio Files"));
        user.click(label);
        QCOMPARE(label->text(), QStringLiteral(">>"));
        QTRY_VERIFY(panel->width() <= label->sizeHint().width() + 30);
        QVERIFY(!dictations()->isVisible());
        user.click(label);
        QCOMPARE(label->text(), QStringLiteral("<< Audio Files"));
        QTRY_COMPARE(panel->width(), open);

        auto *splitter = child<QSplitter>(e, "Splitter1");
        QWidget *handle = splitter->handle(1);
        QTest::mousePress(handle, Qt::LeftButton, {}, handle->rect().center());
        QTest::mouseMove(handle, handle->rect().center() + QPoint(120, 0));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, handle->rect().center() + QPoint(120, 0));
        QTRY_COMPARE(panel->width(), open + 120);
        QVERIFY(e->ResultBox()->geometry().right() <
                e->findChild<QWidget *>(QStringLiteral("ResultPanel"))->width());
    }

    // At 100 % in a window of 1024 pixels with the dictation and abbreviation panels beside it, the
    // page's right edge and the scroll bar stay in view; the zoom menu shows the zoom in use.
    void pageStaysInItsPanelAndZoomIsChecked() {
        start();
        TWPForm *e = open(report("^KX_AUDIOTEXTINFO~J1\\0\\SKBX\\Recording"));
        QVERIFY(e);
        e->setGeometry(0, 0, 1024, 700);
        UserDriver user(e);
        QTRY_VERIFY(e->findChild<QWidget *>(QStringLiteral("ResultPanel"))->width() < 814);
        QVERIFY(e->ResultBox()->geometry().left() >= 0);
        QVERIFY2(e->ResultBox()->geometry().right() <
                     e->findChild<QWidget *>(QStringLiteral("ResultPanel"))->width(),
                 qPrintable(QStringLiteral("box %1, panel %2")
                                .arg(e->ResultBox()->geometry().right())
                                .arg(e->findChild<QWidget *>(QStringLiteral("ResultPanel"))->width())));
        auto checked = [&] {
            QStringList out;
            for (QAction *a : user.openMenu("Zoom")->actions())
                if (a->isChecked())
                    out << a->text();
            user.closeMenus();
            return out;
        };
        QCOMPARE(checked(), QStringList{"&100%"});
        user.chooseMenu({"Zoom", "150%"});
        QCOMPARE(checked(), QStringList{"15&0%"});
        QCOMPARE(e->ResultBox()->ZoomFactor(), 150);
        QVERIFY(e->ResultBox()->geometry().right() <
                e->findChild<QWidget *>(QStringLiteral("ResultPanel"))->width());
    }

    // The next report without a referring doctor shows none, not the previous report's.
    void referringDoctorBelongsToItsReport() {
        start();
        TWPForm *e = open(report());
        QVERIFY(e);
        QCOMPARE(e->findChild<QLabel *>(QStringLiteral("DrNameStatic"))->text(),
                 QStringLiteral("Dr S Green  "));
        UserDriver(e).press(Qt::Key_Escape);
        QTRY_VERIFY(!e->isVisible());
        QVERIFY(open(report({}, {})));
        QCOMPARE(e->findChild<QLabel *>(QStringLiteral("DrNameStatic"))->text(), QString());
    }

    // Replace changes the occurrence found and goes on to the next; Replace All does the rest.
    void replaceGoesOneAtATime() {
        start();
        TWPForm *e = open(report());
        QVERIFY(e);
        UserDriver user(e);
        user.type("left and left");
        auto fill = [](QWidget *box) {
            const QList<QLineEdit *> edits = box->findChildren<QLineEdit *>();
            edits.at(0)->setText("left");
            edits.at(1)->setText("right");
            // The first click finds the word, the second replaces it and finds the next.
            QTest::mouseClick(box->findChild<QPushButton *>("ReplaceButton"), Qt::LeftButton);
            QTest::mouseClick(box->findChild<QPushButton *>("ReplaceButton"), Qt::LeftButton);
        };
        UserDriver::answerNextBox("Close", fill);
        user.chooseMenu({"Edit", "Replace..."});
        QVERIFY2(mainText(e).startsWith("Macroscopy: right and left"), qPrintable(mainText(e)));
        user.pressIn(e->ResultBox(), Qt::Key_F10);
        QVERIFY(m.link->sent.contains("right and left"));
    }

    // A word written twice stops the spelling check with the second one in red bold in its context.
    void duplicateWordStandsOutInItsContext() {
        if (!QFile::exists("/usr/share/hunspell/en_GB.dic"))
            QSKIP("the en_GB dictionary is not installed");
        start();
        TWPForm *e = open(report());
        QVERIFY(e);
        UserDriver user(e);
        user.type("the the");
        for (int i = 0; i < 7; ++i)
            user.press(Qt::Key_Left, Qt::ShiftModifier);
        QString prompt;
        QTextCharFormat first, second;
        UserDriver::answerNextBox("Cancel", [&](QWidget *box) {
            prompt = child<QLabel>(box, "Prompt")->text();
            auto *context = child<QTextEdit>(box, "ContextRich");
            const QString text = context->toPlainText();
            QTextCursor c(context->document());
            c.setPosition(int(text.lastIndexOf("the")) + 1);
            second = c.charFormat();
            c.setPosition(int(text.lastIndexOf("the", text.lastIndexOf("the") - 1)) + 1);
            first = c.charFormat();
        });
        user.press(Qt::Key_F7);
        QCOMPARE(prompt, QStringLiteral("Duplicate word:"));
        QCOMPARE(second.foreground().color(), QColor(Qt::red));
        QCOMPARE(second.fontWeight(), int(QFont::Bold));
        QVERIFY(first.foreground().color() != QColor(Qt::red));
    }

    // With no place stored, the editor opens over the desktop (even where nothing maximises it) and
    // the image window with its whole tool bar.
    void windowsOpenReadableAtFirstStart() {
        start();
        TWPForm *e = open(report());
        QVERIFY(e);
        const QRect desk = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(e->normalGeometry().size(), desk.size());
        UserDriver(e).press(Qt::Key_Escape);
        QTRY_VERIFY(!e->isVisible());

        TDetachedImageForm *images = requestInDetachedWindow();
        QVERIFY(images);
        auto *bar = child<QToolBar>(images, "ToolBar1");
        QVERIFY(!bar->findChild<QToolButton *>("qt_toolbar_ext_button")->isVisible());
        QVERIFY2(images->height() >= desk.height() * 3 / 4 || images->height() >= 720,
                 qPrintable(QString::number(images->height())));
        // A place the user gave it is kept.
        images->resize(700, 500);
        images->close();
        QVERIFY(requestInDetachedWindow() == images);
        QCOMPARE(images->size(), QSize(700, 500));
    }

    // The image window's rotate with the effects engine failing: the user is told, every time.
    void effectFailureIsShown() {
        start();
        TDetachedImageForm *images = requestInDetachedWindow();
        QVERIFY(images);
        UserDriver user(images);
        orva::imaging::SetEffectsEngineAvailable(false);
        auto *rotate = child<QToolButton>(images, "ROTATE90");
        QTRY_VERIFY(rotate->isEnabled());
        user.click(rotate);
        user.click(rotate);
        orva::imaging::SetEffectsEngineAvailable(true);
        const QString box =
            "Image Effects|Can't load ISP2000.DLL. Make sure its located in the application's "
            "searchpath.";
        QCOMPARE(m.messages->shown.count(box), 2);
    }

    // The dictation window names its task from the moment it opens, and says no audio is loaded.
    void dictationCaptionIsTheOpenTasks() {
        start();
        m.link->deliver(audioTask("KX_AUDIOTASK~RECORD^KX_REQCODE~26/00001^KX_PROCCODE~SKBX"
                                  "^KX_AUDIODESCRIPTION~First"));
        QTRY_VERIFY(m.form->AudioForm() && m.form->AudioForm()->isVisible());
        TwpAudioForm *w = m.form->AudioForm();
        UserDriver user(w);
        user.click("btnRecord");
        user.click("btnStop");
        QVERIFY(w->windowTitle().contains("26/00001"));
        user.click("exitButton");
        QTRY_VERIFY(!w->isVisible());
        m.link->deliver(audioTask("KX_AUDIOTASK~RECORD^KX_REQCODE~26/00002^KX_PROCCODE~SKBX"
                                  "^KX_AUDIODESCRIPTION~Second"));
        QTRY_VERIFY(w->isVisible());
        QVERIFY2(w->windowTitle().contains("26/00002 SKBX Second"), qPrintable(w->windowTitle()));
        QVERIFY(!w->windowTitle().contains("26/00001"));
        const QList<QLabel *> panels = child<QStatusBar>(w, "StatusBar1")->findChildren<QLabel *>();
        QVERIFY(std::any_of(panels.begin(), panels.end(),
                            [](QLabel *l) { return l->text() == QStringLiteral("No Audio Loaded"); }));
    }

    // The host refuses a correction (BEL): the task comes back with the correction, which can be
    // sent again as it stands; the upload is built under the busy cursor.
    void refusedCorrectionCanBeSentAgain() {
        start();
        const QByteArray task = audioTask("KX_AUDIOTASK~CORRECT^KX_REQCODE~26/00124^KX_PROCCODE~SKBX"
                                          "^KX_AUDIOJOBNUMBER~J7^KX_RECOGNISEDTEXT~the lesion is benigm");
        m.link->deliver(task);
        QTRY_VERIFY(m.form->AudioForm() && m.form->AudioForm()->isVisible());
        TwpAudioForm *w = m.form->AudioForm();
        UserDriver user(w);
        auto *text = child<QTextEdit>(w, "CorrectWpText");
        auto *transmit = child<QPushButton>(w, "TransmitButton");
        user.focusOn(text);
        text->moveCursor(QTextCursor::End);
        user.press(Qt::Key_Backspace);
        user.type("n");
        QVERIFY(transmit->isEnabled());
        // Sent without an author, as the user confirms each time.
        m.messages->replies << UserMessages::Answer::Yes << UserMessages::Answer::Yes;
        const qsizetype before = m_link->busy.size();
        user.click(transmit);
        QVERIFY2(m.link->sent.startsWith('\x07') && m.link->sent.contains("the lesion is benign"),
                 m.link->sent.constData());
        QCOMPARE(m_link->busy.value(before), true);
        QVERIFY(!QApplication::overrideCursor());
        QTRY_VERIFY(!w->isVisible());
        m.link->sent.clear();
        m.link->deliver("\x07");
        QTRY_VERIFY(w->isVisible());
        QCOMPARE(text->toPlainText(), QStringLiteral("the lesion is benign"));
        QVERIFY(transmit->isEnabled());
        user.click(transmit);
        QVERIFY(m.link->sent.startsWith('\x07') && m.link->sent.contains("the lesion is benign"));
    }
};

QTEST_MAIN(EditorWindowTest)
#include "EditorWindowTest.moc"
