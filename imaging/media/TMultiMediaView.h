// TMultiMediaView: the image view control that also plays sound and video files (by the setup's
// player extensions) in a child video widget, reporting playback every 500 ms on its own signal.
#pragma once

#include "imaging/view/TMultiImage.h"

#include <QPointer>

class QAudioOutput;
class QMediaPlayer;
class QTimer;
class QVideoWidget;

namespace orva::imaging {

class TMultiMediaView : public TMultiImage {
    Q_OBJECT
public:
    explicit TMultiMediaView(QWidget *parent = nullptr);
    ~TMultiMediaView() override;

    QString MediaName() const { return GetImageName(); }
    void SetMediaName(const QString &name) { SetImageName(name); }

    // The player strip linked to this view (play, stop, position); hidden with the media when a
    // picture is loaded and AutoHideMediaPlayer is set.
    QWidget *MediaPlayer() const { return m_playerStrip; }
    void SetMediaPlayer(QWidget *strip);
    bool AutoPlayMultiMedia = false;
    bool AutoRePlayMultiMedia = false;
    bool AutoHideMediaPlayer = false;

    // A clip is open in the player.
    bool MediaOpen() const { return m_mediaOpen; }
    bool Playing() const;
    void Play();
    // Holds a playing clip where it is; Play goes on from there.
    void Pause();
    void Stop();
    // Closes the clip (stops it first); the picture stays.
    void CloseMedia();
    QMediaPlayer *Player() const { return m_player; }
    QVideoWidget *VideoWidget() const { return m_video; }

    // One step of the 500 ms playback timer.
    void PlaybackTick();

signals:
    // Playback progress in percent; separate from reading progress, which runs through OnProgress.
    void playbackProgress(int percent);
    // A clip was opened or closed.
    void mediaChanged(bool open);

protected:
    bool LoadOther(const QString &name) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void replay();

    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_audio = nullptr;
    QVideoWidget *m_video = nullptr;
    QTimer *m_tick = nullptr;
    QPointer<QWidget> m_playerStrip;
    bool m_mediaOpen = false;
};

} // namespace orva::imaging
