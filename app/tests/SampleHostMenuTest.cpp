// The sample host's menu over a real connection, choice by choice and sub-menu by sub-menu: each
// choice, typed at the terminal as the user types it, brings up its window or its bytes on the
// workstation; the user leaves it as a user would, and the host's menu comes back with the choice's
// outcome.
#include "app/TOrvaMainForm.h"
#include "app/tests/SampleHostSession.h"
#include "dictation/audioform/TwpAudioForm.h"
#include "imaging/detached/TDetachedImageForm.h"
#include "platform/print/tests/PrivateCupsd.h"
#include "platform/richtext/TWpTextControl.h"
#include "testsupport/UserDriver.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTextCursor>
#include <QTextEdit>
#include <QUrl>

#include <functional>

using orva::imaging::TDetachedImageForm;
using orva::richtext::TWpDocument;

namespace {

// Files the workstation was asked to open, in place of the desktop's viewer.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    OpenedUrls() { QDesktopServices::setUrlHandler("file", this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler("file"); }
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

// The menu's screen, waited for by its title and prompt.
bool showsMenu(Session &s, const QByteArray &title) {
    return QTest::qWaitFor([&] { return s.screenShows(title) && s.screenShows("Choice:"); }, 20000);
}

// Keys typed into the main window's terminal, as the user types them.
void typeAtTerminal(Session &s, const QString &keys) {
    UserDriver user(s.form.get());
    user.activate();
    user.focusOn(child<QWidget>(s.form.get(), "VtTerminal1"));
    user.type(keys);
}

// Types a choice at the host's menu; Enter ends it.
void choose(Session &s, const QByteArray &choice) {
    typeAtTerminal(s, QString::fromLatin1(choice) + '\r');
}

// Waits for the menu's outcome line after a choice.
bool outcome(Session &s, const QByteArray &text) {
    return QTest::qWaitFor([&] { return s.screenShows(text) && s.screenShows("Choice:"); }, 30000);
}

QString mainText(TWPForm *editor) {
    return TWpDocument::plainText(editor->ResultBox()->document().main());
}

bool editorShows(Session &s, const QString &text) {
    return QTest::qWaitFor(
        [&] { return s.editor() && s.editor()->isVisible() && mainText(s.editor()).contains(text); }, 20000);
}

TwpAudioForm *dictationWindow(Session &s, const QByteArray &kind) {
    const bool shown = QTest::qWaitFor(
        [&] {
            return s.form->AudioForm() && s.form->AudioForm()->isVisible() && s.form->AudioForm()->TaskOpen();
        },
        20000);
    return shown && s.form->AudioForm()->AudioTaskKind() == kind ? s.form->AudioForm() : nullptr;
}

// An object of the host's forms (in the host-forms window or a form of its own), found by the name
// the host gave it, once it is shown.
QWidget *hostObject(const char *name) {
    QWidget *found = nullptr;
    (void)QTest::qWaitFor(
        [&] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                found =
                    w->objectName() == QLatin1String(name) ? w : w->findChild<QWidget *>(QLatin1String(name));
                if (found && found->isVisible())
                    return true;
            }
            return false;
        },
        10000);
    return found;
}

// Keys pressed in the editor, where its focus is.
void pressInEditor(Session &s, Qt::Key key) {
    UserDriver(s.editor()).press(key);
}

// The audio time of the word at a text position of the dictation window, once the user has double
// clicked that word (which plays from it): "compound", at 16, is heard from 1200 ms.
int wordTime(TwpAudioForm *w, int position) {
    auto *edit = child<QTextEdit>(w, "CorrectWpText");
    QTextCursor at(edit->document());
    at.setPosition(position + 1);
    UserDriver(w).doubleClick(edit->viewport(), edit->cursorRect(at).center());
    (void)QTest::qWaitFor([&] { return w->GetTimePosBySelPos(position) >= 0; }, 5000);
    return w->GetTimePosBySelPos(position);
}

// An entry of the editor's dictation list played, as the user picks it and clicks the play button.
void playEntry(UserDriver &user, QListWidget *list, int row) {
    user.click(list->viewport(), list->visualItemRect(list->item(row)).center());
    user.click("sbPlayAudio");
}

// The audio commands the host received from the editor's dictation list.
QStringList commandsSent(Session &s) {
    QStringList out;
    for (const QJsonObject &e : s.events("request"))
        out.append(e.value("fields").toArray().at(1).toString());
    return out;
}

