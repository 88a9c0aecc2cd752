// Scroll-box workspace.
#include "hostforms/forms/TScrollWorkspace.h"

#include "hostforms/forms/AlignLayout.h"

TScrollWorkspace::TScrollWorkspace(QWidget *parent) : QScrollArea(parent), m_content(new QWidget) {
    setWidgetResizable(false);
    setFrameShape(QFrame::NoFrame);
    m_content->setObjectName(QStringLiteral("content"));
    setWidget(m_content);
    AlignLayout::Engine::of(m_content);
}

void TScrollWorkspace::updateExtent() {
    QRect bounds;
    for (QObject *o : m_content->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (w && !w->isWindow() && !w->isHidden() &&
            (AlignLayout::Engine::alignOf(w) == HostProtocol::Align::None ||
             AlignLayout::Engine::alignOf(w) == HostProtocol::Align::Custom)) {
            bounds |= w->geometry();
        }
    }
    const QSize view = maximumViewportSize();
    const QSize want(qMax(view.width(), bounds.right() + 1), qMax(view.height(), bounds.bottom() + 1));
    if (m_content->size() != want) {
        m_content->resize(want);
        AlignLayout::Engine::of(m_content)->relayout();
    }
}

void TScrollWorkspace::resizeEvent(QResizeEvent *event) {
    QScrollArea::resizeEvent(event);
    updateExtent();
}
