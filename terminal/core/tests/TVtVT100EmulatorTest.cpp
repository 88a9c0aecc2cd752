#include "terminal/core/TVtVT100Emulator.h"

#include "terminal/core/tests/FakeTerminalHost.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {
struct Vt {
    TVtVT100Emulator emu;
    FakeTerminalHost host{emu};
    TVtTerminalBuffer &buf = emu.Buffer();

    Vt &operator<<(const QByteArray &bytes) {
        emu.ProcessBlock(bytes);
        return *this;
    }
    std::pair<int, int> cursor() const { return {buf.CursorScreenRow(), buf.GetCursorCol()}; }
    QByteArray row(int r) const { return buf.GetRowText(r).trimmed(); }
};

// Windows virtual-key codes used by the key tests.
enum { VK_BACK = 0x08, VK_RETURN = 0x0D, VK_SPACE = 0x20, VK_UP = 0x26, VK_NUMPAD5 = 0x65, VK_F1 = 0x70 };
} // namespace

TEST(TVtVT100Emulator, RepliesReachTheSink) {
    struct Case {
        QByteArray input;
        QByteArray reply;
    } cases[] = {
        {"\x1b[5;10H\x1b[6n", "\x1b[5;10R"},
        {"\x1b[5n", "\x1b[0n"},
        {"\x1b[c", "\x1b[?1;0c"},
        {"\x1b[0c", "\x1b[?1;0c"},
        {"\x1bZ", "\x1b[?1;0c"},
        {"\x1b[x", "\x1b[2;1;1;120;120;1;0x"},
        {"\x1b[0x", "\x1b[2;1;1;120;120;1;0x"},
        {"\x1b[1x", "\x1b[3;1;1;120;120;1;0x"},
        {"\x1b[?2l\x1bZ", "\x1b/Z"},
        {"\x05", "ack"},
        {"\x1b[n\x1b[7n", ""},
    };
    for (const Case &c : cases) {
        Vt vt;
        vt.emu.Answerback = "ack";
        vt << c.input;
        EXPECT_EQ(vt.host.sent, c.reply) << c.input.toHex().toStdString();
    }
}

TEST(TVtVT100Emulator, ModesAndColumns) {
    Vt vt;
    vt << "\x1b[?3h";
    EXPECT_EQ(vt.host.columnChanges, std::vector<int>{132});
    EXPECT_EQ(vt.buf.ColCount(), 132);
    vt << "\x1b"
          "c";
    EXPECT_EQ(vt.host.columnChanges, (std::vector<int>{132, 80}));
    EXPECT_EQ(vt.buf.ColCount(), 80);

    vt << "\x1b[4;20h";
    EXPECT_FALSE(vt.buf.UseInsertMode());
    EXPECT_FALSE(vt.buf.UseNewLineMode());
    vt << "\x1b[4h";
    EXPECT_TRUE(vt.buf.UseInsertMode());
    vt << "\x1b[?7;25l";
    EXPECT_TRUE(vt.buf.UseAutoWrap());
    vt << "\x1b[?5h";
    EXPECT_TRUE(vt.emu.ReverseScreen());
    EXPECT_TRUE(vt.emu.TakeFullRepaint());
    EXPECT_EQ(vt.host.fullRepaints, 1);
    vt << "\x1b[?5h";
    EXPECT_FALSE(vt.emu.FullRepaintPending());
}

TEST(TVtVT100Emulator, CursorCommandsAreBoundedAndImmediate) {
    struct Case {
        QByteArray input;
        std::pair<int, int> cursor;
    } cases[] = {
        {"\x1b[10;10H\x1b[0;0H", {1, 1}},
        {"\x1b[10;10H\x1b[H", {1, 1}},
        {"\x1b[2147483647C", {1, 80}},
        {"\x1b[2147483647B", {24, 1}},
        {"\x1b[12;12H\x1b[0A", {11, 12}},
        {"\x1b[5;10r\x1b[24;1H\n\n\n\x1b[B", {24, 1}},
        {"\x1b[5;10r\x1b[?6h\x1b[20;1H", {10, 1}},
        {"\x1b[?10H", {1, 1}},
        {"\x1b[99;99H", {24, 80}},
        {"\x1b[5;10r\x1b[8;1H\x1b[99A", {5, 1}},
    };
    for (const Case &c : cases) {
        Vt vt;
        const auto start = std::chrono::steady_clock::now();
        vt << c.input;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_EQ(vt.cursor(), c.cursor) << c.input.toHex().toStdString();
    }
}

