// The main window and its settings form as their user reaches them: menus opened by a right click,
// buttons and keys on the window, answers to its boxes, and what the host receives on the link.
#include "app/TOrvaMainForm.h"
#include "app/export/TExportForm.h"
#include "app/pipeline/ReceivePipeline.h"
#include "app/settingsform/TTextAttForm.h"
#include "app/tests/FormChildren.h"
#include "app/tests/TestMainForm.h"
#include "common/LocalPath.h"
#include "common/ResourceCursors.h"
#include "common/testing/FakeHostLink.h"
#include "dictation/audioform/TwpAudioForm.h"
#include "dictation/playback/tests/FakePlayer.h"
#include "imaging/core/DLL96V1.h"
#include "imaging/detached/TDetachedImageForm.h"
#include "imaging/detachedkeys/TImageKeyTarget.h"
#include "imaging/view/TMultiImage.h"
#include "terminal/widget/TVtTerminalEx.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

#include <stdexcept>

using orva::imaging::TDetachedImageForm;

namespace {

// An image window whose scrolling fails.
class FailingImageWindow : public orva::imaging::TImageKeyTarget {
public:
    bool ImageWindowVisible() const override { return true; }
    void aPrevFileExecute() override {}
    void aNextFileExecute() override {}
    void ScrollBy(int, int) override { throw std::runtime_error("the view is gone"); }
    void ToolbarAction(orva::imaging::TVisTbBtn) override {}
};

} // namespace

class MainWindowUserTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TestMainForm m;
    FakePlayer::Log m_player;
    // The cursor up while each dictation player was made (the window opening its task).
    QList<QCursor> m_openingCursors;

    // The main window shown on a link in `state`, with an image share holding one request.
    void start(LinkState state = LinkState::Connected, const QByteArray &extra = {}) {
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Tessel", "OrvaVT4").clear();
        m = makeTestMainForm(m_dir.path(),
                             "sourcedirectory = " + m_dir.filePath("share/").toUtf8() +
                                 "\nsubdirectory = ****....\nnoimagename = noimage.png\n" + extra,
                             new FakeHostLink(state));
        m.form->SetDictationFactories(
            [this] {
                const QCursor *c = QApplication::overrideCursor();
                m_openingCursors.append(c ? *c : QCursor());
                return std::make_unique<FakePlayer>(m_player);
            },
            {});
        QVERIFY(m.form->FormCreate());
        m.form->show();
    }
    // The user asks for the request's images in the detached window: the display option down, the
    // number typed into the request box and Enter.
    TDetachedImageForm *requestInDetachedWindow(UserDriver &user) {
        auto *detached = user.find<QToolButton>("ImageDisplayOptionToolBtn");
        if (!detached->isChecked())
            user.click(detached);
        auto *number = user.find<QLineEdit>("ReqNum");
        user.focusOn(number);
        number->clear();
        user.type("12345678");
        user.press(Qt::Key_Return);
        auto *w = m.form->findChild<TDetachedImageForm *>();
        if (!w || !QTest::qWaitFor([w] { return w->isVisible(); }, 20000))
            return nullptr;
        return w;
    }

    // The user opens the settings form from the tool bar and turns to one of its pages.
    TTextAttForm *openSettings(const QString &page) {
        UserDriver(m.form.get()).click(child<QToolButton>(m.form.get(), "Advancedbutton"));
        TTextAttForm *form = m.form->TextAttForm();
        if (!form || !QTest::qWaitFor([form] { return form->isVisible(); }, 20000))
            return nullptr;
        UserDriver user(form);
        QTabBar *tabs = child<QTabWidget>(form, "Pages")->tabBar();
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i) == page)
                user.click(tabs, tabs->tabRect(i).center());
        return child<QTabWidget>(form, "Pages")->tabText(child<QTabWidget>(form, "Pages")->currentIndex()) ==
                       page
                   ? form
                   : nullptr;
    }

    // The user opens the export (ToolButton5) or import (ToolButton6) form, fills in the file on this
    // computer and the host's file F and item I, and starts.
    TExportForm *startTransfer(const char *button, const QString &winFile) {
        UserDriver(m.form.get()).click(child<QToolButton>(m.form.get(), button));
        auto *form = m.form->findChild<TExportForm *>();
        if (!form || !QTest::qWaitFor([form] { return form->isVisible(); }, 20000))
            return nullptr;
        UserDriver user(form);
        const QList<QPair<const char *, QString>> fields{
            {"WinFile", winFile}, {"d3File", "F"}, {"d3Item", "I"}};
        for (const auto &[name, text] : fields) {
            user.focusOn(user.find(name));
            user.type(text);
        }
        user.click("ExportButton");
        return form;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        orva::imaging::SetPathMapper(&LocalPath::toLocalPath);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("config"));
        QDir(m_dir.path()).mkpath("work");
        QDir(m_dir.path()).mkpath("share/1234");
        QImage page(200, 280, QImage::Format_RGB32);
        page.fill(Qt::white);
        QVERIFY(page.save(m_dir.filePath("share/1234/12345678~A01.png")));
        QVERIFY(page.save(m_dir.filePath("share/noimage.png")));
    }
    void cleanup() {
        m.form.reset();
        m_player = {};
        m_openingCursors.clear();
    }

    // The menu bar's pop-up offers "Reset Image Position" once the image window exists, and the item
    // brings that window back to the top left of the screen.
    void resetImagePositionOnceTheImageWindowExists() {
        start();
        UserDriver user(m.form.get());
        QWidget *menuBar = user.find("MenuPanel");
        bool enabled = true;
        user.contextMenu(
            menuBar, [&](QMenu *menu) { enabled = user.item(menu, "Reset Image Position")->isEnabled(); });
        QVERIFY2(!enabled, "no image window yet: nothing to reset");

        TDetachedImageForm *images = requestInDetachedWindow(user);
        QVERIFY(images);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        images->move(screen.topLeft() + QPoint(300, 200));
        user.activate();
        user.contextMenu(menuBar, [&](QMenu *menu) { user.chooseItem(menu, "&Reset Image Position"); });
        QTRY_COMPARE(images->pos(), screen.topLeft());
    }

    // A dictation task opens under the speaker cursor.
    void dictationOpensUnderTheSpeaker() {
        start();
        m.link->deliver("\x02@|KX_AUDIOONLY~1^KX_AUDIOTASK~PLAYBACK^KX_REQCODE~26/00124|@\x03");
        QTRY_VERIFY(m.form->AudioForm() && m.form->AudioForm()->isVisible());
        QCOMPARE(m_openingCursors.size(), 1);
        const QCursor speaker = ResourceCursors::Load("SPEAKER");
        QCOMPARE(m_openingCursors[0].shape(), Qt::BitmapCursor);
        QCOMPARE(m_openingCursors[0].pixmap().toImage(), speaker.pixmap().toImage());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    // The no-link light connects on a click of the left button, not on the others.
    void noLinkLightConnectsOnTheLeftButton() {
        start(LinkState::Closed, "hostname = lab1\n");
        m.link->connects.clear();
        QWidget *light = child<QLabel>(m.form.get(), "NoLinkLight");
        QTRY_VERIFY(light->isVisible());
        QTest::mouseClick(light, Qt::RightButton);
        QTest::mouseClick(light, Qt::MiddleButton);
        QVERIFY(m.link->connects.isEmpty());
        UserDriver(m.form.get()).click(light);
        QCOMPARE(m.link->connects, (QList<QPair<QString, int>>{{"lab1", 23}}));
    }

    // The key text's menu offers exactly the actions the key map knows; a key bound to any of them
    // drives that action and types nothing at the host ({NULL} sends its one NUL byte).
    void keyTextMenuOffersTheKeyMapsActions() {
        start();
        TTextAttForm *settings = openSettings("Keys");
        QVERIFY(settings);
        UserDriver user(settings);
        auto *memo = user.find<QPlainTextEdit>("KeyMemo");
        QStringList offered;
        user.contextMenu(memo, [&](QMenu *menu) {
            for (QAction *a : menu->actions())
                offered << a->text();
        });
        const QStringList actions{"{HOT}",         "{NULL}",       "{nextpage}",  "{prevpage}",
                                  "{scrollright}", "{scrollleft}", "{scrollup}",  "{scrolldown}",
                                  "{zoomin}",      "{zoomout}",    "{zoomreset}", "{ffwd}",
                                  "{rewind}",      "{play/pause}", "{stop}",      "{record}",
                                  "{quitaudio}",   "{loadaudio}",  "{saveaudio}"};
        QCOMPARE(QSet<QString>(offered.begin(), offered.end()),
                 QSet<QString>(actions.begin(), actions.end()));

        // Each action on a key of its own: F1 to F12, then Shift with F1 onwards.
        const auto keyOf = [](qsizetype i) {
            return qMakePair(Qt::Key(Qt::Key_F1 + i % 12), i < 12 ? Qt::NoModifier : Qt::ShiftModifier);
        };
        for (qsizetype i = 0; i < offered.size(); ++i) {
            user.pressIn(user.find("KeyEdit"), keyOf(i).first, keyOf(i).second);
            user.contextMenu(memo, [&](QMenu *menu) { user.chooseItem(menu, offered[i]); });
            QCOMPARE(memo->toPlainText(), offered[i]);
            user.click("AddKeyButton");
        }
        user.click("okbutton");
        QTRY_VERIFY(!settings->isVisible());

        UserDriver main(m.form.get());
        QWidget *terminal = main.find("VtTerminal1");
        for (qsizetype i = 0; i < offered.size(); ++i) {
            m.link->sent.clear();
            main.pressIn(terminal, keyOf(i).first, keyOf(i).second);
            QCOMPARE(m.link->sent, offered[i] == "{NULL}" ? QByteArray(1, '\0') : QByteArray());
        }
    }

    // The host field's list drops down with the hosts used before; a click on the font's caption
    // chooses the terminal font as "Set Font ..." does.
    void hostHistoryAndFontCaption() {
        start();
        TTextAttForm *settings = openSettings("Host Information");
        QVERIFY(settings);
        {
            UserDriver user(settings);
            auto *host = user.find<QComboBox>("HostNameCombo");
            user.focusOn(host);
            host->lineEdit()->selectAll();
            user.type("lab2:2023");
            user.focusOn(user.find("RowsEdit")); // leaving the field keeps the new host
            user.click("Cancelbutton");
        }
        QTRY_VERIFY(!settings->isVisible());
        QVERIFY(openSettings("Host Information"));
        UserDriver user(settings);
        auto *host = user.find<QComboBox>("HostNameCombo");
        QCOMPARE(host->currentText(), QString());
        user.focusOn(host);
        user.type("lab1");
        user.press(Qt::Key_Down, Qt::AltModifier);
        QStringList listed;
        for (int i = 0; i < host->count(); ++i)
            listed << host->itemText(i);
        host->hidePopup();
        QCOMPARE(listed, (QStringList{"lab1", "lab2:2023"}));
        QCOMPARE(host->currentText(), QStringLiteral("lab1"));

        settings = openSettings("Fonts");
        QVERIFY(settings);
        UserDriver fonts(settings);
        UserDriver::answerNextBox("OK", [](QWidget *box) {
            static_cast<QFontDialog *>(box)->setCurrentFont(QFont(QStringLiteral("DejaVu Sans Mono"), 17));
        });
        fonts.click(fonts.find<QLabel>("FontLabel"));
        QTRY_VERIFY2(fonts.find<QLabel>("FontLabel")->text().contains("17"),
                     qPrintable(fonts.find<QLabel>("FontLabel")->text()));
        QVERIFY(fonts.find("Applybutton")->isEnabled());
    }

    // The key names SHIFT, CTRL and ALT bind the modifier pressed alone, whether or not the platform
    // counts its own bit in the press; held with another modifier it needs that one's prefix.
    void modifierKeysPressedAloneReachTheKeyMap_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("Ctrl") << int(Qt::Key_Control) << int(Qt::NoModifier) << QByteArray("ctl");
        QTest::newRow("Ctrl, own bit")
            << int(Qt::Key_Control) << int(Qt::ControlModifier) << QByteArray("ctl");
        QTest::newRow("Alt") << int(Qt::Key_Alt) << int(Qt::NoModifier) << QByteArray("alt");
        QTest::newRow("Alt, own bit") << int(Qt::Key_Alt) << int(Qt::AltModifier) << QByteArray("alt");
        QTest::newRow("Shift") << int(Qt::Key_Shift) << int(Qt::NoModifier) << QByteArray("sft");
        QTest::newRow("Shift under Ctrl")
            << int(Qt::Key_Shift) << int(Qt::ControlModifier | Qt::ShiftModifier) << QByteArray("ctl+sft");
        QTest::newRow("Alt under Shift") << int(Qt::Key_Alt) << int(Qt::ShiftModifier) << QByteArray();
    }
    void modifierKeysPressedAloneReachTheKeyMap() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QByteArray, sent);
        start(LinkState::Connected,
              "KEYMAP-CTRL = ctl\nKEYMAP-ALT = alt\nKEYMAP-SHIFT = sft\nKEYMAP-C+SHIFT = ctl+sft\n");
        UserDriver user(m.form.get());
        QWidget *terminal = user.find("VtTerminal1");
        user.focusOn(terminal);
        m.link->sent.clear();
        // As the window system delivers the press (QTest would add presses of the modifiers).
        QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
        QApplication::sendEvent(terminal, &press);
        QCOMPARE(m.link->sent, sent);
    }

    // An action of the key map that fails is reported in a box the user acknowledges or dismisses.
    void failingKeyActionIsReported() {
        start(LinkState::Connected, "KEYMAP-F8 = {scrollup}\n");
        m.form->SetImageKeyTarget(std::make_unique<FailingImageWindow>());
        UserDriver user(m.form.get());
        user.pressIn(user.find("VtTerminal1"), Qt::Key_F8);
        QCOMPARE(
            m.messages->asked,
            QStringList{"Error condition detected|Error condition in the For loop in VT Keydown event\r\n"
                        "value is - 0"});
        QCOMPARE(m.messages->askedButtons, QList<UserMessages::Buttons>{UserMessages::Buttons::OkCancel});
        QVERIFY(m.messages->boxes.isEmpty());
        QCOMPARE(m.link->sent, QByteArray());
    }

    // A request number the image list refuses (a dot, a path separator, a blank inside) shows the
    // no-image picture in the main window, as the detached window does.
    void refusedRequestNumberShowsTheNoImagePicture() {
        start();
        UserDriver user(m.form.get());
        auto *number = user.find<QLineEdit>("ReqNum");
        for (const char *typed : {"1234.5678", "1234/5678", "1234 5678"}) {
            user.focusOn(number);
            number->clear();
            user.type(typed);
            user.press(Qt::Key_Return);
            QVERIFY2(user.find("ViewPanel")->isVisible(), typed);
            auto *names = user.find<QListWidget>("ImageNameListBox");
            QCOMPARE(names->count(), 1);
            QCOMPARE(names->item(0)->text(), QStringLiteral("noimage.png"));
            QCOMPARE(user.find<orva::imaging::TMultiImage>("ViewMultiImage")->GetImageName(),
                     m_dir.filePath("share/noimage.png"));
            user.press(Qt::Key_Escape);
            QTRY_VERIFY(!user.find("ViewPanel")->isVisible());
        }
    }

    // The dictation window's send procedure leaves an upload in flight whole: the ESC of a task
    // closed meanwhile waits for the upload's end, and opening the window from the tool bar meanwhile
    // does not make the host's refusal of the dictation look like the refusal of a report.
    void dictationSendLeavesAnUploadInFlightWhole() {
        start();
        m.link->deliver("\x02@|KX_AUDIOONLY~1^KX_AUDIOTASK~CORRECT^KX_REQCODE~26/00124^KX_PROCCODE~SKBX"
                        "^KX_AUDIOJOBNUMBER~J7^KX_RECOGNISEDTEXT~the lesion is benigm|@\x03");
        QTRY_VERIFY(m.form->AudioForm() && m.form->AudioForm()->isVisible());
        TwpAudioForm *w = m.form->AudioForm();
        {
            UserDriver user(w);
            auto *text = user.find<QTextEdit>("CorrectWpText");
            user.focusOn(text);
            text->moveCursor(QTextCursor::End);
            user.press(Qt::Key_Backspace);
            user.type("n");
            m.messages->replies << UserMessages::Answer::Yes; // no author
            user.click("TransmitButton");
        }
        QVERIFY2(m.link->sent.startsWith('\x07'), m.link->sent.constData());
        QTRY_VERIFY(!w->isVisible());

        m.link->sent.clear();
        UserDriver(m.form.get()).click(child<QToolButton>(m.form.get(), "SHowAudioBtn"));
        QTRY_VERIFY(w->isVisible());
        UserDriver(w).click("exitButton");
        QTRY_VERIFY(!w->isVisible());
        QCOMPARE(m.link->sent, QByteArray());

        m.link->deliver("\x07"); // the host refuses the correction
        QTRY_VERIFY(w->isVisible());
        QVERIFY2(m.messages->shown.contains("Audio File Transmit|Transfer failure. Please Re-save"),
                 qPrintable(m.messages->shown.join('\n')));
        QVERIFY(!m.messages->shown.contains("Save Data|Transfer failure. Please Re-save"));
        QCOMPARE(m.link->sent, QByteArray("\x1B"));
    }

    // "Reset Pendra or Audio Session" ends the result transfer and no more: an export under way ends
    // through its own Cancel, which takes the host's editor out of insert mode, and a host print job
    // goes on and ends with the host's stop sequence.
    void resetEndsTheResultTransferOnly() {
        start();
        QFile file(m_dir.filePath("export.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("A\nB\nC\n");
        file.close();
        UserDriver main(m.form.get());
        TExportForm *form = startTransfer("ToolButton5", file.fileName());
        QVERIFY(form);
        m.link->deliver("who\r\n 12 labuser LAB.PROD\r\n:");
        m.link->deliver("list F I\r\n[202] 'I' not on file.\r\n:");
        m.link->deliver("top\r\n001 ");
        QVERIFY2(m.link->sent.endsWith("ed F I\ri\rA\r"), m.link->sent.constData());

        m.link->sent.clear();
        main.click(child<QToolButton>(m.form.get(), "ResetPendraBtn"));
        QCOMPARE(m.link->sent, QByteArray("\r\rex\ry\r\r"));
        m.link->deliver("[245] 'I' exited.\r\n:");
        QTRY_VERIFY(!form->Transfer().Active());
        QTRY_VERIFY2(m.messages->shown.contains("Export Data.|User Abort"),
                     qPrintable(m.messages->shown.join(";")));

        auto *terminal = child<TVtTerminalEx>(m.form.get(), "VtTerminal1");
        terminal->ClearAll();
        m.link->deliver("\x1b[5ipart one ");
        main.click(child<QToolButton>(m.form.get(), "ResetPendraBtn"));
        m.link->deliver("part two\x1b[4iafter");
        QVERIFY(!m.form->Pipeline()->printing());
        QTRY_COMPARE(terminal->GetRowText(1).trimmed(), QByteArray("after"));
    }

    // An import writes the file the user chose in the form, wherever it lies, through the host's
    // capture; once the import is over the host may not write there again.
    void importWritesTheChosenFile() {
        start();
        QVERIFY(QDir(m_dir.path()).mkpath("imports"));
        const QString target = m_dir.filePath("imports/out.txt");
        TExportForm *form = startTransfer("ToolButton6", target);
        QVERIFY(form);
        m.link->deliver("who\r\n 12 labuser LAB.PROD\r\n:");
        QVERIFY2(m.link->sent.endsWith("silent.import\r" + QFile::encodeName(target) + "\rF\rI\ry\r"),
                 m.link->sent.constData());
        const QByteArray open = "\x9F"
                                "control\x03"
                                "10\x03"
                                "2\x03" +
                                QFile::encodeName(target) + "\x9B";
        const QByteArray close = "\x9F"
                                 "control\x03"
                                 "10\x03"
                                 "3\x9B";
        m.link->sent.clear();
        for (const QByteArray &block : {open, QByteArray("line one\xD0line two"), close})
            m.link->deliver(block);
        QCOMPARE(m.link->sent, QByteArray("\x03\x03"));
        m.link->deliver("[C01] done\r\n:");
        QTRY_VERIFY(!form->Transfer().Active());
        QFile written(target);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("line one\r\nline two"));

        m.link->sent.clear();
        m.link->deliver(open);
        QCOMPARE(m.link->sent, QByteArray("3"));
    }
};

QTEST_MAIN(MainWindowUserTest)
#include "MainWindowUserTest.moc"
