// The grid panel's string grid: its first rows and columns are headers that stay in view while the
// rest scrolls. Three views of the same cells lie over the grid's viewport (the fixed rows, the
// fixed columns and the corner where they meet) and follow its scrolling and section sizes; the
// grid keeps its cursor and its scrolling clear of them.
#pragma once

#include <QTableWidget>

class QTableView;

class FixedCellsGrid : public QTableWidget {
public:
    explicit FixedCellsGrid(QWidget *parent = nullptr);

    void setFixedCells(int rows, int columns);
    // The part of the viewport the fixed cells cover, from its top and from its left.
    int fixedHeight() const;
    int fixedWidth() const;

    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void updateGeometries() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QTableView *overlay(const QString &name);
    void copySections();
    void placeOverlays();
    void copyColumnWidth(int column, int width);
    void copyRowHeight(int row, int height);
    bool overFixedCells(const QPoint &viewportPos) const;
    QTableView *m_top;
    QTableView *m_left;
    QTableView *m_corner;
    int m_rows = 0;
    int m_columns = 0;
};
