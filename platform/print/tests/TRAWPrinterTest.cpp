// The raw printer's states against a recording spooler, and the queue that runs it on its own thread.
#include "platform/print/TRAWPrinter.h"
#include "platform/print/RawPrintQueue.h"
#include "platform/print/tests/FakeSpooler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Made {
    std::shared_ptr<FakeSpoolerLog> log = std::make_shared<FakeSpoolerLog>();
    std::unique_ptr<TRAWPrinter> printer;
};

Made make(const QString &printerName = QStringLiteral("Lab1"), const QStringList &failing = {}) {
    Made m;
    for (const QString &f : failing) {
        m.log->fail(f);
    }
    m.printer = std::make_unique<TRAWPrinter>(std::make_unique<FakeSpooler>(m.log));
    m.printer->DocumentTitle = QStringLiteral("Orva VT Raw Print");
    m.printer->PrinterName = printerName;
    return m;
}

QStringList calls(const char *joined) {
    return QString::fromLatin1(joined).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

} // namespace

// BeginDoc climbs as far as the spooler lets it and stops where a step fails.
TEST(TRAWPrinter, BeginDocStopsWhereTheSpoolerFails) {
    const struct {
        const char *failing;
        bool result;
        int state;
        const char *calls;
    } cases[] = {
        {"", true, 3, "open Lab1|start Orva VT Raw Print|page"},
        {"open", false, 0, "open Lab1"},
        {"start", false, 1, "open Lab1|start Orva VT Raw Print"},
        {"page", false, 2, "open Lab1|start Orva VT Raw Print|page"},
    };
    for (const auto &c : cases) {
        Made m = make(QStringLiteral("Lab1"), calls(c.failing));
        EXPECT_EQ(m.printer->BeginDoc(), c.result) << c.failing;
        EXPECT_EQ(m.printer->State(), c.state) << c.failing;
        EXPECT_EQ(m.log->snapshot(), calls(c.calls)) << c.failing;
        if (!c.result) {
            EXPECT_EQ(m.printer->LastError(), QString::fromLatin1(c.failing) + " failed");
        }
    }
}

TEST(TRAWPrinter, WritesOnlyOnAStartedPageAndPassesEveryByte) {
    Made m = make(QStringLiteral("Lab1"), {QStringLiteral("open")});
    EXPECT_FALSE(m.printer->BeginDoc());
    EXPECT_EQ(m.printer->Write("abc", 3), 0);
    EXPECT_FALSE(m.printer->WriteString("abc"));
    EXPECT_EQ(m.log->snapshot(), calls("open Lab1"));

    Made ok = make();
    ASSERT_TRUE(ok.printer->BeginDoc());
    const QByteArray bytes("\x1B\x00\xFF\r\n\x0C", 6);
    EXPECT_EQ(ok.printer->Write(bytes.constData(), bytes.size()), 6);
    EXPECT_TRUE(ok.printer->WriteString("end"));
    EXPECT_EQ(ok.log->data(), bytes + "end");
}

// EndDoc ends page, document and printer in order; a failing step leaves the state there, and
// Abort then releases the printer.
TEST(TRAWPrinter, EndDocAndAbortReleaseThePrinter) {
    const struct {
        const char *failing;
        bool endResult;
        int stateAfterEnd;
        const char *afterBegin; // calls made by EndDoc, then by Abort
    } cases[] = {
        {"", true, 0, "endpage|end|close"},
        {"endpage", false, 3, "endpage|abort|close"},
        {"end", false, 2, "endpage|end|abort|close"},
        {"close", false, 1, "endpage|end|close|close"},
    };
    for (const auto &c : cases) {
        Made m = make();
        ASSERT_TRUE(m.printer->BeginDoc());
        m.log->fail(QString::fromLatin1(c.failing));
        EXPECT_EQ(m.printer->EndDoc(), c.endResult) << c.failing;
        EXPECT_EQ(m.printer->State(), c.stateAfterEnd) << c.failing;
        m.printer->Abort();
        EXPECT_EQ(m.printer->State(), 0) << c.failing;
        EXPECT_EQ(m.log->snapshot().mid(3), calls(c.afterBegin)) << c.failing;
    }
}

