// VT100/VT52 command execution and key translation.
#include "terminal/core/TVtVT100Emulator.h"

#include <algorithm>
#include <array>

namespace {
constexpr uint8_t ESC = 0x1B;

// $00BBGGRR values for SGR 30-37 / 40-47.
constexpr uint32_t kSgrColors[8] = {0x000000, 0x000080, 0x008000, 0x008080,
                                    0x800000, 0x800080, 0x808000, 0xC0C0C0};

// Bytes 176..218 drawn through the line-drawing set when upper ASCII is not displayed as is.
constexpr char kUpperToLineDraw[] = "aaaxuuukkuxkjjjkmvwtqnttmlvwtqnvvwwmmllnnjl";

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
} // namespace

TVtVT100Emulator::TVtVT100Emulator() {
    TelnetTermType = "vt100";
    m_keys.LoadFromRes(QStringLiteral("VTKeyMap100"));
    m_charSets.LoadFromRes(QStringLiteral("VTCharSet100"));
}

void TVtVT100Emulator::ProcessBlock(const char *bytes, int count) {
    for (int i = 0; i < count; ++i) {
        const uint8_t b = uint8_t(bytes[i]);
        if (b >= 0x20 && b <= 0x7E && m_parser.InGround()) {
            // A run of plain text goes to the buffer in one call.
            int end = i + 1;
            while (end < count && uint8_t(bytes[end]) >= 0x20 && uint8_t(bytes[end]) <= 0x7E)
                ++end;
            m_parser.AcceptPrintable();
            m_buffer.WriteChars(reinterpret_cast<const uint8_t *>(bytes + i), end - i);
            i = end - 1;
            continue;
        }
        switch (m_parser.ProcessChar(b)) {
        case vprPrintable:
            m_buffer.WriteChar(b);
            break;
        case vprUpperByte:
            writeUpperByte(b);
            break;
        case vprCommand:
            ExecuteCommand();
            break;
        default:
            break;
        }
    }
    if (m_buffer.HasDisplayChanged())
        rebuildBlinkList();
}

void TVtVT100Emulator::writeUpperByte(uint8_t b) {
    if (DisplayUpperASCII) {
        m_buffer.WriteChar(b);
        return;
    }
    if (b < 176 || b > 218)
        return;
    const uint8_t set = m_buffer.GetCharSet();
    m_buffer.SetCharSet(vcsLineDraw);
    m_buffer.WriteChar(uint8_t(kUpperToLineDraw[b - 176]));
    m_buffer.SetCharSet(set);
}

void TVtVT100Emulator::rebuildBlinkList() {
    m_blinkRuns.clear();
    if (!m_buffer.MayHoldBlinkingText())
        return;
    const int first = m_host ? m_host->FirstVisibleRow() : 1;
    const int cols = m_buffer.ColCount();
    for (int row = first; row < first + m_buffer.RowCount(); ++row) {
        const TVtCell *cells = m_buffer.GetRow(row);
        if (!cells)
            continue;
        for (int c = 0; c < cols; ++c) {
            if (!(cells[c].Attrs & vtaBlink))
                continue;
            int last = c;
            while (last + 1 < cols && (cells[last + 1].Attrs & vtaBlink))
                ++last;
            m_blinkRuns.push_back({row, c + 1, last + 1});
            c = last;
        }
    }
}

void TVtVT100Emulator::ClearAll() {
    m_buffer.ClearAll();
}

void TVtVT100Emulator::reply(const QByteArray &bytes) {
    if (m_host)
        m_host->WriteToHost(bytes);
}

// What each parser command does to the buffer, the modes and the host; a command without a row
// (the keyboard LEDs, the confidence tests) is ignored.
struct TVtVT100Emulator::Commands {
    using Emulator = TVtVT100Emulator;
    using Buffer = TVtTerminalBuffer;
    // argc is the number of arguments the parser gave, n the first (0 when there is none).
    using Handler = void (*)(Emulator &e, int argc, int n);
    struct Row {
        int command;
        Handler run;
    };

