// The raw printer run on a thread of its own, so that a slow or absent print server never holds up
// the host's screen. Jobs are begun, written and ended in the order called; each job that fails is
// reported once (jobFailed, delivered on the caller's thread), and its later data is dropped. The
// data waiting for the print server is bounded: a job that would pass the bound is dropped and
// reported. Finish gives the work queued a few seconds and then stops it, so exit never waits on
// the print server.
#pragma once

#include "platform/print/PrintSpooler.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QThread;

class RawPrintQueue : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kMaxQueuedBytes = qint64(32) << 20;
    static constexpr int kFinishWaitMs = 3000;

    explicit RawPrintQueue(std::unique_ptr<PrintSpooler> spooler, QObject *parent = nullptr,
                           qint64 maxQueuedBytes = kMaxQueuedBytes);
    // Finish, unless it has run.
    ~RawPrintQueue() override;

    // Taken by each job at its begin.
    void setDocumentTitle(const QString &title) { m_title = title; }
    QString DocumentTitle() const { return m_title; }
    void setPrinterName(const QString &name) { m_printerName = name; }
    QString PrinterName() const { return m_printerName; }

    void BeginDoc();
    void WriteString(const QByteArray &bytes);
    void EndDoc();
    void Abort();

    // The work queued gets up to `waitMs` to be done; then the rest is dropped and the call under
    // way stopped (the thread is left to end on its own should the spooler not return). An open job
    // is aborted. Returns the number of jobs begun that were neither printed nor reported as failed.
    // The queue takes no more work after it; a second call finds nothing more and returns 0.
    int Finish(int waitMs = kFinishWaitMs);
    // What the user is told of the jobs Finish found not printed.
    static QString NotPrintedText(int notPrinted);

    // No call is waiting or running.
    bool idle() const;

signals:
    // A job could not be printed: what went wrong, once per job.
    void jobFailed(const QString &reason);

private:
    class Worker;
    struct Shared;
    void post(std::function<void(Worker &)> step, qint64 bytes = 0);

    QString m_title;
    QString m_printerName;
    const qint64 m_maxQueuedBytes;
    bool m_dropping = false; // the current job passed the bound: its data goes no further
    bool m_finished = false;
    std::shared_ptr<Shared> m_shared;
    QThread *m_thread = nullptr;
    Worker *m_worker = nullptr;
};
