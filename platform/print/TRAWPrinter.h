// The raw printer: host print data handed to the spooler unchanged, as one document of raw data.
// Its state climbs from closed (0) through printer opened (1) and document started (2) to page
// started (3), where bytes can be written; a failing step leaves it where it stopped.
#pragma once

#include "platform/print/PrintSpooler.h"

#include <QString>
#include <memory>

class TRAWPrinter {
public:
    explicit TRAWPrinter(std::unique_ptr<PrintSpooler> spooler);
    // An open printer is aborted and closed.
    ~TRAWPrinter();
    TRAWPrinter(const TRAWPrinter &) = delete;
    TRAWPrinter &operator=(const TRAWPrinter &) = delete;

    QString DocumentTitle;
    // Empty: the system's default destination, taken at the next BeginDoc.
    QString PrinterName;

    // PrinterName := the system's default destination; true when there is one.
    bool DefaultPrinter();
    // As far as a started page; true when state 3 is reached.
    bool BeginDoc();
    // In state 3 the bytes go to the spooler and the count written is returned; otherwise 0.
    qint64 Write(const char *buffer, qint64 count);
    bool WriteString(const QByteArray &text);
    // Page, document and printer ended in turn, each step only after the one before succeeded;
    // true when state 0 is reached.
    bool EndDoc();
    // The document dropped and the printer closed whatever fails on the way (nothing stays open);
    // false when the spooler reported a failure.
    bool Abort();

    int State() const { return m_state; }
    QString LastError() const { return m_error; }

private:
    bool failed(const QString &fallback);
    bool writeBytes(const QByteArray &bytes);

    std::unique_ptr<PrintSpooler> m_spooler;
    int m_state = 0;
    QString m_error;
};