    template <void (Buffer::*Op)()> static void plain(Emulator &e, int, int) { (e.m_buffer.*Op)(); }

    template <void (Buffer::*Op)(int)> static void counted(Emulator &e, int, int n) { (e.m_buffer.*Op)(n); }

    // Cursor moves take exactly one argument; 0 moves one step.
    template <void (Buffer::*Move)(int)> static void move(Emulator &e, int argc, int n) {
        if (argc == 1)
            (e.m_buffer.*Move)(n == 0 ? 1 : n);
    }

    // Erasing in the display or the line: 0 to the end, 1 from the start, 2 all of it.
    template <void (Buffer::*ToEnd)(), void (Buffer::*FromStart)(), void (Buffer::*All)()>
    static void erase(Emulator &e, int, int n) {
        if (n == 0)
            (e.m_buffer.*ToEnd)();
        else if (n == 1)
            (e.m_buffer.*FromStart)();
        else if (n == 2)
            (e.m_buffer.*All)();
    }

    static void cursorPosition(Emulator &e, int argc, int n) {
        if (argc == 2)
            e.m_buffer.SetCursorPosition(std::max(n, 1), std::max(e.m_parser.GetArgument(1), 1));
    }

    static void statusReport(Emulator &e, int argc, int n) {
        if (argc == 1 && n == 5)
            e.reply("\x1b[0n");
        else if (argc == 1 && n == 6)
            e.reply("\x1b[" + QByteArray::number(e.m_buffer.GetCursorRow()) + ";" +
                    QByteArray::number(e.m_buffer.GetCursorCol()) + "R");
    }

    static void identify(Emulator &e, int argc, int n) {
        if (argc == 1 && n == 0)
            e.reply("\x1b[?1;0c");
        else if (argc == 1 && n == 52)
            e.reply("\x1b/Z");
    }

    static void horizontalTab(Emulator &e, int, int n) {
        for (int i = 0; i < std::min(n, e.m_buffer.ColCount()); ++i)
            e.m_buffer.HorizontalTab();
    }

    static void nextLine(Emulator &e, int, int) {
        e.m_buffer.LineFeed();
        if (!e.m_buffer.UseNewLineMode())
            e.m_buffer.CarriageReturn();
    }

    static void tabClear(Emulator &e, int, int n) {
        if (n == 0)
            e.m_buffer.ClearHorzTabStop();
        else if (n == 3)
            e.m_buffer.ClearHorzTabStops();
    }

    // A missing or 0 margin is the screen's edge.
    static void scrollRegion(Emulator &e, int argc, int n) {
        Buffer &b = e.m_buffer;
        int top = argc >= 1 ? n : 0;
        int bottom = argc >= 2 ? e.m_parser.GetArgument(1) : 0;
        if (top <= 0)
            top = 1;
        if (bottom <= 0)
            bottom = b.RowCount();
        b.SetScrollRegion(std::clamp(top, 1, b.RowCount()), std::clamp(bottom, 1, b.RowCount()));
    }

    // Shift out and in: G1 and G0 in ANSI mode, line drawing and ASCII in VT52 mode.
    template <bool G1> static void shift(Emulator &e, int, int) {
        if constexpr (G1)
            e.m_buffer.SetCharSet(e.m_ansi ? e.m_g1 : uint8_t(vcsLineDraw));
        else
            e.m_buffer.SetCharSet(e.m_ansi ? e.m_g0 : uint8_t(vcsUSASCII));
        e.m_g1Active = G1;
    }

    static void screenAlignment(Emulator &e, int, int) {
        Buffer &b = e.m_buffer;
        const uint8_t def = b.GetDefChar();
        b.SetDefChar('E');
        b.EraseScreen();
        b.SetDefChar(def);
    }

    static void lineAttribute(Emulator &e, uint8_t attr) {
        Buffer &b = e.m_buffer;
        const int row = b.CursorScreenRow();
        b.SetLineAttr(row, attr);
        b.Invalidate(1, row, b.ColCount(), row);
    }

