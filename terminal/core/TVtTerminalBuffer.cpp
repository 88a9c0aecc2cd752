// Screen buffer operations. Rows sit in a ring of slots so that scrolling the whole buffer into the
// history costs only the vacated rows; the cursor is kept on the screen at all times.
#include "terminal/core/TVtTerminalBuffer.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int kMinCount = 2;

bool tooSmall(const char *where, QString *error) {
    if (error)
        *error = QString::fromLatin1(where) + QStringLiteral(": new count too small");
    return false;
}
} // namespace

TVtTerminalBuffer::TVtTerminalBuffer() {
    allocate(m_svRows, m_cols);
    resetTabs();
    setRegion(false, 0, m_rows - 1);
}

void TVtTerminalBuffer::allocate(int svRows, int cols) {
    m_svRows = svRows;
    m_cols = cols;
    m_cells.assign(std::size_t(svRows) * std::size_t(cols), m_fill);
    m_slot.resize(std::size_t(svRows));
    for (int i = 0; i < svRows; ++i)
        m_slot[std::size_t(i)] = i;
    m_lineAttr.assign(std::size_t(svRows), vtlSingle);
    m_ringTop = 0;
}

int TVtTerminalBuffer::slotOf(int internal) const {
    int index = m_ringTop + internal;
    if (index >= m_svRows)
        index -= m_svRows;
    return m_slot[std::size_t(index)];
}

TVtCell *TVtTerminalBuffer::rowPtr(int internal) {
    return m_cells.data() + std::size_t(slotOf(internal)) * std::size_t(m_cols);
}

const TVtCell *TVtTerminalBuffer::rowPtr(int internal) const {
    return m_cells.data() + std::size_t(slotOf(internal)) * std::size_t(m_cols);
}

void TVtTerminalBuffer::fillCells(TVtCell *cells, int count) const {
    std::fill(cells, cells + count, m_fill);
}

void TVtTerminalBuffer::fillRow(int internal) {
    fillCells(rowPtr(internal), m_cols);
    m_lineAttr[std::size_t(slotOf(internal))] = vtlSingle;
}

void TVtTerminalBuffer::scrollRange(int first, int last, int n) {
    const int range = last - first + 1;
    if (n == 0 || range <= 0)
        return;
    if (n >= range || n <= -range) {
        for (int r = first; r <= last; ++r)
            fillRow(r);
    } else if (first == 0 && last == m_svRows - 1 && n > 0) {
        m_ringTop = (m_ringTop + n) % m_svRows;
        for (int r = last - n + 1; r <= last; ++r)
            fillRow(r);
    } else {
        m_scratch.resize(std::size_t(range));
        for (int i = 0; i < range; ++i) {
            int index = m_ringTop + first + i;
            if (index >= m_svRows)
                index -= m_svRows;
            m_scratch[std::size_t(i)] = m_slot[std::size_t(index)];
        }
        if (n > 0)
            std::rotate(m_scratch.begin(), m_scratch.begin() + n, m_scratch.end());
        else
            std::rotate(m_scratch.begin(), m_scratch.end() + n, m_scratch.end());
        for (int i = 0; i < range; ++i) {
            int index = m_ringTop + first + i;
            if (index >= m_svRows)
                index -= m_svRows;
            m_slot[std::size_t(index)] = m_scratch[std::size_t(i)];
        }
        if (n > 0) {
            for (int r = last - n + 1; r <= last; ++r)
                fillRow(r);
        } else {
            for (int r = first; r < first - n; ++r)
                fillRow(r);
        }
    }
    if (OnScrollRows)
        OnScrollRows(n, screenRowOfInternal(first), screenRowOfInternal(last));
}

void TVtTerminalBuffer::scrollRegionUp(int n) {
    // Without a host region the whole buffer scrolls, so the top screen row enters the history.
    const int first = m_hostRegion ? internalRow(m_regTop) : 0;
    scrollRange(first, internalRow(m_regBot), n);
    invalidateRows(m_regTop, m_regBot);
}

