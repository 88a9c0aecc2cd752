// The mouse selection, kept beside the buffer (not in its cells) so that host output over selected
// cells and scrolling cannot leave stale marks behind.
#pragma once

#include <QByteArray>

class TVtTerminalBuffer;

// A cell, 1-based, screen numbering (history rows are 0 and below).
struct TVtCellPos {
    int Row = 0;
    int Col = 0;
    bool operator==(const TVtCellPos &) const = default;
    bool operator<(const TVtCellPos &o) const { return Row != o.Row ? Row < o.Row : Col < o.Col; }
};

class TVtSelection {
public:
    // A press: anchor, start and end on one cell; present, but nothing marked until the mouse moves.
    void Start(TVtCellPos cell);
    // The mouse moved to cell: the selection runs from the earlier to the later of anchor and cell.
    void Extend(TVtCellPos cell);
    void Clear();

    bool Present() const { return m_present; }
    bool Marked() const { return m_present && m_marked; }
    bool SingleCell() const { return m_present && m_start == m_end; }
    TVtCellPos StartCell() const { return m_start; }
    TVtCellPos EndCell() const { return m_end; }
    TVtCellPos Anchor() const { return m_anchor; }
    // Whether the cell is drawn as selected: the first row from the start column, middle rows whole,
    // the last row up to the end column.
    bool Contains(int row, int col) const {
        if (!m_marked || !m_present || row < m_start.Row || row > m_end.Row)
            return false;
        if (row == m_start.Row && col < m_start.Col)
            return false;
        return row != m_end.Row || col <= m_end.Col;
    }
    // Rows first..last of the buffer moved up by count (down when negative): the selection moves with
    // them; when it leaves that range, or straddles its edge, it is dropped.
    void ShiftRows(int count, int first, int last);

    // The selected text, each row followed by CR LF; empty when nothing is selected.
    QByteArray Text(const TVtTerminalBuffer &buffer) const;

private:
    bool m_present = false;
    bool m_marked = false;
    TVtCellPos m_anchor;
    TVtCellPos m_start;
    TVtCellPos m_end;
};

// The run of digits around column col (1-based) of a row's text; empty when that cell is no digit or
// the column lies outside the row.
QByteArray DigitRunAt(const QByteArray &rowText, int col);
