// VT100/VT52 command execution and key translation.
#include "terminal/core/TVtVT100Emulator.h"

#include <algorithm>

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

void TVtVT100Emulator::ExecuteCommand() {
    TVtTerminalBuffer &b = m_buffer;
    const int argc = m_parser.ArgumentCount();
    const int n = m_parser.GetArgument(0);
    switch (m_parser.Command()) {
    case vcCursorPosition:
        if (argc == 2)
            b.SetCursorPosition(std::max(n, 1), std::max(m_parser.GetArgument(1), 1));
        break;
    case vcCursorUp:
    case vcCursorDown:
    case vcCursorForward:
    case vcCursorBackward: {
        if (argc != 1)
            break;
        const int steps = n == 0 ? 1 : n;
        switch (m_parser.Command()) {
        case vcCursorUp:
            b.MoveCursorUp(steps);
            break;
        case vcCursorDown:
            b.MoveCursorDown(steps);
            break;
        case vcCursorForward:
            b.MoveCursorRight(steps);
            break;
        default:
            b.MoveCursorLeft(steps);
            break;
        }
        break;
    }
    case vcSetMode:
        setMode(true);
        break;
    case vcResetMode:
        setMode(false);
        break;
    case vcRendition:
        rendition();
        break;
    case vcSaveCursor:
        saveCursor();
        break;
    case vcRestoreCursor:
        restoreCursor();
        break;
    case vcStatusReport:
        if (argc == 1 && n == 5)
            reply("\x1b[0n");
        else if (argc == 1 && n == 6)
            reply("\x1b[" + QByteArray::number(b.GetCursorRow()) + ";" +
                  QByteArray::number(b.GetCursorCol()) + "R");
        break;
    case vcHorizontalTab:
        for (int i = 0; i < std::min(n, b.ColCount()); ++i)
            b.HorizontalTab();
        break;
    case vcVerticalTab:
        if (n >= 1)
            b.VerticalTab();
        break;
    case vcIdentify:
        if (argc == 1 && n == 0)
            reply("\x1b[?1;0c");
        else if (argc == 1 && n == 52)
            reply("\x1b/Z");
        break;
    case vcDeleteChars:
        b.DeleteChars(n);
        break;
    case vcDeleteLines:
        b.DeleteLines(n);
        break;
    case vcEraseChars:
        b.EraseChars(n);
        break;
    case vcInsertChars:
        b.InsertChars(n);
        break;
    case vcInsertLines:
        b.InsertLines(n);
        break;
    case vcEraseInDisplay:
        if (n == 0)
            b.EraseToEOS();
        else if (n == 1)
            b.EraseToBOS();
        else if (n == 2)
            b.EraseScreen();
        break;
    case vcEraseInLine:
        if (n == 0)
            b.EraseToEOL();
        else if (n == 1)
            b.EraseToBOL();
        else if (n == 2)
            b.EraseLine();
        break;
    case vcSetTabStop:
        b.SetHorzTabStop();
        break;
    case vcNextLine:
        b.LineFeed();
        if (!b.UseNewLineMode())
            b.CarriageReturn();
        break;
    case vcReverseIndex:
        b.CursorUp(true);
        break;
    case vcReset:
        reset();
        break;
    case vcTabClear:
        if (n == 0)
            b.ClearHorzTabStop();
        else if (n == 3)
            b.ClearHorzTabStops();
        break;
    case vcScrollRegion: {
        int top = argc >= 1 ? n : 0;
        int bottom = argc >= 2 ? m_parser.GetArgument(1) : 0;
        if (top <= 0)
            top = 1;
        if (bottom <= 0)
            bottom = b.RowCount();
        b.SetScrollRegion(std::clamp(top, 1, b.RowCount()), std::clamp(bottom, 1, b.RowCount()));
        break;
    }
    case vcEnquiry:
        reply(Answerback);
        break;
    case vcBell:
        if (m_host)
            m_host->Beep();
        break;
    case vcBackspace:
        b.Backspace();
        break;
    case vcLineFeed:
        b.LineFeed();
        break;
    case vcCarriageReturn:
        b.CarriageReturn();
        break;
    case vcShiftOut:
        b.SetCharSet(m_ansi ? m_g1 : uint8_t(vcsLineDraw));
        m_g1Active = true;
        break;
    case vcShiftIn:
        b.SetCharSet(m_ansi ? m_g0 : uint8_t(vcsUSASCII));
        m_g1Active = false;
        break;
    case vcIndex:
        b.CursorDown(true);
        break;
    case vcScreenAlignment: {
        const uint8_t def = b.GetDefChar();
        b.SetDefChar('E');
        b.EraseScreen();
        b.SetDefChar(def);
        break;
    }
    case vcDoubleHeightLine:
    case vcDoubleWidthLine:
    case vcSingleWidthLine: {
        uint8_t attr = vtlSingle;
        if (m_parser.Command() == vcDoubleHeightLine)
            attr = n == 0 ? vtlDoubleHeightTop : vtlDoubleHeightBottom;
        else if (m_parser.Command() == vcDoubleWidthLine)
            attr = vtlDoubleWidth;
        const int row = b.CursorScreenRow();
        b.SetLineAttr(row, attr);
        b.Invalidate(1, row, b.ColCount(), row);
        break;
    }
    case vcRequestParameters: {
        const int p = argc == 1 ? std::clamp(n, 0, 1) : 1;
        reply("\x1b[" + QByteArray::number(p + 2) + ";1;1;120;120;1;0x");
        break;
    }
    case vcDesignate: {
        uint8_t set;
        switch (m_parser.GetArgument(1)) {
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
            set = vcsUSASCII;
            break;
        }
        const bool g1 = n == 1;
        (g1 ? m_g1 : m_g0) = set;
        if (g1 == m_g1Active)
            b.SetCharSet(set);
        break;
    }
    default:
        break;
    }
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
