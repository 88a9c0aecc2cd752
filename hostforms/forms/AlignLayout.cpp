// Docked alignment and anchors.
#include "hostforms/forms/AlignLayout.h"

#include <QEvent>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <numeric>

namespace AlignLayout {

using HostProtocol::Align;

namespace {

constexpr const char *kAlign = "orvaAlign";
constexpr const char *kAnchors = "orvaAnchors";
constexpr const char *kAnchorRect = "orvaAnchorRect";
constexpr const char *kAnchorParent = "orvaAnchorParent";

int span(int origin, int size, int delta, bool nearEdge, bool farEdge, int *sizeOut) {
    *sizeOut = size;
    if (nearEdge && farEdge) {
        *sizeOut = std::max(0, size + delta);
        return origin;
    }
    if (farEdge) {
        return origin + delta;
    }
    if (!nearEdge) {
        return origin + delta / 2;
    }
    return origin;
}

} // namespace

QRect anchored(const Item &item, const QSize &parent) {
    if (!item.anchorParent.isValid() || item.anchorParent.isEmpty() || !item.anchorRect.isValid()) {
        return item.rect;
    }
    const unsigned a =
        item.anchors == 0 ? unsigned(HostProtocol::AnchorLeft | HostProtocol::AnchorTop) : item.anchors;
    int w = 0;
    int h = 0;
    const int x =
        span(item.anchorRect.x(), item.anchorRect.width(), parent.width() - item.anchorParent.width(),
             a & HostProtocol::AnchorLeft, a & HostProtocol::AnchorRight, &w);
    const int y =
        span(item.anchorRect.y(), item.anchorRect.height(), parent.height() - item.anchorParent.height(),
             a & HostProtocol::AnchorTop, a & HostProtocol::AnchorBottom, &h);
    return {x, y, w, h};
}

QList<QRect> layout(const QRect &client, const QList<Item> &items) {
    QList<QRect> out;
    out.reserve(items.size());
    for (const Item &it : items) {
        out.append(it.align == Align::None || it.align == Align::Custom ? anchored(it, client.size())
                                                                        : it.rect);
    }
    QRect rest = client;
    auto ordered = [&items](Align a, auto less) {
        QList<int> idx;
        for (int i = 0; i < items.size(); ++i) {
            if (items[i].align == a) {
                idx.append(i);
            }
        }
        std::stable_sort(idx.begin(), idx.end(),
                         [&](int x, int y) { return less(items[x].rect, items[y].rect); });
        return idx;
    };
    for (int i : ordered(Align::Top, [](const QRect &a, const QRect &b) { return a.top() < b.top(); })) {
        const int h = std::min(std::max(0, items[i].rect.height()), std::max(0, rest.height()));
        out[i] = QRect(rest.left(), rest.top(), std::max(0, rest.width()), h);
        rest.setTop(rest.top() + h);
    }
    for (int i :
         ordered(Align::Bottom, [](const QRect &a, const QRect &b) { return a.bottom() > b.bottom(); })) {
        const int h = std::min(std::max(0, items[i].rect.height()), std::max(0, rest.height()));
        out[i] = QRect(rest.left(), rest.top() + rest.height() - h, std::max(0, rest.width()), h);
        rest.setHeight(rest.height() - h);
    }
    for (int i : ordered(Align::Left, [](const QRect &a, const QRect &b) { return a.left() < b.left(); })) {
        const int w = std::min(std::max(0, items[i].rect.width()), std::max(0, rest.width()));
        out[i] = QRect(rest.left(), rest.top(), w, std::max(0, rest.height()));
        rest.setLeft(rest.left() + w);
    }
    for (int i :
         ordered(Align::Right, [](const QRect &a, const QRect &b) { return a.right() > b.right(); })) {
        const int w = std::min(std::max(0, items[i].rect.width()), std::max(0, rest.width()));
        out[i] = QRect(rest.left() + rest.width() - w, rest.top(), w, std::max(0, rest.height()));
        rest.setWidth(rest.width() - w);
    }
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].align == Align::Client) {
            out[i] = QRect(rest.topLeft(), QSize(std::max(0, rest.width()), std::max(0, rest.height())));
        }
    }
    return out;
}

Engine::Engine(QWidget *parent) : QObject(parent), m_parent(parent) {
    parent->installEventFilter(this);
}

Engine *Engine::of(QWidget *parent) {
    if (!parent) {
        return nullptr;
    }
    if (Engine *e = parent->findChild<Engine *>(QString(), Qt::FindDirectChildrenOnly)) {
        return e;
    }
    return new Engine(parent);
}

void Engine::setAlign(QWidget *child, Align align) {
    child->setProperty(kAlign, int(align));
}

void Engine::setAnchors(QWidget *child, unsigned anchors) {
    child->setProperty(kAnchors, anchors);
    remember(child);
}

Align Engine::alignOf(const QWidget *child) {
    const QVariant v = child->property(kAlign);
    return v.isValid() ? Align(std::clamp(v.toInt(), 0, 6)) : Align::None;
}

unsigned Engine::anchorsOf(const QWidget *child) {
    const QVariant v = child->property(kAnchors);
    return v.isValid() ? v.toUInt() : unsigned(HostProtocol::AnchorLeft | HostProtocol::AnchorTop);
}

void Engine::remember(QWidget *child) {
    child->setProperty(kAnchorRect, child->geometry());
    child->setProperty(kAnchorParent, child->parentWidget() ? child->parentWidget()->size() : QSize());
}

void Engine::relayout() {
    if (m_busy) {
        return;
    }
    m_busy = true;
    QList<QWidget *> widgets;
    QList<Item> items;
    for (QObject *o : m_parent->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (!w || w->isWindow() || !w->property(kAlign).isValid() || w->isHidden()) {
            continue;
        }
        Item it;
        it.align = alignOf(w);
        it.rect = w->geometry();
        it.anchors = anchorsOf(w);
        it.anchorRect = w->property(kAnchorRect).toRect();
        it.anchorParent = w->property(kAnchorParent).toSize();
        widgets.append(w);
        items.append(it);
    }
    const QList<QRect> rects = layout(m_parent->rect(), items);
    for (int i = 0; i < widgets.size(); ++i) {
        if (widgets[i]->geometry() != rects[i]) {
            widgets[i]->setGeometry(rects[i]);
        }
    }
    m_busy = false;
}

bool Engine::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_parent && event->type() == QEvent::Resize) {
        relayout();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace AlignLayout
