// TMultiMediaView: media files through the player, everything else through the image view's load.
#include "imaging/media/TMultiMediaView.h"

#include "common/LocalPath.h"
#include "common/Trace.h"
#include "imaging/core/DLL96V1.h"
#include "imaging/media/MediaBackend.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>
#include <QVideoWidget>

namespace orva::imaging {

TMultiMediaView::TMultiMediaView(QWidget *parent) : TMultiImage(parent) {
    SetShowScrollbars(false);
    m_player = new QMediaPlayer(this);
    m_audio = new QAudioOutput(this);
    m_player->setAudioOutput(m_audio);
    m_video = new QVideoWidget(this);
    m_video->setObjectName(QStringLiteral("MediaVideo"));
    m_video->hide();
    m_player->setVideoOutput(m_video);
    m_tick = new QTimer(this);
    m_tick->setInterval(500);
    connect(m_tick, &QTimer::timeout, this, &TMultiMediaView::PlaybackTick);
    // A player often ends a little short of the length it gave, so the end itself replays too.
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::EndOfMedia && AutoRePlayMultiMedia && m_mediaOpen)
            replay();
    });
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error, const QString &text) {
        ORVA_TRACE(QStringLiteral("media not played"), MediaName() + QStringLiteral(": ") + text);
    });
}

TMultiMediaView::~TMultiMediaView() {
    m_tick->stop();
    m_player->stop();
}

void TMultiMediaView::SetMediaPlayer(QWidget *strip) {
    m_playerStrip = strip;
    if (m_playerStrip)
        m_playerStrip->setEnabled(m_mediaOpen);
}

bool TMultiMediaView::Playing() const {
    return m_player->playbackState() == QMediaPlayer::PlayingState;
}

void TMultiMediaView::Play() {
    if (m_mediaOpen)
        m_player->play();
}

void TMultiMediaView::Pause() {
    if (m_mediaOpen)
        m_player->pause();
}

void TMultiMediaView::Stop() {
    m_player->stop();
}

void TMultiMediaView::CloseMedia() {
    m_tick->stop();
    m_player->stop();
    m_player->setSource(QUrl());
    m_video->hide();
    const bool wasOpen = std::exchange(m_mediaOpen, false);
    if (m_playerStrip) {
        m_playerStrip->setEnabled(false);
        if (AutoHideMediaPlayer)
            m_playerStrip->hide();
    }
    if (wasOpen)
        emit mediaChanged(false);
}

bool TMultiMediaView::LoadOther(const QString &name) {
    const QString ext = QFileInfo(name).suffix().toUpper();
    if (!IsMediaExtension(ext)) {
        CloseMedia();
        return false;
    }
    // A player extension this machine does not play leaves what is shown as it is.
    if (!IsMciExtension(ext))
        return true;
    const QString local = LocalPath::toLocalPath(name);
    if (!QFileInfo(local).isFile()) {
        CloseMedia();
        Clear();
        return true;
    }
    CloseMedia();
    Clear();
    m_player->setSource(QUrl::fromLocalFile(local));
    m_mediaOpen = true;
    m_video->setGeometry(rect());
    const bool sound =
        ext == QLatin1String("WAV") || ext == QLatin1String("MID") || ext == QLatin1String("RMI");
    m_video->setVisible(!sound);
    if (m_playerStrip) {
        m_playerStrip->setEnabled(true);
        m_playerStrip->show();
    }
    m_tick->start();
    emit mediaChanged(true);
    if (AutoPlayMultiMedia)
        m_player->play();
    return true;
}

void TMultiMediaView::PlaybackTick() {
    if (!m_mediaOpen)
        return;
    if (!Playing() && !AutoRePlayMultiMedia)
        return;
    const std::optional<int> percent = PlaybackPercent(m_player->position(), m_player->duration());
    if (!percent)
        return;
    emit playbackProgress(*percent);
    if (*percent >= 100 && AutoRePlayMultiMedia)
        replay();
}

void TMultiMediaView::replay() {
    m_player->setPosition(0);
    m_player->play();
}

void TMultiMediaView::resizeEvent(QResizeEvent *event) {
    TMultiImage::resizeEvent(event);
    m_video->setGeometry(rect());
}

} // namespace orva::imaging
