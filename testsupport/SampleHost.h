// Peers that tests start on 127.0.0.1: a helper script that writes the port it listens on to a file,
// and the sample host built on it. Each is stopped by its own process id.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A python3 script run as a child process that writes its port to portFile() once it listens.
class PeerProcess {
public:
    static constexpr int kStartWaitMs = 20000;

    PeerProcess();
    ~PeerProcess();
    PeerProcess(const PeerProcess &) = delete;
    PeerProcess &operator=(const PeerProcess &) = delete;

    // The repository's root, where the peers' scripts are: ORVA_SOURCE_DIR as ctest sets it, else
    // the folder the tests were built from.
    static QString sourceDir();

    // Runs `python3 script arguments...` (the arguments tell the script where portFile() is) and waits,
    // at most `waitMs`, for the port. False, with error() saying why, when the script ends first or
    // the time runs out.
    bool startScript(const QString &script, const QStringList &arguments, int waitMs = kStartWaitMs);

    int port() const { return m_port; }
    QString portFile() const { return path(QStringLiteral("port")); }
    // A file in the peer's own private folder, removed with the peer.
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString error() const { return m_error; }
    qint64 pid() const { return m_process.processId(); }

    // For peers that end by themselves (one connection served): waits at most `ms` for the end.
    bool waitForFinished(int ms);
    // SIGTERM to this child only, then SIGKILL when it does not end within a bound.
    void stop();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};

// tools/samplehost/samplehost.py on a free port of 127.0.0.1, its event log kept in its own folder.
class SampleHost : public PeerProcess {
public:
    // `mode` adds the host's own options: "--once", "--echo", "--script" FILE.
    bool start(const QStringList &mode = {});

    // "127.0.0.1:port", as a setup file names the host.
    QByteArray address() const;
    QString logPath() const { return path(QStringLiteral("host.log")); }
    // The events of the host's log so far, in order; only those of `kind` when one is given.
    QList<QJsonObject> events(const QString &kind = {}) const;
};
