// Docked alignment and anchors of host controls: children aligned top, bottom, left, right or
// client share their parent's client area in that order; the others keep their distances to the
// anchored edges when the parent is resized.
#pragma once

#include "hostforms/protocol/HostProtocol.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

class QWidget;

namespace AlignLayout {

struct Item {
    HostProtocol::Align align = HostProtocol::Align::None;
    QRect rect;           // current geometry
    unsigned anchors = 0; // HostProtocol::Anchor bits; 0 is read as left and top
    QRect anchorRect;     // geometry when the anchors were set
    QSize anchorParent;   // parent client size when the anchors were set
};

// New geometries, in the order of `items` (creation order breaks ties).
QList<QRect> layout(const QRect &client, const QList<Item> &items);
// One non-aligned item's geometry for a new parent size.
QRect anchored(const Item &item, const QSize &parent);

// Keeps the children of one parent widget laid out: installed on the parent, it re-runs the
// layout on resize and when asked.
class Engine : public QObject {
public:
    static Engine *of(QWidget *parent); // created on first use, owned by the parent
    // Records a child's alignment and anchors (taking its current geometry as the anchor origin).
    static void setAlign(QWidget *child, HostProtocol::Align align);
    static void setAnchors(QWidget *child, unsigned anchors);
    static HostProtocol::Align alignOf(const QWidget *child);
    static unsigned anchorsOf(const QWidget *child);
    // Records the child's current geometry as the place it keeps when not aligned.
    static void remember(QWidget *child);
    void relayout();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit Engine(QWidget *parent);
    QWidget *m_parent;
    bool m_busy = false;
};

} // namespace AlignLayout
