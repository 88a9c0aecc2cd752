// The print spooler on CUPS: the scheduler named by the user's CUPS settings (CUPS_SERVER, client.conf,
// else the local one), one connection per opened printer, documents of raw data
// (application/vnd.cups-raw) streamed as they are written.
#pragma once

#include "platform/print/PrintSpooler.h"

#include <QByteArray>

typedef struct _http_s http_t;

class CupsSpooler : public PrintSpooler {
public:
    CupsSpooler() = default;
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

private:
    bool fail(const QString &what);
    void disconnect();

    http_t *m_http = nullptr;
    QByteArray m_queue;
    int m_job = 0;
    bool m_streaming = false;
    QString m_error;
};