    static void requestParameters(Emulator &e, int argc, int n) {
        const int p = argc == 1 ? std::clamp(n, 0, 1) : 1;
        e.reply("\x1b[" + QByteArray::number(p + 2) + ";1;1;120;120;1;0x");
    }

    // n chooses G0 or G1; the second argument names the set.
    static void designate(Emulator &e, int, int n) {
        uint8_t set = vcsUSASCII;
        switch (e.m_parser.GetArgument(1)) {
        case 0:
            set = vcsLineDraw;
            break;
        case 1:
            set = vcsROM1;
            break;
        case 2:
            set = vcsROM2;
            break;
        case 65:
            set = vcsUK;
            break;
        default:
            break;
        }
        const bool g1 = n == 1;
        (g1 ? e.m_g1 : e.m_g0) = set;
        if (g1 == e.m_g1Active)
            e.m_buffer.SetCharSet(set);
    }

    static constexpr Row rows[] = {
        {vcCursorPosition, cursorPosition},
        {vcCursorUp, move<&Buffer::MoveCursorUp>},
        {vcCursorDown, move<&Buffer::MoveCursorDown>},
        {vcCursorForward, move<&Buffer::MoveCursorRight>},
        {vcCursorBackward, move<&Buffer::MoveCursorLeft>},
        {vcSetMode, [](Emulator &e, int, int) { e.setMode(true); }},
        {vcResetMode, [](Emulator &e, int, int) { e.setMode(false); }},
        {vcRendition, [](Emulator &e, int, int) { e.rendition(); }},
        {vcSaveCursor, [](Emulator &e, int, int) { e.saveCursor(); }},
        {vcRestoreCursor, [](Emulator &e, int, int) { e.restoreCursor(); }},
        {vcReset, [](Emulator &e, int, int) { e.reset(); }},
        {vcStatusReport, statusReport},
        {vcIdentify, identify},
        {vcRequestParameters, requestParameters},
        {vcEnquiry, [](Emulator &e, int, int) { e.reply(e.Answerback); }},
        {vcBell,
         [](Emulator &e, int, int) {
             if (e.m_host)
                 e.m_host->Beep();
         }},
        {vcHorizontalTab, horizontalTab},
        {vcVerticalTab,
         [](Emulator &e, int, int n) {
             if (n >= 1)
                 e.m_buffer.VerticalTab();
         }},
        {vcSetTabStop, plain<&Buffer::SetHorzTabStop>},
        {vcTabClear, tabClear},
        {vcDeleteChars, counted<&Buffer::DeleteChars>},
        {vcDeleteLines, counted<&Buffer::DeleteLines>},
        {vcEraseChars, counted<&Buffer::EraseChars>},
        {vcInsertChars, counted<&Buffer::InsertChars>},
        {vcInsertLines, counted<&Buffer::InsertLines>},
        {vcEraseInDisplay, erase<&Buffer::EraseToEOS, &Buffer::EraseToBOS, &Buffer::EraseScreen>},
        {vcEraseInLine, erase<&Buffer::EraseToEOL, &Buffer::EraseToBOL, &Buffer::EraseLine>},
        {vcScrollRegion, scrollRegion},
        {vcBackspace, plain<&Buffer::Backspace>},
        {vcLineFeed, plain<&Buffer::LineFeed>},
        {vcCarriageReturn, plain<&Buffer::CarriageReturn>},
        {vcNextLine, nextLine},
        {vcIndex, [](Emulator &e, int, int) { e.m_buffer.CursorDown(true); }},
        {vcReverseIndex, [](Emulator &e, int, int) { e.m_buffer.CursorUp(true); }},
        {vcShiftOut, shift<true>},
        {vcShiftIn, shift<false>},
        {vcDesignate, designate},
        {vcScreenAlignment, screenAlignment},
        {vcDoubleHeightLine,
         [](Emulator &e, int, int n) {
             lineAttribute(e, n == 0 ? vtlDoubleHeightTop : vtlDoubleHeightBottom);
         }},
        {vcDoubleWidthLine, [](Emulator &e, int, int) { lineAttribute(e, vtlDoubleWidth); }},
        {vcSingleWidthLine, [](Emulator &e, int, int) { lineAttribute(e, vtlSingle); }},
    };

