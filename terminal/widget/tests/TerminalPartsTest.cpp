// The terminal control's parts without a display: key translation, layout arithmetic, the selection
// model and digit runs, runs of equal cells, the extended emulator's colours and keys, and the
// window-size notice and log formats.
#include "terminal/core/TVtKeyTranslation.h"
#include "terminal/widget/TVtCustomTerminal.h"
#include "terminal/widget/TVtRowPainter.h"
#include "terminal/widget/TVtSelection.h"
#include "terminal/widget/TVtSockControl.h"
#include "terminal/widget/TVtVT100EmulatorEx.h"

#include <QBuffer>
#include <gtest/gtest.h>

TEST(KeyTranslation, WindowsKeyCodesAndCharacters) {
    const struct {
        int key;
        Qt::KeyboardModifiers mods;
        bool repeat;
        QString text;
        int vk;
        int shift;
        int ch;
    } cases[] = {
        {Qt::Key_Up, Qt::NoModifier, false, {}, 0x26, 0, -1},
        {Qt::Key_Up, Qt::KeypadModifier, false, {}, 0x68, 0, -1},
        {Qt::Key_Up, Qt::NoModifier, true, {}, 0x8026, 0, -1},
        {Qt::Key_Enter, Qt::KeypadModifier, false, "\r", 0x2B, 0, 0x0D},
        {Qt::Key_Return, Qt::ControlModifier, false, "\r", 0x0D, vssCtrl, 0x0A},
        {Qt::Key_Delete, Qt::NoModifier, false, "\x7f", 0x2E, 0, -1},
        {Qt::Key_Delete, Qt::KeypadModifier, false, "\x7f", 0x6E, 0, -1},
        {Qt::Key_Insert, Qt::KeypadModifier, false, {}, 0x60, 0, -1},
        {Qt::Key_Clear, Qt::KeypadModifier, false, {}, 0x65, 0, -1},
        {Qt::Key_5, Qt::KeypadModifier, false, "5", 0x65, 0, '5'},
        {Qt::Key_A, Qt::NoModifier, false, "a", 0x41, 0, 'a'},
        {Qt::Key_A, Qt::ShiftModifier, false, "A", 0x41, vssShift, 'A'},
        {Qt::Key_C, Qt::ControlModifier, false, "\x03", 0x43, vssCtrl, 0x03},
        {Qt::Key_X, Qt::AltModifier, false, "x", 0x58, vssAlt, -1},
        {Qt::Key_BracketLeft, Qt::ControlModifier, false, {}, 0xDB, vssCtrl, 0x1B},
        {Qt::Key_Exclam, Qt::ShiftModifier, false, "!", 0x31, vssShift, '!'},
        {Qt::Key_F1, Qt::NoModifier, false, {}, 0x70, 0, -1},
        {Qt::Key_Backspace, Qt::NoModifier, false, "\b", 0x08, 0, 0x08},
        {Qt::Key_Escape, Qt::NoModifier, false, "\x1b", 0x1B, 0, 0x1B},
        {Qt::Key_E, Qt::NoModifier, false, QString(QChar(0xE9)), 0x45, 0, 0xE9},
    };
    for (const auto &c : cases) {
        const TVtKeyStroke s = TranslateKey(c.key, c.mods, c.repeat, c.text);
        EXPECT_EQ(s.Key, c.vk) << std::hex << c.key;
        EXPECT_EQ(s.Shift, c.shift) << std::hex << c.key;
        EXPECT_EQ(s.Char, c.ch) << std::hex << c.key;
    }
    EXPECT_TRUE(TranslateKey(Qt::Key_Shift, Qt::ShiftModifier, false, {}).Modifier);
    EXPECT_TRUE(TranslateKey(Qt::Key_Control, Qt::ControlModifier, false, {}).Modifier);
}