TEST(TRAWPrinter, AbortFromEveryStateEndsClosed) {
    for (int state = 0; state <= 3; ++state) {
        Made m = make();
        const QStringList steps = {"open", "start", "page"};
        if (state < 3) {
            m.log->fail(steps[state]);
        }
        m.printer->BeginDoc();
        ASSERT_EQ(m.printer->State(), state);
        const qsizetype before = m.log->snapshot().size();
        EXPECT_TRUE(m.printer->Abort());
        EXPECT_EQ(m.printer->State(), 0);
        const QStringList expected = state >= 2   ? calls("abort|close")
                                     : state == 1 ? calls("close")
                                                  : QStringList();
        EXPECT_EQ(m.log->snapshot().mid(before), expected) << state;
    }
}

TEST(TRAWPrinter, DestroyedWhileOpenAborts) {
    Made m = make();
    ASSERT_TRUE(m.printer->BeginDoc());
    m.printer.reset();
    EXPECT_EQ(m.log->snapshot().mid(3), calls("abort|close"));
}

TEST(TRAWPrinter, EmptyPrinterNameTakesTheDefaultDestination) {
    Made m = make(QString());
    EXPECT_TRUE(m.printer->BeginDoc());
    EXPECT_EQ(m.printer->PrinterName, "Default");
    EXPECT_EQ(m.log->snapshot().mid(0, 2), calls("default|open Default"));

    Made none = make(QString());
    none.log->defaultPrinter.clear();
    EXPECT_FALSE(none.printer->BeginDoc());
    EXPECT_EQ(none.printer->State(), 0);
    EXPECT_EQ(none.log->snapshot(), calls("default"));
    EXPECT_EQ(none.printer->LastError(), "There is no default printer.");
}