    // The rows by command code, so a command costs one look-up.
    static constexpr int kCount = vcDesignate + 1;
    static constexpr std::array<Handler, kCount> byCode = [] {
        std::array<Handler, kCount> table{};
        for (const Row &row : rows)
            table[std::size_t(row.command)] = row.run;
        return table;
    }();
};

void TVtVT100Emulator::ExecuteCommand() {
    const int command = m_parser.Command();
    if (command < 0 || command >= Commands::kCount)
        return;
    if (const Commands::Handler run = Commands::byCode[std::size_t(command)])
        run(*this, m_parser.ArgumentCount(), m_parser.GetArgument(0));
}

void TVtVT100Emulator::setMode(bool on) {
    const int argc = m_parser.ArgumentCount();
    if (argc == 1) {
        const int mode = m_parser.GetArgument(0);
        if (mode == 4)
            m_buffer.SetUseInsertMode(on);
        else if (mode == 20)
            m_buffer.SetUseNewLineMode(on);
        return;
    }
    if (argc != 2 || m_parser.GetArgument(0) != -2)
        return;
    switch (m_parser.GetArgument(1)) {
    case 1:
        m_cursorKeysApp = on;
        break;
    case 2:
        m_ansi = on;
        m_parser.SetVT52(!on);
        break;
    case 3:
        m_col132 = on;
        if (m_host)
            m_host->ColumnModeChanged(on ? 132 : 80);
        break;
    case 4:
        m_smoothScroll = on;
        break;
    case 5:
        if (m_reverseScreen != on) {
            m_reverseScreen = on;
            requestFullRepaint();
        }
        break;
    case 6:
        m_buffer.SetUseAbsAddress(!on);
        break;
    case 7:
        m_buffer.SetUseAutoWrap(on);
        break;
    case 8:
        m_autoRepeat = on;
        break;
    case 9:
        m_interlace = on;
        break;
    case 999:
        m_keypadApp = on;
        break;
    default:
        break;
    }
}

void TVtVT100Emulator::rendition() {
    TVtTerminalBuffer &b = m_buffer;
    for (int i = 0; i < m_parser.ArgumentCount(); ++i) {
        const int p = m_parser.GetArgument(i);
        const uint8_t attrs = b.GetCharAttrs();
        switch (p) {
        case 0:
            b.SetCharAttrs(0);
            b.SetForeColor(b.GetDefForeColor());
            b.SetBackColor(b.GetDefBackColor());
            break;
        case 1:
            b.SetCharAttrs(attrs | vtaBold);
            break;
        case 4:
            b.SetCharAttrs(attrs | vtaUnderline);
            break;
        case 5:
            b.SetCharAttrs(attrs | vtaBlink);
            break;
        case 7:
            b.SetCharAttrs(attrs | vtaReverse);
            break;
        case 8:
            b.SetCharAttrs(attrs | vtaInvisible);
            break;
        case 22:
            b.SetCharAttrs(attrs & ~vtaBold);
            break;
        case 24:
            b.SetCharAttrs(attrs & ~vtaUnderline);
            break;
        case 25:
            b.SetCharAttrs(attrs & ~vtaBlink);
            break;
        case 27:
            b.SetCharAttrs(attrs & ~vtaReverse);
            break;
        case 28:
            b.SetCharAttrs(attrs & ~vtaInvisible);
            break;
        default:
            if (p >= 30 && p <= 37)
                SgrForeColor(p);
            else if (p >= 40 && p <= 47)
                SgrBackColor(p);
            break;
        }
    }
}

void TVtVT100Emulator::SgrForeColor(int parameter) {
    if (parameter >= 30 && parameter <= 37)
        m_buffer.SetForeColor(kSgrColors[parameter - 30]);
}

void TVtVT100Emulator::SgrBackColor(int parameter) {
    if (parameter >= 40 && parameter <= 47)
        m_buffer.SetBackColor(kSgrColors[parameter - 40]);
}