TEST(Layout, VisibleCellsBarsAndLowestRow) {
    // 80x24 cells of 10x20 in 800x480: everything shows.
    TVtLayout l = ComputeLayout(800, 480, 10, 20, 80, 24, 1, 1);
    EXPECT_EQ(l.PartCols, 80);
    EXPECT_EQ(l.WholeRows, 24);
    EXPECT_FALSE(l.HorzWanted);
    EXPECT_FALSE(l.VertWanted);
    // 132 columns in the same window: a horizontal bar, partly visible last column.
    l = ComputeLayout(805, 480, 10, 20, 132, 24, 1, 1);
    EXPECT_EQ(l.PartCols, 81);
    EXPECT_EQ(l.WholeCols, 80);
    EXPECT_TRUE(l.HorzWanted);
    // Scrolled to column 60: only 73 columns are left to show.
    l = ComputeLayout(805, 480, 10, 20, 132, 24, 60, 1);
    EXPECT_EQ(l.PartCols, 73);
    // A short window wants the vertical bar.
    l = ComputeLayout(800, 470, 10, 20, 80, 24, 1, 1);
    EXPECT_EQ(l.PartRows, 24);
    EXPECT_EQ(l.WholeRows, 23);
    EXPECT_TRUE(l.VertWanted);
    EXPECT_EQ(LowestFirstRow(24, 500, false, false), -475);
    EXPECT_EQ(LowestFirstRow(24, 500, true, false), 1);
    EXPECT_EQ(LowestFirstRow(24, 500, true, true), -475);
}

TEST(Selection, TextSpansRowsAndFollowsScrolling) {
    TVtTerminalBuffer b;
    b.tbSetSVRowCount(30);
    for (int i = 0; i < 27; ++i) {
        const QByteArray line = QByteArray(80, char('a' + i % 26));
        b.WriteChars(reinterpret_cast<const uint8_t *>(line.constData()), 80);
        b.CarriageReturn();
        b.LineFeed();
    }
    TVtSelection s;
    EXPECT_EQ(s.Text(b), QByteArray());
    s.Start({-1, 79});
    s.Extend({1, 2});
    const QByteArray expected =
        b.GetRowText(-1).mid(78) + "\r\n" + b.GetRowText(0) + "\r\n" + b.GetRowText(1).left(2) + "\r\n";
    EXPECT_EQ(s.Text(b), expected);
    EXPECT_TRUE(s.Contains(0, 1));
    EXPECT_FALSE(s.Contains(-1, 78));
    EXPECT_FALSE(s.Contains(1, 3));
    // A scroll of the whole buffer by one moves it up; out of the top it is dropped.
    s.ShiftRows(1, -5, 24);
    EXPECT_EQ(s.StartCell().Row, -2);
    s.ShiftRows(5, -5, 24);
    EXPECT_FALSE(s.Present());
    // A region scroll that does not reach it leaves it; one that cuts through it drops it.
    s.Start({2, 1});
    s.Extend({3, 5});
    s.ShiftRows(1, 10, 20);
    EXPECT_EQ(s.StartCell().Row, 2);
    s.ShiftRows(1, 3, 20);
    EXPECT_FALSE(s.Present());
    // A click: present, nothing marked, one character.
    s.Start({1, 1});
    EXPECT_TRUE(s.SingleCell());
    EXPECT_FALSE(s.Contains(1, 1));
}

TEST(Selection, DigitRuns) {
    const struct {
        QByteArray row;
        int col;
        QByteArray run;
    } cases[] = {
        {"  123 ", 4, "123"}, {"  123 ", 3, "123"}, {"  123 ", 6, ""},
        {"  123 ", 0, ""},    {"  123 ", 7, ""},    {QByteArray(78, ' ') + "99", 80, "99"},
        {"7", 1, "7"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DigitRunAt(c.row, c.col), c.run) << c.row.constData() << " " << c.col;
}

TEST(RowPainter, RunsOfEqualCells) {
    std::vector<TVtCell> row(80, TVtCell{' ', 0, 0, 0, 0xFFFFFF, 0xFF0000});
    EXPECT_EQ(BuildRuns(row.data(), 1, 80, true).size(), 1u);
    for (int i = 0; i < 80; i += 2)
        row[std::size_t(i)].ForeColor = 0x80;
    EXPECT_EQ(BuildRuns(row.data(), 1, 80, true).size(), 80u);
    std::vector<TVtCell> sets(4, TVtCell{'q', 0, 0, 0, 0, 0});
    sets[2].CharSet = vcsLineDraw;
    EXPECT_EQ(BuildRuns(sets.data(), 1, 4, true).size(), 3u);
    EXPECT_EQ(BuildRuns(sets.data(), 1, 4, false).size(), 1u);
    TVtSelection sel;
    sel.Start({1, 2});
    sel.Extend({1, 3});
    const auto runs = BuildRuns(sets.data(), 1, 4, false, &sel, 1);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[1].Attrs, vtaSelected);
    EXPECT_EQ(runs[1].First, 2);
    EXPECT_EQ(runs[1].Last, 3);
}

