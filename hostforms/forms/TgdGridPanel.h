// Grid panel (object type 16): a panel owning a string grid whose column widths keep fixed
// proportions of the available width. Fixed rows and columns are grid rows and columns drawn as
// headers and not editable. The host fills it row by row and learns of cell edits and of the end
// of every fill through the change event.
#pragma once

#include "hostforms/forms/FixedCellsGrid.h"
#include "hostforms/forms/PickControl.h"

#include <QByteArray>
#include <QFrame>
#include <QList>
#include <functional>

class TgdGridPanel : public QFrame {
    Q_OBJECT
public:
    explicit TgdGridPanel(QWidget *parent = nullptr);

    QTableWidget *StringGrid() const { return m_grid; }
    QByteArray WidthFactors() const { return m_widthFactors; }
    const QList<double> &factors() const { return m_factors; }
    int SortedColumn = 0;
    int FixedRows() const { return m_fixedRows; }
    int FixedCols() const { return m_fixedCols; }

    void SetWidthFactors(const QByteArray &text);
    void UpdateColumnWidths();
    // The change event with the visible rows as column, the row count as row and "___ENDUPDATE".
    void NotifyEndUpdate();
    // Back to the state at creation (also request type 4).
    void Clear();
    // Field 18, the rows of fields 22 onward (the end-of-update event follows).
    void SetFixed(const QByteArray &field18);
    void SetRows(const QList<QByteArray> &rowFields);
    void SetReadOnly(bool on);
    bool ReadOnly() const { return m_readOnly; }
    void SetRowSelect(bool on);

    QByteArray cell(int column, int row) const;
    QList<QByteArray> rowTexts(int row) const;
    // Client height over the default row height.
    int visibleRows() const;
    int visibleColumns() const;
    // The value text of the grid's events.
    HostProtocol::EncodedValue valueText() const;

    static constexpr const char *kEndUpdate = "___ENDUPDATE";
    // Sender, column, row, text: a cell the user edited, or the end of an update.
    std::function<void(int column, int row, const QByteArray &text)> onChange;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void setCell(int column, int row, const QByteArray &text);
    void styleFixedCells();
    int available() const;
    FixedCellsGrid *m_grid;
    QByteArray m_widthFactors;
    QList<double> m_factors;
    int m_fixedRows = 1;
    int m_fixedCols = 0;
    int m_styledRows = 0, m_styledCols = 0; // the fixed region last drawn as headers
    bool m_readOnly = false;
    bool m_filling = false;
};
