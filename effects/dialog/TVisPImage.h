// TVisPImage: the preview of the effects dialog. It shows a DIB it only looks at (stretched over the
// control, or at its own size), then lets its owner paint over it (the rubber band), then an
// overlay picture in a rectangle, and shows transition frames while one plays. Mouse presses,
// moves and releases go to its owner.
#pragma once

#include "imaging/core/TVisDib.h"
#include "platform/fxlib/FxTransition.h"

#include <QImage>
#include <QWidget>

#include <functional>

namespace orva::effects {

using orva::imageio::DibBlock;

class TVisPImage : public QWidget {
    Q_OBJECT
public:
    explicit TVisPImage(QWidget *parent = nullptr);

    // Shows a DIB someone else owns (none: nothing); it is never freed here.
    void SetDib(DibBlock *borrowed);
    const DibBlock *Dib() const { return m_dib.Dib(); }
    bool HasDib() const { return m_dib.HasDib() && !m_dib.Dib()->isNull(); }
    // The shown DIB's pixels changed, or only its colours: draw it anew.
    void Changed();
    void ColoursChanged();

    void SetOverlay(const DibBlock *overlay);
    bool ShowOverlay = false;
    QRect OverlayRect;
    bool Stretch = true;

    // The picture pixel under a point of the control; (-1, -1) when there is none.
    QPoint ImagePoint(const QPoint &at) const;

    orva::fxlib::TransitionPlayer &Transition() { return *m_transition; }

    std::function<void(QPainter &)> OnAfterPaint;
    std::function<void(QMouseEvent *)> OnMouseDown;
    std::function<void(QMouseEvent *)> OnMouseMove;
    std::function<void(QMouseEvent *)> OnMouseUp;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QRect target() const;

    orva::imaging::TVisDib m_dib;
    QImage m_image;
    QImage m_overlay;
    orva::fxlib::TransitionPlayer *m_transition = nullptr;
};

} // namespace orva::effects
