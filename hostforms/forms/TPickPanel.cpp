// Panel (and print panel).
#include "hostforms/forms/TPickPanel.h"

#include "hostforms/forms/AlignLayout.h"

#include <QPainter>

TPickPanel::TPickPanel(QWidget *parent) : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
    AlignLayout::Engine::of(this);
}

void TPickPanel::setCaption(const QString &caption) {
    m_caption = caption;
    update();
}

void TPickPanel::setCaptionAlignment(Qt::Alignment a) {
    m_alignment = a;
    update();
}

QImage TPickPanel::renderImage() {
    return grab().toImage();
}

void TPickPanel::paintEvent(QPaintEvent *event) {
    QFrame::paintEvent(event);
    if (m_caption.isEmpty()) {
        return;
    }
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(contentsRect(), int(m_alignment | Qt::AlignVCenter), m_caption);
}
