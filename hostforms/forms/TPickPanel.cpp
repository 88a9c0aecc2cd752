// Panel (and print panel).
#include "hostforms/forms/TPickPanel.h"

#include "hostforms/forms/AlignLayout.h"

#include <QFontInfo>
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

void TPickPanel::printOn(QPainter &p) {
    p.save();
    if (autoFillBackground()) {
        p.fillRect(rect(), palette().color(QPalette::Window));
    }
    if (frameShape() != QFrame::NoFrame) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    // In the panel's own pixels, whatever the resolution of the device under the painter.
    QFont f = font();
    f.setPixelSize(QFontInfo(font()).pixelSize());
    p.setFont(f);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(contentsRect(), int(m_alignment | Qt::AlignVCenter), m_caption);
    p.restore();
    for (QObject *o : children()) {
        auto *child = qobject_cast<QWidget *>(o);
        if (child && child->isVisible()) {
            child->render(&p, child->pos(), QRegion(), QWidget::DrawChildren);
        }
    }
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
