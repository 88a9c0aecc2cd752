// The print spooler as the raw printer sees it: a printer opened by name, a document whose bytes go
// to the printer unchanged, pages, and the system's default destination. CUPS implements it; tests
// stand in for it with a recording fake.
#pragma once

#include <QByteArray>
#include <QString>

class PrintSpooler {
public:
    virtual ~PrintSpooler() = default;

    // The system's default destination; empty when there is none.
    virtual QString DefaultPrinter() = 0;
    virtual bool OpenPrinter(const QString &name) = 0;
    // A document of raw data named `title`.
    virtual bool StartDocument(const QString &title) = 0;
    virtual bool StartPage() = 0;
    // All of `bytes`, or false.
    virtual bool Write(const QByteArray &bytes) = 0;
    virtual bool EndPage() = 0;
    virtual bool EndDocument() = 0;
    // Drops the document begun, whatever was written of it.
    virtual bool AbortDocument() = 0;
    virtual bool ClosePrinter() = 0;
    // What the last failing call found, for the user.
    virtual QString LastError() const = 0;
    // Called from another thread: the call under way, and every later one, fails promptly.
    virtual void Cancel() {}
};
