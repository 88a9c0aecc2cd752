// Grid panel: the owned grid, its proportional column widths, fills, fixed rows and columns.
#include "hostforms/forms/TgdGridPanel.h"

#include "common/HostText.h"
#include "hostforms/forms/GridPanelRules.h"

#include <QHeaderView>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QTableWidget>
#include <algorithm>

using namespace HostProtocol;

TgdGridPanel::TgdGridPanel(QWidget *parent) : QFrame(parent), m_grid(new FixedCellsGrid(this)) {
    m_grid->setObjectName(QStringLiteral("Grid"));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setFrameShape(QFrame::NoFrame);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_grid->horizontalHeader()->setMinimumSectionSize(0);
    connect(m_grid, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (m_filling || !onChange) {
            return;
        }
        onChange(item->column(), item->row(), HostText::fromUnicode(item->text()));
    });
    Clear();
}

void TgdGridPanel::Clear() {
    setFrameShape(QFrame::NoFrame);
    m_filling = true;
    m_grid->clear();
    m_grid->setColumnCount(5);
    m_grid->setRowCount(5);
    m_filling = false;
    m_fixedRows = 1;
    m_fixedCols = 0;
    m_grid->setFixedCells(m_fixedRows, m_fixedCols);
    SortedColumn = 0;
    m_widthFactors = "1,1,1,1,1";
    m_factors = {0.2, 0.2, 0.2, 0.2, 0.2};
    SetReadOnly(false);
    SetRowSelect(false);
    styleFixedCells();
    UpdateColumnWidths();
}

int TgdGridPanel::available() const {
    const int lines = m_grid->showGrid() ? 1 : 0;
    return m_grid->viewport()->width() - m_grid->columnCount() * lines;
}

void TgdGridPanel::SetWidthFactors(const QByteArray &text) {
    const GridPanelRules::Factors parsed = GridPanelRules::parseWidthFactors(text);
    if (!parsed.ok) {
        m_factors.clear();
        setCell(0, 0, "Buggered \"" + parsed.badItem + '"');
        QList<int> widths;
        for (int c = 0; c < m_grid->columnCount(); ++c) {
            widths.append(m_grid->columnWidth(c));
        }
        m_factors = GridPanelRules::factorsFromWidths(widths, m_grid->viewport()->width());
        return;
    }
    m_factors = parsed.factors;
    m_grid->setColumnCount(int(std::min<qsizetype>(m_factors.size(), GridPanelRules::kMaxColumns)));
    m_factors.resize(m_grid->columnCount());
    if (parsed.sum > 0) {
        m_factors = GridPanelRules::normalised(m_factors);
        m_widthFactors = text;
    }
    styleFixedCells();
    UpdateColumnWidths();
}

void TgdGridPanel::UpdateColumnWidths() {
    if (m_factors.size() != m_grid->columnCount()) {
        QList<int> widths;
        for (int c = 0; c < m_grid->columnCount(); ++c) {
            widths.append(m_grid->columnWidth(c));
        }
        m_factors = GridPanelRules::factorsFromWidths(widths, m_grid->viewport()->width());
        return;
    }
    const QList<int> widths = GridPanelRules::columnWidths(m_factors, available());
    for (qsizetype c = 0; c < widths.size(); ++c) {
        if (m_grid->columnWidth(int(c)) != widths[c]) {
            m_grid->setColumnWidth(int(c), widths[c]);
        }
    }
}

void TgdGridPanel::resizeEvent(QResizeEvent *event) {
    QFrame::resizeEvent(event);
    m_grid->setGeometry(contentsRect());
    UpdateColumnWidths();
}

void TgdGridPanel::showEvent(QShowEvent *event) {
    QFrame::showEvent(event);
    UpdateColumnWidths();
}

int TgdGridPanel::visibleRows() const {
    const int h = m_grid->verticalHeader()->defaultSectionSize();
    return h > 0 ? m_grid->viewport()->height() / h : 0;
}

int TgdGridPanel::visibleColumns() const {
    int shown = 0;
    const int width = m_grid->viewport()->width();
    for (int c = 0, x = 0; c < m_grid->columnCount() && x < width; ++c) {
        x += m_grid->columnWidth(c);
        ++shown;
    }
    return shown;
}

void TgdGridPanel::NotifyEndUpdate() {
    if (onChange) {
        onChange(visibleRows(), m_grid->rowCount(), kEndUpdate);
    }
}

