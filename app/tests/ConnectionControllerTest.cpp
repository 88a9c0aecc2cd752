// The connection without a window: the countdown and its give-up, captions and lights per link
// state, the port that sticks, disconnect and close, with the fake link and ticks run by the test.
// Every signal goes into one log, so that a test also sees the order the window is told things in.
#include "app/ConnectionController.h"
#include "common/testing/FakeHostLink.h"
#include "common/testing/RecordingMessages.h"

#include <QTest>

namespace {

struct Rig {
    FakeHostLink link{LinkState::Closed};
    RecordingMessages messages;
    ConnectionController c{link, messages};
    QStringList log;

    explicit Rig(const QByteArray &setting) {
        c.setSetupFileName(QStringLiteral("/etc/orva/lab.inf"));
        c.setHostSetting(setting);
        QObject::connect(&c, &ConnectionController::captionChanged,
                         [this](const QString &t) { log.append("caption " + t); });
        QObject::connect(&c, &ConnectionController::linkLightChanged,
                         [this](bool on) { log.append(on ? "light on" : "light off"); });
        QObject::connect(&c, &ConnectionController::sizeToTerminal, [this] { log.append("size"); });
        QObject::connect(&c, &ConnectionController::collapseToMenuBar, [this] { log.append("collapse"); });
        QObject::connect(&c, &ConnectionController::settingsRequested, [this] { log.append("settings"); });
        QObject::connect(&c, &ConnectionController::connecting, [this] {
            log.append("connecting (link " + QString::number(int(link.State())) + ")");
        });
        QObject::connect(&c, &ConnectionController::disconnected, [this] { log.append("disconnected"); });
        QObject::connect(&c, &ConnectionController::linkClosed, [this] { log.append("link closed"); });
        QObject::connect(&c, &ConnectionController::terminalText,
                         [this](const QByteArray &t) { log.append("text " + QString::fromLatin1(t)); });
    }
    QStringList take() { return std::exchange(log, {}); }
};

} // namespace

class ConnectionControllerTest : public QObject {
    Q_OBJECT
private slots:
    void firstTickConnectsThenCountsDownAndGivesUp() {
        Rig r("lab1");
        r.c.FormShow();
        QVERIFY(r.c.Timer1Active());
        r.c.Timer1Timer();
        QCOMPARE(r.take(), (QStringList{"size", "connecting (link 0)"}));
        QCOMPARE(r.link.connects, (QList<QPair<QString, int>>{{"lab1", 23}}));
        QVERIFY(!r.c.StartPending());
        for (int remaining = 30; remaining >= 1; --remaining) {
            r.c.Timer1Timer();
            QCOMPARE(r.c.Caption(), QStringLiteral(" - Attempting: lab1..%1 sec(s)").arg(remaining));
        }
        QCOMPARE(r.link.aborts, 0);
        r.take();
        r.c.Timer1Timer();
        QCOMPARE(r.link.aborts, 1);
        // The abort closes the link, which gives the closed state's caption before the lights.
        QCOMPARE(r.take(), (QStringList{"collapse", "link closed", "light off", "collapse",
                                        "caption Image Retrieval System (lab.inf)", "light off"}));
        QVERIFY(!r.c.LinkLightOn());
        QVERIFY(!r.c.Timer1Active());
    }

    void noHostCollapsesWithoutConnecting() {
        Rig r("");
        r.c.FormShow();
        r.c.Timer1Timer();
        QCOMPARE(r.take(), (QStringList{"size", "collapse"}));
        QVERIFY(r.link.connects.isEmpty());
        QVERIFY(!r.c.Timer1Active());
        r.c.ConnectToHost(); // the login menu without a host: the settings form is where one is named
        QCOMPARE(r.take(), QStringList{"settings"});
    }

    void captionsAndLightsPerLinkState() {
        const struct {
            const char *name;
            bool images;
            LinkState state;
            QString caption;
            bool light;
        } cases[] = {
            {"connected", false, LinkState::Connected, "Connected to lab1 (lab.inf)", true},
            {"connected with images", true, LinkState::Connected, "Imaging System on lab1 (lab.inf)", true},
            {"closed", true, LinkState::Closed, "Image Retrieval System (lab.inf)", false},
            {"connecting changes nothing", false, LinkState::Connecting, QString(), false},
        };
        for (const auto &c : cases) {
            Rig r("lab1:2023");
            r.c.setImagesConfigured(c.images);
            r.c.Timer1Timer();
            QVERIFY2(r.c.Timer1Active(), c.name);
            r.link.setState(c.state);
            QVERIFY2(r.c.Caption() == c.caption, c.name);
            QVERIFY2(r.c.LinkLightOn() == c.light, c.name);
            // Connected and closed both end the countdown.
            QVERIFY2(r.c.Timer1Active() == (c.state == LinkState::Connecting), c.name);
        }
    }

