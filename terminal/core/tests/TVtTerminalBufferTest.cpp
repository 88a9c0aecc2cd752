#include "terminal/core/TVtTerminalBuffer.h"

#include <gtest/gtest.h>

namespace {
void write(TVtTerminalBuffer &b, const QByteArray &text) {
    for (char c : text)
        b.WriteChar(uint8_t(c));
}

// Labels each screen row with its number so scrolls can be followed.
void labelRows(TVtTerminalBuffer &b) {
    for (int r = 1; r <= b.RowCount(); ++r) {
        b.SetCursorPosition(r, 1);
        write(b, "row" + QByteArray::number(r));
    }
}

QByteArray trimmed(const TVtTerminalBuffer &b, int row) {
    return b.GetRowText(row).trimmed();
}

struct Cursor {
    int row, col;
    bool operator==(const Cursor &) const = default;
};
Cursor cursor(const TVtTerminalBuffer &b) {
    return {b.GetCursorRow(), b.GetCursorCol()};
}
} // namespace

TEST(TVtTerminalBuffer, AutowrapWrapsOnlyAboveTheRegionsLastRow) {
    TVtTerminalBuffer b;
    write(b, QByteArray(81, 'A'));
    EXPECT_EQ(b.GetCharAt(2, 1), 'A');

    TVtTerminalBuffer off;
    off.SetUseAutoWrap(false);
    write(off, QByteArray(80, 'A') + "B");
    EXPECT_EQ(off.GetCharAt(1, 80), 'B');
    EXPECT_EQ(trimmed(off, 2), "");

    TVtTerminalBuffer bottom;
    bottom.SetCursorPosition(1, 1);
    write(bottom, "first");
    bottom.SetCursorPosition(24, 1);
    write(bottom, QByteArray(80, 'x') + "Z");
    EXPECT_EQ(bottom.GetCharAt(24, 80), 'Z');
    EXPECT_EQ(trimmed(bottom, 1), "first");
    bottom.LineFeed();
    EXPECT_EQ(trimmed(bottom, 0), "first");
}

TEST(TVtTerminalBuffer, LineFeedScrollsRegionOrWholeBufferIntoHistory) {
    TVtTerminalBuffer b;
    labelRows(b);
    b.SetScrollRegion(5, 20);
    b.SetCursorPosition(20, 1);
    b.LineFeed();
    EXPECT_EQ(trimmed(b, 0), "");
    EXPECT_EQ(trimmed(b, 4), "row4");
    EXPECT_EQ(trimmed(b, 5), "row6");
    EXPECT_EQ(trimmed(b, 19), "row20");
    EXPECT_EQ(trimmed(b, 20), "");
    EXPECT_EQ(trimmed(b, 21), "row21");

    b.SetScrollRegion(1, 24);
    b.SetCursorPosition(24, 1);
    b.LineFeed();
    EXPECT_EQ(trimmed(b, 0), "row1");
    EXPECT_EQ(trimmed(b, 23), "row24");
}

TEST(TVtTerminalBuffer, CursorOutsideRegionStaysOnScreen) {
    TVtTerminalBuffer b;
    labelRows(b);
    b.SetScrollRegion(5, 10);
    b.SetCursorPosition(24, 1);
    for (int i = 0; i < 3; ++i)
        b.LineFeed();
    b.MoveCursorDown(1);
    write(b, QByteArray(81, 'X'));
    EXPECT_EQ(b.CursorScreenRow(), 24);
    EXPECT_EQ(b.RegionTop(), 5);
    EXPECT_EQ(b.RegionBottom(), 10);
    EXPECT_EQ(trimmed(b, 0), "");
    EXPECT_EQ(trimmed(b, 23), "row23");

    b.SetCursorPosition(1, 1);
    b.CursorUp(true);
    b.MoveCursorUp(2147483647);
    EXPECT_EQ(cursor(b), (Cursor{1, 1}));
    EXPECT_EQ(trimmed(b, 0), "");
}

