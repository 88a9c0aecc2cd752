// Bevel.
#include "hostforms/forms/TBevel.h"

#include <QPainter>

TBevel::TBevel(QWidget *parent) : QWidget(parent) {}

void TBevel::setShape(int shape) {
    m_shape = qBound(0, shape, 6);
    update();
}

void TBevel::paintEvent(QPaintEvent *) {
    QPainter p(this);
    const QColor dark = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    switch (m_shape) {
    case 0: // box
        p.setPen(dark);
        p.drawRect(r);
        break;
    case 1: // frame
        p.setPen(dark);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(light);
        p.drawRect(r.adjusted(1, 1, 0, 0));
        break;
    case 2: // top line
        p.setPen(dark);
        p.drawLine(r.topLeft(), r.topRight());
        p.setPen(light);
        p.drawLine(r.topLeft() + QPoint(0, 1), r.topRight() + QPoint(0, 1));
        break;
    case 3: // bottom line
        p.setPen(dark);
        p.drawLine(r.bottomLeft() - QPoint(0, 1), r.bottomRight() - QPoint(0, 1));
        p.setPen(light);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        break;
    case 4: // left line
        p.setPen(dark);
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(light);
        p.drawLine(r.topLeft() + QPoint(1, 0), r.bottomLeft() + QPoint(1, 0));
        break;
    case 5: // right line
        p.setPen(dark);
        p.drawLine(r.topRight() - QPoint(1, 0), r.bottomRight() - QPoint(1, 0));
        p.setPen(light);
        p.drawLine(r.topRight(), r.bottomRight());
        break;
    default: // spacer: nothing to see
        break;
    }
}
