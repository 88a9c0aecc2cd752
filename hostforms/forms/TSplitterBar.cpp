// Free-standing splitter bar.
#include "hostforms/forms/TSplitterBar.h"

#include "hostforms/forms/AlignLayout.h"

#include <QMouseEvent>
#include <climits>

TSplitterBar::TSplitterBar(QWidget *parent) : QWidget(parent) {
    setAutoFillBackground(true);
    setCursor(Qt::SplitHCursor);
}

bool TSplitterBar::vertical() const {
    const HostProtocol::Align a = AlignLayout::Engine::alignOf(this);
    return a == HostProtocol::Align::Top || a == HostProtocol::Align::Bottom;
}

QWidget *TSplitterBar::target() const {
    QWidget *parent = parentWidget();
    if (!parent) {
        return nullptr;
    }
    const HostProtocol::Align a = AlignLayout::Engine::alignOf(this);
    QWidget *best = nullptr;
    int bestDistance = INT_MAX;
    const QRect me = geometry();
    for (QObject *o : parent->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (!w || w == this || w->isWindow() || w->isHidden() || !w->property("orvaAlign").isValid() ||
            AlignLayout::Engine::alignOf(w) != a) {
            continue;
        }
        int d = INT_MAX;
        const QRect g = w->geometry();
        switch (a) {
        case HostProtocol::Align::Left:
            d = g.right() < me.left() ? me.left() - g.right() : INT_MAX;
            break;
        case HostProtocol::Align::Right:
            d = g.left() > me.right() ? g.left() - me.right() : INT_MAX;
            break;
        case HostProtocol::Align::Top:
            d = g.bottom() < me.top() ? me.top() - g.bottom() : INT_MAX;
            break;
        case HostProtocol::Align::Bottom:
            d = g.top() > me.bottom() ? g.top() - me.bottom() : INT_MAX;
            break;
        default:
            break;
        }
        if (d < bestDistance) {
            bestDistance = d;
            best = w;
        }
    }
    return best;
}

void TSplitterBar::dragBy(int delta) {
    QWidget *t = target();
    if (!t || delta == 0) {
        return;
    }
    const HostProtocol::Align a = AlignLayout::Engine::alignOf(this);
    QRect g = t->geometry();
    switch (a) {
    case HostProtocol::Align::Left:
        g.setWidth(qMax(0, g.width() + delta));
        break;
    case HostProtocol::Align::Right:
        g.setWidth(qMax(0, g.width() - delta));
        break;
    case HostProtocol::Align::Top:
        g.setHeight(qMax(0, g.height() + delta));
        break;
    case HostProtocol::Align::Bottom:
        g.setHeight(qMax(0, g.height() - delta));
        break;
    default:
        return;
    }
    t->setGeometry(g);
    AlignLayout::Engine::remember(t);
    AlignLayout::Engine::of(parentWidget())->relayout();
}

void TSplitterBar::mousePressEvent(QMouseEvent *event) {
    m_pressed = event->globalPosition().toPoint();
}

void TSplitterBar::mouseMoveEvent(QMouseEvent *event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        return;
    }
    const QPoint now = event->globalPosition().toPoint();
    const int delta = vertical() ? now.y() - m_pressed.y() : now.x() - m_pressed.x();
    m_pressed = now;
    dragBy(delta);
}

void TSplitterBar::paintEvent(QPaintEvent *) {
    setCursor(vertical() ? Qt::SplitVCursor : Qt::SplitHCursor);
}
