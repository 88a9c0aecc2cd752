// TPaletteBox: the 16 by 16 grid of a picture's palette on the Color Palette tab; a click on a cell
// of an entry the palette has selects it.
#pragma once

#include <QVector>
#include <QWidget>

#include <functional>

namespace orva::effects {

class TPaletteBox : public QWidget {
    Q_OBJECT
public:
    explicit TPaletteBox(QWidget *parent = nullptr);

    void SetColours(const QVector<QRgb> &colours);
    const QVector<QRgb> &Colours() const { return m_colours; }
    void SetSelected(int index);
    int Selected() const { return m_selected; }
    // The entry under a point of the box; -1 for the offset, the gaps past the grid and absent entries.
    int IndexAt(const QPoint &at) const;

    std::function<void(int index)> OnSelect;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    int cell() const;

    QVector<QRgb> m_colours;
    int m_selected = -1;
};

} // namespace orva::effects
