// Painting the position text of labels and form workspaces.
#include "hostforms/forms/PositionText.h"

#include <QPainter>
#include <QWidget>

void paintOverlay(QWidget *w, const PositionText &o) {
    if (!o.has) {
        return;
    }
    QPainter p(w);
    p.setFont(o.font);
    p.setPen(o.colour);
    p.drawText(QRect(o.pos, QSize(32767, 32767)), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, o.text);
}
