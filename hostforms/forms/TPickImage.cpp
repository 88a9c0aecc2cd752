// Image.
#include "hostforms/forms/TPickImage.h"

#include <QPainter>

TPickImage::TPickImage(QWidget *parent) : QWidget(parent) {}

void TPickImage::setPicture(const QImage &image) {
    m_image = image;
    update();
}

void TPickImage::setStretch(bool on) {
    m_stretch = on;
    update();
}

bool TPickImage::drawText(const QPoint &at, const QString &text, const QFont &font) {
    if (m_image.isNull()) {
        // A canvas of the control's size; geometry is clamped before it gets here.
        const QSize s(qBound(1, width(), 2048), qBound(1, height(), 2048));
        m_image = QImage(s, QImage::Format_ARGB32_Premultiplied);
        if (m_image.isNull()) {
            return false;
        }
        m_image.fill(Qt::transparent);
    }
    if (m_image.format() != QImage::Format_ARGB32_Premultiplied && m_image.format() != QImage::Format_RGB32 &&
        m_image.format() != QImage::Format_ARGB32) {
        m_image = m_image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    QPainter p(&m_image);
    if (!p.isActive()) {
        return false;
    }
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(at, QSize(32767, 32767)), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    update();
    return true;
}

void TPickImage::paintEvent(QPaintEvent *) {
    if (m_image.isNull()) {
        return;
    }
    QPainter p(this);
    if (m_stretch) {
        p.drawImage(rect(), m_image);
    } else {
        p.drawImage(QPoint(0, 0), m_image);
    }
}