// A command of the editor's dictation list: the task the host answers with opens the dictation
// window, which the user closes to go back to the report.
bool listCommand(Session &s, const std::function<void(UserDriver &, QListWidget *)> &command,
                 const QByteArray &kind) {
    UserDriver user(s.editor());
    command(user, child<QListWidget>(s.editor(), "lvAudioRecs"));
    TwpAudioForm *w = dictationWindow(s, kind);
    if (!w)
        return false;
    UserDriver(w).click("exitButton");
    return QTest::qWaitFor([&] { return !w->isVisible() && s.editor()->isVisible(); });
}

void closeDictationWindow(Session &s) {
    UserDriver(s.form->AudioForm()).click("exitButton");
}

// The workstation's messages to the host forms with this code, as the host logged them.
QStringList replies(Session &s, const QByteArray &code) {
    QStringList out;
    for (const QJsonObject &e : s.events("form_event")) {
        const QByteArray frame = QByteArray::fromHex(e.value("hex").toString().toLatin1());
        if (frame.split('\x03').value(1) == code)
            out.append(QString::fromLatin1(frame).replace('\x03', '|'));
    }
    return out;
}

// The error replies of the workstation. The sample form's build shows the host-forms window by its
// container name, which is answered with an error as no workspace bears that name; any other error
// reply is a fault.
QStringList errors(Session &s) {
    QStringList out = replies(s, "99");
    out.removeAll("Object Controler|99||E013 - Error in Object Definition.  Workspace not specified or does "
                  "not exist.|");
    return out;
}

// One row of a menu's walk: what the user types, what the workstation must then show (its window,
// or the bytes it received), how the user leaves it, and the outcome the host's menu shows after.
struct Choice {
    const char *keys;
    std::function<bool(Session &)> shows;
    std::function<void(Session &)> leave;
    QByteArray outcome;
};

// Walks a menu's rows in one session: after each row, the menu titled `title` is back.
void walk(Session &s, const QByteArray &title, const QList<Choice> &rows) {
    for (const Choice &row : rows) {
        const QByteArray name = title + " choice " + row.keys;
        choose(s, row.keys);
        QVERIFY2(row.shows(s), name.constData());
        if (row.leave)
            row.leave(s);
        QVERIFY2(row.outcome.isEmpty() ? showsMenu(s, title) : outcome(s, row.outcome), name.constData());
        QVERIFY2(showsMenu(s, title), name.constData());
    }
}

} // namespace

