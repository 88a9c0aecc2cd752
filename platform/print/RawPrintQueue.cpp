// The raw print queue: a worker on its own thread owns the raw printer and carries out the calls in
// the order they were made. What the worker and the caller both see lives in a shared record, so that
// a worker left behind at exit never touches the queue object.
#include "platform/print/RawPrintQueue.h"

#include "platform/print/TRAWPrinter.h"

#include <QDeadlineTimer>
#include <QLocale>
#include <QThread>
#include <atomic>

namespace {
// After a stop: how long the call under way gets to return.
constexpr int kStopWaitMs = 2000;
} // namespace

struct RawPrintQueue::Shared {
    std::atomic<int> pending{0};
    std::atomic<qint64> queuedBytes{0};
    std::atomic<bool> stopping{false};
    // Jobs begun that were neither printed nor reported as failed.
    std::atomic<int> unsettled{0};
};

class RawPrintQueue::Worker : public QObject {
    Q_OBJECT
public:
    Worker(std::unique_ptr<PrintSpooler> spooler, std::shared_ptr<Shared> shared)
        : m_spooler(spooler.get()), m_printer(std::move(spooler)), m_shared(std::move(shared)) {}

    // May be called from any thread.
    void stop() { m_spooler->Cancel(); }

    void begin(const QString &title, const QString &printerName) {
        if (m_printer.State() != 0) {
            m_printer.Abort(); // an unfinished job goes before the next starts
        }
        settle();
        m_jobOpen = true;
        m_failed = false;
        m_printer.DocumentTitle = title;
        m_printer.PrinterName = printerName;
        if (!m_printer.BeginDoc()) {
            fail(m_printer.LastError());
        }
    }
    void write(const QByteArray &bytes) {
        if (!m_failed && !m_printer.WriteString(bytes)) {
            fail(m_printer.LastError());
        }
    }
    void end() {
        if (m_failed) {
            return; // settled when it failed, or left to the count when the queue was ending
        }
        if (m_printer.EndDoc()) {
            settle();
        } else {
            fail(m_printer.LastError());
        }
    }
    void abort() {
        m_printer.Abort();
        m_failed = false;
        settle();
    }
    // The job is given up for `reason`, unless it has failed already.
    void drop(const QString &reason) {
        if (m_jobOpen && !m_failed) {
            fail(reason);
        }
    }
    // The queue ends: an open job is dropped and counts as not printed.
    void close() {
        m_printer.Abort();
        m_jobOpen = false;
    }

signals:
    void failed(const QString &reason);

private:
    void settle() {
        if (m_jobOpen) {
            m_jobOpen = false;
            --m_shared->unsettled;
        }
    }
    // The job's later data is dropped; the printer is released at once. A job stopped because the
    // queue is ending is left to the count of what was not printed instead.
    void fail(const QString &reason) {
        m_failed = true;
        m_printer.Abort();
        if (m_shared->stopping) {
            return;
        }
        settle();
        emit failed(reason);
    }

    PrintSpooler *m_spooler; // owned by the printer
    TRAWPrinter m_printer;
    std::shared_ptr<Shared> m_shared;
    bool m_failed = false;
    bool m_jobOpen = false;
};

RawPrintQueue::RawPrintQueue(std::unique_ptr<PrintSpooler> spooler, QObject *parent, qint64 maxQueuedBytes)
    : QObject(parent), m_maxQueuedBytes(maxQueuedBytes), m_shared(std::make_shared<Shared>()),
      m_thread(new QThread) {
    m_worker = new Worker(std::move(spooler), m_shared);
    m_thread->setObjectName(QStringLiteral("RawPrint"));
    m_worker->moveToThread(m_thread);
    connect(m_worker, &Worker::failed, this, &RawPrintQueue::jobFailed);
    m_thread->start();
}

RawPrintQueue::~RawPrintQueue() {
    Finish();
}

int RawPrintQueue::Finish(int waitMs) {
    if (m_finished) {
        return 0;
    }
    m_finished = true;
    // Runs after every call queued before it, also when those are skipped; the thread ends with it.
    QMetaObject::invokeMethod(
        m_worker,
        [worker = m_worker, thread = m_thread] {
            worker->close();
            thread->quit();
        },
        Qt::QueuedConnection);
    if (m_thread->wait(QDeadlineTimer(waitMs))) {
        delete m_worker;
        delete m_thread;
    } else {
        m_shared->stopping = true;
        disconnect(m_worker, nullptr, this, nullptr);
        // The thread and its worker go once the call under way returns, which the stop makes prompt.
        // A spooler that does not return leaves them behind (they hold only the shared record)
        // rather than keep the program from ending.
        connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
        connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
        m_worker->stop();
        m_thread->wait(QDeadlineTimer(kStopWaitMs));
    }
    m_worker = nullptr;
    m_thread = nullptr;
    return m_shared->unsettled.load();
}

QString RawPrintQueue::NotPrintedText(int notPrinted) {
    return notPrinted == 1
               ? QStringLiteral("A print job from the host was not printed: the print server had not "
                                "taken it when Orva closed.")
               : QStringLiteral("%1 print jobs from the host were not printed: the print server had "
                                "not taken them when Orva closed.")
                     .arg(notPrinted);
}

bool RawPrintQueue::idle() const {
    return m_shared->pending.load() == 0;
}

void RawPrintQueue::post(std::function<void(Worker &)> step, qint64 bytes) {
    ++m_shared->pending;
    m_shared->queuedBytes += bytes;
    QMetaObject::invokeMethod(
        m_worker,
        [shared = m_shared, worker = m_worker, step = std::move(step), bytes] {
            if (!shared->stopping) {
                step(*worker);
            }
            shared->queuedBytes -= bytes;
            --shared->pending;
        },
        Qt::QueuedConnection);
}

void RawPrintQueue::BeginDoc() {
    if (m_finished) {
        return;
    }
    m_dropping = false;
    ++m_shared->unsettled;
    post([title = m_title, name = m_printerName](Worker &worker) { worker.begin(title, name); });
}

void RawPrintQueue::WriteString(const QByteArray &bytes) {
    if (m_finished || m_dropping || bytes.isEmpty()) {
        return;
    }
    if (m_shared->queuedBytes.load() + bytes.size() > m_maxQueuedBytes) {
        m_dropping = true;
        const QString reason =
            QStringLiteral("The print server did not take the print data as fast as the host sent it; "
                           "the job was dropped when %1 were waiting.")
                .arg(QLocale::c().formattedDataSize(m_maxQueuedBytes));
        post([reason](Worker &worker) { worker.drop(reason); });
        return;
    }
    post([bytes](Worker &worker) { worker.write(bytes); }, bytes.size());
}

void RawPrintQueue::EndDoc() {
    if (!m_finished) {
        post([](Worker &worker) { worker.end(); });
    }
}

void RawPrintQueue::Abort() {
    if (!m_finished) {
        post([](Worker &worker) { worker.abort(); });
    }
}

#include "RawPrintQueue.moc"