TEST(TVtTerminalBuffer, PositionsAreClampedToScreenOrRegion) {
    struct Case {
        bool origin;
        int row, col;
        Cursor screen; // screen row, column
    } cases[] = {
        {false, 0, 0, {1, 1}},  {false, -2, 10, {1, 10}}, {false, 99, 999, {24, 80}},
        {true, 20, 1, {10, 1}}, {true, 1, 1, {5, 1}},     {true, -5, 3, {5, 3}},
    };
    for (const Case &c : cases) {
        TVtTerminalBuffer b;
        b.SetScrollRegion(5, 10);
        b.SetUseAbsAddress(!c.origin);
        b.SetCursorPosition(c.row, c.col);
        EXPECT_EQ((Cursor{b.CursorScreenRow(), b.GetCursorCol()}), c.screen) << c.row << "," << c.col;
    }
}

TEST(TVtTerminalBuffer, DirectMovesStopAtMarginsOrScreenEdges) {
    struct Case {
        int startRow, startCol;
        void (TVtTerminalBuffer::*move)(int);
        int n;
        Cursor expected;
    } cases[] = {
        {8, 5, &TVtTerminalBuffer::MoveCursorUp, 100, {5, 5}},
        {3, 5, &TVtTerminalBuffer::MoveCursorUp, 100, {1, 5}},
        {8, 5, &TVtTerminalBuffer::MoveCursorDown, 2147483647, {10, 5}},
        {12, 5, &TVtTerminalBuffer::MoveCursorDown, 100, {24, 5}},
        {3, 5, &TVtTerminalBuffer::MoveCursorDown, 100, {10, 5}},
        {8, 5, &TVtTerminalBuffer::MoveCursorRight, 2147483647, {8, 80}},
        {8, 5, &TVtTerminalBuffer::MoveCursorLeft, 2, {8, 3}},
        {8, 5, &TVtTerminalBuffer::MoveCursorLeft, 2147483647, {8, 1}},
    };
    for (const Case &c : cases) {
        TVtTerminalBuffer b;
        b.SetScrollRegion(5, 10);
        b.SetCursorPosition(c.startRow, c.startCol);
        (b.*c.move)(c.n);
        EXPECT_EQ(cursor(b), c.expected) << c.startRow << " n=" << c.n;
    }
}

TEST(TVtTerminalBuffer, RegionsAreClampedSwappedAndHome) {
    struct Case {
        int top, bottom;
        bool host;
        int regTop, regBot;
    } cases[] = {
        {20, 5, true, 5, 20}, {1, 24, false, 1, 24},  {5, 100, true, 5, 24},
        {-2, 2, true, 1, 2},  {10, 10, true, 10, 10},
    };
    for (const Case &c : cases) {
        TVtTerminalBuffer b;
        b.SetCursorPosition(15, 15);
        b.SetScrollRegion(c.top, c.bottom);
        EXPECT_EQ(b.HasHostRegion(), c.host);
        EXPECT_EQ(b.RegionTop(), c.regTop);
        EXPECT_EQ(b.RegionBottom(), c.regBot);
        EXPECT_EQ(cursor(b), (Cursor{c.regTop, 1}));
    }
}

TEST(TVtTerminalBuffer, InsertAndDeleteLinesOnlyInsideRegion) {
    for (int cursorRow : {3, 8, 15}) {
        TVtTerminalBuffer b;
        labelRows(b);
        b.SetScrollRegion(5, 10);
        b.SetCursorPosition(cursorRow, 1);
        b.InsertLines(2);
        b.DeleteLines(1);
        if (cursorRow == 8) {
            EXPECT_EQ(trimmed(b, 8), "");
            EXPECT_EQ(trimmed(b, 9), "row8");
            EXPECT_EQ(trimmed(b, 10), "");
        } else {
            for (int r = 1; r <= 24; ++r)
                EXPECT_EQ(trimmed(b, r), "row" + QByteArray::number(r)) << cursorRow;
        }
        EXPECT_EQ(trimmed(b, 11), "row11");
    }
}

TEST(TVtTerminalBuffer, CharEditingStaysInTheRow) {
    TVtTerminalBuffer b;
    write(b, "abcdef");
    b.SetCursorPosition(1, 2);
    b.InsertChars(2);
    EXPECT_EQ(trimmed(b, 1), "a  bcdef");
    b.DeleteChars(3);
    EXPECT_EQ(trimmed(b, 1), "acdef");
    b.InsertChars(2147483647);
    EXPECT_EQ(trimmed(b, 1), "a");
    b.DeleteChars(-5);
    EXPECT_EQ(trimmed(b, 1), "a");
}

