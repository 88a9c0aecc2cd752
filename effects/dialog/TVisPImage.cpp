// The preview of the effects dialog.
#include "effects/dialog/TVisPImage.h"

#include "platform/imageio/DibConvert.h"

#include <QMouseEvent>
#include <QPainter>

namespace orva::effects {

TVisPImage::TVisPImage(QWidget *parent) : QWidget(parent) {
    resize(20, 20);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_transition = new orva::fxlib::TransitionPlayer(this);
    m_transition->setBackground(palette().color(QPalette::Window));
    connect(m_transition, &orva::fxlib::TransitionPlayer::frameChanged, this, qOverload<>(&QWidget::update));
}

void TVisPImage::SetDib(DibBlock *borrowed) {
    m_dib.SetDib(borrowed);
    Changed();
}

void TVisPImage::Changed() {
    m_image = HasDib() ? orva::imageio::dibToQImage(*m_dib.Dib()) : QImage();
    update();
}

void TVisPImage::ColoursChanged() {
    if (!HasDib() || m_image.format() != QImage::Format_Indexed8) {
        Changed();
        return;
    }
    QVector<QRgb> table = m_dib.Dib()->colorTable();
    for (QRgb &c : table)
        c |= 0xFF000000u;
    m_image.setColorTable(table);
    update();
}

void TVisPImage::SetOverlay(const DibBlock *overlay) {
    m_overlay = overlay && !overlay->isNull() ? orva::imageio::dibToQImage(*overlay) : QImage();
    update();
}

QRect TVisPImage::target() const {
    return Stretch || m_image.isNull() ? rect() : QRect(QPoint(0, 0), m_image.size());
}

QPoint TVisPImage::ImagePoint(const QPoint &at) const {
    const QRect t = target();
    if (m_image.isNull() || !t.contains(at) || t.isEmpty())
        return {-1, -1};
    const int x = static_cast<int>(static_cast<qint64>(at.x() - t.left()) * m_image.width() / t.width());
    const int y = static_cast<int>(static_cast<qint64>(at.y() - t.top()) * m_image.height() / t.height());
    if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height())
        return {-1, -1};
    return {x, y};
}

void TVisPImage::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    if (m_transition->isActive()) {
        p.drawImage(rect(), m_transition->frame());
        return;
    }
    if (!m_image.isNull()) {
        // Colour pictures are smoothed when stretched; two-colour ones keep their hard edges.
        p.setRenderHint(QPainter::SmoothPixmapTransform, m_dib.BitCount() > 2);
        p.drawImage(target(), m_image);
    }
    if (OnAfterPaint)
        OnAfterPaint(p);
    if (ShowOverlay && !m_overlay.isNull() && !OverlayRect.isEmpty())
        p.drawImage(OverlayRect, m_overlay);
}

void TVisPImage::mousePressEvent(QMouseEvent *event) {
    if (OnMouseDown)
        OnMouseDown(event);
}

void TVisPImage::mouseMoveEvent(QMouseEvent *event) {
    if (OnMouseMove)
        OnMouseMove(event);
}

void TVisPImage::mouseReleaseEvent(QMouseEvent *event) {
    if (OnMouseUp)
        OnMouseUp(event);
}

} // namespace orva::effects