void TVtTerminalBuffer::moveCursor(int row, int col) {
    m_pendingWrap = false;
    if (row == m_curRow && col == m_curCol)
        return;
    m_curRow = row;
    m_curCol = col;
    m_cursorMoved = true;
    if (OnCursorMoved)
        OnCursorMoved(GetCursorRow(), GetCursorCol());
}

int TVtTerminalBuffer::GetCursorRow() const {
    return m_absAddress ? m_curRow + 1 : m_curRow - m_regTop + 1;
}

void TVtTerminalBuffer::setRegion(bool host, int top0, int bot0) {
    m_hostRegion = host;
    m_regTop = host ? top0 : 0;
    m_regBot = host ? bot0 : m_rows - 1;
    moveCursor(m_regTop, 0);
}

void TVtTerminalBuffer::resetTabs() {
    m_tabs.assign(std::size_t(m_cols), 0);
    for (int c = 0; c < m_cols; c += 8)
        m_tabs[std::size_t(c)] = 1;
}

void TVtTerminalBuffer::Invalidate(int left, int top, int right, int bottom) {
    if (left > right || top > bottom)
        return;
    if (!m_hasInvalid) {
        m_invalid = {left, top, right, bottom};
        m_hasInvalid = true;
        return;
    }
    m_invalid.Left = std::min(m_invalid.Left, left);
    m_invalid.Top = std::min(m_invalid.Top, top);
    m_invalid.Right = std::max(m_invalid.Right, right);
    m_invalid.Bottom = std::max(m_invalid.Bottom, bottom);
}

bool TVtTerminalBuffer::GetInvalidRect(TVtRect &rect) {
    if (!m_hasInvalid)
        return false;
    rect = m_invalid;
    m_hasInvalid = false;
    return true;
}

bool TVtTerminalBuffer::HasCursorMoved() {
    const bool moved = m_cursorMoved;
    m_cursorMoved = false;
    return moved;
}

// ---- writing -------------------------------------------------------------------------------

void TVtTerminalBuffer::WriteChar(uint8_t c) {
    if (m_pendingWrap)
        CursorRight(m_autoWrap, false);
    TVtCell *row = rowPtr(internalRow(m_curRow));
    if (m_insert) {
        std::memmove(row + m_curCol + 1, row + m_curCol,
                     sizeof(TVtCell) * std::size_t(m_cols - m_curCol - 1));
        row[m_curCol] = m_fill;
        Invalidate(m_curCol + 1, m_curRow + 1, m_cols, m_curRow + 1);
    }
    TVtCell &cell = row[m_curCol];
    cell = m_fill;
    cell.Char = c;
    Invalidate(m_curCol + 1, m_curRow + 1, m_curCol + 1, m_curRow + 1);
    if (m_curCol == m_cols - 1)
        m_pendingWrap = true;
    else
        moveCursor(m_curRow, m_curCol + 1);
}

void TVtTerminalBuffer::WriteChars(const uint8_t *chars, int count) {
    while (count > 0) {
        if (m_pendingWrap || m_insert) {
            WriteChar(*chars++);
            --count;
            continue;
        }
        const int n = std::min(count, m_cols - m_curCol);
        TVtCell *cell = rowPtr(internalRow(m_curRow)) + m_curCol;
        for (int i = 0; i < n; ++i) {
            cell[i] = m_fill;
            cell[i].Char = chars[i];
        }
        Invalidate(m_curCol + 1, m_curRow + 1, m_curCol + n, m_curRow + 1);
        chars += n;
        count -= n;
        if (m_curCol + n == m_cols) {
            moveCursor(m_curRow, m_cols - 1);
            m_pendingWrap = true;
        } else {
            moveCursor(m_curRow, m_curCol + n);
        }
    }
}

void TVtTerminalBuffer::CarriageReturn() {
    moveCursor(m_curRow, 0);
}

void TVtTerminalBuffer::LineFeed() {
    if (m_newLine)
        CarriageReturn();
    CursorDown(true);
}

