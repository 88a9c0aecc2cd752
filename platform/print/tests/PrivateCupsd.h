// A private CUPS scheduler for tests: its own ServerRoot, spool, cache, state and logs in a temporary
// folder, listening on 127.0.0.1 only, with a raw queue "orvatest" whose device is a socket this
// object listens on; every byte the queue prints arrives in `received()`. The scheduler is stopped
// by its process id when the object goes.
#pragma once

#include "common/testing/MustRun.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

class PrivateCupsd {
public:
    static constexpr int kWaitMs = 20000;

    PrivateCupsd() {
        m_cupsd = QStandardPaths::findExecutable(QStringLiteral("cupsd"), {"/usr/sbin", "/sbin", "/usr/bin"});
        m_lpadmin =
            QStandardPaths::findExecutable(QStringLiteral("lpadmin"), {"/usr/sbin", "/sbin", "/usr/bin"});
        if (m_cupsd.isEmpty() || m_lpadmin.isEmpty()) {
            m_problem = QStringLiteral("cupsd or lpadmin is not installed (cups-daemon, cups-client)");
            return;
        }
        if (!QFile::exists(QStringLiteral("/usr/lib/cups/backend/socket"))) {
            m_problem = QStringLiteral("the queue's socket backend is not installed (cups)");
            return;
        }
        QObject::connect(&m_device, &QTcpServer::newConnection, &m_device, [this] {
            while (QTcpSocket *s = m_device.nextPendingConnection()) {
                ++m_connections;
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { m_received += s->readAll(); });
                QObject::connect(s, &QTcpSocket::disconnected, s, [this, s] {
                    m_received += s->readAll();
                    ++m_finished;
                    s->deleteLater();
                });
            }
        });
        if (!m_device.listen(QHostAddress::LocalHost)) {
            m_problem = QStringLiteral("no port for the printer socket");
            return;
        }
        // A folder the scheduler's helpers (run as another user when the test runs as root) can enter.
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                                QFile::ExeOther);
        // A failed attempt stops its scheduler before the next starts on a new port.
        for (int attempt = 0; attempt < 3 && !start(); ++attempt) {
            stop();
        }
    }

    ~PrivateCupsd() { stop(); }

    // Empty when the scheduler runs with its queue; otherwise why not.
    QString problem() const { return m_problem; }
    // "127.0.0.1:port", for CUPS_SERVER.
    QByteArray server() const { return "127.0.0.1:" + QByteArray::number(m_port); }
    const QByteArray &received() const { return m_received; }
    quint16 devicePort() const { return m_device.serverPort(); }
    int finishedConnections() const { return m_finished; }
    QString errorLog() const {
        QFile f(m_dir.filePath("log/error_log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll().right(4000)) : QString();
    }

    // lpadmin against this scheduler; true when it succeeds.
    bool admin(const QStringList &arguments) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(m_lpadmin, QStringList{"-h", QString::fromLatin1(server())} + arguments);
        if (!p.waitForFinished(kWaitMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            m_problem = QStringLiteral("lpadmin failed: ") + QString::fromLocal8Bit(p.readAll());
            return false;
        }
        return true;
    }

    void stop() {
        if (m_process.state() == QProcess::NotRunning) {
            return;
        }
        m_process.terminate(); // SIGTERM to this scheduler's process id only
        if (!m_process.waitForFinished(kWaitMs)) {
            m_process.kill();
            m_process.waitForFinished(kWaitMs);
        }
    }

private:
    bool start() {
        {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHost)) {
                m_problem = QStringLiteral("no port for the scheduler");
                return false;
            }
            m_port = probe.serverPort();
        }
        const QDir root(m_dir.path());
        for (const char *sub : {"etc", "spool", "cache", "state", "log", "tmp"}) {
            root.mkpath(QString::fromLatin1(sub));
        }
        const QByteArray r = m_dir.path().toUtf8();
        write("etc/cupsd.conf", "Listen 127.0.0.1:" + QByteArray::number(m_port) +
                                    "\nBrowsing Off\nWebInterface No\nDefaultAuthType None\nLogLevel info\n"
                                    "Printcap " +
                                    r +
                                    "/state/printcap\n"
                                    "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                    "<Policy default>\n  <Limit All>\n    Order allow,deny\n"
                                    "    Allow all\n  </Limit>\n</Policy>\n");
        write("etc/cups-files.conf", "ServerRoot " + r + "/etc\nRequestRoot " + r + "/spool\nCacheDir " + r +
                                         "/cache\nStateDir " + r + "/state\nTempDir " + r +
                                         "/tmp\nAccessLog " + r + "/log/access_log\nErrorLog " + r +
                                         "/log/error_log\nPageLog " + r + "/log/page_log\nFileDevice No\n");
        m_process.setProcessChannelMode(QProcess::ForwardedChannels);
        m_process.start(m_cupsd, {"-f", "-c", m_dir.filePath("etc/cupsd.conf"), "-s",
                                  m_dir.filePath("etc/cups-files.conf")});
        if (!m_process.waitForStarted(kWaitMs)) {
            m_problem = QStringLiteral("cupsd did not start");
            return false;
        }
        const bool listening = QTest::qWaitFor(
            [this] {
                if (m_process.state() == QProcess::NotRunning) {
                    return true;
                }
                QTcpSocket s;
                s.connectToHost(QHostAddress::LocalHost, m_port);
                return s.waitForConnected(200);
            },
            kWaitMs);
        if (!listening || m_process.state() == QProcess::NotRunning) {
            m_problem = QStringLiteral("cupsd did not listen: ") + errorLog();
            stop();
            return false;
        }
        m_problem.clear();
        return admin({"-p", "orvatest", "-E", "-v",
                      QStringLiteral("socket://127.0.0.1:%1").arg(m_device.serverPort()), "-m", "raw"});
    }

    void write(const char *name, const QByteArray &text) {
        QFile f(m_dir.filePath(QString::fromLatin1(name)));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size() ||
            !f.flush()) {
            m_problem = QStringLiteral("could not write ") + f.fileName();
        }
    }

    QTemporaryDir m_dir;
    QString m_cupsd;
    QString m_lpadmin;
    QString m_problem;
    QProcess m_process;
    QTcpServer m_device;
    quint16 m_port = 0;
    QByteArray m_received;
    int m_connections = 0;
    int m_finished = 0;
};