void TVtVT100Emulator::saveCursor() {
    const TVtTerminalBuffer &b = m_buffer;
    m_saved = {true,
               b.GetCharAttrs(),
               b.GetBackColor(),
               b.GetCharSet(),
               b.GetCursorCol(),
               b.GetForeColor(),
               b.GetCursorRow()};
}

void TVtVT100Emulator::restoreCursor() {
    TVtTerminalBuffer &b = m_buffer;
    if (!m_saved.valid) {
        // Nothing saved yet: home with the default rendition, never black on black in the history.
        b.SetCharAttrs(0);
        b.SetBackColor(b.GetDefBackColor());
        b.SetCharSet(vcsUSASCII);
        b.SetForeColor(b.GetDefForeColor());
        b.SetCursorPosition(1, 1);
        return;
    }
    b.SetCharAttrs(m_saved.attrs);
    b.SetBackColor(m_saved.back);
    b.SetCharSet(m_saved.charSet);
    b.SetForeColor(m_saved.fore);
    b.SetCursorPosition(m_saved.row, m_saved.col);
}

void TVtVT100Emulator::reset() {
    m_buffer.Reset();
    m_ansi = true;
    m_parser.SetVT52(false);
    m_cursorKeysApp = false;
    m_keypadApp = false;
    m_autoRepeat = true;
    if (m_col132) {
        m_col132 = false;
        if (m_host)
            m_host->ColumnModeChanged(80);
    }
    m_smoothScroll = false;
    m_interlace = false;
    if (m_reverseScreen) {
        m_reverseScreen = false;
        requestFullRepaint();
    }
    m_g1Active = false;
    m_g0 = vcsUSASCII;
    m_g1 = vcsUSASCII;
    m_saved = SavedCursor();
}

// ---- keys ----------------------------------------------------------------------------------

void TVtVT100Emulator::KeyPress(char &c) {
    SendChar(uint8_t(c), true);
    if (c == '\r' && m_buffer.UseNewLineMode())
        SendChar('\n', true);
}

namespace {
constexpr int kVkNumLock = 0x90;
} // namespace

void TVtVT100Emulator::KeyDown(int &key, int shift) {
    if (key & kVtKeyRepeat) {
        if (!m_autoRepeat) {
            key = 0;
            return;
        }
        key &= ~kVtKeyRepeat;
    }
    QByteArray name = m_keys.Get("\\x" + QByteArray::number(key, 16).toUpper().rightJustified(2, '0'));
    if (name.isEmpty())
        return;
    if (shift & vssAlt)
        name.prepend("alt+");
    if (shift & vssCtrl)
        name.prepend("ctrl+");
    if (shift & vssShift)
        name.prepend("shift+");
    QByteArray dec = m_keys.Get(name);
    if (dec.isEmpty())
        return;
    if (dec.endsWith('c'))
        dec.back() = !m_ansi ? '0' : m_cursorKeysApp ? '2' : '1';
    else if (dec.endsWith('k'))
        dec.back() = m_ansi ? (m_keypadApp ? '6' : '5') : (m_keypadApp ? '4' : '3');
    const QByteArray text = m_keys.Get(dec);
    if (text.isEmpty())
        return;
    sendKeyText(text);
    if (key == kVkNumLock && m_host)
        m_host->RestoreNumLock();
    key = 0;
}

void TVtVT100Emulator::sendKeyText(const QByteArray &text) {
    bool echo = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\' || i + 1 >= text.size()) {
            SendChar(uint8_t(c), echo);
            continue;
        }
        const char next = text[++i];
        if (next == 'e') {
            SendChar(ESC, false);
            echo = false;
        } else if (next == 'x') {
            const int hi = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
            const int lo = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
            if (hi < 0 || lo < 0) {
                SendChar('?', echo);
                continue;
            }
            i += 2;
            const uint8_t byte = uint8_t(hi * 16 + lo);
            SendChar(byte, echo);
            if (byte == '\r' && m_buffer.UseNewLineMode())
                SendChar('\n', echo);
        } else {
            SendChar('\\', echo);
            SendChar(uint8_t(next), echo);
        }
    }
}
