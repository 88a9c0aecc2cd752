// The raw printer's state machine over a print spooler.
#include "platform/print/TRAWPrinter.h"

TRAWPrinter::TRAWPrinter(std::unique_ptr<PrintSpooler> spooler) : m_spooler(std::move(spooler)) {}

TRAWPrinter::~TRAWPrinter() {
    if (m_state != 0) {
        Abort();
    }
}

bool TRAWPrinter::failed(const QString &fallback) {
    m_error = m_spooler->LastError();
    if (m_error.isEmpty()) {
        m_error = fallback;
    }
    return false;
}

bool TRAWPrinter::DefaultPrinter() {
    PrinterName = m_spooler->DefaultPrinter().trimmed();
    return !PrinterName.isEmpty();
}

bool TRAWPrinter::BeginDoc() {
    m_error.clear();
    if (m_state == 0) {
        if (PrinterName.isEmpty() && !DefaultPrinter()) {
            return failed(QStringLiteral("There is no default printer."));
        }
        if (!m_spooler->OpenPrinter(PrinterName)) {
            return failed(QStringLiteral("The printer \"%1\" could not be opened.").arg(PrinterName));
        }
        m_state = 1;
    }
    if (m_state == 1) {
        if (!m_spooler->StartDocument(DocumentTitle)) {
            return failed(QStringLiteral("The print job could not be started."));
        }
        m_state = 2;
    }
    if (m_state == 2) {
        if (!m_spooler->StartPage()) {
            return failed(QStringLiteral("The page could not be started."));
        }
        m_state = 3;
    }
    return m_state == 3;
}

qint64 TRAWPrinter::Write(const char *buffer, qint64 count) {
    return count > 0 && writeBytes(QByteArray(buffer, count)) ? count : 0;
}

// Host print data arrives as byte arrays: they go to the spooler as they are, without a copy.
bool TRAWPrinter::WriteString(const QByteArray &text) {
    return text.isEmpty() || writeBytes(text);
}

bool TRAWPrinter::writeBytes(const QByteArray &bytes) {
    if (m_state != 3) {
        return false;
    }
    if (!m_spooler->Write(bytes)) {
        failed(QStringLiteral("The printer did not take the data."));
        return false;
    }
    return true;
}

bool TRAWPrinter::EndDoc() {
    if (m_state == 3) {
        if (!m_spooler->EndPage()) {
            return failed(QStringLiteral("The page could not be ended."));
        }
        m_state = 2;
    }
    if (m_state == 2) {
        if (!m_spooler->EndDocument()) {
            return failed(QStringLiteral("The print job could not be finished."));
        }
        m_state = 1;
    }
    if (m_state == 1) {
        if (!m_spooler->ClosePrinter()) {
            return failed(QStringLiteral("The printer could not be closed."));
        }
        m_state = 0;
    }
    return true;
}

bool TRAWPrinter::Abort() {
    bool ok = true;
    if (m_state >= 2) {
        ok = m_spooler->AbortDocument();
        m_state = 1;
    }
    if (m_state == 1) {
        ok = m_spooler->ClosePrinter() && ok;
        m_state = 0;
    }
    if (!ok) {
        failed(QStringLiteral("The print job could not be cancelled."));
    }
    return ok;
}
