// Raw jobs through a private CUPS scheduler: what the host sends to the printer arrives at the
// printer's socket byte for byte; the default destination, unknown printers and a scheduler that
// has gone are handled as the raw printer's callers expect.
#include "platform/print/CupsSpooler.h"
#include "platform/print/RawPrintQueue.h"
#include "platform/print/TRAWPrinter.h"
#include "platform/print/tests/PrivateCupsd.h"
#include "platform/print/tests/SilentPrintServer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <thread>

class CupsSpoolerTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<PrivateCupsd> m_cups;
    QTemporaryDir m_home;

    static QByteArray everyByte() {
        QByteArray bytes("\x1B[5i", 4);
        for (int i = 0; i < 256; ++i) {
            bytes += char(i);
        }
        return bytes + QByteArray("\x00\xFF\xFF\x1B\r\n", 6);
    }

    // `calls` on a thread of its own that takes its print server from CUPS_SERVER = `server`; the
    // milliseconds it took.
    template <typename Calls> static qint64 onThreadWithServer(const QByteArray &server, Calls calls) {
        const QByteArray before = qgetenv("CUPS_SERVER");
        qputenv("CUPS_SERVER", server);
        QElapsedTimer clock;
        clock.start();
        std::thread thread(calls);
        thread.join();
        qputenv("CUPS_SERVER", before);
        return clock.elapsed();
    }

    std::unique_ptr<TRAWPrinter> printer(const QString &name) {
        auto p = std::make_unique<TRAWPrinter>(std::make_unique<CupsSpooler>());
        p->DocumentTitle = QStringLiteral("Orva VT Raw Print");
        p->PrinterName = name;
        return p;
    }