    void refusedLinkWritesTheErrorAndStopsCounting() {
        Rig r("lab1");
        r.c.Timer1Timer();
        r.take();
        emit r.link.OnError(10061, QStringLiteral("Connection refused"));
        r.link.setState(LinkState::Closed);
        QCOMPARE(r.take(), (QStringList{"text Error: \r\nConnection refused", "link closed", "light off",
                                        "collapse", "caption Image Retrieval System (lab.inf)"}));
        QVERIFY(!r.c.Timer1Active());
    }

    void closedBeforeTheFirstTickKeepsTheTimer() {
        Rig r("lab1");
        r.c.FormShow();
        r.link.setState(LinkState::Closed);
        QVERIFY(r.c.Timer1Active());
        QVERIFY(r.c.StartPending());
    }

    void portSticksAcrossHostSettings() {
        Rig r("h:2323");
        r.c.Timer1Timer();
        for (const char *next : {"h2", "h3:", "h4:abc", "h5: 99", "[::1]:2424", "[::1]", "::1", "[::1]:"}) {
            r.link.setState(LinkState::Closed);
            r.c.setHostSetting(next);
            r.c.ConnectToHost();
        }
        QCOMPARE(r.link.connects, (QList<QPair<QString, int>>{{"h", 2323},
                                                              {"h2", 2323},
                                                              {"h3", 2323},
                                                              {"h4", 23},
                                                              {"h5", 99},
                                                              {"::1", 2424},
                                                              {"::1", 2424},
                                                              {"::1", 2424},
                                                              {"::1", 2424}}));
        // A second connect asks for the same host and port: nothing is cut again.
        r.link.setState(LinkState::Closed);
        r.c.ConnectToHost();
        QCOMPARE(r.link.connects.last(), (QPair<QString, int>{"::1", 2424}));
        QCOMPARE(r.c.HostName(), QByteArray("::1"));
    }

    void connectWhileConnectedDisconnectsFirst() {
        Rig r("lab1");
        r.c.Timer1Timer();
        r.link.setState(LinkState::Connected);
        r.take();
        r.c.ConnectToHost();
        QCOMPARE(r.link.closes, 1);
        QCOMPARE(r.take(), (QStringList{"light off", "link closed", "light off", "collapse",
                                        "caption Image Retrieval System (lab.inf)", "disconnected",
                                        "connecting (link 0)"}));
        QCOMPARE(r.link.connects.size(), 2);
    }

    void closingTheWindow() {
        const struct {
            const char *name;
            LinkState state;
            int closes;
            int aborts;
            bool written;
        } cases[] = {
            {"connected: disconnect", LinkState::Connected, 1, 0, true},
            {"connecting: abort", LinkState::Connecting, 0, 1, false},
            {"closed: nothing", LinkState::Closed, 0, 0, false},
        };
        for (const auto &c : cases) {
            Rig r("lab1");
            r.c.Timer1Timer();
            r.link.setState(c.state);
            r.take();
            r.c.FormClose();
            QVERIFY2(r.link.closes == c.closes, c.name);
            QVERIFY2(r.link.aborts == c.aborts, c.name);
            QVERIFY2(r.log.contains("disconnected") == c.written, c.name);
            QVERIFY2(!r.c.Timer1Active(), c.name);
        }
    }

    void tickFailureNamesItsStep() {
        Rig r("lab1");
        r.c.Timer1Timer();
        for (int i = 0; i < 30; ++i) {
            r.c.Timer1Timer();
        }
        // The give-up step fails in the window's handler: the box names the step.
        QObject::connect(&r.c, &ConnectionController::collapseToMenuBar,
                         [] { throw std::runtime_error("no screen"); });
        r.c.Timer1Timer();
        QCOMPARE(r.messages.shown, QStringList{"Error condition detected|Error Condition encountered in the "
                                               "Timer1. Telnet1.state <> tcpconnected"});
        QVERIFY(r.c.Timer1Active());

        // The first tick has no step: the box shows the error rather than nothing.
        Rig first("lab1");
        QObject::connect(&first.c, &ConnectionController::sizeToTerminal,
                         [] { throw std::runtime_error("no screen"); });
        first.c.Timer1Timer();
        QCOMPARE(first.messages.shown, QStringList{"Error condition detected|\"no screen\""});
    }
};

QTEST_GUILESS_MAIN(ConnectionControllerTest)
#include "ConnectionControllerTest.moc"