TEST(TVtTerminalBuffer, EraseCharsStopsAtRegionOrScreenEnd) {
    TVtTerminalBuffer b;
    labelRows(b);
    b.SetScrollRegion(5, 10);
    b.SetCursorPosition(9, 3);
    b.EraseChars(2147483647);
    EXPECT_EQ(trimmed(b, 9), "ro");
    EXPECT_EQ(trimmed(b, 10), "");
    EXPECT_EQ(trimmed(b, 11), "row11");
    b.SetUseAbsAddress(true);
    b.SetCursorPosition(23, 1);
    b.EraseChars(2147483647);
    EXPECT_EQ(trimmed(b, 23), "");
    EXPECT_EQ(trimmed(b, 24), "");
    b.SetCursorPosition(12, 2);
    b.EraseChars(2);
    EXPECT_EQ(trimmed(b, 12), "r  12");
}

TEST(TVtTerminalBuffer, EraseScreenMovesScreenIntoHistory) {
    TVtTerminalBuffer b;
    labelRows(b);
    b.EraseScreen();
    for (int r = 1; r <= 24; ++r) {
        EXPECT_EQ(trimmed(b, r - 24), "row" + QByteArray::number(r));
        EXPECT_EQ(trimmed(b, r), "");
    }
}

TEST(TVtTerminalBuffer, ErasedCellsTakeCurrentBackgroundAndDefaultsSwapOnlyOldDefaults) {
    TVtTerminalBuffer b;
    b.SetForeColor(0x0000FF);
    write(b, "r");
    b.SetForeColor(0xC0C0C0);
    write(b, "d");
    b.SetBackColor(0x800000);
    b.EraseToEOL();
    EXPECT_EQ(b.GetBackColorAt(1, 3), 0x800000u);
    EXPECT_EQ(b.GetBackColorAt(1, 80), 0x800000u);
    b.SetDefForeColor(0xFFFFFF);
    EXPECT_EQ(b.GetForeColorAt(1, 1), 0x0000FFu);
    EXPECT_EQ(b.GetForeColorAt(1, 2), 0xFFFFFFu);
}

TEST(TVtTerminalBuffer, InvalidRectanglesMergeIntoOne) {
    TVtTerminalBuffer b;
    TVtRect r;
    while (b.GetInvalidRect(r)) {
    }
    b.SetCursorPosition(3, 5);
    write(b, "x");
    b.SetCursorPosition(10, 2);
    write(b, "y");
    ASSERT_TRUE(b.GetInvalidRect(r));
    EXPECT_EQ(r, (TVtRect{2, 3, 5, 10}));
    EXPECT_FALSE(b.GetInvalidRect(r));
}

TEST(TVtTerminalBuffer, TooSmallCountsAreRefusedAndLeaveBufferUnchanged) {
    TVtTerminalBuffer b;
    write(b, "keep");
    QString error;
    EXPECT_FALSE(b.tbSetColCount(1, &error));
    EXPECT_EQ(error, "TVtTerminalBuffer.tbSetColCount: new count too small");
    EXPECT_FALSE(b.tbSetSVRowCount(1, &error));
    EXPECT_EQ(error, "TVtTerminalBuffer.tbSetSVRowCount: new count too small");
    EXPECT_FALSE(b.tbSetRowCount(1, &error));
    EXPECT_EQ(error, "TVtTerminalBuffer.tbSetRowCount: new count too small");
    EXPECT_EQ(b.ColCount(), 80);
    EXPECT_EQ(b.SVRowCount(), 200);
    EXPECT_EQ(trimmed(b, 1), "keep");
}

TEST(TVtTerminalBuffer, ResizingKeepsTextAndLineAttributes) {
    TVtTerminalBuffer b;
    labelRows(b);
    b.SetLineAttr(3, vtlDoubleWidth);
    b.SetScrollRegion(5, 10);
    b.tbSetColCount(132);
    EXPECT_FALSE(b.HasHostRegion());
    EXPECT_EQ(cursor(b), (Cursor{1, 1}));
    EXPECT_EQ(trimmed(b, 3), "row3");
    EXPECT_EQ(b.GetLineAttr(3), vtlDoubleWidth);
    b.tbSetSVRowCount(500);
    EXPECT_EQ(trimmed(b, 24), "row24");
    EXPECT_EQ(b.GetLineAttr(3), vtlDoubleWidth);
    b.tbSetSVRowCount(10);
    EXPECT_EQ(b.RowCount(), 10);
    EXPECT_EQ(trimmed(b, 10), "row24");
    b.tbSetColCount(20);
    EXPECT_EQ(b.GetRowText(10).size(), 20);
}