class SampleHostMenuTest : public QObject {
    Q_OBJECT
private slots:
    // Every choice of the main menu: its window or its bytes, then the menu again; log off last.
    void mainMenu() {
        auto cups = std::make_unique<PrivateCupsd>();
        if (cups->problem().isEmpty())
            qputenv("CUPS_SERVER", cups->server());
        // The scanned forms of the request typed at choice 1, for choice 6.
        QTemporaryDir images;
        QDir().mkpath(images.filePath("8765"));
        QImage form(400, 300, QImage::Format_RGB32);
        form.fill(Qt::white);
        QVERIFY(form.save(images.filePath("8765/87654321~A01.png")));
        QVERIFY(form.save(images.filePath("noimage.png")));
        Session s({}, "printer name = \"orvatest\"\r\nsourcedirectory = " + images.path().toUtf8() +
                          "/\r\nsubdirectory = ****....\r\nnoimagename = noimage.png\r\n");
        QVERIFY(s.connect());
        QVERIFY(showsMenu(s, "REQUEST: 12345678"));
        // The menu lists every choice within the screen, above its status and prompt rows.
        for (const char *entry :
             {"1. Request enquiry", "C. Dictation: record over", "9. Log off", "D. Client commands",
              "R. Report messages", "T. Audio tasks", "H. Host form requests"})
            QVERIFY2(s.screenShows(entry), entry);

        const QList<Choice> rows = {
            {"1",
             [](Session &s) { return QTest::qWaitFor([&] { return s.screenShows("Request number:"); }); },
             [](Session &s) { typeAtTerminal(s, "87654321\r"); }, "REQUEST: 87654321"},
            {"2",
             [](Session &s) {
                 return hostObject("res1") && QTest::qWaitFor([&] { return s.screenShows("RESULT ENTRY"); });
             },
             [](Session &s) { typeAtTerminal(s, "X"); },
             {}},
            {"3", [](Session &s) { return editorShows(s, "Macroscopy:"); },
             [](Session &s) { pressInEditor(s, Qt::Key_Escape); }, "abandoned: nothing filed."},
            {"4",
             [](Session &s) { return QTest::qWaitFor([&] { return s.screenShows("BOX TEST"); }); },
             [](Session &s) { typeAtTerminal(s, "\r"); },
             {}},
            {"5", [](Session &) { return hostObject("ed1") != nullptr; }, {}, {}},
            {"6",
             [](Session &s) {
                 return QTest::qWaitFor([&] {
                     auto *w = s.form->findChild<TDetachedImageForm *>();
                     return w && w->isVisible() && w->Panel(5)->text().endsWith("87654321~A01.png");
                 });
             },
             [](Session &s) { s.form->findChild<TDetachedImageForm *>()->close(); },
             {}},
            {"7",
             [&cups](Session &s) {
                 if (!QTest::qWaitFor([&] { return s.screenShows("Test page sent to your printer."); }))
                     return false;
                 if (!cups->problem().isEmpty())
                     return true; // no scheduler here: the screen alone shows the choice
                 return QTest::qWaitFor(
                     [&] { return cups->received().contains("Orva sample host test page"); },
                     PrivateCupsd::kWaitMs);
             },
             [](Session &s) { typeAtTerminal(s, "\r"); },
             {}},
            {"8",
             [](Session &s) { return QTest::qWaitFor([&] { return s.screenShows("silent.import"); }); },
             [](Session &s) { typeAtTerminal(s, "off\r"); },
             {}},
            {"A", [](Session &s) { return dictationWindow(s, "RECORD") != nullptr; }, closeDictationWindow,
             "26/00125 RECORD closed: nothing filed."},
            {"B", [](Session &s) { return dictationWindow(s, "PLAYBACK") != nullptr; }, closeDictationWindow,
             "PLAYBACK closed: nothing filed."},
            {"C", [](Session &s) { return dictationWindow(s, "RECORD") != nullptr; }, closeDictationWindow,
             "26/00126 RECORD closed: nothing filed."},
            {"D",
             [](Session &s) { return showsMenu(s, "CLIENT COMMANDS"); },
             [](Session &s) { typeAtTerminal(s, "\r"); },
             {}},
            {"R",
             [](Session &s) { return showsMenu(s, "REPORT MESSAGES"); },
             [](Session &s) { typeAtTerminal(s, "\r"); },
             {}},
            {"T",
             [](Session &s) { return showsMenu(s, "AUDIO TASKS"); },
             [](Session &s) { typeAtTerminal(s, "\r"); },
             {}},
            {"H",
             [](Session &s) {
                 return QTest::qWaitFor([&] { return s.screenShows("HOST FORM REQUESTS"); }) &&
                        hostObject("ed1") != nullptr;
             },
             [](Session &s) { typeAtTerminal(s, "0"); },
             {}},
        };
        walk(s, "REQUEST:", rows);
        if (QTest::currentTestFailed())
            return;

        // The host forms of choices 2, 5 and H, one after the other, were all made and answered.
        QVERIFY2(errors(s).isEmpty(), qPrintable(errors(s).join(" / ")));
        choose(s, "9");
        QTRY_COMPARE_WITH_TIMEOUT(s.link()->State(), LinkState::Closed, 20000);
        s.form->CloseSpeedClick();
    }

