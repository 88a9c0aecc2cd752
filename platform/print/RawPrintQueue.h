// The raw printer run on a thread of its own, so that a slow or absent print server never holds up
// the host's screen. Jobs are begun, written and ended in the order called; each job that fails is
// reported once (jobFailed, delivered on the caller's thread), and its later data is dropped.
#pragma once

#include "platform/print/PrintSpooler.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class QThread;
class TRAWPrinter;

class RawPrintQueue : public QObject {
    Q_OBJECT
public:
    explicit RawPrintQueue(std::unique_ptr<PrintSpooler> spooler, QObject *parent = nullptr);
    // An open job is aborted; waits for the work already queued.
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

    // No call is waiting or running.
    bool idle() const { return m_pending.load() == 0; }

signals:
    // A job could not be printed: what went wrong, once per job.
    void jobFailed(const QString &reason);

private:
    class Worker;
    void post(std::function<void(Worker &)> step);

    QString m_title;
    QString m_printerName;
    QThread *m_thread = nullptr;
    Worker *m_worker = nullptr;
    std::atomic<int> m_pending{0};
};
