// The media display control offscreen: the playback percent, which player extensions this machine
// keeps, and the load dispatch between pictures and clips (the player strip, the video child).
#include "imaging/media/TMultiMediaView.h"
#include "imaging/media/MediaBackend.h"

#include <QFile>
#include <QMediaFormat>
#include <QMediaPlayer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVideoWidget>

using orva::imaging::TMultiMediaView;

namespace {

QString writePicture(const QTemporaryDir &dir, const QString &name, QColor colour) {
    QImage img(40, 20, QImage::Format_RGB888);
    img.fill(colour);
    const QString path = dir.filePath(name);
    img.save(path);
    return path;
}

// A short silent PCM WAV file: 8 kHz mono 16 bit.
QString writeWav(const QTemporaryDir &dir, const QString &name, int samples) {
    QByteArray data(samples * 2, '\0');
    QByteArray out;
    const auto u32 = [&out](quint32 v) {
        for (int i = 0; i < 4; ++i)
            out.append(char((v >> (8 * i)) & 0xFF));
    };
    const auto u16 = [&out](quint16 v) {
        out.append(char(v & 0xFF));
        out.append(char(v >> 8));
    };
    out.append("RIFF");
    u32(36 + data.size());
    out.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(16000);
    u16(2);
    u16(16);
    out.append("data");
    u32(data.size());
    out.append(data);
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size())
        return {};
    return path;
}

} // namespace

class TMultiMediaViewTest : public QObject {
    Q_OBJECT
private slots:
    void init() { orva::imaging::SetMciExtensions({QStringLiteral("WAV"), QStringLiteral("AVI")}); }

    void playbackPercent_data() {
        QTest::addColumn<qint64>("position");
        QTest::addColumn<qint64>("length");
        QTest::addColumn<int>("percent"); // -1: nothing reported
        QTest::newRow("12.5 to even") << qint64(100) << qint64(800) << 12;
        QTest::newRow("37.5 to even") << qint64(300) << qint64(800) << 38;
        QTest::newRow("62.5 to even") << qint64(500) << qint64(800) << 62;
        QTest::newRow("the end") << qint64(800) << qint64(800) << 100;
        QTest::newRow("length 0") << qint64(100) << qint64(0) << -1;
        QTest::newRow("length unknown") << qint64(100) << qint64(-1) << -1;
    }
    void playbackPercent() {
        QFETCH(qint64, position);
        QFETCH(qint64, length);
        QFETCH(int, percent);
        const std::optional<int> got = orva::imaging::PlaybackPercent(position, length);
        QCOMPARE(got.value_or(-1), percent);
    }

    void playableExtensionsFollowTheBackend() {
        const QStringList kept = orva::imaging::PlayableMciExtensions(
            {QStringLiteral("wav"), QStringLiteral("MID"), QStringLiteral("RMI"), QStringLiteral("MPEG")});
        if (QMediaFormat().supportedFileFormats(QMediaFormat::Decode).isEmpty()) {
            QVERIFY2(kept.isEmpty(), "without a media backend nothing goes to the player");
            return;
        }
        QVERIFY(kept.contains(QStringLiteral("WAV")));
        QVERIFY(kept.contains(QStringLiteral("MPEG")));
        QCOMPARE(kept.contains(QStringLiteral("MID")), kept.contains(QStringLiteral("RMI")));
    }

    void dispatchBetweenPicturesAndClips() {
        QTemporaryDir dir;
        const QString bmp = writePicture(dir, QStringLiteral("a.bmp"), Qt::red);
        const QString wav = writeWav(dir, QStringLiteral("s.wav"), 800);
        const QString avi = dir.filePath(QStringLiteral("v.avi"));
        const QString mov = dir.filePath(QStringLiteral("v.mov"));
        for (const QString &p : {avi, mov}) {
            QFile f(p);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(QByteArray(64, 'x')) == 64);
        }
        TMultiMediaView view;
        QWidget strip;
        view.SetMediaPlayer(&strip);
        view.resize(200, 100);
        view.show();
        QVERIFY(!view.ShowScrollbars());

        view.SetMediaName(bmp);
        QVERIFY(!view.Picture().isNull());
        QVERIFY(!view.MediaOpen());

        // MOV is not a player extension here: what is shown stays and no clip opens.
        view.SetMediaName(mov);
        QVERIFY(!view.Picture().isNull());
        QVERIFY(!view.MediaOpen());

        // Lower case dispatches as upper case; a video shows the video child at the control's size.
        QSignalSpy changed(&view, &TMultiMediaView::mediaChanged);
        view.SetMediaName(avi);
        QVERIFY(view.MediaOpen());
        QVERIFY(view.Picture().isNull());
        QVERIFY(view.VideoWidget()->isVisible());
        QCOMPARE(view.VideoWidget()->size(), QSize(200, 100));
        QVERIFY(strip.isEnabled());
        view.resize(300, 150);
        QCOMPARE(view.VideoWidget()->size(), QSize(300, 150));
        QCOMPARE(changed.count(), 1);

        // A picture after a clip closes it; the strip stays unless AutoHideMediaPlayer.
        view.SetMediaName(bmp);
        QVERIFY(!view.MediaOpen());
        QVERIFY(!view.VideoWidget()->isVisible());
        QVERIFY(!view.Picture().isNull());
        QVERIFY(strip.isVisible());
        QVERIFY(!strip.isEnabled());

        view.AutoHideMediaPlayer = true;
        view.SetMediaName(wav);
        QVERIFY(view.MediaOpen());
        QVERIFY2(!view.VideoWidget()->isVisible(), "a sound has no picture");
        view.SetMediaName(bmp);
        QVERIFY(strip.isHidden());

        // A clip that is not there clears the control and opens nothing.
        view.SetMediaName(dir.filePath(QStringLiteral("gone.wav")));
        QVERIFY(!view.MediaOpen());
        QVERIFY(view.Picture().isNull());
    }

    void noTickWithoutLength() {
        QTemporaryDir dir;
        TMultiMediaView view;
        view.AutoRePlayMultiMedia = true;
        view.SetMediaName(writeWav(dir, QStringLiteral("s.wav"), 80));
        QVERIFY(view.MediaOpen());
        QSignalSpy progress(&view, &TMultiMediaView::playbackProgress);
        if (view.Player()->duration() <= 0) {
            view.PlaybackTick();
            QCOMPARE(progress.count(), 0);
        }
        view.CloseMedia();
        view.PlaybackTick();
        QCOMPARE(progress.count(), 0);
    }
};

QTEST_MAIN(TMultiMediaViewTest)
#include "TMultiMediaViewTest.moc"
