// Fixed rows and columns that stay in view: views of the same cells laid over the grid.
#include "hostforms/forms/FixedCellsGrid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <utility>

FixedCellsGrid::FixedCellsGrid(QWidget *parent)
    : QTableWidget(parent), m_top(overlay(QStringLiteral("FixedRows"))),
      m_left(overlay(QStringLiteral("FixedColumns"))), m_corner(overlay(QStringLiteral("FixedCorner"))) {
    // One row or column per scroll step, so the scroll value is the first row or column shown.
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollMode(ScrollPerItem);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        copyColumnWidth(column, width);
        placeOverlays();
    });
    connect(verticalHeader(), &QHeaderView::sectionResized, this, [this](int row, int, int height) {
        copyRowHeight(row, height);
        placeOverlays();
    });
    // The fixed rows follow the grid sideways, the fixed columns up and down; an overlay whose range
    // is laid out after the grid's takes the grid's value again.
    auto follow = [](QScrollBar *from, QScrollBar *to) {
        connect(from, &QScrollBar::valueChanged, to, &QScrollBar::setValue);
        connect(to, &QScrollBar::rangeChanged, from, [from, to] { to->setValue(from->value()); });
    };
    follow(horizontalScrollBar(), m_top->horizontalScrollBar());
    follow(verticalScrollBar(), m_left->verticalScrollBar());
    m_left->raise();
    m_top->raise();
    m_corner->raise();
}

QTableView *FixedCellsGrid::overlay(const QString &name) {
    auto *v = new QTableView(this);
    v->setObjectName(name);
    v->setModel(model());
    v->horizontalHeader()->hide();
    v->verticalHeader()->hide();
    v->horizontalHeader()->setMinimumSectionSize(0);
    v->verticalHeader()->setMinimumSectionSize(0);
    v->setFrameShape(QFrame::NoFrame);
    v->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v->setVerticalScrollMode(ScrollPerItem);
    v->setHorizontalScrollMode(ScrollPerItem);
    v->setSelectionMode(NoSelection);
    v->setEditTriggers(NoEditTriggers);
    v->setFocusPolicy(Qt::NoFocus);
    // Clicks and the wheel reach the grid beneath, which knows where its fixed cells are.
    v->setAttribute(Qt::WA_TransparentForMouseEvents);
    v->hide();
    return v;
}

void FixedCellsGrid::setFixedCells(int rows, int columns) {
    m_rows = std::max(0, rows);
    m_columns = std::max(0, columns);
    copySections();
    placeOverlays();
}

int FixedCellsGrid::fixedHeight() const {
    int h = 0;
    for (int r = 0; r < std::min(m_rows, rowCount()) && h < viewport()->height(); ++r) {
        h += rowHeight(r);
    }
    return std::min(h, viewport()->height());
}

int FixedCellsGrid::fixedWidth() const {
    int w = 0;
    for (int c = 0; c < std::min(m_columns, columnCount()) && w < viewport()->width(); ++c) {
        w += columnWidth(c);
    }
    return std::min(w, viewport()->width());
}

void FixedCellsGrid::copyColumnWidth(int column, int width) {
    for (QTableView *v : {m_top, m_left, m_corner}) {
        if (v->columnWidth(column) != width) {
            v->setColumnWidth(column, width);
        }
    }
}

void FixedCellsGrid::copyRowHeight(int row, int height) {
    for (QTableView *v : {m_top, m_left, m_corner}) {
        if (v->rowHeight(row) != height) {
            v->setRowHeight(row, height);
        }
    }
}

void FixedCellsGrid::copySections() {
    for (QTableView *v : {m_top, m_left, m_corner}) {
        if (v->showGrid() != showGrid() || v->gridStyle() != gridStyle()) {
            v->setShowGrid(showGrid());
            v->setGridStyle(gridStyle());
        }
        // Setting a default size walks every section: only when it differs.
        for (auto [mine, theirs] : {std::pair(horizontalHeader(), v->horizontalHeader()),
                                    std::pair(verticalHeader(), v->verticalHeader())}) {
            if (theirs->defaultSectionSize() != mine->defaultSectionSize()) {
                theirs->setDefaultSectionSize(mine->defaultSectionSize());
            }
        }
    }
    // Widths of every column (the fixed rows scroll sideways), heights of the fixed rows; other
    // row heights follow as the grid's change.
    for (int c = 0; c < columnCount(); ++c) {
        copyColumnWidth(c, columnWidth(c));
    }
    for (int r = 0; r < std::min(m_rows, rowCount()); ++r) {
        copyRowHeight(r, rowHeight(r));
    }
}

void FixedCellsGrid::placeOverlays() {
    const QRect area = viewport()->geometry();
    const int height = fixedHeight(), width = fixedWidth();
    m_top->setGeometry(area.x(), area.y(), area.width(), height);
    m_left->setGeometry(area.x(), area.y(), width, area.height());
    m_corner->setGeometry(area.x(), area.y(), width, height);
    m_top->setVisible(height > 0);
    m_left->setVisible(width > 0);
    m_corner->setVisible(height > 0 && width > 0);
    m_top->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
    m_left->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

void FixedCellsGrid::updateGeometries() {
    QTableWidget::updateGeometries();
    copySections();
    placeOverlays();
}

void FixedCellsGrid::scrollTo(const QModelIndex &index, ScrollHint hint) {
    QTableWidget::scrollTo(index, hint);
    if (!index.isValid()) {
        return;
    }
    // A cell scrolled to the top or left edge would lie beneath the fixed cells: scroll back until it
    // shows below and beside them.
    QScrollBar *down = verticalScrollBar();
    while (index.row() >= m_rows && down->value() > down->minimum() &&
           rowViewportPosition(index.row()) < fixedHeight()) {
        down->setValue(down->value() - 1);
    }
    QScrollBar *across = horizontalScrollBar();
    while (index.column() >= m_columns && across->value() > across->minimum() &&
           columnViewportPosition(index.column()) < fixedWidth()) {
        across->setValue(across->value() - 1);
    }
}

QModelIndex FixedCellsGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // The cursor stays on cells that scroll: the fixed ones are headers.
    const QModelIndex to = QTableWidget::moveCursor(action, modifiers);
    if (!to.isValid()) {
        return to;
    }
    const int row = to.row() < m_rows && rowCount() > m_rows ? m_rows : to.row();
    const int column = to.column() < m_columns && columnCount() > m_columns ? m_columns : to.column();
    return model()->index(row, column, rootIndex());
}

bool FixedCellsGrid::overFixedCells(const QPoint &viewportPos) const {
    return viewportPos.y() < fixedHeight() || viewportPos.x() < fixedWidth();
}

void FixedCellsGrid::mousePressEvent(QMouseEvent *event) {
    // The cell beneath a header is not the one the user sees there.
    if (overFixedCells(event->position().toPoint())) {
        event->accept();
        return;
    }
    QTableWidget::mousePressEvent(event);
}

void FixedCellsGrid::mouseDoubleClickEvent(QMouseEvent *event) {
    if (overFixedCells(event->position().toPoint())) {
        event->accept();
        return;
    }
    QTableWidget::mouseDoubleClickEvent(event);
}