TEST(TVtTerminalBuffer, LineAttributesScrollWithRowsAndClearOnReset) {
    TVtTerminalBuffer b;
    b.tbSetSVRowCount(30);
    b.SetLineAttr(24, vtlDoubleWidth);
    b.SetCursorPosition(24, 1);
    b.LineFeed();
    EXPECT_EQ(b.GetLineAttr(23), vtlDoubleWidth);
    EXPECT_EQ(b.GetLineAttr(24), vtlSingle);
    for (int i = 0; i < 40; ++i)
        b.LineFeed(); // wraps the ring more than once
    EXPECT_EQ(b.GetLineAttr(23 - 40), vtlSingle);
    b.SetLineAttr(1, vtlDoubleHeightTop);
    b.Reset();
    EXPECT_EQ(b.GetLineAttr(1), vtlSingle);
    b.SetLineAttr(2, vtlDoubleWidth);
    b.ClearAll();
    EXPECT_EQ(b.GetLineAttr(2), vtlSingle);
}

TEST(TVtTerminalBuffer, RowAccessOutsideBufferIsEmpty) {
    TVtTerminalBuffer b;
    EXPECT_TRUE(b.GetRowText(25).isEmpty());
    EXPECT_TRUE(b.GetRowText(24 - 200).isEmpty());
    EXPECT_EQ(b.GetRowText(24 - 199).size(), 80);
    EXPECT_EQ(b.GetAttrAt(1, 81), 0);
    EXPECT_EQ(b.GetAttrAt(1, 0), 0);
}

TEST(TVtTerminalBuffer, TabsAndEvents) {
    TVtTerminalBuffer b;
    std::vector<std::pair<int, int>> moves;
    std::vector<std::tuple<int, int, int>> scrolls;
    b.OnCursorMoved = [&](int r, int c) { moves.emplace_back(r, c); };
    b.OnScrollRows = [&](int n, int f, int l) { scrolls.emplace_back(n, f, l); };
    b.HorizontalTab();
    EXPECT_EQ(b.GetCursorCol(), 9);
    b.ClearHorzTabStops();
    b.HorizontalTab();
    EXPECT_EQ(b.GetCursorCol(), 80);
    EXPECT_EQ(moves.back(), (std::pair{1, 80}));
    EXPECT_TRUE(b.HasCursorMoved());
    EXPECT_FALSE(b.HasCursorMoved());
    b.SetScrollRegion(5, 10);
    b.SetCursorPosition(10, 1);
    b.LineFeed();
    EXPECT_EQ(scrolls.back(), (std::tuple{1, 5, 10}));
}

TEST(TVtTerminalBuffer, WriteCharsMatchesWriteCharByChar) {
    struct Case {
        int row, col;
        bool autowrap, insert;
        int length;
    } cases[] = {
        {1, 1, true, false, 200}, {24, 75, true, false, 10}, {24, 75, false, false, 10},
        {3, 80, true, false, 1},  {5, 10, true, true, 90},   {1, 1, true, false, 80},
    };
    for (const Case &c : cases) {
        TVtTerminalBuffer one, run;
        QByteArray text;
        for (int i = 0; i < c.length; ++i)
            text += char('!' + i % 90);
        for (TVtTerminalBuffer *b : {&one, &run}) {
            labelRows(*b);
            b->SetUseAutoWrap(c.autowrap);
            b->SetUseInsertMode(c.insert);
            b->SetCursorPosition(c.row, c.col);
        }
        write(one, text);
        run.WriteChars(reinterpret_cast<const uint8_t *>(text.constData()), int(text.size()));
        write(one, "#");
        write(run, "#");
        for (int r = -2; r <= 24; ++r)
            EXPECT_EQ(one.GetRowText(r), run.GetRowText(r)) << r;
        EXPECT_EQ(cursor(one), cursor(run));
    }
}