void TVtTerminalBuffer::Backspace() {
    moveCursor(m_curRow, std::max(0, m_curCol - 1));
}

void TVtTerminalBuffer::HorizontalTab() {
    int col = m_curCol + 1;
    while (col < m_cols && !m_tabs[std::size_t(col)])
        ++col;
    moveCursor(m_curRow, std::min(col, m_cols - 1));
}

void TVtTerminalBuffer::VerticalTab() {
    moveCursor(m_regBot, m_curCol);
}

void TVtTerminalBuffer::CursorUp(bool scroll) {
    if (m_curRow == m_regTop) {
        m_pendingWrap = false;
        if (scroll) {
            // The history never moves down: only the region does.
            scrollRange(internalRow(m_regTop), internalRow(m_regBot), -1);
            invalidateRows(m_regTop, m_regBot);
        }
        return;
    }
    moveCursor(std::max(0, m_curRow - 1), m_curCol);
}

void TVtTerminalBuffer::CursorDown(bool scroll) {
    if (m_curRow == m_regBot) {
        m_pendingWrap = false;
        if (scroll)
            scrollRegionUp(1);
        return;
    }
    moveCursor(std::min(m_rows - 1, m_curRow + 1), m_curCol);
}

void TVtTerminalBuffer::CursorRight(bool wrap, bool scroll) {
    if (m_curCol < m_cols - 1) {
        moveCursor(m_curRow, m_curCol + 1);
        return;
    }
    m_pendingWrap = false;
    if (!wrap)
        return;
    const bool atBottom = m_curRow == m_regBot || m_curRow == m_rows - 1;
    if (atBottom && !(scroll && m_curRow == m_regBot))
        return;
    CursorDown(scroll);
    moveCursor(m_curRow, 0);
}

void TVtTerminalBuffer::CursorLeft(bool wrap, bool scroll) {
    if (m_curCol > 0) {
        moveCursor(m_curRow, m_curCol - 1);
        return;
    }
    m_pendingWrap = false;
    if (!wrap)
        return;
    const bool atTop = m_curRow == m_regTop || m_curRow == 0;
    if (atTop && !(scroll && m_curRow == m_regTop))
        return;
    CursorUp(scroll);
    moveCursor(m_curRow, m_cols - 1);
}

void TVtTerminalBuffer::MoveCursorUp(int n) {
    const int limit = m_curRow >= m_regTop ? m_regTop : 0;
    moveCursor(m_curRow - std::min(std::max(n, 0), m_curRow - limit), m_curCol);
}

void TVtTerminalBuffer::MoveCursorDown(int n) {
    const int limit = m_curRow <= m_regBot ? m_regBot : m_rows - 1;
    moveCursor(m_curRow + std::min(std::max(n, 0), limit - m_curRow), m_curCol);
}

void TVtTerminalBuffer::MoveCursorRight(int n) {
    moveCursor(m_curRow, m_curCol + std::min(std::max(n, 0), m_cols - 1 - m_curCol));
}

void TVtTerminalBuffer::MoveCursorLeft(int n) {
    moveCursor(m_curRow, m_curCol - std::min(std::max(n, 0), m_curCol));
}

void TVtTerminalBuffer::SetCursorPosition(int row, int col) {
    int row0;
    if (m_absAddress) {
        row0 = std::clamp(row, 1, m_rows) - 1;
    } else {
        const int height = m_regBot - m_regTop + 1;
        row0 = m_regTop + std::clamp(row, 1, height) - 1;
    }
    moveCursor(row0, std::clamp(col, 1, m_cols) - 1);
}

void TVtTerminalBuffer::SetScrollRegion(int top, int bottom) {
    top = std::clamp(top, 1, m_rows);
    bottom = std::clamp(bottom, 1, m_rows);
    if (top > bottom)
        std::swap(top, bottom);
    const bool whole = top == 1 && bottom == m_rows;
    setRegion(!whole, top - 1, bottom - 1);
}

// ---- editing -------------------------------------------------------------------------------