namespace {

QCoreApplication &app() {
    static int argc = 1;
    static char name[] = "orva_print_tests";
    static char *argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

struct Queue {
    std::shared_ptr<FakeSpoolerLog> log = std::make_shared<FakeSpoolerLog>();
    std::unique_ptr<RawPrintQueue> queue;
    explicit Queue(qint64 maxQueuedBytes = RawPrintQueue::kMaxQueuedBytes) {
        app();
        queue = std::make_unique<RawPrintQueue>(std::make_unique<FakeSpooler>(log), nullptr, maxQueuedBytes);
        queue->setDocumentTitle(QStringLiteral("Orva VT Raw Print"));
        queue->setPrinterName(QStringLiteral("Lab1"));
    }
    bool settle() {
        return QTest::qWaitFor([this] { return queue->idle(); }, 5000);
    }
};

} // namespace

TEST(RawPrintQueue, RunsJobsInOrderOnItsThread) {
    Queue q;
    QSignalSpy failures(q.queue.get(), &RawPrintQueue::jobFailed);
    for (int job = 0; job < 2; ++job) {
        q.queue->BeginDoc();
        for (int i = 0; i < 100; ++i) {
            q.queue->WriteString(QByteArray::number(i) + ',');
        }
        q.queue->EndDoc();
    }
    ASSERT_TRUE(q.settle());
    QByteArray one;
    for (int i = 0; i < 100; ++i) {
        one += QByteArray::number(i) + ',';
    }
    EXPECT_EQ(q.log->data(), one + one);
    EXPECT_EQ(q.log->snapshot().last(), "close");
    QCoreApplication::processEvents();
    EXPECT_EQ(failures.count(), 0);
}

// A job that fails is reported once, whatever fails after; the next job starts afresh.
TEST(RawPrintQueue, AFailedJobIsReportedOnceAndDropsItsData) {
    const struct {
        const char *failing;
        int writes; // write calls that reached the spooler
    } cases[] = {{"open", 0}, {"start", 0}, {"write", 1}, {"end", 2}};
    for (const auto &c : cases) {
        const char *f = c.failing;
        Queue q;
        QSignalSpy failures(q.queue.get(), &RawPrintQueue::jobFailed);
        q.log->fail(QString::fromLatin1(f));
        q.queue->BeginDoc();
        q.queue->WriteString("one");
        q.queue->WriteString("two");
        q.queue->EndDoc();
        ASSERT_TRUE(q.settle());
        EXPECT_TRUE(QTest::qWaitFor([&] { return failures.count() > 0; }, 5000)) << f;
        QCoreApplication::processEvents();
        EXPECT_EQ(failures.count(), 1) << f;
        EXPECT_EQ(failures.first().first().toString(), QString::fromLatin1(f) + " failed");
        EXPECT_EQ(q.log->snapshot().count("write 3"), c.writes) << f;
        EXPECT_TRUE(q.log->snapshot().last() == "close" || q.log->snapshot().last().startsWith("open")) << f;

        q.log->clearFailures();
        q.queue->BeginDoc();
        q.queue->WriteString("three");
        q.queue->EndDoc();
        ASSERT_TRUE(q.settle());
        QCoreApplication::processEvents();
        EXPECT_EQ(failures.count(), 1) << f;
        EXPECT_TRUE(q.log->data().endsWith("three")) << f;
    }
}

TEST(RawPrintQueue, DestroyedWithAnOpenJobAbortsIt) {
    Queue q;
    q.queue->BeginDoc();
    q.queue->WriteString("partial");
    q.queue.reset();
    EXPECT_EQ(q.log->snapshot().mid(q.log->snapshot().size() - 2), calls("abort|close"));
}

// Closing with the print server stuck in a job: the wait is bounded, the call under way is stopped,
// and the jobs that did not print are counted (the open one too), not reported one by one.
TEST(RawPrintQueue, FinishStopsAStuckServerAndCountsWhatWasNotPrinted) {
    Queue q;
    QSignalSpy failures(q.queue.get(), &RawPrintQueue::jobFailed);
    q.log->hold("open");
    for (int job = 0; job < 3; ++job) {
        q.queue->BeginDoc();
        q.queue->WriteString("job");
        q.queue->EndDoc();
    }
    q.queue->BeginDoc(); // the host never ended this one
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(q.queue->Finish(300), 4);
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(q.log->snapshot().contains("cancel"));
    EXPECT_EQ(q.queue->Finish(300), 0); // told once
    q.queue->BeginDoc();                // taken no more
    QTest::qWait(50);
    EXPECT_EQ(failures.count(), 0);
    EXPECT_TRUE(q.log->data().isEmpty());
}

// A spooler that does not return even when stopped cannot keep the program from ending; its thread
// goes once it does return.
TEST(RawPrintQueue, FinishDoesNotWaitForASpoolerThatIgnoresTheStop) {
    Queue q;
    q.log->hold("open");
    q.log->ignoreCancel = true;
    q.queue->BeginDoc();
    q.queue->WriteString("job");
    q.queue->EndDoc();
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(q.queue->Finish(100), 1);
    EXPECT_LT(clock.elapsed(), 4000);
    q.queue.reset();
    q.log->release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return q.log->snapshot().last() == "close"; }, 5000));
    EXPECT_FALSE(q.log->snapshot().contains("write 3")); // the rest was dropped, not sent late
    QTest::qWait(50);                                    // the thread and its worker are deleted
}

// Print data piling up behind a slow server is bounded: the job that passes the bound is dropped
// and reported once; the next job prints whole.
TEST(RawPrintQueue, DataBeyondTheBoundDropsTheJobOnce) {
    Queue q(1000);
    QSignalSpy failures(q.queue.get(), &RawPrintQueue::jobFailed);
    q.log->hold("open");
    q.queue->BeginDoc();
    for (int i = 0; i < 10; ++i) {
        q.queue->WriteString(QByteArray(400, char('a' + i)));
    }
    q.queue->EndDoc();
    q.log->release();
    ASSERT_TRUE(q.settle());
    EXPECT_TRUE(QTest::qWaitFor([&] { return failures.count() > 0; }, 5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(failures.count(), 1);
    EXPECT_TRUE(failures.first().first().toString().contains("dropped"));
    EXPECT_EQ(q.log->data(), QByteArray(400, 'a') + QByteArray(400, 'b'));

    q.queue->BeginDoc();
    q.queue->WriteString(QByteArray(400, 'y'));
    q.queue->WriteString(QByteArray(400, 'z'));
    q.queue->EndDoc();
    ASSERT_TRUE(q.settle());
    QCoreApplication::processEvents();
    EXPECT_EQ(failures.count(), 1);
    EXPECT_TRUE(q.log->data().endsWith(QByteArray(400, 'y') + QByteArray(400, 'z')));
}
