// The print spooler on libcups. Every call blocks until the scheduler answers; the raw print queue
// runs them away from the user interface.
#include "platform/print/CupsSpooler.h"

#include <cups/cups.h>
#include <sys/socket.h>

namespace {

constexpr int kConnectTimeoutMs = 10000;

http_t *connectToScheduler() {
    return httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, kConnectTimeoutMs,
                        nullptr);
}

QString schedulerName() {
    return QString::fromUtf8(cupsServer()) + QLatin1Char(':') + QString::number(ippPort());
}

} // namespace

CupsSpooler::~CupsSpooler() {
    if (m_streaming) {
        AbortDocument();
    }
    disconnect();
}

bool CupsSpooler::fail(const QString &what) {
    const QString detail = QString::fromUtf8(cupsLastErrorString());
    m_error = detail.isEmpty() ? what : what + QStringLiteral(" (") + detail + QLatin1Char(')');
    return false;
}

void CupsSpooler::disconnect() {
    if (m_http) {
        httpClose(m_http);
        m_http = nullptr;
    }
}

QString CupsSpooler::DefaultPrinter() {
    http_t *http = connectToScheduler();
    if (!http) {
        fail(QStringLiteral("The print server %1 could not be reached.").arg(schedulerName()));
        return {};
    }
    QString name;
    if (cups_dest_t *dest = cupsGetNamedDest(http, nullptr, nullptr)) {
        name = QString::fromUtf8(dest->name);
        if (dest->instance) {
            name += QLatin1Char('/') + QString::fromUtf8(dest->instance);
        }
        cupsFreeDests(1, dest);
    } else {
        fail(QStringLiteral("The print server has no default printer."));
    }
    httpClose(http);
    return name;
}

bool CupsSpooler::OpenPrinter(const QString &name) {
    disconnect();
    m_error.clear();
    const QByteArray full = name.toUtf8();
    const qsizetype slash = full.indexOf('/');
    m_queue = slash < 0 ? full : full.left(slash);
    const QByteArray instance = slash < 0 ? QByteArray() : full.mid(slash + 1);
    if (m_queue.isEmpty()) {
        m_error = QStringLiteral("No printer is named.");
        return false;
    }
    m_http = connectToScheduler();
    if (!m_http) {
        return fail(QStringLiteral("The print server %1 could not be reached.").arg(schedulerName()));
    }
    cups_dest_t *dest =
        cupsGetNamedDest(m_http, m_queue.constData(), instance.isEmpty() ? nullptr : instance.constData());
    if (!dest) {
        fail(QStringLiteral("The printer \"%1\" is not known to the print server.").arg(name));
        disconnect();
        return false;
    }
    cupsFreeDests(1, dest);
    return true;
}

bool CupsSpooler::StartDocument(const QString &title) {
    if (!m_http) {
        m_error = QStringLiteral("No printer is open.");
        return false;
    }
    const QByteArray t = title.toUtf8();
    m_job = cupsCreateJob(m_http, m_queue.constData(), t.constData(), 0, nullptr);
    if (m_job == 0) {
        return fail(
            QStringLiteral("The printer \"%1\" refused the print job.").arg(QString::fromUtf8(m_queue)));
    }
    if (cupsStartDocument(m_http, m_queue.constData(), m_job, t.constData(), CUPS_FORMAT_RAW, 1) !=
        HTTP_STATUS_CONTINUE) {
        fail(QStringLiteral("The print job could not be started."));
        cupsCancelJob2(m_http, m_queue.constData(), m_job, 0);
        m_job = 0;
        return false;
    }
    m_streaming = true;
    return true;
}

bool CupsSpooler::Write(const QByteArray &bytes) {
    if (!m_streaming) {
        m_error = QStringLiteral("No print job is open.");
        return false;
    }
    if (bytes.isEmpty()) {
        return true;
    }
    if (cupsWriteRequestData(m_http, bytes.constData(), size_t(bytes.size())) != HTTP_STATUS_CONTINUE) {
        return fail(QStringLiteral("The print server did not take the print data."));
    }
    return true;
}

bool CupsSpooler::EndDocument() {
    if (!m_streaming) {
        m_error = QStringLiteral("No print job is open.");
        return false;
    }
    m_streaming = false;
    const ipp_status_t status = cupsFinishDocument(m_http, m_queue.constData());
    m_job = 0;
    if (status > IPP_STATUS_OK_EVENTS_COMPLETE) {
        return fail(QStringLiteral("The print server did not accept the print job."));
    }
    return true;
}

bool CupsSpooler::AbortDocument() {
    const int job = m_job;
    m_job = 0;
    if (m_streaming) {
        // The connection is in the middle of sending the document: it cannot carry the cancel.
        m_streaming = false;
        disconnect();
        m_http = connectToScheduler();
    }
    if (job == 0) {
        return true;
    }
    if (!m_http) {
        return fail(QStringLiteral("The print server %1 could not be reached.").arg(schedulerName()));
    }
    if (cupsCancelJob2(m_http, m_queue.constData(), job, 0) > IPP_STATUS_OK_EVENTS_COMPLETE) {
        return fail(QStringLiteral("The print job could not be cancelled."));
    }
    return true;
}

bool CupsSpooler::ClosePrinter() {
    disconnect();
    return true;
}
