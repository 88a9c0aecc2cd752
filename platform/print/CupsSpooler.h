// The print spooler on CUPS: the scheduler named by the user's CUPS settings (CUPS_SERVER, client.conf,
// else the local one), one connection per opened printer, documents of raw data
// (application/vnd.cups-raw) streamed as they are written. Every exchange with the scheduler has a
// deadline, so a scheduler that takes the connection and never answers fails the call instead of
// holding it for minutes; Cancel ends a call under way from any thread.
#pragma once

#include "platform/print/PrintSpooler.h"

#include <QByteArray>
#include <QStringList>
#include <atomic>
#include <chrono>

typedef struct _http_s http_t;

class CupsSpooler : public PrintSpooler {
public:
    static constexpr int kConnectTimeoutMs = 10000;
    static constexpr int kRequestTimeoutMs = 10000;

    explicit CupsSpooler(int requestTimeoutMs = kRequestTimeoutMs);
    ~CupsSpooler() override;
    CupsSpooler(const CupsSpooler &) = delete;
    CupsSpooler &operator=(const CupsSpooler &) = delete;

    QString DefaultPrinter() override;
    // `name` is a destination, optionally with an instance ("queue/instance").
    bool OpenPrinter(const QString &name) override;
    bool StartDocument(const QString &title) override;
    bool StartPage() override { return true; }
    bool Write(const QByteArray &bytes) override;
    bool EndPage() override { return true; }
    bool EndDocument() override;
    bool AbortDocument() override;
    bool ClosePrinter() override;
    QString LastError() const override { return m_error; }
    void Cancel() override;
    // The last call failed because the print server did not answer in time (not because it refused
    // the connection or the request).
    bool TimedOut() const { return m_timedOut; }

    // The scheduler's printers and classes; false (with LastError) when it cannot be asked.
    bool PrinterNames(QStringList &names);

private:
    friend struct CupsDeadline;

    bool fail(const QString &what);
    void disconnect();
    http_t *connectToScheduler();
    // The next exchange must be over by the request timeout from now.
    void arm();
    bool expired() const;
    bool cancelled() const { return m_cancelled.load(); }

    http_t *m_http = nullptr;
    QByteArray m_queue;
    QByteArray m_resource; // "/printers/queue" or "/classes/queue"
    int m_job = 0;
    bool m_streaming = false;
    QString m_error;
    bool m_timedOut = false;
    const int m_requestTimeoutMs;
    std::atomic<std::chrono::steady_clock::rep> m_deadline{0};
    std::atomic<bool> m_cancelled{false};
    int m_cancelConnect = 0; // read by the connect in progress; set once, through an atomic reference
};
