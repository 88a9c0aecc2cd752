// Keys pressed in the main window's terminal: what reaches the host through the key map and as typed
// characters, the selection a key press clears, the setup lines left out with a warning, and one key
// round trip through the sample host's menu.
#include "app/ConnectionController.h"
#include "app/TOrvaMainForm.h"
#include "app/tests/FormChildren.h"
#include "common/Trace.h"
#include "common/testing/FakeHostLink.h"
#include "common/testing/RecordingMessages.h"
#include "imaging/detachedkeys/TImageKeyTarget.h"
#include "terminal/widget/TVtTerminalEx.h"
#include "testsupport/SampleHost.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QJsonObject>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kKeyMaps = "keymap-F1 = #$027OP\n"
                            "keymap-UP ARROW = #$027[A\n"
                            "keymap-DN ARROW = #$027[B\n"
                            "KEYMAP_EX-Num 8 = k8\n"
                            "KEYMAP-#$110 = dot\n"
                            "KEYMAP_EX-Shift+A = mapped\n"
                            "KEYMAP-S+F2 = #$000\n"
                            "keymap-LTAB = #$027[Z\n"
                            "KEYMAP-X+F5 = never\n";

} // namespace

class KeyMapFormTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    struct Made {
        std::unique_ptr<TOrvaMainForm> form;
        FakeHostLink *link;
        TVtTerminalEx *terminal;
    };
    Made make(const QByteArray &setup) {
        auto *link = new FakeHostLink(LinkState::Connected);
        const QString path = m_dir.filePath("keys.inf");
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(setup + "rtfresultdirectory = " + m_dir.filePath("work").toUtf8() + "\n");
        f.close();
        auto form = std::make_unique<TOrvaMainForm>(QStringList{"orva", path}, link,
                                                    std::make_unique<RecordingMessages>());
        if (!form->FormCreate()) {
            qFatal("start-up failed");
        }
        TVtTerminalEx *terminal = child<TVtTerminalEx>(form.get(), "VtTerminal1");
        return {std::move(form), link, terminal};
    }
    static void press(QWidget *target, int key, Qt::KeyboardModifiers modifiers, const QString &text,
                      bool repeat = false) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text, repeat);
        QApplication::sendEvent(target, &event);
    }

    // The demo setup file (key maps, swaps, login) pointed at this host.
    QString demoSetup(const SampleHost &host) {
        QFile demo(SampleHost::sourceDir() + "/tools/samplehost/orva.inf");
        if (!demo.open(QIODevice::ReadOnly)) {
            return {};
        }
        QByteArray setup = demo.readAll();
        setup.replace("host name = 127.0.0.1:2323", "host name = " + host.address());
        const QString path = m_dir.filePath("demo.inf");
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) {
            return {};
        }
        f.write(setup + "\r\nrtfresultdirectory = " + m_dir.filePath("work").toUtf8() + "\r\n");
        return path;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("config"));
        QDir(m_dir.path()).mkpath("work");
    }

    void keysReachTheHost_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<QByteArray>("sent");
        const int none = Qt::NoModifier;
        const int keypad = Qt::KeypadModifier;
        QTest::newRow("F1 mapped") << int(Qt::Key_F1) << none << QString() << false << QByteArray("\x1BOP");
        QTest::newRow("F1 held") << int(Qt::Key_F1) << none << QString() << true << QByteArray("\x1BOP");
        QTest::newRow("Up mapped") << int(Qt::Key_Up) << none << QString() << false << QByteArray("\x1B[A");
        QTest::newRow("Down mapped") << int(Qt::Key_Down) << none << QString() << false
                                     << QByteArray("\x1B[B");
        QTest::newRow("F3 unmapped") << int(Qt::Key_F3) << none << QString() << false << QByteArray();
        QTest::newRow("F5 unmapped") << int(Qt::Key_F5) << none << QString() << false << QByteArray();
        QTest::newRow("Left unmapped") << int(Qt::Key_Left) << none << QString() << false << QByteArray();
        QTest::newRow("Delete unmapped")
            << int(Qt::Key_Delete) << none << QString("\x7F") << false << QByteArray();
        QTest::newRow("keypad 8, Num Lock off")
            << int(Qt::Key_Up) << keypad << QString() << false << QByteArray("k8");
        QTest::newRow("keypad 8, Num Lock on")
            << int(Qt::Key_8) << keypad << QString("8") << false << QByteArray("k8");
        QTest::newRow("keypad 5, Num Lock off")
            << int(Qt::Key_Clear) << keypad << QString() << false << QByteArray();
        QTest::newRow("keypad point, Num Lock off")
            << int(Qt::Key_Delete) << keypad << QString("\x7F") << false << QByteArray("dot");
        QTest::newRow("mapped key that types")
            << int(Qt::Key_A) << int(Qt::ShiftModifier) << QString("A") << false << QByteArray("mapped");
        QTest::newRow("{null} sends one NUL")
            << int(Qt::Key_F2) << int(Qt::ShiftModifier) << QString() << false << QByteArray(1, '\0');
        QTest::newRow("Tab stays in the terminal")
            << int(Qt::Key_Tab) << none << QString("\t") << false << QByteArray("\t");
        QTest::newRow("Shift+Tab is LTAB")
            << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << QString() << false << QByteArray("\x1B[Z");
        QTest::newRow("letter") << int(Qt::Key_A) << none << QString("a") << false << QByteArray("a");
        QTest::newRow("Enter") << int(Qt::Key_Return) << none << QString("\r") << false << QByteArray("\r");
        QTest::newRow("Ctrl+Enter") << int(Qt::Key_Return) << int(Qt::ControlModifier) << QString("\r")
                                    << false << QByteArray("\n");
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << QString("\b") << false
                                   << QByteArray("\b");
        QTest::newRow("Ctrl+A") << int(Qt::Key_A) << int(Qt::ControlModifier) << QString("\x01") << false
                                << QByteArray("\x01");
        QTest::newRow("Esc") << int(Qt::Key_Escape) << none << QString("\x1B") << false << QByteArray("\x1B");
        QTest::newRow("Alt+x") << int(Qt::Key_X) << int(Qt::AltModifier) << QString("x") << false
                               << QByteArray();
        QTest::newRow("e acute") << int(Qt::Key_Eacute) << none << QString::fromUtf8("\xC3\xA9") << false
                                 << QByteArray("\xE9");
    }
    void keysReachTheHost() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(bool, repeat);
        QFETCH(QByteArray, sent);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("KEYMAP-X\\+F5"));
        Made m = make(kKeyMaps);
        press(m.terminal, key, Qt::KeyboardModifiers(modifiers), text, repeat);
        QCOMPARE(m.link->sent, sent);
    }

    void deleteIsSentOnlyWhenMapped() {
        Made m = make("keymap-DELETE = #$027[3~\n");
        press(m.terminal, Qt::Key_Delete, Qt::NoModifier, QStringLiteral("\x7F"));
        QCOMPARE(m.link->sent, QByteArray("\x1B[3~"));
    }

    void readingTheSetupAgainReplacesKeysAndSwaps() {
        Made m = make("keymap-F1 = one\nkeymap-F2 = gone\nSWAP-1 = abc:xyz\n");
        m.link->deliver("abc\r\n");
        QTRY_COMPARE(m.terminal->GetRowText(1).trimmed(), QByteArray("xyz"));
        QFile f(m_dir.filePath("keys.inf"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("keymap-F1 = two\nSWAP-1 = abc:ABC\nrtfresultdirectory = " + m_dir.filePath("work").toUtf8() +
                "\n");
        f.close();
        QVERIFY(m.form->ReadSetupFile());
        press(m.terminal, Qt::Key_F1, Qt::NoModifier, QString());
        press(m.terminal, Qt::Key_F2, Qt::NoModifier, QString());
        QCOMPARE(m.link->sent, QByteArray("two"));
        m.link->deliver("abc");
        QTRY_COMPARE(m.terminal->GetRowText(2).trimmed(), QByteArray("ABC"));
    }

    void malformedLinesAreNamedInAShownWarning() {
        QVERIFY(orvaSetup().isWarningEnabled());
        QVERIFY(!orvaTrace().isDebugEnabled());
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("keys\\.inf: key map line \"KEYMAP-X\\+F5\" left "
                                                "out: the part \"X\" before \"\\+\""));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("key map entry over the limit of 50 skipped"));
        QByteArray setup = "KEYMAP-X+F5 = secret\n";
        for (int i = 1; i <= 50; ++i) {
            setup += "KEYMAP-#$" + QByteArray::number(i) + " = k\n";
        }
        Made m = make(setup); // start-up goes on
        press(m.terminal, Qt::Key_F5, Qt::NoModifier, QString());
        QCOMPARE(m.link->sent, QByteArray());
    }

    // A left press holds received text back; a release with 4 or more characters selected keeps the
    // hold, and the next key press in the terminal releases it and clears the selection.
    void aSelectionHoldsHostOutputUntilAKey_data() {
        QTest::addColumn<int>("lastCol");
        QTest::addColumn<bool>("held");
        QTest::newRow("4 characters hold") << 4 << true;
        QTest::newRow("6 characters hold") << 6 << true;
        QTest::newRow("3 characters let through") << 3 << false;
        QTest::newRow("a click lets through") << 1 << false;
    }
    void aSelectionHoldsHostOutputUntilAKey() {
        QFETCH(int, lastCol);
        QFETCH(bool, held);
        Made m = make(QByteArray());
        m.form->show();
        m.link->deliver("SELECT THIS TEXT");
        QTRY_COMPARE(m.terminal->GetRowText(1).trimmed(), QByteArray("SELECT THIS TEXT"));
        const auto centre = [&](int col) {
            return QPoint((col - 1) * m.terminal->CellWidth() + m.terminal->CellWidth() / 2,
                          m.terminal->CellHeight() / 2);
        };
        QTest::mousePress(m.terminal->viewport(), Qt::LeftButton, {}, centre(1));
        if (lastCol > 1) {
            QTest::mouseMove(m.terminal->viewport(), centre(lastCol));
        }
        QTest::mouseRelease(m.terminal->viewport(), Qt::LeftButton, {}, centre(lastCol));
        QCOMPARE(m.terminal->Selection().Marked(), held);
        m.link->deliver("\r\nNEW");
        if (held) {
            QCOMPARE(m.terminal->GetRowText(2).trimmed(), QByteArray());
            press(m.terminal, Qt::Key_F3, Qt::NoModifier, QString());
            QVERIFY(!m.terminal->Selection().Present());
        }
        QTRY_COMPARE(m.terminal->GetRowText(2).trimmed(), QByteArray("NEW"));
        QCOMPARE(m.link->sent, QByteArray());
    }

    // The key map's image tokens reach the detached window only while it is visible.
    void imageKeysDriveTheVisibleDetachedWindow() {
        struct Window : orva::imaging::TImageKeyTarget {
            bool visible = false;
            QStringList *calls = nullptr;
            bool ImageWindowVisible() const override { return visible; }
            void aPrevFileExecute() override { calls->append("previous"); }
            void aNextFileExecute() override { calls->append("next"); }
            void ScrollBy(int dx, int dy) override { calls->append(QString("scroll %1 %2").arg(dx).arg(dy)); }
            void ToolbarAction(orva::imaging::TVisTbBtn b) override {
                calls->append(QString("toolbar %1").arg(b));
            }
        };
        Made m = make("keymap-PGDN = {nextpage}\nkeymap-C+HOME = {zoomreset}\n");
        QStringList calls;
        auto window = std::make_unique<Window>();
        window->calls = &calls;
        Window *shown = window.get();
        m.form->SetImageKeyTarget(std::move(window));
        press(m.terminal, Qt::Key_PageDown, Qt::NoModifier, QString());
        QVERIFY(calls.isEmpty());
        shown->visible = true;
        press(m.terminal, Qt::Key_PageDown, Qt::NoModifier, QString());
        press(m.terminal, Qt::Key_Home, Qt::ControlModifier, QString());
        QCOMPARE(calls, (QStringList{"previous", "toolbar 8"}));
        QCOMPARE(m.link->sent, QByteArray());
    }

    // Ctrl alone keeps the selection; Ctrl+C copies it, then lets the held host output through.
    void theCopyKeyCopiesTheSelectionThenEndsTheHold() {
        Made m = make(QByteArray());
        m.form->show();
        m.link->deliver("COPY ME");
        QTRY_COMPARE(m.terminal->GetRowText(1).trimmed(), QByteArray("COPY ME"));
        const int w = m.terminal->CellWidth();
        const int h = m.terminal->CellHeight();
        QTest::mousePress(m.terminal->viewport(), Qt::LeftButton, {}, QPoint(w / 2, h / 2));
        QTest::mouseMove(m.terminal->viewport(), QPoint(3 * w + w / 2, h / 2));
        QTest::mouseRelease(m.terminal->viewport(), Qt::LeftButton, {}, QPoint(3 * w + w / 2, h / 2));
        m.link->deliver("\r\nHELD");
        press(m.terminal, Qt::Key_Control, Qt::ControlModifier, QString());
        QVERIFY(m.terminal->Selection().Marked());
        QCOMPARE(m.terminal->GetRowText(2).trimmed(), QByteArray());
        press(m.terminal, Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"));
        QCOMPARE(m.link->sent, QByteArray()); // the copy key goes no further
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("COPY\r\n"));
        QVERIFY(!m.terminal->Selection().Present());
        QTRY_COMPARE(m.terminal->GetRowText(2).trimmed(), QByteArray("HELD"));
    }

    // The demo setup file against the sample host: its swaps change the menu, its keys reach it.
    void keyRoundTripThroughTheSampleHost() {
        SampleHost host;
        QVERIFY2(host.start({"--once"}), qPrintable(host.error()));
        TOrvaMainForm form({"orva", demoSetup(host)}, nullptr, std::make_unique<RecordingMessages>());
        QVERIFY(form.FormCreate());
        TVtTerminalEx *terminal = child<TVtTerminalEx>(&form, "VtTerminal1");
        child<ConnectionController>(&form, "ConnectionController")->Timer1Timer();
        QTRY_VERIFY_WITH_TIMEOUT(terminal->GetRowText(21).startsWith("F1 help"), 10000);
        QVERIFY(terminal->GetAttrAt(4, 5) & 0x10);
        // Its COLOUR- and SWAP- lines change what the menu shows.
        QVERIFY(terminal->GetRowText(2).contains("SITE: Central Laboratory"));
        const uint8_t key = terminal->GetAttrAt(5, 5);
        QVERIFY2((key & 0x02) && !(key & 0x01), "the bold choice key shows underlined");
        QVERIFY(!(terminal->GetAttrAt(5, 7) & 0x02));
        const TVtTerminalBuffer &screen = terminal->CurrentEmulator()->Buffer();
        QCOMPARE(screen.GetForeColorAt(21, 1), 0x808000u); // cyan in place of the host's blue

        press(terminal, Qt::Key_Down, Qt::NoModifier, QString());
        QTRY_VERIFY_WITH_TIMEOUT((terminal->GetAttrAt(5, 5) & 0x10) && !(terminal->GetAttrAt(4, 5) & 0x10),
                                 10000);
        press(terminal, Qt::Key_Up, Qt::NoModifier, QString());
        QTRY_VERIFY_WITH_TIMEOUT((terminal->GetAttrAt(4, 5) & 0x10) && !(terminal->GetAttrAt(5, 5) & 0x10),
                                 10000);
        // The keypad's 8 and 2 by their KEYMAP_EX- lines; Ctrl+2 sends one NUL.
        press(terminal, Qt::Key_8, Qt::KeypadModifier, QStringLiteral("8"));
        QTRY_VERIFY_WITH_TIMEOUT(!(terminal->GetAttrAt(4, 5) & 0x10), 10000);
        press(terminal, Qt::Key_2, Qt::KeypadModifier, QStringLiteral("2"));
        QTRY_VERIFY_WITH_TIMEOUT(terminal->GetAttrAt(4, 5) & 0x10, 10000);
        press(terminal, Qt::Key_2, Qt::ControlModifier, QString());
        // Image and dictation actions send nothing, whether their window is there or not.
        press(terminal, Qt::Key_PageDown, Qt::AltModifier, QString());
        press(terminal, Qt::Key_F6, Qt::NoModifier, QString());
        press(terminal, Qt::Key_F1, Qt::NoModifier, QString());
        QTRY_VERIFY_WITH_TIMEOUT(terminal->GetRowText(1).startsWith(" HELP"), 10000);
        press(terminal, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QTRY_VERIFY_WITH_TIMEOUT(terminal->GetRowText(2).startsWith("REQUEST:"), 10000);
        press(terminal, Qt::Key_F1, Qt::ShiftModifier, QString());
        QTRY_VERIFY_WITH_TIMEOUT(terminal->GetRowText(1).startsWith(" HELP"), 10000);

        QStringList keys;
        for (const QJsonObject &e : host.events("key")) {
            keys.append(e["name"].toString());
        }
        QCOMPARE(keys, (QStringList{"DOWN", "UP", "UP", "DOWN", "NUL", "F1", "F1"}));
        form.CloseSpeedClick();
    }
};

QTEST_MAIN(KeyMapFormTest)
#include "KeyMapFormTest.moc"
