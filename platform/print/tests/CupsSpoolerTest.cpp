// Raw jobs through a private CUPS scheduler: what the host sends to the printer arrives at the
// printer's socket byte for byte; the default destination, unknown printers and a scheduler that
// has gone are handled as the raw printer's callers expect.
#include "platform/print/CupsSpooler.h"
#include "platform/print/RawPrintQueue.h"
#include "platform/print/TRAWPrinter.h"
#include "platform/print/tests/PrivateCupsd.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

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