    // R: each report message opens the editor with what it carries; ESC abandons it, F10 returns it
    // to a host that refuses it with NAK (and sends the next report) or fails it with BEL; F2 asks the
    // host for words it knows, answers late or does not know.
    void reportMessages() {
        Session s;
        QVERIFY(s.connect());
        QVERIFY(showsMenu(s, "REQUEST:"));
        choose(s, "R");
        QVERIFY(showsMenu(s, "REPORT MESSAGES"));
        const auto abandon = [](Session &s) {
            s.messages->replies = {UserMessages::Answer::Yes}; // should it ask to abandon changes
            pressInEditor(s, Qt::Key_Escape);
        };
        const auto pictures = [](Session &s) { return s.editor()->ResultBox()->document().pictures.size(); };
        const QList<Choice> rows = {
            {"1",
             [](Session &s) {
                 return editorShows(s, "Bold like this, italic like this, underlined like this.") &&
                        mainText(s.editor()).contains("fourteen points") &&
                        !mainText(s.editor()).contains(QChar(0xA4));
             },
             abandon, "Report 26/00131*SKBX abandoned"},
            {"2",
             [&](Session &s) { return editorShows(s, "Pictures placed by the host") && pictures(s) == 2; },
             abandon, "Report 26/00132*SKBX abandoned"},
            {"3", [](Session &s) { return editorShows(s, "Compound naevus, completely excised."); }, abandon,
             "Report 26/00133*SKBX abandoned"},
            {"4",
             [](Session &s) {
                 if (!editorShows(s, "press F2"))
                     return false;
                 UserDriver(s.editor()).type("/hx");
                 pressInEditor(s, Qt::Key_F2);
                 return editorShows(s, "history of a previous excision at this site");
             },
             abandon, "Report 26/00134*SKBX abandoned"},
            {"5",
             [&](Session &s) {
                 return editorShows(s, "marked by the workstation") && pictures(s) == 1 &&
                        QFile::exists(s.dir.filePath("share/pictures/scale-26-00135.bmp"));
             },
             abandon, "Report 26/00135*SKBX abandoned"},
            {"6",
             [](Session &s) {
                 // The placeholder is filled by its corrected dictation.
                 if (!editorShows(s, "Sections show a compound naevus.") ||
                     child<QListWidget>(s.editor(), "lvAudioRecs")->count() != 8)
                     return false;
                 // The list's commands, answered by the host with the entry's task: a recording plays,
                 // recognised text is corrected, a new placeholder is recorded. Each window closes
                 // without ending the report.
                 return listCommand(
                            s, [](UserDriver &user, QListWidget *list) { playEntry(user, list, 0); },
                            "PLAYBACK") &&
                        listCommand(
                            s, [](UserDriver &user, QListWidget *list) { playEntry(user, list, 2); },
                            "CORRECT") &&
                        listCommand(
                            s,
                            [&s](UserDriver &user, QListWidget *) {
                                s.messages->answers = {"Frozen section"};
                                user.chooseMenu({"Insert", "Insert Audio..."});
                            },
                            "RECORD") &&
                        commandsSent(s) ==
                            QStringList{"PLAYBACK^KX_ALWAYSONTOP~1", "CORRECT", "RECORD^KX_ALWAYSONTOP~1"};
             },
             abandon, "Report 26/00136*SKBX abandoned"},
            {"7",
             [](Session &s) {
                 return editorShows(s, "Reported to Dr Green, Dermatology clinic.") &&
                        mainText(s.editor()).contains("Specimen: SKBX") &&
                        s.editor()->ResultBox()->document().header()->toPlainText().contains(
                            "Mr David Brown");
             },
             abandon, "Report 26/00137*SKBX abandoned"},
            {"8", [](Session &s) { return editorShows(s, "the host refuses this one with NAK"); },
             [](Session &s) {
                 pressInEditor(s, Qt::Key_F10);
                 QVERIFY(QTest::qWaitFor(
                     [&] {
                         return s.editor()->isVisible() &&
                                s.editor()->ReceivedReportText().contains("26/00123");
                     },
                     20000));
                 pressInEditor(s, Qt::Key_F10);
             },
             "Refused with NAK; the next report, 26/00123*"},
            {"9", [](Session &s) { return editorShows(s, "the host answers BEL"); },
             [](Session &s) {
                 pressInEditor(s, Qt::Key_F10);
                 QVERIFY(QTest::qWaitFor([&] { return !s.events("upload").isEmpty(); }, 20000));
                 QVERIFY(QTest::qWaitFor([&] { return s.editor()->isVisible(); }, 20000));
                 pressInEditor(s, Qt::Key_F10);
             },
             "[221] 'REPORT 26/00139*SKBX' filed."},
            {"A",
             [](Session &s) {
                 if (!editorShows(s, "press F2"))
                     return false;
                 UserDriver user(s.editor());
                 for (const char *word : {"scc", " lfts", " xyz"}) {
                     user.type(word);
                     user.press(Qt::Key_F2);
                 }
                 return editorShows(s, "squamous cell carcinoma liver function tests xyz") &&
                        s.events("lookup").size() == 3;
             },
             abandon, "Report 26/00140*SKBX abandoned"},
        };
        walk(s, "REPORT MESSAGES", rows);
        if (QTest::currentTestFailed())
            return;
        choose(s, "");
        QVERIFY(showsMenu(s, "REQUEST:"));
        s.form->CloseSpeedClick();
    }

