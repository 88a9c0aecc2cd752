// Transitions painted step by step into a frame.
#include "platform/fxlib/FxTransition.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace orva::fxlib {

namespace {

// Every other piece first, then the ones skipped.
QVector<QPolygon> skipOrder(const QVector<QPolygon> &pieces) {
    QVector<QPolygon> ordered;
    ordered.reserve(pieces.size());
    for (int start : {0, 1})
        for (qsizetype i = start; i < pieces.size(); i += 2)
            ordered.append(pieces[i]);
    return ordered;
}

} // namespace

QVector<QPolygon> transitionPieces(TransitionKind kind, const QSize &size, int thickness) {
    const int w = size.width(), h = size.height();
    if (w <= 0 || h <= 0)
        return {};
    const int t = std::clamp(thickness, 1, std::max(w, h));
    QVector<QPolygon> pieces;
    switch (kind) {
    case TransitionKind::Horizontal:
        for (int y = 0; y < h; y += t)
            pieces.append(QPolygon(QRect(0, y, w, std::min(t, h - y))));
        return skipOrder(pieces);
    case TransitionKind::Vertical:
        for (int x = 0; x < w; x += t)
            pieces.append(QPolygon(QRect(x, 0, std::min(t, w - x), h)));
        return skipOrder(pieces);
    case TransitionKind::Diagonals:
        // Bands between the lines x + y = k t and x + y = (k + 1) t.
        for (int k = 0; k * t < w + h; ++k)
            pieces.append(QPolygon(
                {QPoint(k * t, 0), QPoint((k + 1) * t, 0), QPoint(0, (k + 1) * t), QPoint(0, k * t)}));
        return skipOrder(pieces);
    case TransitionKind::DiagonalSquares: {
        const int cols = (w + t - 1) / t, rows = (h + t - 1) / t;
        for (int parity : {0, 1})
            for (int d = parity; d < cols + rows - 1; d += 2)
                for (int i = std::max(0, d - rows + 1); i <= std::min(d, cols - 1); ++i)
                    pieces.append(QPolygon(QRect(i * t, (d - i) * t, t, t)));
        return pieces;
    }
    case TransitionKind::Rectangles: {
        const int n = std::clamp(std::min(w, h) / 4, 1, 40);
        for (int k = 1; k <= n; ++k) {
            const int hw = (w * k + 2 * n - 1) / (2 * n), hh = (h * k + 2 * n - 1) / (2 * n);
            pieces.append(QPolygon(QRect(w / 2 - hw, h / 2 - hh, 2 * hw, 2 * hh)));
        }
        return pieces;
    }
    }
    return pieces;
}

int transitionSteps(int pieces, int delayMs) {
    if (pieces <= 0)
        return 0;
    const int delay = std::clamp(delayMs, 1, kMaxTransitionMs);
    return std::clamp(kMaxTransitionMs / delay, 1, pieces);
}

TransitionPlayer::TransitionPlayer(QObject *parent) : QObject(parent) {
    connect(&m_timer, &QTimer::timeout, this, &TransitionPlayer::advance);
}

void TransitionPlayer::setFrame(const QImage &frame) {
    m_frame = frame.convertToFormat(QImage::Format_RGB32);
}

bool TransitionPlayer::start(const QImage &to, TransitionKind kind, int thickness, int delayMs) {
    if (isActive())
        finish();
    if (to.isNull())
        return false;
    m_target = to.convertToFormat(QImage::Format_RGB32);
    if (m_frame.size() != m_target.size()) {
        m_frame = QImage(m_target.size(), QImage::Format_RGB32);
        m_frame.fill(m_background);
    }
    m_pieces = transitionPieces(kind, m_target.size(), thickness);
    m_steps = transitionSteps(static_cast<int>(m_pieces.size()), delayMs);
    m_step = 0;
    m_delay = std::clamp(delayMs, 1, kMaxTransitionMs);
    m_clock.start();
    m_timer.start(m_delay);
    emit frameChanged();
    return true;
}

void TransitionPlayer::paintPieces(int from, int to) {
    QPainter p(&m_frame);
    for (int i = from; i < to; ++i) {
        const QPolygon &piece = m_pieces[i];
        const QRect box = piece.boundingRect().intersected(m_frame.rect());
        if (box.isEmpty())
            continue;
        if (QPolygon(piece.boundingRect()) == piece) {
            p.drawImage(box.topLeft(), m_target, box);
            continue;
        }
        QPainterPath clip;
        clip.addPolygon(piece);
        p.setClipPath(clip);
        p.drawImage(box.topLeft(), m_target, box);
        p.setClipping(false);
    }
}

void TransitionPlayer::advance() {
    if (m_steps <= 0)
        return;
    const qsizetype n = m_pieces.size();
    const int from = static_cast<int>(n * m_step / m_steps);
    // Steps follow the clock, so that a slow timer does not stretch the transition past its cap;
    // each tick moves on by one step at least.
    m_step = static_cast<int>(
        std::min<qint64>(m_steps, std::max<qint64>(m_step + 1, m_clock.elapsed() / m_delay)));
    if (m_step >= m_steps) {
        finish();
        return;
    }
    paintPieces(from, static_cast<int>(n * m_step / m_steps));
    emit frameChanged();
}

void TransitionPlayer::finish() {
    const bool running = m_steps > 0;
    m_timer.stop();
    m_steps = 0;
    m_pieces.clear();
    if (!m_target.isNull())
        m_frame = m_target;
    m_target = QImage();
    emit frameChanged();
    if (running)
        emit finished();
}

} // namespace orva::fxlib
