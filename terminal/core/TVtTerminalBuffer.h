// The terminal's screen model: a grid of cells for the screen with the scrollback stacked above it,
// the cursor, scrolling region, tab stops, writing modes, line attributes and the invalid area.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

// Cell attribute bits.
enum : uint8_t {
    vtaBold = 0x01,
    vtaUnderline = 0x02,
    vtaBlink = 0x08,
    vtaReverse = 0x10,
    vtaInvisible = 0x20,
    vtaSelected = 0x40,
};

// Line attributes, one per row.
enum : uint8_t {
    vtlSingle = 0,
    vtlDoubleHeightTop = 1,
    vtlDoubleHeightBottom = 2,
    vtlDoubleWidth = 3,
};

// Colours are kept as $00BBGGRR values; the painter converts them once.
struct TVtCell {
    uint8_t Char;
    uint8_t CharSet;
    uint8_t Attrs;
    uint8_t Reserved;
    uint32_t ForeColor;
    uint32_t BackColor;
};

// A cell rectangle, 1-based, screen numbering (history rows are 0 and below).
struct TVtRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TVtRect &) const = default;
};

class TVtTerminalBuffer {
public:
    TVtTerminalBuffer();

    // Writing and control characters.
    void WriteChar(uint8_t c);
    // The same as WriteChar for each byte, but a run that fits the row is stored in one step.
    void WriteChars(const uint8_t *chars, int count);
    void CarriageReturn();
    void LineFeed();
    void Backspace();
    void HorizontalTab();
    void VerticalTab();

    // One-step moves; outside the region the cursor stops at the screen's edge without scrolling.
    void CursorUp(bool scroll);
    void CursorDown(bool scroll);
    void CursorLeft(bool wrap, bool scroll);
    void CursorRight(bool wrap, bool scroll);
    // Direct moves by n (no scrolling, no wrap), stopping at the region's margin or the screen's edge.
    void MoveCursorUp(int n);
    void MoveCursorDown(int n);
    void MoveCursorRight(int n);
    void MoveCursorLeft(int n);
    // Row and column 1-based; relative to the region in origin mode; clamped to the screen (region).
    void SetCursorPosition(int row, int col);
    void SetScrollRegion(int top, int bottom);

    // Editing and erasing.
    void InsertChars(int n);
    void DeleteChars(int n);
    void InsertLines(int n);
    void DeleteLines(int n);
    void EraseChars(int n);
    void EraseToEOL();
    void EraseToBOL();
    void EraseLine();
    void EraseToEOS();
    void EraseToBOS();
    void EraseScreen();
    void ClearAll();
    void Reset();

    // Tab stops at the cursor column.
    void SetHorzTabStop();
    void ClearHorzTabStop();
    void ClearHorzTabStops();
    bool IsHorzTabStop(int col) const;

    // Current rendition (also the fill of erased and inserted cells).
    void SetCharAttrs(uint8_t attrs);
    void SetCharSet(uint8_t set);
    void SetForeColor(uint32_t color);
    void SetBackColor(uint32_t color);
    uint8_t GetCharAttrs() const { return m_fill.Attrs; }
    uint8_t GetCharSet() const { return m_fill.CharSet; }
    uint32_t GetForeColor() const { return m_fill.ForeColor; }
    uint32_t GetBackColor() const { return m_fill.BackColor; }
    void SetDefForeColor(uint32_t color);
    void SetDefBackColor(uint32_t color);
    void SetDefChar(uint8_t c) { m_fill.Char = c; }
    uint32_t GetDefForeColor() const { return m_defFore; }
    uint32_t GetDefBackColor() const { return m_defBack; }
    uint8_t GetDefChar() const { return m_fill.Char; }

    // Row access, screen numbering: 1..RowCount on the screen, 0 and below into the history.
    bool IsValidRow(int row) const { return row <= m_rows && row > m_rows - m_svRows; }
    const TVtCell *GetRow(int row) const;
    // Writable access for the selection bit; the caller invalidates what it changes.
    TVtCell *GetRowForUpdate(int row);
    // The row's characters, exactly ColCount bytes; empty for a row outside the buffer.
    QByteArray GetRowText(int row) const;
    uint8_t GetCharAt(int row, int col) const;
    uint8_t GetAttrAt(int row, int col) const;
    uint8_t GetCharSetAt(int row, int col) const;
    uint32_t GetForeColorAt(int row, int col) const;
    uint32_t GetBackColorAt(int row, int col) const;
    uint8_t GetLineAttr(int row) const;
    void SetLineAttr(int row, uint8_t attr);

