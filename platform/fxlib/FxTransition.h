// Transitions: a new picture uncovered piece by piece over the one shown, in strips, diagonal bands,
// squares or growing rectangles. A timer drives the steps (delay in milliseconds per step, the whole
// transition capped); the player paints each step into a frame that the showing widget draws in
// its paint event. Nothing waits: the caller's event loop keeps running.
#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QPolygon>
#include <QTimer>
#include <QVector>

namespace orva::fxlib {

enum class TransitionKind { Horizontal, Vertical, Diagonals, DiagonalSquares, Rectangles };

// The longest a transition may take, whatever the delay and thickness.
constexpr int kMaxTransitionMs = 2000;

// The pieces of a frame of the given size in the order they are uncovered: strips and squares of
// the thickness skip every other one and come back for the rest; rectangles grow from the centre.
QVector<QPolygon> transitionPieces(TransitionKind kind, const QSize &size, int thickness);
// Timer steps for that many pieces: one piece per step at most, at most the cap in all.
int transitionSteps(int pieces, int delayMs);

class TransitionPlayer : public QObject {
    Q_OBJECT
public:
    explicit TransitionPlayer(QObject *parent = nullptr);

    // The picture shown now; the next transition starts from it.
    void setFrame(const QImage &frame);
    const QImage &frame() const { return m_frame; }
    // What an uncovered frame of another size starts from.
    void setBackground(const QColor &colour) { m_background = colour; }

    // Starts uncovering `to`; a running transition is finished first. False for an empty picture.
    bool start(const QImage &to, TransitionKind kind, int thickness, int delayMs);
    bool isActive() const { return m_timer.isActive(); }
    // One timer step; the last one shows the whole new picture.
    void advance();
    // Shows the whole new picture at once.
    void finish();

signals:
    void frameChanged();
    void finished();

private:
    void paintPieces(int from, int to);

    QImage m_frame;
    QImage m_target;
    QColor m_background = Qt::white;
    QVector<QPolygon> m_pieces;
    int m_step = 0;
    int m_steps = 0;
    int m_delay = 1;
    QElapsedTimer m_clock;
    QTimer m_timer;
};

} // namespace orva::fxlib