TEST(EmulatorEx, ColorTexts) {
    TVtVT100EmulatorEx e;
    e.SetForeColorsStr("red=$FF");
    EXPECT_EQ(e.ForeColorsStr(), QByteArray("Black=$0; Red=$FF; Green=$8000; Yellow=$8080; Blue=$800000; "
                                            "Magenta=$800080; Cyan=$808000; White=$C0C0C0; "));
    e.SetForeColorsStr("purple=$FF");
    EXPECT_EQ(e.ForeColorsStr(), TVtVT100EmulatorEx::ColorTableText(TVtVT100EmulatorEx::DefaultColors()));
    e.SetForeColorsStr("White = $ FFFFFF");
    EXPECT_TRUE(e.ForeColorsStr().endsWith("White=$FFFFFF; "));
    e.SetBackColorsStr("Red=$;Green=12");
    EXPECT_TRUE(e.BackColorsStr().contains("Red=$80; Green=$C; "));
    e.SetBoldColorsStr("Black=$1\rRed=$2");
    EXPECT_TRUE(e.BoldColorsStr().startsWith("Black=$1; Red=$2; Green=$80FF80; "));
    EXPECT_EQ(TVtVT100EmulatorEx::BoldOf(0), 0x808080u);
    EXPECT_EQ(TVtVT100EmulatorEx::BoldOf(0x80), 0x8080FFu);
    EXPECT_EQ(TVtVT100EmulatorEx::BoldOf(0xC0C0C0), 0xFFFFFFu);
}

TEST(EmulatorEx, BoldColours) {
    const struct {
        QByteArray stream;
        uint32_t fore;
    } cases[] = {
        {"\x1b[31;1mX", 0x8080FF},
        {"\x1b[1;31mX", 0x8080FF},
        {"\x1b[1;31m\x1b[22mX", 0x8080FF},     // clearing bold keeps the bold colour
        {"\x1b[31m\x1b[0m\x1b[1mX", 0xFFFFFF}, // reset also resets the pending bold colour
        {"\x1b[1mX", 0xFFFFFF},                // bold before any colour: bright default, not black
        {"\x1b[32mX", 0x8000},
    };
    for (const auto &c : cases) {
        TVtVT100EmulatorEx e;
        e.ProcessBlock(c.stream);
        EXPECT_EQ(e.Buffer().GetForeColorAt(1, 1), c.fore) << c.stream.mid(1).constData();
    }
    TVtVT100EmulatorEx e;
    e.SetBackColorsStr("Blue=$123456");
    e.ProcessBlock("\x1b[44mX");
    EXPECT_EQ(e.Buffer().GetBackColorAt(1, 1), 0x123456u);
}

TEST(EmulatorEx, HookedKeysGoOnToTheWindow) {
    struct Sink : TVtTerminalHost {
        QByteArray out;
        void WriteToHost(const QByteArray &b) override { out += b; }
    } sink;
    TVtVT100EmulatorEx e;
    e.SetTerminal(&sink);
    int key = 0x26;
    e.KeyDown(key, 0);
    EXPECT_EQ(key, 0); // translated and swallowed without hooked keys
    EXPECT_FALSE(sink.out.isEmpty());
    e.HandleHookedKeys = true;
    key = 0x26;
    e.KeyDown(key, 0);
    EXPECT_EQ(key, 0x26);
    EXPECT_FALSE(e.KeyHandled);
    e.SetTerminal(nullptr);
}