    // Change tracking.
    bool HasCursorMoved();
    bool HasDisplayChanged() const { return m_hasInvalid; }
    bool GetInvalidRect(TVtRect &rect);
    void Invalidate(int left, int top, int right, int bottom);
    // False until a blinking rendition is used; lets the blink scan be skipped.
    bool MayHoldBlinkingText() const { return m_blinkUsed; }

    // Cursor, 1-based, relative to the region in origin mode.
    int GetCursorRow() const;
    int GetCursorCol() const { return m_curCol + 1; }
    // The cursor's screen row (1..RowCount) whatever the addressing mode.
    int CursorScreenRow() const { return m_curRow + 1; }
    bool HasHostRegion() const { return m_hostRegion; }
    int RegionTop() const { return m_regTop + 1; }
    int RegionBottom() const { return m_regBot + 1; }

    int ColCount() const { return m_cols; }
    int RowCount() const { return m_rows; }
    int SVRowCount() const { return m_svRows; }
    // A count below 2 is refused with "<function>: new count too small" and the buffer is unchanged.
    bool tbSetColCount(int n, QString *error = nullptr);
    bool tbSetRowCount(int n, QString *error = nullptr);
    bool tbSetSVRowCount(int n, QString *error = nullptr);

    bool UseAbsAddress() const { return m_absAddress; }
    bool UseAutoWrap() const { return m_autoWrap; }
    bool UseInsertMode() const { return m_insert; }
    bool UseNewLineMode() const { return m_newLine; }
    void SetUseAbsAddress(bool on) { m_absAddress = on; }
    void SetUseAutoWrap(bool on) { m_autoWrap = on; }
    void SetUseInsertMode(bool on) { m_insert = on; }
    void SetUseNewLineMode(bool on) { m_newLine = on; }

    // (row, column) as GetCursorRow/GetCursorCol give them.
    std::function<void(int, int)> OnCursorMoved;
    // (count: positive up, negative down; first and last row in screen numbering).
    std::function<void(int, int, int)> OnScrollRows;

private:
    int internalRow(int screenRow0) const { return screenRow0 + m_svRows - m_rows; }
    int screenRowOfInternal(int internal) const { return internal - (m_svRows - m_rows) + 1; }
    TVtCell *rowPtr(int internal);
    const TVtCell *rowPtr(int internal) const;
    int slotOf(int internal) const;
    void fillCells(TVtCell *cells, int count) const;
    void fillRow(int internal);
    void scrollRange(int first, int last, int n);
    void scrollRegionUp(int n);
    void moveCursor(int row, int col);
    void setRegion(bool host, int top0, int bot0);
    void resetTabs();
    void eraseRowPart(int screenRow0, int col0, int count);
    void invalidateRows(int top0, int bot0) { Invalidate(1, top0 + 1, m_cols, bot0 + 1); }
    void allocate(int svRows, int cols);

    int m_cols = 80;
    int m_rows = 24;
    int m_svRows = 200;
    std::vector<TVtCell> m_cells;
    // Internal row i lives in slot m_slot[(m_ringTop + i) % m_svRows]; a whole-buffer scroll only
    // turns the ring, a region scroll rotates slot numbers.
    std::vector<int> m_slot;
    std::vector<uint8_t> m_lineAttr; // per slot
    std::vector<int> m_scratch;
    int m_ringTop = 0;

    TVtCell m_fill{' ', 0, 0, 0, 0xC0C0C0, 0};
    uint32_t m_defFore = 0xC0C0C0;
    uint32_t m_defBack = 0;

    int m_curRow = 0; // 0-based screen row, always on the screen
    int m_curCol = 0;
    bool m_cursorMoved = false;
    bool m_pendingWrap = false;

    bool m_hostRegion = false;
    int m_regTop = 0; // 0-based screen rows
    int m_regBot = 23;

    bool m_absAddress = true;
    bool m_autoWrap = true;
    bool m_insert = false;
    bool m_newLine = false;
    bool m_blinkUsed = false;

    std::vector<uint8_t> m_tabs;
    bool m_hasInvalid = false;
    TVtRect m_invalid;
};
