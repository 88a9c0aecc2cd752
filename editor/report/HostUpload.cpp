// Upload message construction and the paced sender. Lengths and checksums are taken on the very
// bytes that are sent.
#include "editor/report/HostUpload.h"

#include "common/Trace.h"
#include "platform/files/PrivateFile.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <utility>

namespace {
const QByteArray kCrLf = "\r\n";
const QByteArray kEndLine = "|||";
constexpr int kLineWidth = 84;
} // namespace

QByteArray HostChecksum(const QByteArray &text, qsizetype count) {
    const qsizetype n = qBound<qsizetype>(0, count, text.size());
    const auto *p = reinterpret_cast<const unsigned char *>(text.constData());
    quint64 sum = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned b = p[i] & 0x7Fu;
        sum += b == 0x0Au ? 0u : b;
    }
    return QByteArray::number(sum);
}

QByteArray WrapBase64Lines(const QByteArray &text, int width) {
    if (width > 80)
        width = kLineWidth;
    if (width <= 0)
        return text;
    QByteArray out;
    out.reserve(text.size() + (text.size() / width + 1) * 2);
    qsizetype i = 0;
    for (; i + width <= text.size(); i += width) {
        out.append(text.constData() + i, width);
        out += kCrLf;
    }
    out.append(text.constData() + i, text.size() - i);
    return out;
}

QByteArrayList Base64Lines(const QByteArray &base64) {
    QByteArrayList lines;
    lines.reserve(base64.size() / kLineWidth + 2);
    for (qsizetype i = 0; i < base64.size(); i += kLineWidth)
        lines.append(base64.mid(i, kLineWidth));
    return lines;
}

UploadMessage BuildUploadMessage(const QByteArray &text, const QByteArray &base64) {
    UploadMessage m;
    m.lines = Base64Lines(base64);
    qint64 queued = 0;
    for (const QByteArray &line : m.lines)
        queued += line.size() + kCrLf.size();
    m.lines.append(kEndLine);
    const qsizetype lfCount = text.count('\n');
    m.head.reserve(text.size() + 64);
    m.head += '\x07';
    m.head += QByteArray::number(text.size()) + ' ' + QByteArray::number(text.size() - lfCount) + ' ' +
              QByteArray::number(queued) + ' ' + HostChecksum(text, text.size()) + ' ' +
              HostChecksum(base64, base64.size());
    m.head += "\x03\x02";
    m.head += text;
    m.head += '\x03';
    return m;
}

HostSendQueue::StartResult HostSendQueue::Start(const UploadMessage &message, bool audio) {
    if (m_active)
        return StartResult::Busy;
    if (!m_link.IsConnected())
        return StartResult::LinkDown;
    m_lines = message.lines;
    m_index = 0;
    m_link.Send(message.head);
    m_active = true;
    m_audio = audio;
    return StartResult::Started;
}

void HostSendQueue::SendQueuedLines() {
    if (!m_link.IsConnected()) {
        LinkDropped();
        return;
    }
    for (;;) {
        if (m_index >= m_lines.size()) {
            Clear();
            return;
        }
        const QByteArray line = m_lines.at(m_index) + kCrLf;
        ++m_index;
        if (m_lines.size() > 1 && m_index % 5 == 0 && onProgress) {
            const double part = double(m_index) / double(m_lines.size() - 1) * 1000.0;
            onProgress(qBound(0, int(std::lround(part)), 1000));
        }
        m_link.Send(line);
        if (m_link.BytesPending() > kPendingLimit)
            return;
        if (m_index >= m_lines.size()) {
            Clear();
            return;
        }
    }
}

bool HostSendQueue::SendDirect(const QByteArray &bytes) {
    if (!m_link.IsConnected())
        return false;
    m_link.Send(bytes);
    return true;
}

void HostSendQueue::SendWhenIdle(const QByteArray &bytes) {
    if (m_active) {
        m_held += bytes;
        return;
    }
    SendDirect(bytes);
}

void HostSendQueue::SetResultTransferActive(bool on) {
    m_active = on;
    if (on || m_held.isEmpty())
        return;
    SendDirect(std::exchange(m_held, QByteArray()));
}

void HostSendQueue::Clear() {
    m_lines.clear();
    m_index = 0;
}

bool HostSendQueue::LinkDropped() {
    const bool wasActive = m_active;
    const bool audio = m_audio;
    m_active = false;
    m_audio = false;
    m_held.clear();
    Clear();
    if (wasActive && onTransferLost)
        onTransferLost(audio);
    return wasActive;
}

namespace {
// A plain-text copy of what was sent, for tracing a host dispute. It holds patient data, so only
// the owner may read it; it is not needed for the upload.
void writeDebugCopy(const QString &workFolder, const UploadMessage &m) {
    if (workFolder.isEmpty())
        return;
    QByteArray out = m.head + '\x03' + kCrLf;
    for (const QByteArray &line : m.lines)
        out += line + kCrLf;
    QString error;
    if (!PrivateFile::save(QDir(workFolder).filePath(QStringLiteral("Datacopy.txt")), out, &error))
        ORVA_TRACE("upload debug copy not written", error);
}
} // namespace

ReportUploadResult StartReportUpload(HostSendQueue &queue, const QByteArray &text, const QString &tmpFile,
                                     bool dontReturnBinary, const QString &workFolder, QString *error) {
    struct RemoveTmp {
        QString path;
        ~RemoveTmp() {
            if (!path.isEmpty() && QFile::exists(path))
                QFile::remove(path);
        }
    } removeTmp{tmpFile};

    if (queue.ResultTransferActive())
        return ReportUploadResult::Busy;
    QByteArray base64 = " ";
    if (!dontReturnBinary) {
        QFile f(tmpFile);
        if (!f.open(QIODevice::ReadOnly)) {
            if (error)
                *error = f.errorString();
            // Nothing comes back: the host is told so with a single ESC.
            queue.SendDirect("\x1B");
            return ReportUploadResult::FileError;
        }
        base64 = f.readAll().toBase64();
    }
    const UploadMessage m = BuildUploadMessage(text, base64);
    base64.clear();
    switch (queue.Start(m)) {
    case HostSendQueue::StartResult::Busy:
        return ReportUploadResult::Busy;
    case HostSendQueue::StartResult::LinkDown:
        return ReportUploadResult::LinkDown;
    case HostSendQueue::StartResult::Started:
        break;
    }
    writeDebugCopy(workFolder, m);
    return ReportUploadResult::Started;
}
