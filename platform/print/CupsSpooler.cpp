// The print spooler on libcups. Every call blocks until the scheduler answers or its deadline
// passes; the raw print queue runs them away from the user interface. Requests are made on this
// object's own connection only: libcups' helpers that look a printer up by name open a connection
// of their own, without our deadline, and wait minutes on a scheduler that never answers.
#include "platform/print/CupsSpooler.h"

#include <cups/cups.h>
#include <sys/socket.h>

namespace {

using Clock = std::chrono::steady_clock;

// How often a wait looks at the deadline and at a cancel.
constexpr double kWaitSliceS = 0.25;

QString schedulerName() {
    return QString::fromUtf8(cupsServer()) + QLatin1Char(':') + QString::number(ippPort());
}

QByteArray printerUri(const QByteArray &resource) {
    char uri[HTTP_MAX_URI];
    httpAssembleURI(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                    resource.constData());
    return QByteArray(uri);
}

bool succeeded() {
    return cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE;
}

} // namespace

// The wait callback of libcups: 1 waits on, 0 gives the exchange up.
struct CupsDeadline {
    static int keepWaiting(http_t *, void *data) {
        const auto *spooler = static_cast<const CupsSpooler *>(data);
        return !spooler->cancelled() && !spooler->expired() ? 1 : 0;
    }
};

CupsSpooler::CupsSpooler(int requestTimeoutMs) : m_requestTimeoutMs(requestTimeoutMs) {}

CupsSpooler::~CupsSpooler() {
    if (m_streaming) {
        AbortDocument();
    }
    disconnect();
}

void CupsSpooler::Cancel() {
    m_cancelled = true;
    std::atomic_ref<int>(m_cancelConnect).store(1);
}

void CupsSpooler::arm() {
    m_deadline = (Clock::now() + std::chrono::milliseconds(m_requestTimeoutMs)).time_since_epoch().count();
}

bool CupsSpooler::expired() const {
    return Clock::now().time_since_epoch().count() >= m_deadline.load();
}

bool CupsSpooler::fail(const QString &what) {
    m_timedOut = !cancelled() && expired();
    if (cancelled()) {
        m_error = what + QStringLiteral(" (printing was stopped)");
    } else if (expired()) {
        m_error = what + QStringLiteral(" (the print server %1 did not answer within %2 seconds)")
                             .arg(schedulerName())
                             .arg((m_requestTimeoutMs + 999) / 1000);
    } else {
        const QString detail = QString::fromUtf8(cupsLastErrorString());
        m_error = detail.isEmpty() ? what : what + QStringLiteral(" (") + detail + QLatin1Char(')');
    }
    return false;
}

http_t *CupsSpooler::connectToScheduler() {
    if (cancelled()) {
        return nullptr;
    }
    arm();
    http_t *http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                std::min(kConnectTimeoutMs, m_requestTimeoutMs), &m_cancelConnect);
    if (http) {
        httpSetTimeout(http, kWaitSliceS, &CupsDeadline::keepWaiting, this);
    }
    return http;
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
    arm();
    if (cups_dest_t *dest = cupsGetNamedDest(http, nullptr, nullptr)) {
        name = QString::fromUtf8(dest->name);
        if (dest->instance) {
            name += QLatin1Char('/') + QString::fromUtf8(dest->instance);
        }
        cupsFreeDests(1, dest);
    } else if (expired() || cancelled()) {
        fail(QStringLiteral("The default printer could not be looked up."));
    } else {
        fail(QStringLiteral("The print server has no default printer."));
    }
    httpClose(http);
    return name;
}

bool CupsSpooler::PrinterNames(QStringList &names) {
    names.clear();
    m_error.clear();
    http_t *http = connectToScheduler();
    if (!http) {
        return fail(QStringLiteral("The print server %1 could not be reached.").arg(schedulerName()));
    }
    ipp_t *request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-name");
    arm();
    ipp_t *response = cupsDoRequest(http, request, "/");
    // A scheduler without printers answers "not found".
    const bool ok = response && (succeeded() || cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND);
    for (ipp_attribute_t *a = ippFindAttribute(response, "printer-name", IPP_TAG_NAME); a;
         a = ippFindNextAttribute(response, "printer-name", IPP_TAG_NAME)) {
        names.append(QString::fromUtf8(ippGetString(a, 0, nullptr)));
    }
    ippDelete(response);
    httpClose(http);
    return ok || fail(QStringLiteral("The printers could not be listed."));
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
    m_resource.clear();
    for (const char *folder : {"/printers/", "/classes/"}) {
        const QByteArray resource = folder + m_queue;
        ipp_t *request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                     printerUri(resource).constData());
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                     "printer-name");
        arm();
        ipp_t *response = cupsDoRequest(m_http, request, "/");
        const bool found = response && succeeded();
        ippDelete(response);
        if (found) {
            m_resource = resource;
            break;
        }
        if (!response) {
            // No answer: asking again would only wait again.
            fail(QStringLiteral("The printer \"%1\" could not be opened.").arg(name));
            disconnect();
            return false;
        }
    }
    if (m_resource.isEmpty()) {
        fail(QStringLiteral("The printer \"%1\" is not known to the print server.").arg(name));
        disconnect();
        return false;
    }
    if (!instance.isEmpty()) {
        arm();
        cups_dest_t *dest = cupsGetNamedDest(m_http, m_queue.constData(), instance.constData());
        if (!dest) {
            fail(QStringLiteral("The printer \"%1\" is not known to the print server.").arg(name));
            disconnect();
            return false;
        }
        cupsFreeDests(1, dest);
    }
    return true;
}

bool CupsSpooler::StartDocument(const QString &title) {
    if (!m_http) {
        m_error = QStringLiteral("No printer is open.");
        return false;
    }
    const QByteArray t = title.toUtf8();
    ipp_t *request = ippNewRequest(IPP_OP_CREATE_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 printerUri(m_resource).constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, t.constData());
    arm();
    ipp_t *response = cupsDoRequest(m_http, request, m_resource.constData());
    ipp_attribute_t *id = succeeded() ? ippFindAttribute(response, "job-id", IPP_TAG_INTEGER) : nullptr;
    m_job = id ? ippGetInteger(id, 0) : 0;
    ippDelete(response);
    if (m_job == 0) {
        return fail(
            QStringLiteral("The printer \"%1\" refused the print job.").arg(QString::fromUtf8(m_queue)));
    }
    arm();
    if (cupsStartDocument(m_http, m_queue.constData(), m_job, t.constData(), CUPS_FORMAT_RAW, 1) !=
        HTTP_STATUS_CONTINUE) {
        fail(QStringLiteral("The print job could not be started."));
        AbortDocument();
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
    arm();
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
    arm();
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
    arm();
    if (cupsCancelJob2(m_http, m_queue.constData(), job, 0) > IPP_STATUS_OK_EVENTS_COMPLETE) {
        return fail(QStringLiteral("The print job could not be cancelled."));
    }
    return true;
}

bool CupsSpooler::ClosePrinter() {
    disconnect();
    return true;
}
