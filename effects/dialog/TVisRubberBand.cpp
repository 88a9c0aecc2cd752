// The selection rectangle of the effects dialog.
#include "effects/dialog/TVisRubberBand.h"

#include <QPainter>

#include <cstdlib>

namespace orva::effects {

TVisRubberBand::TVisRubberBand(QObject *owner) : QObject(owner) {}

void TVisRubberBand::SetControl(QWidget *control) {
    if (m_control && m_control != control)
        m_control->unsetCursor();
    m_control = control;
    if (m_control)
        m_control->update();
}

int TVisRubberBand::HitTest(int x, int y) const {
    const int t = Tolerance;
    if (!m_newBand && (x > m_right + t || x < m_left - t || y < m_top - t || y > m_bottom + t))
        return 0;
    const bool betweenRows = m_top + t < y && y < m_bottom - t;
    const bool betweenCols = m_left + t < x && x < m_right - t;
    const bool nearLeft = std::abs(x - m_left) <= t, nearRight = std::abs(x - m_right) <= t;
    const bool nearTop = std::abs(y - m_top) <= t, nearBottom = std::abs(y - m_bottom) <= t;
    if (nearRight && betweenRows)
        return 4;
    if (nearLeft && betweenRows)
        return 3;
    if (nearTop && betweenCols)
        return 1;
    if (nearBottom && betweenCols)
        return 2;
    if (nearBottom && nearLeft)
        return 7;
    if (nearBottom && nearRight)
        return 8;
    if (nearTop && nearRight)
        return 6;
    if (nearTop && nearLeft)
        return 5;
    if (m_left + t <= x && x <= m_right - t && m_top + t <= y && y <= m_bottom - t)
        return 9;
    return 0;
}

Qt::CursorShape TVisRubberBand::CursorFor(int zone) {
    switch (zone) {
    case 1:
    case 2:
        return Qt::SplitVCursor;
    case 3:
    case 4:
        return Qt::SplitHCursor;
    case 5:
    case 8:
        return Qt::SizeFDiagCursor;
    case 6:
    case 7:
        return Qt::SizeBDiagCursor;
    case 9:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}

void TVisRubberBand::setCursor(Qt::CursorShape shape) {
    if (m_control)
        m_control->setCursor(shape);
}

bool TVisRubberBand::outsideGrown(int x, int y) const {
    const int t = Tolerance;
    return x < m_left - t || x > m_right + t || y < m_top - t || y > m_bottom + t;
}

void TVisRubberBand::report(Qt::MouseButton button, Qt::KeyboardModifiers shift) {
    if (m_control)
        m_control->update();
    if (OnRubberband)
        OnRubberband(this, button, shift, m_left, m_top, m_right, m_bottom);
}

void TVisRubberBand::normalise() {
    if (m_right < m_left)
        std::swap(m_left, m_right);
    if (m_bottom < m_top)
        std::swap(m_top, m_bottom);
}

void TVisRubberBand::moveBy(int dx, int dy) {
    // The band stays on the control, so that it can always be grabbed again.
    auto held = [](int d, int low, int high) { return low > high ? 0 : std::clamp(d, low, high); };
    if (m_control) {
        dx = held(dx, -m_left, m_control->width() - 1 - m_right);
        dy = held(dy, -m_top, m_control->height() - 1 - m_bottom);
    }
    m_left += dx;
    m_right += dx;
    m_top += dy;
    m_bottom += dy;
}

void TVisRubberBand::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
    if (!m_control)
        return;
    m_dragging = false;
    if (m_newBand) {
        if (button == Qt::LeftButton) {
            m_dragging = true;
            m_left = m_right = x;
            m_top = m_bottom = y;
        }
        return;
    }
    m_pressOutside = outsideGrown(x, y);
    if (m_pressOutside)
        return;
    m_zone = HitTest(x, y);
    if (m_zone == 0) {
        setCursor(Qt::ArrowCursor);
        m_pressOutside = true;
        return;
    }
    m_dragging = true;
    m_pressed = true;
    m_last = QPoint(x, y);
}

void TVisRubberBand::MouseMove(Qt::KeyboardModifiers shift, int x, int y) {
    if (!m_control)
        return;
    if (m_newBand) {
        if (m_dragging) {
            m_right = x;
            m_bottom = y;
            m_control->update();
        }
        return;
    }
    if (!m_pressed) {
        const int zone = HitTest(x, y);
        setCursor(CursorFor(zone));
        if (zone == 0)
            m_dragging = false;
        return;
    }
    const int t = Tolerance;
    const int l = m_left, tp = m_top, r = m_right, b = m_bottom;
    switch (m_zone) {
    case 1:
        if (m_left + t < x && x < m_right - t && y < m_bottom)
            m_top = y;
        break;
    case 2:
        if (m_left + t < x && x < m_right - t && y > m_top)
            m_bottom = y;
        break;
    case 3:
        if (m_top + t < y && y < m_bottom - t && x < m_right)
            m_left = x;
        break;
    case 4:
        if (m_top + t < y && y < m_bottom - t && x > m_left)
            m_right = x;
        break;
    case 5:
        if (y < m_bottom && x < m_right) {
            m_left = x;
            m_top = y;
        }
        break;
    case 6:
        if (y < m_bottom && x > m_left) {
            m_right = x;
            m_top = y;
        }
        break;
    case 7:
        if (y > m_top && x < m_right) {
            m_left = x;
            m_bottom = y;
        }
        break;
    case 8:
        if (y > m_top && x > m_left) {
            m_right = x;
            m_bottom = y;
        }
        break;
    case 9:
        moveBy(x - m_last.x(), y - m_last.y());
        m_last = QPoint(x, y);
        break;
    default:
        return;
    }
    // Only a change is reported: a move that the guards refused leaves no event.
    if (l != m_left || tp != m_top || r != m_right || b != m_bottom)
        report(Qt::LeftButton, shift);
}

void TVisRubberBand::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    if (!m_control)
        return;
    if (m_newBand) {
        if (!m_dragging || button != Qt::LeftButton)
            return;
        m_dragging = false;
        m_right = x;
        m_bottom = y;
        m_newBand = false;
        // A band drawn up or to the left is turned the right way round: a reversed rectangle
        // would count every later press as outside and could never be grabbed again.
        normalise();
        report(button, shift);
        return;
    }
    if (m_pressed && !m_pressOutside && !outsideGrown(x, y)) {
        const int l = m_left, t = m_top, r = m_right, b = m_bottom;
        switch (m_zone) {
        case 1:
            if (m_left <= x && x <= m_right && y < m_bottom)
                m_top = y;
            break;
        case 2:
            if (m_left <= x && x <= m_right && y > m_top)
                m_bottom = y;
            break;
        case 3:
            if (m_top <= y && y <= m_bottom && x < m_right)
                m_left = x;
            break;
        case 4:
            if (m_top <= y && y <= m_bottom && x > m_left)
                m_right = x;
            break;
        case 5:
            m_left = x;
            m_top = y;
            break;
        case 6:
            m_right = x;
            m_top = y;
            break;
        case 7:
            m_left = x;
            m_bottom = y;
            break;
        case 8:
            m_right = x;
            m_bottom = y;
            break;
        case 9:
            moveBy(x - m_last.x(), y - m_last.y());
            break;
        default:
            break;
        }
        normalise();
        // The moves have reported the band already; a release elsewhere than the last move point
        // reports the final rectangle, so that the area used is the one shown.
        if (l != m_left || t != m_top || r != m_right || b != m_bottom)
            report(button, shift);
        m_control->update();
    }
    m_pressed = false;
    m_dragging = false;
}

void TVisRubberBand::SetRect(int left, int top, int width, int height) {
    m_left = left;
    m_top = top;
    m_right = left + width;
    m_bottom = top + height;
    m_newBand = false;
    m_dragging = false;
    m_pressed = false;
    report(Qt::LeftButton, Qt::NoModifier);
}

void TVisRubberBand::Draw(QPainter &painter) const {
    if (!m_control || (m_newBand && !m_dragging))
        return;
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygon({QPoint(m_left, m_top), QPoint(m_left, m_bottom), QPoint(m_right, m_bottom),
                                   QPoint(m_right, m_top), QPoint(m_left, m_top)}));
    painter.restore();
}

} // namespace orva::effects
