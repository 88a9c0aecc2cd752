// Asks the print server for its printers on a thread of its own, so that a server that takes the
// connection and never answers cannot hold up the window: the answer, or why there is none, comes
// back through finished() on this object's thread once the request's deadline has passed at most.
#pragma once

#include "platform/print/CupsSpooler.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <memory>

class QThread;

class PrinterDiscovery : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Answered,
        Unreachable, // refused at once: nothing there to wait for
        Silent,      // took the connection, or let it hang, and did not answer in time
    };

    explicit PrinterDiscovery(QObject *parent = nullptr,
                              int requestTimeoutMs = CupsSpooler::kRequestTimeoutMs);
    // A lookup under way is stopped; its thread ends on its own, and its answer is dropped.
    ~PrinterDiscovery() override;

    // Does nothing while a lookup runs.
    void start();
    bool running() const { return m_running; }

signals:
    // `error` says what went wrong unless the server answered.
    void finished(PrinterDiscovery::Outcome outcome, const QStringList &printers, const QString &error);

private:
    const int m_requestTimeoutMs;
    bool m_running = false;
    std::shared_ptr<CupsSpooler> m_spooler;
    QPointer<QThread> m_thread;
};
