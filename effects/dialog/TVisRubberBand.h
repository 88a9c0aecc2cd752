// TVisRubberBand: the selection rectangle the user draws, resizes and drags over a control. It
// gets the control's mouse events forwarded, keeps the rectangle, chooses hover cursors and
// reports every change through OnRubberband; the control draws it from its paint event (Draw).
#pragma once

#include "imaging/core/ImagingTypes.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

class QPainter;

namespace orva::effects {

class TVisRubberBand : public QObject {
    Q_OBJECT
public:
    explicit TVisRubberBand(QObject *owner = nullptr);

    // The control the band lies on; none: every call does nothing.
    QWidget *Control() const { return m_control; }
    void SetControl(QWidget *control);

    orva::imaging::TRubberband OnRubberband;
    int Tolerance = 3;

    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void MouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // Right = Left + Width, Bottom = Top + Height; leaves the new-band state and reports with the
    // left button.
    void SetRect(int left, int top, int width, int height);
    // Paints the outline (inverted pixels) with the painter of the control's paint event.
    virtual void Draw(QPainter &painter) const;
    // 0 outside, 1 top, 2 bottom, 3 left, 4 right edge, 5 top left, 6 top right, 7 bottom left,
    // 8 bottom right corner, 9 inside.
    int HitTest(int x, int y) const;
    // The cursor shown over a zone.
    static Qt::CursorShape CursorFor(int zone);

    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Right() const { return m_right; }
    int Bottom() const { return m_bottom; }
    bool NewBand() const { return m_newBand; }
    bool Drawing() const { return m_newBand && m_dragging; }

private:
    void report(Qt::MouseButton button, Qt::KeyboardModifiers shift);
    void setCursor(Qt::CursorShape shape);
    bool outsideGrown(int x, int y) const;
    void moveBy(int dx, int dy);
    void normalise();

    QPointer<QWidget> m_control;
    int m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;
    bool m_newBand = true;
    bool m_dragging = false;
    bool m_pressed = false;
    int m_zone = 0;
    QPoint m_last;
    bool m_pressOutside = false;
};

} // namespace orva::effects
