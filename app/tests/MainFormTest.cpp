// The main window's start-up, connect timer, link states, registry and closing, with a fake link
// (ticks injected) and, for the connection itself, the sample host.
#include "app/ConnectionController.h"
#include "app/TOrvaMainForm.h"
#include "app/pipeline/ReceivePipeline.h"
#include "app/settingsform/TTextAttForm.h"
#include "app/tests/FormChildren.h"
#include "app/tests/TestMainForm.h"
#include "common/testing/FakeHostLink.h"
#include "common/testing/RecordingMessages.h"
#include "editor/wpform/TWPForm.h"
#include "hostforms/forms/TWinpickFrm.h"
#include "platform/settings/TRegistry.h"
#include "terminal/widget/TVtTerminalEx.h"
#include "testsupport/SampleHost.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

// Set in the child process that runs a scenario which ends its own program.
static constexpr const char *kChildVariable = "ORVA_MAINFORM_TEST_CHILD";

class MainFormTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    using Made = TestMainForm;
    Made make(const QByteArray &setup) {
        return makeTestMainForm(m_dir.path(), setup, new FakeHostLink(LinkState::Closed));
    }
    static ConnectionController *connection(const Made &m) {
        return child<ConnectionController>(m.form.get(), "ConnectionController");
    }
    static bool timerOn(const Made &m) { return child<QTimer>(m.form.get(), "Timer1")->isActive(); }
    static QLabel *label(const Made &m, const char *name) { return child<QLabel>(m.form.get(), name); }
    static TVtTerminalEx *terminal(const TOrvaMainForm &form) {
        return child<TVtTerminalEx>(&form, "VtTerminal1");
    }
    static int menuBarHeight(const Made &m) {
        return child<QFrame>(m.form.get(), "MenuPanel")->minimumHeight();
    }
    static QAction *action(const Made &m, const char *name) { return child<QAction>(m.form.get(), name); }
    void clearRegistry() {
        QSettings s(QSettings::IniFormat, QSettings::UserScope, "Tessel", "OrvaVT4");
        s.clear();
        s.sync();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("config"));
        QDir(m_dir.path()).mkpath("work");
    }
    void init() { clearRegistry(); }

    void countsDownThenGivesUp() {
        Made m = make("host name = lab1");
        QVERIFY(m.form->FormCreate());
        connection(m)->FormShow();
        QVERIFY(timerOn(m));
        connection(m)->Timer1Timer(); // first tick connects
        QCOMPARE(m.link->connects, (QList<QPair<QString, int>>{{"lab1", 23}}));
        for (int remaining = 30; remaining >= 1; --remaining) {
            connection(m)->Timer1Timer();
            QCOMPARE(label(m, "ImageLabel")->text(),
                     QStringLiteral(" - Attempting: lab1..%1 sec(s)").arg(remaining));
        }
        QCOMPARE(m.link->aborts, 0);
        connection(m)->Timer1Timer();
        QCOMPARE(m.link->aborts, 1);
        QVERIFY(!label(m, "NoLinkLight")->isHidden());
        QVERIFY(label(m, "LinkLight")->isHidden());
        QVERIFY(!timerOn(m));
        QCOMPARE(m.form->height(), menuBarHeight(m));
    }

    void noHostCollapsesWithoutConnecting() {
        Made m = make("scroll lines = 500");
        QVERIFY(m.form->FormCreate());
        connection(m)->FormShow();
        connection(m)->Timer1Timer();
        QVERIFY(m.link->connects.isEmpty());
        QVERIFY(!timerOn(m));
        QCOMPARE(m.form->height(), menuBarHeight(m));
    }

    void refusedLinkShowsClosedStateAndError() {
        Made m = make("host name = lab1:2023");
        QVERIFY(m.form->FormCreate());
        connection(m)->FormShow();
        connection(m)->Timer1Timer();
        QCOMPARE(m.link->connects.value(0), (QPair<QString, int>{"lab1", 2023}));
        emit m.link->OnError(10061, QStringLiteral("Connection refused"));
        m.link->setState(LinkState::Closed);
        QCOMPARE(label(m, "ImageLabel")->text(), QStringLiteral("Image Retrieval System (test.inf)"));
        QVERIFY(!label(m, "NoLinkLight")->isHidden());
        // The countdown stops with the refusal instead of overwriting the caption.
        QVERIFY(!timerOn(m));
        QTRY_VERIFY(terminal(*m.form)->GetRowText(2).startsWith("Connection refused"));
        QVERIFY(terminal(*m.form)->GetRowText(1).startsWith("Error: "));
    }

    void connectedCaptions() {
        Made m = make("host name = lab1");
        QVERIFY(m.form->FormCreate());
        connection(m)->FormShow();
        connection(m)->Timer1Timer();
        m.link->setState(LinkState::Connected);
        QCOMPARE(label(m, "ImageLabel")->text(), QStringLiteral("Connected to lab1 (test.inf)"));
        QVERIFY(!label(m, "LinkLight")->isHidden());
        QVERIFY(label(m, "NoLinkLight")->isHidden());
        QVERIFY(!timerOn(m));

        const QByteArray source = "Source directory = " + m_dir.path().toUtf8();
        Made withImages = make("host name = lab1\n" + source);
        QVERIFY(withImages.form->FormCreate());
        connection(withImages)->Timer1Timer();
        withImages.link->setState(LinkState::Connected);
        QCOMPARE(label(withImages, "ImageLabel")->text(),
                 QStringLiteral("Imaging System on lab1 (test.inf)"));
        QVERIFY(!child<QLineEdit>(withImages.form.get(), "ReqNum")->isHidden());
        QVERIFY(child<QLineEdit>(m.form.get(), "ReqNum")->isHidden());
    }

    void portSticksAcrossHosts() {
        Made m = make("host name = h:2323");
        QVERIFY(m.form->FormCreate());
        connection(m)->Timer1Timer();
        m.link->setState(LinkState::Closed);
        m.messages->answers = {"h2", "h3:", "h4:abc"};
        m.form->LogontoNewsystem1Click();
        m.link->setState(LinkState::Closed);
        m.form->LogontoNewsystem1Click();
        m.link->setState(LinkState::Closed);
        m.form->LogontoNewsystem1Click();
        QCOMPARE(m.link->connects,
                 (QList<QPair<QString, int>>{{"h", 2323}, {"h2", 2323}, {"h3", 2323}, {"h4", 23}}));
        QCOMPARE(m.messages->prompts.value(0), QStringLiteral("Address or Hostname of New System"));
    }

    void loginMenu() {
        Made m = make("host name = lab1\nlogin conversation = see \"login:\" answer \"fred\"");
        QVERIFY(m.form->FormCreate());
        m.form->MainBarPopUpPopup();
        QCOMPARE(action(m, "LoginState")->text(), QStringLiteral("&Login in as fred"));
        QVERIFY(action(m, "LoginAs")->isEnabled());
        m.link->setState(LinkState::Connected);
        m.form->MainBarPopUpPopup();
        QCOMPARE(action(m, "LoginState")->text(), QStringLiteral("&Logout"));
        QVERIFY(!action(m, "LogontoNewsystem1")->isEnabled());
        m.form->LoginStateClick(); // logs out
        QCOMPARE(m.link->State(), LinkState::Closed);
        m.messages->answers = {"jim"};
        m.form->LoginAsClick();
        QCOMPARE(m.messages->prompts.value(0), QStringLiteral("Change login name from \"fred\" to ..\n"));
        QCOMPARE(m.link->connects.size(), 1);
        // The new name serves the next connection.
        m.link->setState(LinkState::Closed);
        m.form->MainBarPopUpPopup();
        QCOMPARE(action(m, "LoginState")->text(), QStringLiteral("&Login in as jim"));
    }

    // A press holds the host's text back; a release that leaves fewer than 4 characters selected lets
    // it through and clears the selection, a longer selection keeps it held.
    void selectionHoldEndsOnShortSelections() {
        const struct {
            int lastColumn; // 0: a click without a drag
            bool held;
        } cases[] = {{0, false}, {3, false}, {4, true}, {10, true}};
        for (const auto &c : cases) {
            Made m = make("host name = lab1");
            QVERIFY(m.form->FormCreate());
            m.form->show();
            TVtTerminalEx *t = terminal(*m.form);
            m.link->setState(LinkState::Connected);
            m.link->deliver("ABCDEFGHIJKL\r\n");
            QTRY_VERIFY(t->GetRowText(1).startsWith("ABCDEFGHIJKL"));
            const auto at = [t](int col) {
                return QPoint((col - 1) * t->CellWidth() + t->CellWidth() / 2, t->CellHeight() / 2);
            };
            QTest::mousePress(t->viewport(), Qt::LeftButton, {}, at(1));
            if (c.lastColumn > 0) {
                QTest::mouseMove(t->viewport(), at(c.lastColumn));
            }
            QTest::mouseRelease(t->viewport(), Qt::LeftButton, {}, at(std::max(c.lastColumn, 1)));
            m.link->deliver("NEXT");
            QCoreApplication::processEvents(); // the terminal takes what was written
            const QByteArray row = QByteArray::number(c.lastColumn);
            QVERIFY2(t->GetRowText(2).startsWith("NEXT") != c.held, row.constData());
            QVERIFY2(t->GetSelectedText().isEmpty() != c.held, row.constData());
        }
    }

    // A report that loads hides the main window while the editor is up; closing the editor brings it
    // back. A report that does not load says so and leaves the main window where it is.
    void editorOpensOverTheMainWindow() {
        const QByteArray folders = "templatedirectory = " + m_dir.path().toUtf8() +
                                   "\nrtfabbreviationdirectory = " + m_dir.path().toUtf8() + "\n";
        Made m = make("host name = lab1\n" + folders);
        QVERIFY(m.form->FormCreate());
        m.form->show();
        m.form->showeditor("KX_REQCODE~R4^KX_PROCCODE~P1^KX_PATCODE~9^KX_B64DATA~bm90IHJ0Zg==");
        QVERIFY(m.messages->shown.contains("Orva|An error occurred opening this document.\r\n\r\n"
                                           "You should Escape from this document and retry"));
        QVERIFY(m.form->isVisible());

        m.messages->shown.clear();
        m.form->showeditor("KX_REQCODE~R4^KX_PROCCODE~P1^KX_PATCODE~9^KX_RESULTTEXT~Liver biopsy");
        auto *editor = m.form->findChild<TWPForm *>();
        QVERIFY(editor);
        QVERIFY(editor->isVisible());
        QVERIFY(!m.form->isVisible());
        QVERIFY(m.messages->shown.filter("An error occurred").isEmpty());
        editor->close();
        QVERIFY(m.form->isVisible());

        // The tool button opens the last report again.
        child<QToolButton>(m.form.get(), "WPEditButton")->click();
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->ReportRecord().GetReqCode(), QByteArray("R4"));
        QVERIFY(m.messages->asked.isEmpty());
    }

    void editorButtonAsksWhenFoldersAreMissing() {
        Made m = make("host name = lab1");
        QVERIFY(m.form->FormCreate());
        m.form->show();
        QToolButton *button = child<QToolButton>(m.form.get(), "WPEditButton");
        button->click();
        QCOMPARE(m.messages->asked,
                 QStringList{"Orva|The Pendra Template and/or Abbreviations folder location(s) have\r\n"
                             "not been specified.\r\n\r\nTo resolve this issue, open the options dialog "
                             "and specify the necessary\r\nlocations on the 'Word Processing' page.\r\n\r\n"
                             "Are you sure you wish to open Pendra anyway?"});
        QVERIFY(!m.form->findChild<TWPForm *>());
        // Yes opens it anyway; with no report yet, on template editing.
        m.messages->replies = {UserMessages::Answer::Yes};
        button->click();
        auto *editor = m.form->findChild<TWPForm *>();
        QVERIFY(editor && editor->isVisible());
        QVERIFY(editor->TemplateEditing());
    }

    // The hidden tool button ToolButton11 shows the host-forms window once the host has made it.
    void hostFormsWindowComesBackFromItsButton() {
        Made m = make("host name = lab1");
        QVERIFY(m.form->FormCreate());
        m.link->setState(LinkState::Connected);
        const auto hostForms = [] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (auto *f = qobject_cast<TWinpickFrm *>(w)) {
                    return f;
                }
            }
            return static_cast<TWinpickFrm *>(nullptr);
        };
        m.form->ToolButton11Click(); // nothing made yet: nothing shown
        QVERIFY(!hostForms());
        m.link->deliver("\x9fWS1\x03"
                        "1\x03"
                        "1\x03"
                        "0\x03"
                        "0\x03"
                        "300\x03"
                        "200\x9b");
        QTRY_VERIFY(hostForms());
        hostForms()->hide();
        m.form->ToolButton11Click();
        QVERIFY(hostForms()->isVisible());
    }

    void settingsApplyWhileConnectedKeepsTheLogin() {
        Made m = make("host name = lab1\nlogin conversation = see \"login:\" answer \"orva\"\n"
                      "keysetquery = \"whoareu\"\nkeysetreply = \"r1\"");
        QVERIFY(m.form->FormCreate());
        connection(m)->FormShow();
        connection(m)->Timer1Timer();
        m.link->setState(LinkState::Connected);
        m.link->deliver("login:");
        QVERIFY(m.form->Pipeline()->loginAnswered());
        const qsizetype sentBefore = m.link->sent.size();

        action(m, "Advanced1")->trigger();
        TTextAttForm *settings = m.form->TextAttForm();
        QVERIFY(settings);
        child<QLineEdit>(settings, "KeySetReplyEdit")->setText(QStringLiteral("r2"));
        settings->ApplybuttonClick();
        QCOMPARE(m.form->Pipeline()->settings().KeySetReply, QByteArray("r2"));
        QVERIFY(m.form->Pipeline()->loginAnswered());
        m.link->deliver("login:");
        QCOMPARE(m.link->sent.size(), sentBefore);
        m.link->deliver("whoareu");
        QVERIFY(m.link->sent.endsWith("r2\r"));
        settings->close();
    }

    void settingsApplyWhileDisconnectedEndsTheProgramWithoutItsServer() {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kChildVariable, m_dir.path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(120000));
        const QByteArray out = child.readAllStandardOutput();
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QVERIFY2(child.exitCode() == 1, out.constData());
        QVERIFY2(out.contains("Image Server Error|The Image Server is not presently") &&
                     out.contains("\\r\\nOrva will close."),
                 out.constData());
    }

    void missingSetupFileStopsStartUp() {
        auto messages = std::make_unique<RecordingMessages>();
        RecordingMessages *shown = messages.get();
        const QString path = m_dir.filePath("absent.inf");
        TOrvaMainForm form({"orva", path}, new FakeHostLink(LinkState::Closed), std::move(messages));
        QVERIFY(!form.FormCreate());
        QCOMPARE(shown->shown,
                 QStringList{"Setup File Error|The Setup file " + path + " is missing.\n\rOrva will close"});
    }

    void missingImageServerHaltsWhenAsked() {
        Made halt = make("Source directory = /nonexistent/images");
        QVERIFY(!halt.form->FormCreate());
        QVERIFY(
            halt.messages->shown.value(0).startsWith("Image Server Error|The Image Server is not presently"));
        QVERIFY(halt.messages->shown.value(0).endsWith("\r\nOrva will close."));
        Made goOn = make("Source directory = /nonexistent/images\nhalt on server fail = no");
        QVERIFY(goOn.form->FormCreate());
        QVERIFY(!goOn.messages->shown.value(0).contains("Orva will close"));
    }

    void unmappedWindowsPathIsReportedOnce() {
        Made m = make("capture directory = C:\\orva\\cap\ntemplatedirectory = T:\\tpl");
        QVERIFY(m.form->FormCreate());
        const QStringList boxes = m.messages->shown.filter("Setup File|");
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.first().contains(
                     "\r\ncapturedirectory = C:\\orva\\cap\\\r\ntemplatedirectory = T:\\tpl\r\n"),
                 qPrintable(boxes.first()));
        QVERIFY(boxes.first().endsWith("work files are kept in " + m_dir.filePath("work") + "/"));
    }

    void registryDefaultsAndWriteAtClose() {
        {
            Made m = make("");
            QVERIFY(m.form->FormCreate());
            QCOMPARE(terminal(*m.form)->terminalFont().pointSize(), 12);
            QCOMPARE(terminal(*m.form)->DefForeColor(), 0xFFFFFFu);
            QCOMPARE(terminal(*m.form)->DefBackColor(), 0xFF0000u);
            QCOMPARE(terminal(*m.form)->terminalFont().family().isEmpty(), false);
            m.form->SmartMouseClick();
            for (int i = 0; i < 40; ++i) {
                m.form->FontupbuttonClick();
            }
            QCOMPARE(terminal(*m.form)->terminalFont().pointSize(), 30);
            m.form->close(); // from state 0: still written
        }
        TRegistry reg("\\Software\\Tessel\\OrvaVT4\\settings");
        QVERIFY(reg.KeyExists());
        QCOMPARE(reg.ReadInteger("FontSize", 0), 30);
        QCOMPARE(reg.ReadString("FontName"), QStringLiteral("Orva VT"));
        QVERIFY(reg.ReadBool("SmartMouseEnabled", false));
        reg.WriteString("FontName", "");
        reg.Flush();

        Made again = make("");
        QVERIFY(again.form->FormCreate());
        QVERIFY(child<QToolButton>(again.form.get(), "SmartMouse")->isChecked());
        QVERIFY(terminal(*again.form)->SmartMouseClicks());
        for (int i = 0; i < 40; ++i) {
            again.form->FontDownbuttonClick();
        }
        QCOMPARE(terminal(*again.form)->terminalFont().pointSize(), 7);
        again.form->WriteRegistrySettings();
        QCOMPARE(TRegistry("\\Software\\Tessel\\OrvaVT4\\settings").ReadString("FontName"),
                 QStringLiteral("OrvaVT Courier New"));
    }

    void closingCleansOldWorkFiles() {
        Made m = make("");
        QVERIFY(m.form->FormCreate());
        const QString work = m_dir.filePath("work");
        const QDateTime now = QDateTime::currentDateTime();
        const struct {
            const char *name;
            int hours;
            bool kept;
        } files[] = {{"Recover.a.txc", 8 * 24, false},      {"recover.b c.txc", 8 * 24, false},
                     {"LastReport.x.txc", 25, false},       {"LastReport.y.txc", 23, true},
                     {"AudioData.0102.wav", 8 * 24, false}, {"x.txt", 30 * 24, true}};
        for (const auto &f : files) {
            QFile file(work + "/" + f.name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.setFileTime(now.addSecs(-3600LL * f.hours), QFileDevice::FileModificationTime));
        }
        m.form->close();
        for (const auto &f : files) {
            QCOMPARE(QFile::exists(work + "/" + f.name), f.kept);
        }
    }

    void closingWhileConnectingAborts() {
        Made m = make("host name = lab1");
        QVERIFY(m.form->FormCreate());
        connection(m)->Timer1Timer();
        QCOMPARE(m.link->State(), LinkState::Connecting);
        m.form->close();
        QCOMPARE(m.link->aborts, 1);
        QVERIFY(!timerOn(m));
    }

    void connectsOverIPv6() {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHostIPv6)) {
            QSKIP("this machine has no IPv6 loopback (::1)");
        }
        probe.close();
        SampleHost host;
        QVERIFY2(host.start({"--address", "::1"}), qPrintable(host.error()));
        const QByteArray port = QByteArray::number(host.port());
        const QString path = writeTestSetup(m_dir.path(), "host name = [::1]:" + port, "v6.inf");
        auto messages = std::make_unique<RecordingMessages>();
        RecordingMessages *answers = messages.get();
        TOrvaMainForm form({"orva", path}, nullptr, std::move(messages));
        QVERIFY(form.FormCreate());
        auto *link = child<HostLink>(&form, "Telnet1");
        child<ConnectionController>(&form, "ConnectionController")->Timer1Timer();
        QTRY_COMPARE_WITH_TIMEOUT(link->State(), LinkState::Connected, 10000);
        QCOMPARE(child<QLabel>(&form, "ImageLabel")->text(), QStringLiteral("Connected to ::1 (v6.inf)"));
        QTRY_VERIFY_WITH_TIMEOUT(terminal(form)->GetRowText(4).startsWith("login:") ||
                                     terminal(form)->GetRowText(3).startsWith("login:"),
                                 10000);

        // Typed into "Log onto new System", the bracketed address connects too.
        form.LoginStateClick();
        QTRY_COMPARE_WITH_TIMEOUT(link->State(), LinkState::Closed, 10000);
        answers->answers = {QString::fromLatin1("[::1]:" + port)};
        form.LogontoNewsystem1Click();
        QTRY_COMPARE_WITH_TIMEOUT(link->State(), LinkState::Connected, 10000);
        QCOMPARE(child<QLabel>(&form, "ImageLabel")->text(), QStringLiteral("Connected to ::1 (v6.inf)"));
        form.CloseSpeedClick();
    }

    void reachesTheSampleHost() {
        SampleHost host;
        QVERIFY2(host.start(), qPrintable(host.error()));

        auto messages = std::make_unique<RecordingMessages>();
        const QString path = writeTestSetup(m_dir.path(), "host name = " + host.address(), "sample.inf");
        TOrvaMainForm form({"orva", path}, nullptr, std::move(messages));
        QVERIFY(form.FormCreate());
        child<ConnectionController>(&form, "ConnectionController")->Timer1Timer();
        QTRY_COMPARE_WITH_TIMEOUT(child<HostLink>(&form, "Telnet1")->State(), LinkState::Connected, 10000);
        QCOMPARE(child<QLabel>(&form, "ImageLabel")->text(),
                 QStringLiteral("Connected to 127.0.0.1 (sample.inf)"));
        QVERIFY(!child<QLabel>(&form, "LinkLight")->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(terminal(form)->GetRowText(4).startsWith("login:") ||
                                     terminal(form)->GetRowText(3).startsWith("login:"),
                                 10000);
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                bool ttype = false;
                bool naws = false;
                for (const QJsonObject &e : host.events()) {
                    ttype = ttype || (e["event"] == "ttype" && e["value"] == "vt400");
                    naws = naws || (e["event"] == "naws" && e["width"] == 80 && e["height"] == 24);
                }
                return ttype && naws;
            }(),
            10000);
        form.CloseSpeedClick();
    }
};