TEST(TVtVT100Emulator, ScrollRegionsAreClampedAndNeverReachTheHistory) {
    struct Case {
        QByteArray input;
        bool host;
        int top, bottom;
    } cases[] = {
        {"\x1b[5;100r", true, 5, 24}, {"\x1b[20;5r", true, 5, 20},  {"\x1b[r", false, 1, 24},
        {"\x1b[0;0r", false, 1, 24},  {"\x1b[?1;2r", false, 1, 24}, {"\x1b[10;10r", true, 10, 10},
    };
    for (const Case &c : cases) {
        Vt vt;
        vt << c.input;
        EXPECT_EQ(vt.buf.HasHostRegion(), c.host) << c.input.toHex().toStdString();
        EXPECT_EQ(vt.buf.RegionTop(), c.top);
        EXPECT_EQ(vt.buf.RegionBottom(), c.bottom);
        vt << "\x1b[24;1H" + QByteArray(30, '\n') + "\x1bM\x1b[L\x1b[M";
        EXPECT_EQ(vt.row(0), "");
    }
}

TEST(TVtVT100Emulator, RenditionAndCharacterSets) {
    Vt vt;
    vt << "\x1b[1;31mX\x1b[mY\x1b[4;5;7;8;44mZ\x1b[22;24;25;27;28mW";
    EXPECT_EQ(vt.buf.GetForeColorAt(1, 1), 0x000080u);
    EXPECT_EQ(vt.buf.GetAttrAt(1, 1), vtaBold);
    EXPECT_EQ(vt.buf.GetForeColorAt(1, 2), 0xC0C0C0u);
    EXPECT_EQ(vt.buf.GetAttrAt(1, 2), 0);
    EXPECT_EQ(vt.buf.GetAttrAt(1, 3), vtaUnderline | vtaBlink | vtaReverse | vtaInvisible);
    EXPECT_EQ(vt.buf.GetBackColorAt(1, 3), 0x800000u);
    EXPECT_EQ(vt.buf.GetAttrAt(1, 4), 0);

    vt << "\r\n\x1b)0\x0eq\x0fq\x1b(A#";
    EXPECT_EQ(vt.buf.GetCharSetAt(2, 1), vcsLineDraw);
    EXPECT_EQ(vt.buf.GetCharSetAt(2, 2), vcsUSASCII);
    EXPECT_EQ(vt.buf.GetCharSetAt(2, 3), vcsUK);

    vt << "\r\n\xc4\xda\xfa";
    EXPECT_EQ(vt.row(3), "ql");
    EXPECT_EQ(vt.buf.GetCharSetAt(3, 1), vcsLineDraw);
    EXPECT_EQ(vt.buf.GetCharSet(), vcsUK);

    vt.emu.DisplayUpperASCII = true;
    vt << "\r\n\xfa";
    EXPECT_EQ(vt.buf.GetCharAt(4, 1), 0xFA);
}

TEST(TVtVT100Emulator, SaveRestoreCursorStartsAtHomeWithDefaults) {
    Vt vt;
    vt << "\x1b[31;44m\x1b[10;10H\x1b"
          "8x";
    EXPECT_EQ(vt.buf.GetForeColorAt(1, 1), 0xC0C0C0u);
    EXPECT_EQ(vt.buf.GetBackColorAt(1, 1), 0u);
    EXPECT_EQ(vt.cursor(), (std::pair{1, 2}));
    vt << "\x1b[5;7H\x1b[1;32m\x1b"
          "7\x1b[m\x1b[H\x1b[uy";
    EXPECT_EQ(vt.buf.GetCharAt(5, 7), 'y');
    EXPECT_EQ(vt.buf.GetForeColorAt(5, 7), 0x008000u);
    vt << "\x1b[u\x1b"
          "c\x1b"
          "8";
    EXPECT_EQ(vt.cursor(), (std::pair{1, 1}));
}

TEST(TVtVT100Emulator, LineAttributesAndReset) {
    Vt vt;
    vt << "\x1b#6"
          "abc\r\n\x1b#3\r\n\x1b#4\r\n\x1b#6\x1b#5";
    EXPECT_EQ(vt.buf.GetLineAttr(1), vtlDoubleWidth);
    EXPECT_EQ(vt.buf.GetLineAttr(2), vtlDoubleHeightTop);
    EXPECT_EQ(vt.buf.GetLineAttr(3), vtlDoubleHeightBottom);
    EXPECT_EQ(vt.buf.GetLineAttr(4), vtlSingle);
    vt << "\x1b"
          "cabc";
    EXPECT_EQ(vt.buf.GetLineAttr(1), vtlSingle);
    EXPECT_EQ(vt.row(1), "abc");
    vt << "\x1b#6";
    vt.emu.ClearAll();
    EXPECT_EQ(vt.buf.GetLineAttr(1), vtlSingle);
}

