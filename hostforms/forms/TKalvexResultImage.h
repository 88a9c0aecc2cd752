// The drawn page of the result-entry control: layout text with its marks, the result fields at
// their rows and columns (out-of-range values in red, boxed while editing) and the reference ranges
// in grey. It paints from the model on the screen and, at another font size, on a printer.
#pragma once

#include "hostforms/forms/TKalvexResultModel.h"

#include <QColor>
#include <QFont>
#include <QWidget>
#include <functional>

class TKalvexResultImage : public QWidget {
    Q_OBJECT
public:
    TKalvexResultImage(TKalvexResultModel &model, QWidget *parent = nullptr);

    QColor Background;
    QColor EditBackground = QColor(0xE8, 0xE8, 0xE8);
    QColor EditColor = QColor(0xFF, 0xFF, 0xFF);
    TKalvexResultModel::State State = TKalvexResultModel::State::Empty;

    // Where things are on a page drawn in `font` on `device` (the screen when null).
    struct Metrics {
        int lineHeight = 0;
        int textWidth = 0; // the 80 columns
        int pageWidth() const {
            return textWidth + TKalvexResultModel::kLeftMargin + TKalvexResultModel::kRightMargin;
        }
        int columnX(int column) const; // column from 0
    };
    static Metrics metricsFor(const QFont &font, QPaintDevice *device = nullptr);
    Metrics metrics() const { return metricsFor(font()); }
    QSize pageSize(const Metrics &m) const;
    // The page line a layout line is drawn on in the current state (-1 when left out).
    int shownRow(int layoutLine) const;
    // The rectangle of field n with `lines` lines, in page coordinates.
    QRect fieldRect(int n, int lines) const;

    // Sizes the page for the current font and state and repaints it.
    void displayLayout();
    // Paints the whole page on `p` in `font` (the printer uses a larger one).
    void paintPage(QPainter &p, const QFont &font, QPaintDevice *device) const;

    std::function<void(const QPoint &)> onPress;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    TKalvexResultModel &m_model;
};