void TVtTerminalBuffer::InsertChars(int n) {
    m_pendingWrap = false;
    n = std::min(std::max(n, 0), m_cols - m_curCol);
    if (n == 0)
        return;
    TVtCell *row = rowPtr(internalRow(m_curRow));
    std::memmove(row + m_curCol + n, row + m_curCol, sizeof(TVtCell) * std::size_t(m_cols - m_curCol - n));
    fillCells(row + m_curCol, n);
    Invalidate(m_curCol + 1, m_curRow + 1, m_cols, m_curRow + 1);
}

void TVtTerminalBuffer::DeleteChars(int n) {
    m_pendingWrap = false;
    n = std::min(std::max(n, 0), m_cols - m_curCol);
    if (n == 0)
        return;
    TVtCell *row = rowPtr(internalRow(m_curRow));
    std::memmove(row + m_curCol, row + m_curCol + n, sizeof(TVtCell) * std::size_t(m_cols - m_curCol - n));
    fillCells(row + m_cols - n, n);
    Invalidate(m_curCol + 1, m_curRow + 1, m_cols, m_curRow + 1);
}

void TVtTerminalBuffer::InsertLines(int n) {
    m_pendingWrap = false;
    if (n <= 0 || m_curRow < m_regTop || m_curRow > m_regBot)
        return;
    n = std::min(n, m_regBot - m_curRow + 1);
    scrollRange(internalRow(m_curRow), internalRow(m_regBot), -n);
    invalidateRows(m_curRow, m_regBot);
}

void TVtTerminalBuffer::DeleteLines(int n) {
    m_pendingWrap = false;
    if (n <= 0 || m_curRow < m_regTop || m_curRow > m_regBot)
        return;
    n = std::min(n, m_regBot - m_curRow + 1);
    scrollRange(internalRow(m_curRow), internalRow(m_regBot), n);
    invalidateRows(m_curRow, m_regBot);
}

void TVtTerminalBuffer::eraseRowPart(int screenRow0, int col0, int count) {
    if (count <= 0)
        return;
    fillCells(rowPtr(internalRow(screenRow0)) + col0, count);
    Invalidate(col0 + 1, screenRow0 + 1, col0 + count, screenRow0 + 1);
}

void TVtTerminalBuffer::EraseChars(int n) {
    m_pendingWrap = false;
    // The erase runs on into the following rows, but never past the region's last row (the screen's
    // last row when the cursor is below the region).
    const int lastRow = m_curRow > m_regBot ? m_rows - 1 : m_regBot;
    int remaining = std::max(n, 0);
    int col = m_curCol;
    for (int row = m_curRow; row <= lastRow && remaining > 0; ++row) {
        const int count = std::min(remaining, m_cols - col);
        eraseRowPart(row, col, count);
        remaining -= count;
        col = 0;
    }
}

void TVtTerminalBuffer::EraseToEOL() {
    m_pendingWrap = false;
    eraseRowPart(m_curRow, m_curCol, m_cols - m_curCol);
}

void TVtTerminalBuffer::EraseToBOL() {
    m_pendingWrap = false;
    eraseRowPart(m_curRow, 0, m_curCol + 1);
}

void TVtTerminalBuffer::EraseLine() {
    m_pendingWrap = false;
    eraseRowPart(m_curRow, 0, m_cols);
}

void TVtTerminalBuffer::EraseToEOS() {
    EraseToEOL();
    for (int row = m_curRow + 1; row < m_rows; ++row)
        eraseRowPart(row, 0, m_cols);
}

void TVtTerminalBuffer::EraseToBOS() {
    EraseToBOL();
    for (int row = 0; row < m_curRow; ++row)
        eraseRowPart(row, 0, m_cols);
}

void TVtTerminalBuffer::EraseScreen() {
    m_pendingWrap = false;
    scrollRange(0, m_svRows - 1, m_rows);
    invalidateRows(0, m_rows - 1);
}

void TVtTerminalBuffer::ClearAll() {
    for (int r = 0; r < m_svRows; ++r)
        fillRow(r);
    invalidateRows(0, m_rows - 1);
    moveCursor(0, 0);
}