TEST(TVtVT100Emulator, ControlsAndAlignment) {
    Vt vt;
    vt << "abc\x07\x1b[5;10r\x0b";
    EXPECT_EQ(vt.host.beeps, 1);
    EXPECT_EQ(vt.cursor(), (std::pair{10, 1}));
    vt << "\x1b[r\x0c";
    EXPECT_EQ(vt.row(-23), "abc");
    vt << "\x1b#8";
    EXPECT_EQ(vt.buf.GetRowText(24), QByteArray(80, 'E'));
    EXPECT_EQ(vt.buf.GetDefChar(), ' ');
    vt << "\x1b[H\x1b[2X\x1b[1K";
    EXPECT_EQ(vt.buf.GetCharAt(1, 2), ' ');
    EXPECT_EQ(vt.buf.GetCharAt(1, 3), 'E');
}

TEST(TVtVT100Emulator, BlinkListFollowsTheScreen) {
    Vt vt;
    EXPECT_FALSE(vt.emu.HasBlinkingText());
    vt << "ab\x1b[5mcd\x1b[me\x1b[5mf";
    EXPECT_EQ(vt.emu.BlinkRuns(), (std::vector<TVtBlinkRun>{{1, 3, 4}, {1, 6, 6}}));
    vt << "\x1b[2J";
    EXPECT_TRUE(vt.emu.HasBlinkingText()); // erased cells take the current rendition
    vt << "\x1b[m\x1b[2J";
    EXPECT_FALSE(vt.emu.HasBlinkingText());
}

constexpr int kVkNumLock = 0x90;

TEST(TVtVT100Emulator, KeysGoThroughTheKeyMap) {
    struct Case {
        QByteArray setup;
        int key;
        int shift;
        QByteArray sent;
    } cases[] = {
        {"", VK_UP, 0, "\x1b[A"},
        {"\x1b[?1h", VK_UP, 0, "\x1bOA"},
        {"\x1b[?2l", VK_UP, 0,
         "\x1b"
         "A"},
        {"\x1b=", VK_NUMPAD5, 0, "\x1bOu"},
        {"", VK_NUMPAD5, 0, "5"},
        {"\x1b[?2l\x1b=", VK_NUMPAD5, 0, "\x1b?u"},
        {"", VK_F1, 0, "\x1bOP"},
        {"", kVkNumLock, 0, "\x1bOP"},
        {"", VK_RETURN, vssShift, "\n"},
        {"", VK_SPACE, vssCtrl, QByteArray(1, '\0')},
        {"", VK_BACK, 0, "\x7f"},
        {"", VK_BACK, vssShift, "\b"},
        {"\x1b[?8l", VK_UP | kVtKeyRepeat, 0, ""},
        {"", VK_UP | kVtKeyRepeat, 0, "\x1b[A"},
    };
    for (const Case &c : cases) {
        Vt vt;
        vt << c.setup;
        vt.host.sent.clear();
        int key = c.key;
        vt.emu.KeyDown(key, c.shift);
        EXPECT_EQ(vt.host.sent, c.sent) << c.setup.toHex().toStdString() << " key " << c.key;
        EXPECT_EQ(key, 0);
        // Num Lock is PF1 here, so the lock state it turned over is turned back.
        EXPECT_EQ(vt.host.numLockRestores, c.key == kVkNumLock ? 1 : 0) << " key " << c.key;
    }
    Vt vt;
    int key = 0x41; // VK_A: not a DEC key, left for the character path
    vt.emu.KeyDown(key, 0);
    EXPECT_EQ(key, 0x41);
    EXPECT_TRUE(vt.host.sent.isEmpty());
}

TEST(TVtVT100Emulator, HalfDuplexEchoesUntilEscape) {
    Vt vt;
    vt.host.halfDuplex = true;
    vt << "\x1b[20h";
    char c = '\r';
    vt.emu.KeyPress(c);
    EXPECT_EQ(vt.host.sent, "\r\n");
    EXPECT_EQ(vt.cursor(), (std::pair{2, 1}));
    int key = VK_UP;
    vt.emu.KeyDown(key, 0);
    EXPECT_EQ(vt.cursor(), (std::pair{2, 1})); // ESC [ A is not echoed
    EXPECT_EQ(vt.row(2), "");
}

TEST(TVtTTYEmulator, PlainTextWithFewControls) {
    TVtTTYEmulator tty;
    FakeTerminalHost host(tty);
    tty.ProcessBlock(QByteArray("ab\tc\x07\r\nd\x1b[H"));
    EXPECT_EQ(tty.Buffer().GetRowText(1).trimmed(), "ab      c");
    EXPECT_EQ(tty.Buffer().GetRowText(2).trimmed(), "d[H");
    EXPECT_EQ(host.beeps, 1);
    char c = '\b';
    tty.KeyPress(c);
    EXPECT_EQ(host.sent, "\x7f");
    EXPECT_EQ(tty.TelnetTermType, "dumb");
}
