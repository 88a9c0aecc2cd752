// The palette grid of the Color Palette tab.
#include "effects/dialog/TPaletteBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace orva::effects {

namespace {
constexpr int kOffset = 2;
constexpr int kCells = 16;
} // namespace

TPaletteBox::TPaletteBox(QWidget *parent) : QWidget(parent) {
    setMinimumSize(kCells * 8 + 2 * kOffset, kCells * 8 + 2 * kOffset);
}

void TPaletteBox::SetColours(const QVector<QRgb> &colours) {
    m_colours = colours;
    update();
}

void TPaletteBox::SetSelected(int index) {
    m_selected = index;
    update();
}

int TPaletteBox::cell() const {
    // A box narrower than the grid still has cells of a pixel.
    return std::max(1, (std::min(width(), height()) - 2 * kOffset) / kCells);
}

int TPaletteBox::IndexAt(const QPoint &at) const {
    const int c = cell();
    if (at.x() < kOffset || at.y() < kOffset)
        return -1;
    const int column = (at.x() - kOffset) / c, row = (at.y() - kOffset) / c;
    if (column >= kCells || row >= kCells)
        return -1;
    const int index = row * kCells + column;
    return index < m_colours.size() ? index : -1;
}

void TPaletteBox::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const int c = cell();
    for (int i = 0; i < m_colours.size() && i < kCells * kCells; ++i) {
        const QRect r(kOffset + (i % kCells) * c, kOffset + (i / kCells) * c, c, c);
        p.fillRect(r.adjusted(0, 0, -1, -1), QColor(m_colours[i]));
        if (i == m_selected) {
            p.setPen(palette().color(QPalette::Highlight));
            p.drawRect(r.adjusted(0, 0, -1, -1));
        }
    }
}

void TPaletteBox::mousePressEvent(QMouseEvent *event) {
    const int index = IndexAt(event->position().toPoint());
    if (index >= 0 && OnSelect)
        OnSelect(index);
}

} // namespace orva::effects
