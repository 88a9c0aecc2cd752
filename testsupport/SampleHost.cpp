// Starting and stopping the peers of the integration tests.
#include "testsupport/SampleHost.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>

QString PeerProcess::sourceDir() {
    const QString fromTest = qEnvironmentVariable("ORVA_SOURCE_DIR");
    return fromTest.isEmpty() ? QStringLiteral(ORVA_SOURCE_DIR_FALLBACK) : fromTest;
}

PeerProcess::PeerProcess() {
    // The peer's messages and errors belong in the test's own output.
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
}

PeerProcess::~PeerProcess() {
    stop();
}

bool PeerProcess::startScript(const QString &script, const QStringList &arguments, int waitMs) {
    m_port = 0;
    m_error.clear();
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no private folder for the peer: ") + m_dir.errorString();
        return false;
    }
    const QDeadlineTimer deadline(waitMs);
    m_process.start(QStringLiteral("python3"), QStringList{script} + arguments);
    if (!m_process.waitForStarted(int(deadline.remainingTime()))) {
        m_error = QStringLiteral("python3 did not start: ") + m_process.errorString();
        return false;
    }
    // The script writes the file under another name and renames it, so once it exists it is whole.
    while (!QFile::exists(portFile())) {
        if (m_process.state() == QProcess::NotRunning) {
            m_error = QStringLiteral("%1 ended (exit code %2) before it listened")
                          .arg(script)
                          .arg(m_process.exitCode());
            return false;
        }
        if (deadline.hasExpired()) {
            m_error = QStringLiteral("%1 wrote no port within %2 ms").arg(script).arg(waitMs);
            stop();
            return false;
        }
        // Returns at once when the script ends; otherwise a short pause before looking again.
        m_process.waitForFinished(20);
    }
    QFile file(portFile());
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("port file not readable: ") + file.errorString();
        return false;
    }
    bool ok = false;
    const int port = file.readAll().trimmed().toInt(&ok);
    if (!ok || port <= 0 || port > 65535) {
        m_error = QStringLiteral("no port number in ") + portFile();
        return false;
    }
    m_port = port;
    return true;
}

bool PeerProcess::waitForFinished(int ms) {
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(ms);
}

void PeerProcess::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool SampleHost::start(const QStringList &mode) {
    const QString script = sourceDir() + QStringLiteral("/tools/samplehost/samplehost.py");
    return startScript(script, QStringList{QStringLiteral("0"), QStringLiteral("--port-file"), portFile(),
                                           QStringLiteral("--log"), logPath()} +
                                   mode);
}

QByteArray SampleHost::address() const {
    return "127.0.0.1:" + QByteArray::number(port());
}

QList<QJsonObject> SampleHost::events(const QString &kind) const {
    QList<QJsonObject> out;
    QFile file(logPath());
    if (!file.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QJsonObject event = QJsonDocument::fromJson(line).object();
        if (!event.isEmpty() && (kind.isEmpty() || event.value(QStringLiteral("event")).toString() == kind))
            out.append(event);
    }
    return out;
}