void TVtTerminalBuffer::Reset() {
    m_fill = TVtCell{' ', 0, 0, 0, m_defFore, m_defBack};
    m_blinkUsed = false;
    m_absAddress = true;
    m_autoWrap = true;
    m_insert = false;
    m_newLine = false;
    resetTabs();
    ClearAll();
    setRegion(false, 0, m_rows - 1);
}

// ---- tabs and rendition --------------------------------------------------------------------

void TVtTerminalBuffer::SetHorzTabStop() {
    m_tabs[std::size_t(m_curCol)] = 1;
}

void TVtTerminalBuffer::ClearHorzTabStop() {
    m_tabs[std::size_t(m_curCol)] = 0;
}

void TVtTerminalBuffer::ClearHorzTabStops() {
    std::fill(m_tabs.begin(), m_tabs.end(), 0);
}

bool TVtTerminalBuffer::IsHorzTabStop(int col) const {
    return col >= 1 && col <= m_cols && m_tabs[std::size_t(col - 1)];
}

void TVtTerminalBuffer::SetCharAttrs(uint8_t attrs) {
    m_fill.Attrs = attrs;
    if (attrs & vtaBlink)
        m_blinkUsed = true;
}

void TVtTerminalBuffer::SetCharSet(uint8_t set) {
    m_fill.CharSet = set;
}

void TVtTerminalBuffer::SetForeColor(uint32_t color) {
    m_fill.ForeColor = color;
}

void TVtTerminalBuffer::SetBackColor(uint32_t color) {
    m_fill.BackColor = color;
}

void TVtTerminalBuffer::SetDefForeColor(uint32_t color) {
    for (TVtCell &cell : m_cells)
        if (cell.ForeColor == m_defFore)
            cell.ForeColor = color;
    m_defFore = color;
    invalidateRows(0, m_rows - 1);
}

void TVtTerminalBuffer::SetDefBackColor(uint32_t color) {
    for (TVtCell &cell : m_cells)
        if (cell.BackColor == m_defBack)
            cell.BackColor = color;
    m_defBack = color;
    invalidateRows(0, m_rows - 1);
}

// ---- access --------------------------------------------------------------------------------

const TVtCell *TVtTerminalBuffer::GetRow(int row) const {
    return IsValidRow(row) ? rowPtr(internalRow(row - 1)) : nullptr;
}

TVtCell *TVtTerminalBuffer::GetRowForUpdate(int row) {
    return IsValidRow(row) ? rowPtr(internalRow(row - 1)) : nullptr;
}

QByteArray TVtTerminalBuffer::GetRowText(int row) const {
    const TVtCell *cells = GetRow(row);
    if (!cells)
        return {};
    QByteArray text(m_cols, Qt::Uninitialized);
    char *out = text.data();
    for (int c = 0; c < m_cols; ++c)
        out[c] = char(cells[c].Char);
    return text;
}

namespace {
template <typename F> auto cellValue(const TVtTerminalBuffer &buffer, int row, int col, F field) {
    const TVtCell *cells = buffer.GetRow(row);
    if (!cells || col < 1 || col > buffer.ColCount())
        return decltype(field(*cells)){};
    return field(cells[col - 1]);
}
} // namespace

uint8_t TVtTerminalBuffer::GetCharAt(int row, int col) const {
    return cellValue(*this, row, col, [](const TVtCell &c) { return c.Char; });
}

uint8_t TVtTerminalBuffer::GetAttrAt(int row, int col) const {
    return cellValue(*this, row, col, [](const TVtCell &c) { return c.Attrs; });
}

uint8_t TVtTerminalBuffer::GetCharSetAt(int row, int col) const {
    return cellValue(*this, row, col, [](const TVtCell &c) { return c.CharSet; });
}

uint32_t TVtTerminalBuffer::GetForeColorAt(int row, int col) const {
    return cellValue(*this, row, col, [](const TVtCell &c) { return c.ForeColor; });
}

