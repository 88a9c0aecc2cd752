// A private PulseAudio daemon for tests that need a real sound server: a null sink and a 440 Hz
// sine source on a socket in a temporary folder, started here and stopped by its process id.
#pragma once

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class SoundServer {
public:
    SoundServer() {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (program.isEmpty() || !m_dir.isValid()) {
            m_why = QStringLiteral("pulseaudio is not installed");
            return;
        }
        const QString socket = m_dir.filePath(QStringLiteral("native"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        env.remove(QStringLiteral("PULSE_SERVER"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(program, {"-n", "--daemonize=no", "--exit-idle-time=-1", "-L", "module-null-sink",
                                  "-L", "module-sine-source source_name=sine frequency=440", "-L",
                                  "module-native-protocol-unix socket=" + socket + " auth-anonymous=1"});
        if (!m_process.waitForStarted(10000) ||
            !QTest::qWaitFor([&] { return QFile::exists(socket) || m_process.state() != QProcess::Running; },
                             15000) ||
            !QFile::exists(socket)) {
            m_why =
                QStringLiteral("pulseaudio did not start: ") + QString::fromLocal8Bit(m_process.readAll());
            return;
        }
        m_server = QStringLiteral("unix:") + socket;
    }
    ~SoundServer() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate(); // SIGTERM to this child's process id only
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QString server() const { return m_server; }
    QString why() const { return m_why; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_server;
    QString m_why;
};