// Started without a first image source; the settings form then names one that is not there, ticks
// "halt on server fail" and applies while no host is connected. The program's event loop must end with
// 1 (the exit code a stuck child gives instead is 2). The boxes shown are printed for the parent.
static int haltOnApplyChild(const QString &folder) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder + QStringLiteral("/child-config"));
    TestMainForm m =
        makeTestMainForm(folder, "halt on server fail = no", new FakeHostLink(LinkState::Closed));
    TOrvaMainForm &form = *m.form;
    if (!form.FormCreate())
        return 4;
    QTimer::singleShot(0, &form, [&] {
        child<QAction>(&form, "Advanced1")->trigger();
        TTextAttForm *settings = form.TextAttForm();
        child<QLineEdit>(settings, "SourceDirList")->setText(folder + QStringLiteral("/absent-images"));
        child<QCheckBox>(settings, "HaltonNoServercheck")->setChecked(true);
        settings->ApplybuttonClick();
    });
    QTimer::singleShot(60000, [] { QCoreApplication::exit(2); });
    const int code = QApplication::exec();
    for (const QString &box : m.messages->shown)
        std::printf("%s\n", qPrintable(QString(box).replace("\r", "\\r").replace("\n", "\\n")));
    std::fflush(stdout);
    return code;
}

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    if (qEnvironmentVariableIsSet(kChildVariable))
        return haltOnApplyChild(qEnvironmentVariable(kChildVariable));
    MainFormTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "MainFormTest.moc"