private slots:
    void initTestCase() {
        m_cups = std::make_unique<PrivateCupsd>();
        if (!m_cups->problem().isEmpty()) {
            ORVA_QSKIP_UNLESS_REQUIRED(qPrintable(m_cups->problem()));
        }
        // Only this scheduler, and no default destination from the user's own files or environment.
        qputenv("CUPS_SERVER", m_cups->server());
        qputenv("HOME", m_home.path().toUtf8());
        qunsetenv("LPDEST");
        qunsetenv("PRINTER");
    }

    void rawJobArrivesByteForByte() {
        auto p = printer(QStringLiteral("orvatest"));
        QVERIFY2(p->BeginDoc(), qPrintable(p->LastError()));
        QCOMPARE(p->State(), 3);
        const QByteArray bytes = everyByte();
        QVERIFY(p->WriteString(bytes.left(100)));
        QVERIFY(p->WriteString(bytes.mid(100)));
        QVERIFY2(p->EndDoc(), qPrintable(p->LastError()));
        QCOMPARE(p->State(), 0);
        QVERIFY2(
            QTest::qWaitFor([this] { return m_cups->finishedConnections() >= 1; }, PrivateCupsd::kWaitMs),
            qPrintable(m_cups->errorLog()));
        QCOMPARE(m_cups->received(), bytes);
    }

    void emptyNameUsesTheDefaultDestination() {
        QVERIFY2(m_cups->admin({"-d", "orvatest"}), qPrintable(m_cups->problem()));
        auto p = printer(QString());
        QVERIFY(p->DefaultPrinter());
        QCOMPARE(p->PrinterName, QStringLiteral("orvatest"));
        p->PrinterName.clear();
        const int before = m_cups->finishedConnections();
        QVERIFY2(p->BeginDoc(), qPrintable(p->LastError()));
        QVERIFY(p->WriteString("DEFAULT\x0C"));
        QVERIFY(p->EndDoc());
        QVERIFY(
            QTest::qWaitFor([&] { return m_cups->finishedConnections() > before; }, PrivateCupsd::kWaitMs));
        QVERIFY(m_cups->received().endsWith("DEFAULT\x0C"));
    }

    void unknownPrinterIsRefusedAtBegin() {
        auto p = printer(QStringLiteral("nosuchqueue"));
        QVERIFY(!p->BeginDoc());
        QCOMPARE(p->State(), 0);
        QVERIFY2(p->LastError().contains("nosuchqueue"), qPrintable(p->LastError()));
        QCOMPARE(p->Write("x", 1), 0);
    }

    void abortedJobIsCancelled() {
        auto p = printer(QStringLiteral("orvatest"));
        QVERIFY(p->BeginDoc());
        QVERIFY(p->WriteString("NEVER PRINTED"));
        QVERIFY2(p->Abort(), qPrintable(p->LastError()));
        QCOMPARE(p->State(), 0);
        // A job after it prints on its own.
        const int before = m_cups->finishedConnections();
        QVERIFY(p->BeginDoc());
        QVERIFY(p->WriteString("AFTER"));
        QVERIFY(p->EndDoc());
        QVERIFY(
            QTest::qWaitFor([&] { return m_cups->finishedConnections() > before; }, PrivateCupsd::kWaitMs));
        QVERIFY(m_cups->received().endsWith("AFTER"));
        QVERIFY(!m_cups->received().contains("NEVER PRINTED"));
    }

    // The queue reports a job the scheduler refuses once, on the caller's thread.
    void queueReportsAFailedJobOnce() {
        RawPrintQueue queue(std::make_unique<CupsSpooler>());
        queue.setPrinterName(QStringLiteral("nosuchqueue"));
        QSignalSpy failures(&queue, &RawPrintQueue::jobFailed);
        queue.BeginDoc();
        queue.WriteString("lost");
        queue.EndDoc();
        QTRY_COMPARE_WITH_TIMEOUT(failures.count(), 1, PrivateCupsd::kWaitMs);
        QTRY_VERIFY(queue.idle());
        QCoreApplication::processEvents();
        QCOMPARE(failures.count(), 1);
        QVERIFY(failures.first().first().toString().contains("nosuchqueue"));
    }

    // A queue that takes no jobs: the job fails with a reason, on the printer and through the queue
    // the main window uses, and is never reported as printed.
    void refusedJobIsNotReportedAsPrinted() {
        QVERIFY2(
            m_cups->admin({"-p", "orvarefuse", "-v",
                           QStringLiteral("socket://127.0.0.1:%1").arg(m_cups->devicePort()), "-m", "raw"}),
            qPrintable(m_cups->problem()));
        const int before = m_cups->finishedConnections();
        auto p = printer(QStringLiteral("orvarefuse"));
        const bool began = p->BeginDoc();
        const bool wrote = began && p->WriteString("REFUSED");
        const bool ended = wrote && p->EndDoc();
        QVERIFY2(!ended, "a refused job counts as printed");
        QVERIFY2(!p->LastError().isEmpty(), "no reason given");
        QCOMPARE(p->Write("x", 1), 0); // later writes are ignored until the job is closed
        QVERIFY(p->Abort());

        RawPrintQueue queue(std::make_unique<CupsSpooler>());
        queue.setPrinterName(QStringLiteral("orvarefuse"));
        QSignalSpy failures(&queue, &RawPrintQueue::jobFailed);
        queue.BeginDoc();
        queue.WriteString("REFUSED");
        queue.EndDoc();
        QTRY_VERIFY(queue.idle());
        QTRY_COMPARE_WITH_TIMEOUT(failures.count(), 1, PrivateCupsd::kWaitMs);
        QTest::qWait(200);
        QCOMPARE(m_cups->finishedConnections(), before);
        QVERIFY(!m_cups->received().contains("REFUSED"));
    }

    // A job whose queue is removed while its data is on the way is refused when it is finished.
    void jobRefusedAtTheEndIsNotReportedAsPrinted() {
        QVERIFY2(
            m_cups->admin({"-p", "orvagoing", "-E", "-v",
                           QStringLiteral("socket://127.0.0.1:%1").arg(m_cups->devicePort()), "-m", "raw"}),
            qPrintable(m_cups->problem()));
        auto p = printer(QStringLiteral("orvagoing"));
        QVERIFY2(p->BeginDoc(), qPrintable(p->LastError()));
        QVERIFY(p->WriteString("GOING"));
        QVERIFY2(m_cups->admin({"-x", "orvagoing"}), qPrintable(m_cups->problem()));
        QVERIFY2(!p->EndDoc(), "a refused job counts as printed");
        QVERIFY2(!p->LastError().isEmpty(), "no reason given");
    }

    void printerNamesListsTheQueues() {
        CupsSpooler spooler;
        QStringList names;
        QVERIFY2(spooler.PrinterNames(names), qPrintable(spooler.LastError()));
        QVERIFY2(names.contains(QStringLiteral("orvatest")), qPrintable(names.join(',')));
    }

    // A server that takes the connection and never answers: each call fails at its deadline with a
    // reason that says so, instead of waiting minutes.
    void silentServerFailsEachCallAtItsDeadline() {
        SilentPrintServer silent;
        QVERIFY(silent.listening());
        QString openError, namesError, defaultError;
        bool opened = true, listed = true, timedOut = false;
        QString defaultName = QStringLiteral("unset");
        qint64 longest = 0;
        const qint64 took = onThreadWithServer(silent.server(), [&] {
            CupsSpooler spooler(1000);
            QElapsedTimer call;
            call.start();
            opened = spooler.OpenPrinter(QStringLiteral("orvatest"));
            openError = spooler.LastError();
            timedOut = spooler.TimedOut();
            longest = std::max(longest, call.restart());
            QStringList names;
            listed = spooler.PrinterNames(names);
            namesError = spooler.LastError();
            longest = std::max(longest, call.restart());
            defaultName = spooler.DefaultPrinter();
            defaultError = spooler.LastError();
            longest = std::max(longest, call.restart());
        });
        QVERIFY(!opened);
        QVERIFY(timedOut);
        QVERIFY(!listed);
        QVERIFY(defaultName.isEmpty());
        for (const QString &error : {openError, namesError, defaultError}) {
            QVERIFY2(error.contains(QStringLiteral("did not answer")), qPrintable(error));
        }
        // One request, or two for the default, each given up after a second (and libcups' own first
        // second of waiting).
        QVERIFY2(longest < 6000, qPrintable(QString::number(longest)));
        QVERIFY2(took < 15000, qPrintable(QString::number(took)));
    }

    // Cancel, from another thread, ends a call that waits on the server at once.
    void cancelEndsAWaitingCall() {
        SilentPrintServer silent;
        CupsSpooler spooler(60000);
        bool opened = true;
        std::thread stopper([&] {
            QThread::msleep(300);
            spooler.Cancel();
        });
        const qint64 took =
            onThreadWithServer(silent.server(), [&] { opened = spooler.OpenPrinter("orvatest"); });
        stopper.join();
        QVERIFY(!opened);
        QVERIFY2(took < 3000, qPrintable(QString::number(took)));
        QVERIFY2(spooler.LastError().contains(QStringLiteral("stopped")), qPrintable(spooler.LastError()));
        QVERIFY(!spooler.OpenPrinter(QStringLiteral("orvatest"))); // and every later call
    }

    void schedulerGoneFailsAtBegin() {
        m_cups->stop();
        auto p = printer(QStringLiteral("orvatest"));
        QVERIFY(!p->BeginDoc());
        QCOMPARE(p->State(), 0);
        QVERIFY2(!p->LastError().isEmpty(), "a reason is given");
    }

    void cleanupTestCase() { m_cups.reset(); }
};

QTEST_MAIN(CupsSpoolerTest)
#include "CupsSpoolerTest.moc"