void TgdGridPanel::SetFixed(const QByteArray &field18) {
    const GridPanelRules::Fixed f = GridPanelRules::readFixed(field18);
    m_filling = true;
    m_grid->setRowCount(GridPanelRules::grownCount(f.rows, m_grid->rowCount()));
    m_grid->setColumnCount(GridPanelRules::grownCount(f.columns, m_grid->columnCount()));
    m_filling = false;
    m_fixedRows = f.rows;
    m_fixedCols = f.columns;
    m_grid->setFixedCells(m_fixedRows, m_fixedCols);
    styleFixedCells();
    UpdateColumnWidths();
}

void TgdGridPanel::SetRows(const QList<QByteArray> &rowFields) {
    m_filling = true;
    if (m_grid->rowCount() < rowFields.size()) {
        m_grid->setRowCount(int(std::min<qsizetype>(rowFields.size(), GridPanelRules::kMaxRows)));
    }
    for (qsizetype j = 0; j < rowFields.size() && j < m_grid->rowCount(); ++j) {
        if (j == 0 && rowFields[j].isEmpty()) {
            continue; // an empty first row field leaves row 0 as it is
        }
        const QList<QByteArray> cells = GridPanelRules::rowCells(rowFields[j], m_grid->columnCount());
        for (int c = 0; c < cells.size(); ++c) {
            setCell(c, int(j), cells[c]);
        }
    }
    m_filling = false;
    styleFixedCells();
    NotifyEndUpdate();
}

void TgdGridPanel::SetReadOnly(bool on) {
    m_readOnly = on;
    m_grid->setEditTriggers(on ? QAbstractItemView::NoEditTriggers
                               : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                     QAbstractItemView::AnyKeyPressed);
}

void TgdGridPanel::SetRowSelect(bool on) {
    m_grid->setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
}

void TgdGridPanel::setCell(int column, int row, const QByteArray &text) {
    if (column < 0 || row < 0 || column >= m_grid->columnCount() || row >= m_grid->rowCount()) {
        return;
    }
    const bool was = m_filling;
    m_filling = true;
    QTableWidgetItem *item = m_grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        m_grid->setItem(row, column, item);
    }
    item->setText(HostText::toUnicode(text));
    m_filling = was;
}

QByteArray TgdGridPanel::cell(int column, int row) const {
    const QTableWidgetItem *item = m_grid->item(row, column);
    return item ? HostText::fromUnicode(item->text()) : QByteArray();
}

QList<QByteArray> TgdGridPanel::rowTexts(int row) const {
    QList<QByteArray> out;
    if (row < 0 || row >= m_grid->rowCount()) {
        return out;
    }
    for (int c = 0; c < m_grid->columnCount(); ++c) {
        out.append(cell(c, row));
    }
    return out;
}

void TgdGridPanel::styleFixedCells() {
    // Fixed rows and columns look like headers and cannot be edited; cells that were fixed before
    // and are no longer become ordinary cells again.
    const bool was = m_filling;
    m_filling = true;
    const QBrush header = palette().brush(QPalette::Button);
    auto style = [&](int r, int c) {
        const bool fixed = r < m_fixedRows || c < m_fixedCols;
        QTableWidgetItem *item = m_grid->item(r, c);
        if (!item && !fixed) {
            return;
        }
        if (!item) {
            item = new QTableWidgetItem;
            m_grid->setItem(r, c, item);
        }
        item->setFlags(fixed ? item->flags() & ~Qt::ItemIsEditable : item->flags() | Qt::ItemIsEditable);
        item->setBackground(fixed ? header : QBrush());
    };
    const int rows = m_grid->rowCount(), columns = m_grid->columnCount();
    for (int r = 0; r < std::min(rows, std::max(m_fixedRows, m_styledRows)); ++r) {
        for (int c = 0; c < columns; ++c) {
            style(r, c);
        }
    }
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < std::min(columns, std::max(m_fixedCols, m_styledCols)); ++c) {
            style(r, c);
        }
    }
    m_styledRows = m_fixedRows;
    m_styledCols = m_fixedCols;
    m_filling = was;
}

EncodedValue TgdGridPanel::valueText() const {
    const bool wholeRow = m_grid->selectionBehavior() == QAbstractItemView::SelectRows;
    const int row = m_grid->currentRow();
    QList<QByteArray> cells;
    if (wholeRow) {
        cells = rowTexts(row);
    } else if (row >= 0 && m_grid->currentColumn() >= 0) {
        cells = {cell(m_grid->currentColumn(), row)};
    }
    return gridValue(visibleRows(), visibleColumns(), cells, wholeRow);
}