    // T: each audio task opens the dictation window as its kind needs; closing it sends the task back
    // unanswered.
    void audioTasks() {
        Session s;
        QVERIFY(s.connect());
        QVERIFY(showsMenu(s, "REQUEST:"));
        choose(s, "T");
        QVERIFY(showsMenu(s, "AUDIO TASKS"));
        const QString dictated = "Sections show a compound naevus\r\nwithout atypia.";
        const auto text = [](TwpAudioForm *w) { return child<QTextEdit>(w, "CorrectWpText")->toPlainText(); };
        const QList<Choice> rows = {
            {"1",
             [&](Session &s) {
                 TwpAudioForm *w = dictationWindow(s, "CORRECT");
                 return w && text(w).startsWith("Sections show") && wordTime(w, 16) == 1200;
             },
             closeDictationWindow, "26/00141 CORRECT closed"},
            {"2",
             [&](Session &s) {
                 TwpAudioForm *w = dictationWindow(s, "PLAYBACK");
                 return w && text(w).startsWith("Sections show") && wordTime(w, 16) == 1200;
             },
             closeDictationWindow, "26/00142 PLAYBACK closed"},
            {"3",
             [](Session &s) {
                 TwpAudioForm *w = dictationWindow(s, "IMPORT");
                 return w && QTest::qWaitFor([&] { return !s.messages->fileDialogs.isEmpty(); }) &&
                        child<QLineEdit>(w, "LabReferenceEdit")->isEnabled();
             },
             closeDictationWindow, "26/00143 IMPORT closed"},
            {"4",
             [](Session &s) {
                 TwpAudioForm *w = dictationWindow(s, "PLAYBACK");
                 return w && child<QComboBox>(w, "BatchCombo")->count() == 2 &&
                        child<QWidget>(w, "BatchPanel")->isVisible();
             },
             closeDictationWindow, "26/00144 PLAYBACK closed"},
            {"5",
             [](Session &s) {
                 TwpAudioForm *w = dictationWindow(s, "CORRECT");
                 return w &&
                        QTest::qWaitFor([&] { return !s.messages->shown.filter("Dr P White").isEmpty(); }) &&
                        !child<QPushButton>(w, "TransmitButton")->isEnabled();
             },
             closeDictationWindow, "26/00145 CORRECT closed"},
            {"6",
             [](Session &s) {
                 TwpAudioForm *w = dictationWindow(s, "PLAYBACK");
                 return w && w->AudioFileName().endsWith("/dictation.mp3") &&
                        child<QPushButton>(w, "btnPlay")->isEnabled();
             },
             closeDictationWindow, "26/00146 PLAYBACK closed"},
            {"7",
             [](Session &s) {
                 TwpAudioForm *w = dictationWindow(s, "PLAYBACK");
                 return w && QTest::qWaitFor([&] { return !s.events("playfrom").isEmpty(); }, 10000) &&
                        QTest::qWaitFor([&] { return child<QSlider>(w, "pbPlayBack")->value() >= 2000; });
             },
             closeDictationWindow, "26/00147 PLAYBACK closed"},
        };
        walk(s, "AUDIO TASKS", rows);
        if (QTest::currentTestFailed())
            return;
        choose(s, "");
        QVERIFY(showsMenu(s, "REQUEST:"));
        s.form->CloseSpeedClick();
    }

    // H: every request on every object of the host form; the workstation carries each out without an
    // error reply, answers each query and reports each destroy, and the form can be built again.
    void hostFormRequests() {
        Session s;
        QVERIFY(s.connect());
        QVERIFY(showsMenu(s, "REQUEST:"));
        choose(s, "H");
        QVERIFY(hostObject("ed1"));
        // Object letters of the host's screen, and each one's request keys: update twice, move there
        // and back, clear, hide and show, disable and enable, focus, rename there and back, query.
        // Updates of the browser (N) and the bevel (P) are refused: they have nothing to update.
        const QString refused = "Object Updater|99||Object Update for object type not implemented.|";
        const QByteArray objects = "ABCDEFGHIJKLMNOPQRST";
        for (char object : objects) {
            const QByteArray name = QByteArray("object ") + object;
            const qsizetype queries = replies(s, "92").size();
            const qsizetype destroyed = replies(s, "90").size();
            const qsizetype failed = errors(s).size();
            // The screen takes updates and queries only.
            typeAtTerminal(s, QString(QChar(object)) + (object == 'T' ? "112" : "1133455667882"));
            QVERIFY2(QTest::qWaitFor([&] { return replies(s, "92").size() == queries + 1; }, 10000), name);
            const QStringList expected =
                object == 'N' || object == 'P' ? QStringList{refused, refused} : QStringList{};
            QVERIFY2(errors(s).mid(failed) == expected,
                     qPrintable(name + ": " + errors(s).mid(failed).join(" / ")));
            if (object != 'T') { // the screen itself is not destroyed
                typeAtTerminal(s, "9");
                QVERIFY2(QTest::qWaitFor([&] { return replies(s, "90").size() > destroyed; }, 10000), name);
                typeAtTerminal(s, "+");
                QVERIFY2(hostObject("ed1"), name);
            }
        }
        QCOMPARE(errors(s).size(), 4);
        typeAtTerminal(s, "0");
        QVERIFY(showsMenu(s, "REQUEST:"));
        s.form->CloseSpeedClick();
    }

