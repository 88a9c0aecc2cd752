// The raw print queue: a worker on its own thread owns the raw printer and carries out the calls in
// the order they were made.
#include "platform/print/RawPrintQueue.h"

#include "platform/print/TRAWPrinter.h"

#include <QThread>

class RawPrintQueue::Worker : public QObject {
    Q_OBJECT
public:
    explicit Worker(std::unique_ptr<PrintSpooler> spooler) : m_printer(std::move(spooler)) {}

    void begin(const QString &title, const QString &printerName) {
        if (m_printer.State() != 0) {
            m_printer.Abort(); // an unfinished job goes before the next starts
        }
        m_failed = false;
        m_printer.DocumentTitle = title;
        m_printer.PrinterName = printerName;
        if (!m_printer.BeginDoc()) {
            fail();
        }
    }
    void write(const QByteArray &bytes) {
        if (!m_failed && !m_printer.WriteString(bytes)) {
            fail();
        }
    }
    void end() {
        if (!m_failed && !m_printer.EndDoc()) {
            fail();
        }
    }
    void abort() {
        m_printer.Abort();
        m_failed = false;
    }

signals:
    void failed(const QString &reason);

private:
    // The job's later data is dropped; the printer is released at once.
    void fail() {
        m_failed = true;
        const QString reason = m_printer.LastError();
        m_printer.Abort();
        emit failed(reason);
    }

    TRAWPrinter m_printer;
    bool m_failed = false;
};

RawPrintQueue::RawPrintQueue(std::unique_ptr<PrintSpooler> spooler, QObject *parent)
    : QObject(parent), m_thread(new QThread), m_worker(new Worker(std::move(spooler))) {
    m_thread->setObjectName(QStringLiteral("RawPrint"));
    m_worker->moveToThread(m_thread);
    connect(m_worker, &Worker::failed, this, &RawPrintQueue::jobFailed);
    m_thread->start();
}

RawPrintQueue::~RawPrintQueue() {
    // Runs after every call queued before it; the thread ends with it.
    post([thread = m_thread](Worker &worker) {
        worker.abort();
        thread->quit();
    });
    m_thread->wait();
    delete m_worker;
    delete m_thread;
}

void RawPrintQueue::post(std::function<void(Worker &)> step) {
    ++m_pending;
    QMetaObject::invokeMethod(
        m_worker,
        [this, worker = m_worker, step = std::move(step)] {
            step(*worker);
            --m_pending;
        },
        Qt::QueuedConnection);
}

void RawPrintQueue::BeginDoc() {
    post([title = m_title, name = m_printerName](Worker &worker) { worker.begin(title, name); });
}

void RawPrintQueue::WriteString(const QByteArray &bytes) {
    if (!bytes.isEmpty()) {
        post([bytes](Worker &worker) { worker.write(bytes); });
    }
}

void RawPrintQueue::EndDoc() {
    post([](Worker &worker) { worker.end(); });
}

void RawPrintQueue::Abort() {
    post([](Worker &worker) { worker.abort(); });
}

#include "RawPrintQueue.moc"