TEST(SockControl, WindowSizeNotice) {
    EXPECT_EQ(EncodeNaws(80, 24), QByteArray("\xFF\xFA\x1F\x00\x50\x00\x18\xFF\xF0", 9));
    EXPECT_EQ(EncodeNaws(255, 24), QByteArray("\xFF\xFA\x1F\x00\xFF\xFF\x00\x18\xFF\xF0", 10));
    EXPECT_EQ(EncodeNaws(0x1FF, 255), QByteArray("\xFF\xFA\x1F\x01\xFF\xFF\x00\xFF\xFF\xFF\xF0", 11));
}

// Each kind of debug-log entry as the log writes it, by who formats it.
TEST(SockControl, DebugLogEntryTexts) {
    using L = TVtDebugLog;
    const struct {
        const char *name;
        L::Owner owner;
        int kind;
        std::uint32_t value1;
        std::uint32_t value2;
        QByteArray data;
        QByteArray text;
    } cases[] = {
        {"recv api", L::Owner::SockControl, L::lkRecvApi, 7, 0, "A",
         "[7] Recv API: 1 byte read\r\n" + L::HexDump("A")},
        {"send api", L::Owner::SockControl, L::lkSendApi, 7, 0, "AB",
         "[7] Send API: 2 bytes written\r\n" + L::HexDump("AB")},
        {"option received",
         L::Owner::None,
         L::lkOptionReceived,
         24,
         253,
         {},
         "terminal type DO received.\r\n"},
        {"option sent",
         L::Owner::None,
         L::lkOptionSent,
         31,
         251,
         {},
         "negotiate about window size WILL sent.\r\n"},
        {"option refused", L::Owner::None, L::lkOptionSent, 1, 252, {}, "echo WON'T sent.\r\n"},
        {"option dont", L::Owner::None, L::lkOptionReceived, 200, 254, {}, "option 200 DON'T received.\r\n"},
        {"component", L::Owner::Component, L::lkRead, 3, 0, "x", "!!!! Unhandled log entry\n\r"},
        {"unknown", L::Owner::None, 42, 0x1234, 0xABCDEF01, "xyz",
         "!!!! Unknown log entry : [42][00001234][abcdef01][00000003]\r\n"},
        {"option with no command",
         L::Owner::None,
         L::lkOptionSent,
         24,
         7,
         {},
         "!!!! Unknown log entry : [7][00000018][00000007][00000000]\r\n"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(L::FormatEntry(c.owner, c.kind, c.value1, c.value2, c.data), c.text) << c.name;
    }
}

TEST(SockControl, Logs) {
    TVtEventLog events([] { return QDateTime(QDate(2024, 1, 31), QTime(8, 5, 9)); });
    EXPECT_EQ(events.FormatEntry(TVtEventLog::ConnectText("127.0.0.1:1025", "127.0.0.1:23")),
              QByteArray("2024.01.31 08:05:09 Connect: Loc: 127.0.0.1:1025 Rem: 127.0.0.1:23\r\n"));
    EXPECT_EQ(TVtEventLog::CloseText("a:1", "b:2"), QByteArray("Close:   Loc: a:1 Rem: b:2"));
    EXPECT_EQ(TVtDebugLog::FormatTime(12345), QByteArray("0012.345 : "));
    EXPECT_EQ(TVtDebugLog::FormatTime(0), QByteArray("0000.000 : "));

    qint64 now = 1000;
    TVtDebugLog debug([&] { return now; });
    debug.BufferSize = 100;
    debug.SetEnabled(true);
    now = 13345;
    debug.Log(TVtDebugLog::lkRead, "AB", 3);
    debug.Log(TVtDebugLog::lkText, QByteArray(200, 'x')); // larger than the buffer: not kept
    EXPECT_EQ(debug.EntryCount(), 2);
    debug.Log(TVtDebugLog::lkText, QByteArray(40, 'y')); // pushes out the oldest
    EXPECT_EQ(debug.EntryCount(), 2);
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    debug.WriteTo(out, "Orva VT v1.15");
    const QByteArray text = out.data();
    EXPECT_TRUE(text.startsWith("Orva VT v1.15 compiled with Unknown Compiler\r\n"));
    EXPECT_TRUE(text.contains(QByteArray(77, '=') + "\r\n\r\n0012.345 : Read - 2 bytes read from socket 3\r\n"
                                                    "  000000: 41 42 "));
    EXPECT_TRUE(text.endsWith(QByteArray(40, 'y')));
}