    // The menu's keys, through the sample setup file's key map: F1 shows the help and Return goes
    // back; Down and Up move the highlight, and Enter alone runs the highlighted choice.
    void menuKeys() {
        Session s({}, "keymap-F1 = #$027OP\r\nkeymap-UP ARROW = #$027[A\r\nkeymap-DN ARROW = #$027[B\r\n");
        QVERIFY(s.connect());
        QVERIFY(showsMenu(s, "REQUEST:"));
        UserDriver user(s.form.get());
        user.focusOn(child<QWidget>(s.form.get(), "VtTerminal1"));
        user.press(Qt::Key_F1);
        QTRY_VERIFY_WITH_TIMEOUT(s.screenShows("Up, Down    move the highlighted choice"), 10000);
        user.press(Qt::Key_Return);
        QVERIFY(showsMenu(s, "REQUEST:"));
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up})
            user.press(key);
        QTRY_COMPARE_WITH_TIMEOUT(s.events("key").size(), 4, 10000); // F1 and the three
        user.press(Qt::Key_Return);
        QVERIFY(hostObject("res1"));
        QTRY_VERIFY_WITH_TIMEOUT(s.screenShows("RESULT ENTRY"), 10000);
        typeAtTerminal(s, "X");
        QVERIFY(showsMenu(s, "REQUEST:"));
        s.form->CloseSpeedClick();
    }

    // D: the information box, a capture the host starts and stops, a document opened, a program run
    // and the key-set query with the terminal's reply.
    void clientCommands() {
        QTemporaryDir capture;
        Session s({}, "keysetquery = \"whoareu\"\r\nkeysetreply = \"orvavt\"\r\ncapturedirectory = " +
                          capture.path().toUtf8() + "\r\n");
        OpenedUrls opened;
        QVERIFY(s.connect());
        QVERIFY(showsMenu(s, "REQUEST:"));
        choose(s, "D");
        QVERIFY(showsMenu(s, "CLIENT COMMANDS"));

        choose(s, "1");
        QVERIFY(outcome(s, "Information box sent."));
        QTRY_VERIFY(
            s.messages->shown.contains("Sample host|The laboratory system stops for maintenance at 18:00."));

        choose(s, "2");
        QVERIFY(outcome(s, "3 lines, started and stopped."));
        QCOMPARE(readFile(capture.filePath("lab-list.txt")),
                 QByteArray("REQUEST\xFD"
                            "12345678\xFCSMITH J\r\nREQUEST\xFD"
                            "87654321\xFC"
                            "BROWN D\r\nTotals\r\ntwo requests\r\n"));
        QVERIFY(!s.screenShows("SMITH J"));

        choose(s, "3");
        QVERIFY(outcome(s, "Asked the workstation to open"));
        QTRY_COMPARE(opened.urls,
                     QList<QUrl>{QUrl::fromLocalFile(s.dir.filePath("share/pictures/notice.txt"))});

        choose(s, "4");
        QVERIFY(outcome(s, "started-by-host made."));

        choose(s, "5");
        QVERIFY(outcome(s, "The terminal answered the key-set query \"whoareu\" with \"orvavt\"."));

        choose(s, "");
        QVERIFY(showsMenu(s, "REQUEST:"));
        s.form->CloseSpeedClick();
    }
};

QTEST_MAIN(SampleHostMenuTest)
#include "SampleHostMenuTest.moc"
