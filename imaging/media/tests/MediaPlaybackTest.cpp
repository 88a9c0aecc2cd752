// A real clip played through GStreamer into a private PulseAudio null sink (started here, stopped by
// its process id): playback progress arrives on its own signal, and a new selection in the open
// dialog stops the clip at once. Skips, saying why, when sox, PulseAudio or the backend is missing.
#include "imaging/core/DLL96V1.h"
#include "imaging/media/TMMOpenDialog.h"
#include "imaging/media/TMultiMediaView.h"

#include <QFile>
#include <QMediaPlayer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace orva::imaging;

class MediaPlaybackTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        const QString pulse = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        const QString sox = QStandardPaths::findExecutable(QStringLiteral("sox"));
        if (pulse.isEmpty() || sox.isEmpty() || !m_dir.isValid())
            QSKIP("pulseaudio or sox is not installed");
        m_clip = m_dir.filePath(QStringLiteral("tone.wav"));
        if (QProcess::execute(
                sox, {"-n", "-r", "8000", "-c", "1", "-b", "16", m_clip, "synth", "3", "sine", "440"}) != 0)
            QSKIP("sox could not write the test clip");
        const QString socket = m_dir.filePath(QStringLiteral("native"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        env.remove(QStringLiteral("PULSE_SERVER"));
        m_server.setProcessEnvironment(env);
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start(pulse, {"-n", "--daemonize=no", "--exit-idle-time=-1", "-L", "module-null-sink", "-L",
                               "module-native-protocol-unix socket=" + socket + " auth-anonymous=1"});
        if (!m_server.waitForStarted(10000) ||
            !QTest::qWaitFor([&] { return QFile::exists(socket) || m_server.state() != QProcess::Running; },
                             15000) ||
            !QFile::exists(socket))
            QSKIP("pulseaudio did not start");
        // Set before the first media object exists, so the backend and the sound server are ours.
        qputenv("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
        SetMciExtensions({QStringLiteral("WAV")});
    }

    void cleanupTestCase() {
        if (m_server.state() == QProcess::NotRunning)
            return;
        m_server.terminate(); // this child's process id only
        if (!m_server.waitForFinished(10000)) {
            m_server.kill();
            m_server.waitForFinished(5000);
        }
    }

    void clipPlaysAndReportsProgress() {
        TMMOpenDialog d;
        TMultiMediaView *view = d.MediaPreview();
        QSignalSpy progress(view, &TMultiMediaView::playbackProgress);
        d.DoSelectionChange(m_clip);
        QVERIFY(view->MediaOpen());
        view->Play();
        if (!QTest::qWaitFor([&] { return view->Playing() && view->Player()->duration() > 0; }, 10000))
            QSKIP("the media backend does not play WAV here (gstreamer1.0-plugins-good missing?)");
        QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty() && progress.last().at(0).toInt() > 0, 10000);
        QVERIFY(progress.last().at(0).toInt() <= 100);

        // Another selection stops the clip before it returns.
        QImage red(8, 4, QImage::Format_RGB888);
        red.fill(Qt::red);
        const QString png = m_dir.filePath(QStringLiteral("p.png"));
        QVERIFY(red.save(png));
        d.DoSelectionChange(png);
        QVERIFY(!view->Playing());
        QVERIFY(!view->Picture().isNull());
    }

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    QString m_clip;
};

QTEST_MAIN(MediaPlaybackTest)
#include "MediaPlaybackTest.moc"