uint32_t TVtTerminalBuffer::GetBackColorAt(int row, int col) const {
    return cellValue(*this, row, col, [](const TVtCell &c) { return c.BackColor; });
}

uint8_t TVtTerminalBuffer::GetLineAttr(int row) const {
    return IsValidRow(row) ? m_lineAttr[std::size_t(slotOf(internalRow(row - 1)))] : uint8_t(vtlSingle);
}

void TVtTerminalBuffer::SetLineAttr(int row, uint8_t attr) {
    if (IsValidRow(row))
        m_lineAttr[std::size_t(slotOf(internalRow(row - 1)))] = attr;
}

// ---- geometry ------------------------------------------------------------------------------

bool TVtTerminalBuffer::tbSetColCount(int n, QString *error) {
    if (n < kMinCount)
        return tooSmall("TVtTerminalBuffer.tbSetColCount", error);
    auto cells = std::vector<TVtCell>(std::size_t(m_svRows) * std::size_t(n), m_fill);
    auto lineAttr = std::vector<uint8_t>(std::size_t(m_svRows), uint8_t(vtlSingle));
    const int keep = std::min(m_cols, n);
    for (int r = 0; r < m_svRows; ++r) {
        std::memcpy(cells.data() + std::size_t(r) * std::size_t(n), rowPtr(r),
                    sizeof(TVtCell) * std::size_t(keep));
        lineAttr[std::size_t(r)] = m_lineAttr[std::size_t(slotOf(r))];
    }
    m_cells.swap(cells);
    m_lineAttr.swap(lineAttr);
    for (int i = 0; i < m_svRows; ++i)
        m_slot[std::size_t(i)] = i;
    m_ringTop = 0;
    m_cols = n;
    m_tabs.resize(std::size_t(n), 0);
    m_curCol = std::min(m_curCol, n - 1);
    setRegion(false, 0, m_rows - 1);
    invalidateRows(0, m_rows - 1);
    return true;
}

bool TVtTerminalBuffer::tbSetRowCount(int n, QString *error) {
    if (n == m_rows || n > m_svRows)
        return true;
    if (n < kMinCount)
        return tooSmall("TVtTerminalBuffer.tbSetRowCount", error);
    const int internal = internalRow(m_curRow);
    m_rows = n;
    m_curRow = std::max(0, internal - (m_svRows - m_rows));
    setRegion(false, 0, m_rows - 1);
    invalidateRows(0, m_rows - 1);
    return true;
}

bool TVtTerminalBuffer::tbSetSVRowCount(int n, QString *error) {
    if (n < kMinCount)
        return tooSmall("TVtTerminalBuffer.tbSetSVRowCount", error);
    if (n == m_svRows)
        return true;
    const int oldSv = m_svRows;
    const int keep = std::min(oldSv, n);
    auto cells = std::vector<TVtCell>(std::size_t(n) * std::size_t(m_cols), m_fill);
    auto lineAttr = std::vector<uint8_t>(std::size_t(n), uint8_t(vtlSingle));
    for (int i = 0; i < keep; ++i) {
        const int from = oldSv - keep + i;
        const int to = n - keep + i;
        std::memcpy(cells.data() + std::size_t(to) * std::size_t(m_cols), rowPtr(from),
                    sizeof(TVtCell) * std::size_t(m_cols));
        lineAttr[std::size_t(to)] = m_lineAttr[std::size_t(slotOf(from))];
    }
    const int cursorInternal = internalRow(m_curRow) - oldSv + n;
    const bool rowsChanged = n < m_rows;
    m_cells.swap(cells);
    m_lineAttr.swap(lineAttr);
    m_slot.resize(std::size_t(n));
    for (int i = 0; i < n; ++i)
        m_slot[std::size_t(i)] = i;
    m_ringTop = 0;
    m_svRows = n;
    if (rowsChanged) {
        m_rows = n;
        m_curRow = std::clamp(cursorInternal, 0, m_rows - 1);
        setRegion(false, 0, m_rows - 1);
    }
    invalidateRows(0, m_rows - 1);
    return true;
}
