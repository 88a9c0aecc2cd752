// A print server that takes the connection and never answers: the window keeps working while the
// screen print waits for it, the user hears of it once, and closing the window with host print jobs
// still waiting ends within seconds and says what was not printed.
#include "platform/print/tests/SilentPrintServer.h"
#include "app/TOrvaMainForm.h"
#include "app/tests/FormChildren.h"
#include "app/tests/TestMainForm.h"
#include "common/testing/FakeHostLink.h"
#include "common/testing/RecordingMessages.h"
#include "platform/print/CupsSpooler.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPrintDialog>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

// Ticks of a 50 ms timer: the longest gap shows whether the window's event loop kept turning.
class Heartbeat {
public:
    Heartbeat() {
        m_timer.setInterval(50);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longestGapMs = std::max(m_longestGapMs, m_sinceLast.restart());
            ++m_ticks;
        });
        m_sinceLast.start();
        m_timer.start();
    }
    qint64 longestGapMs() const { return m_longestGapMs; }
    int ticks() const { return m_ticks; }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceLast;
    qint64 m_longestGapMs = 0;
    int m_ticks = 0;
};

// Cancels the print dialog as soon as it shows, and remembers that it did.
struct PrintDialogWatch {
    bool shown = false;
    QTimer timer;
    PrintDialogWatch() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (auto *d = qobject_cast<QPrintDialog *>(w); d && d->isVisible()) {
                    shown = true;
                    d->reject();
                }
            }
        });
        timer.start(20);
    }
};

// Far below the minutes a hung print server used to cost, far above a busy test machine's hiccup.
constexpr qint64 kResponsiveGapMs = 1000;

} // namespace

class SilentPrintServerTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<SilentPrintServer> m_server;

    TestMainForm make() {
        TestMainForm m = makeTestMainForm(m_dir.path(), "printer name = \"orvatest\"",
                                          new FakeHostLink(LinkState::Connected));
        if (!m.form->FormCreate()) {
            qFatal("form not created");
        }
        m.form->show();
        return m;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("config"));
        QDir(m_dir.path()).mkpath("work");
        m_server = std::make_unique<SilentPrintServer>();
        QVERIFY(m_server->listening());
        qputenv("CUPS_SERVER", m_server->server());
        qputenv("HOME", m_dir.path().toUtf8());
    }

    void screenPrintWaitsAwayFromTheWindowAndReportsOnce() {
        TestMainForm m = make();
        PrintDialogWatch dialog;
        Heartbeat heartbeat;
        QElapsedTimer clock;
        clock.start();
        child<QToolButton>(m.form.get(), "PrintTextButton")->click();
        QCOMPARE(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor,
                 Qt::BusyCursor);
        // A second click while the first waits asks nothing more.
        child<QToolButton>(m.form.get(), "PrintTextButton")->click();
        QTRY_COMPARE_WITH_TIMEOUT(m.messages->boxes.size(), 1, CupsSpooler::kRequestTimeoutMs + 10000);
        const qint64 waited = clock.elapsed();
        QVERIFY2(
            heartbeat.longestGapMs() < kResponsiveGapMs,
            qPrintable(QStringLiteral("the window stood still for %1 ms").arg(heartbeat.longestGapMs())));
        QVERIFY2(waited < CupsSpooler::kRequestTimeoutMs + 5000, qPrintable(QString::number(waited)));
        QCOMPARE(m.messages->boxes.first().caption, QStringLiteral("Print Screen"));
        QVERIFY2(m.messages->boxes.first().text.contains(QStringLiteral("did not answer")),
                 qPrintable(m.messages->boxes.first().text));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QTest::qWait(300);
        QCOMPARE(m.messages->boxes.size(), 1);
        QVERIFY(!dialog.shown);
        QVERIFY(m_server->connections() >= 1);
    }

    void closingWithJobsWaitingEndsPromptlyAndSaysWhatWasNotPrinted() {
        TestMainForm m = make();
        for (int job = 1; job <= 3; ++job) {
            m.link->deliver("\x1b[5ijob " + QByteArray::number(job) + "\r\n\x0c\x1b[4i");
        }
        QTRY_VERIFY(m_server->connections() >= 1); // the first job waits on the server
        QElapsedTimer clock;
        clock.start();
        child<QToolButton>(m.form.get(), "CloseSpeed")->click();
        const qint64 closing = clock.elapsed();
        QVERIFY2(closing < 8000, qPrintable(QStringLiteral("closing took %1 ms").arg(closing)));
        QVERIFY(!m.form->isVisible());
        QCOMPARE(m.messages->boxes.size(), 1);
        QVERIFY2(m.messages->boxes.first().text.startsWith(
                     QStringLiteral("3 print jobs from the host were not printed")),
                 qPrintable(m.messages->boxes.first().text));
        clock.restart();
        m.form.reset();
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        // Nothing more is reported once the window has gone.
        QTest::qWait(200);
    }

    // No print server at all (the connection is refused at once): the dialog is still offered, for
    // printing to a file.
    void screenPrintWithoutAPrintServerStillOffersTheDialog() {
        quint16 closedPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            closedPort = probe.serverPort();
        }
        qputenv("CUPS_SERVER", "127.0.0.1:" + QByteArray::number(closedPort));
        TestMainForm m = make();
        PrintDialogWatch dialog;
        child<QToolButton>(m.form.get(), "PrintTextButton")->click();
        QTRY_VERIFY_WITH_TIMEOUT(dialog.shown, 10000);
        QTRY_COMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(m.messages->boxes.isEmpty());
        qputenv("CUPS_SERVER", m_server->server());
    }

    void cleanupTestCase() { m_server.reset(); }
};

QTEST_MAIN(SilentPrintServerTest)
#include "SilentPrintServerTest.moc"
