// The two dumpers. The emulator runs behind a fake terminal like the main window's (24 rows, 80
// columns, 500 rows in all, upper ASCII displayed, no local echo) that applies column changes by
// resizing the buffer; libvterm runs at 24x80 with 8-bit input.
#include "tools/vttest/VttestDump.h"

#include "terminal/core/TVtGlyphCodePage.h"
#include "terminal/core/TVtVT100Emulator.h"

#include <vterm.h>

namespace {
class DumpHost : public TVtTerminalHost {
public:
    explicit DumpHost(TVtTerminalEmulator &emulator) : m_emulator(emulator) {}
    void ColumnModeChanged(int columns) override { m_emulator.Buffer().tbSetColCount(columns); }

private:
    TVtTerminalEmulator &m_emulator;
};

QChar attrMark(int mask) {
    return mask == 0 ? QChar('.') : QChar("0123456789abcdef"[mask]);
}

QStringList dumpOrvaScreen(const TVtVT100Emulator &emulator) {
    const TVtTerminalBuffer &b = emulator.Buffer();
    QStringList lines;
    for (int row = 1; row <= kDumpRows; ++row) {
        const TVtCell *cells = b.GetRow(row);
        QString glyphs, attrs, extra;
        for (int col = 0; col < b.ColCount(); ++col) {
            QByteArray font;
            uint8_t glyph = 0;
            emulator.CharSetMapping().Map(CharSetName(cells[col].CharSet), cells[col].Char, font, glyph);
            const QString text = GlyphsToUnicode(font, QByteArray(1, char(glyph)));
            if (col >= kDumpCols) {
                extra += text;
                continue;
            }
            glyphs += text;
            // The painter draws reverse-screen mode as reverse video, which is what the reference stores.
            const uint8_t a = cells[col].Attrs ^ (emulator.ReverseScreen() ? vtaReverse : 0);
            attrs += attrMark(((a & vtaBold) ? 1 : 0) | ((a & vtaUnderline) ? 2 : 0) |
                              ((a & vtaBlink) ? 4 : 0) | ((a & vtaReverse) ? 8 : 0));
        }
        while (glyphs.size() < kDumpCols) {
            glyphs += ' ';
            attrs += '.';
        }
        static const char lineMarks[] = "STBW";
        QString line = glyphs + ' ' + attrs + ' ' + QChar(lineMarks[b.GetLineAttr(row) & 3]);
        if (!extra.trimmed().isEmpty())
            line += " EXTRA:" + extra;
        lines << line;
    }
    lines << QStringLiteral("cursor %1,%2").arg(b.CursorScreenRow()).arg(b.GetCursorCol());
    return lines;
}

QStringList dumpVtermScreen(VTerm *vt) {
    VTermScreen *screen = vterm_obtain_screen(vt);
    VTermState *state = vterm_obtain_state(vt);
    QStringList lines;
    for (int row = 0; row < kDumpRows; ++row) {
        QString glyphs, attrs;
        for (int col = 0; col < kDumpCols; ++col) {
            VTermScreenCell cell{};
            vterm_screen_get_cell(screen, VTermPos{row, col}, &cell);
            const uint32_t c = cell.chars[0];
            glyphs += c == 0 ? QString(' ') : QString::fromUcs4(reinterpret_cast<const char32_t *>(&c), 1);
            attrs += attrMark((cell.attrs.bold ? 1 : 0) | (cell.attrs.underline ? 2 : 0) |
                              (cell.attrs.blink ? 4 : 0) | (cell.attrs.reverse ? 8 : 0));
        }
        const VTermLineInfo *info = vterm_state_get_lineinfo(state, row);
        QChar mark('S');
        if (info->doubleheight == 1)
            mark = 'T';
        else if (info->doubleheight == 2)
            mark = 'B';
        else if (info->doublewidth)
            mark = 'W';
        lines << glyphs + ' ' + attrs + ' ' + mark;
    }
    VTermPos pos;
    vterm_state_get_cursorpos(state, &pos);
    lines << QStringLiteral("cursor %1,%2").arg(pos.row + 1).arg(pos.col + 1);
    return lines;
}
} // namespace

QList<QStringList> DumpOrva(const QList<QByteArray> &screens) {
    TVtVT100Emulator emulator;
    DumpHost host(emulator);
    emulator.SetTerminal(&host);
    emulator.DisplayUpperASCII = true;
    emulator.Buffer().tbSetSVRowCount(500);
    QList<QStringList> dumps;
    for (const QByteArray &screen : screens) {
        emulator.ProcessBlock(screen);
        dumps << dumpOrvaScreen(emulator);
    }
    return dumps;
}

QList<QStringList> DumpVterm(const QList<QByteArray> &screens) {
    VTerm *vt = vterm_new(kDumpRows, kDumpCols);
    vterm_set_utf8(vt, 0);
    VTermScreen *screen = vterm_obtain_screen(vt);
    vterm_screen_reset(screen, 1);
    QList<QStringList> dumps;
    for (const QByteArray &bytes : screens) {
        vterm_input_write(vt, bytes.constData(), std::size_t(bytes.size()));
        vterm_screen_flush_damage(screen);
        dumps << dumpVtermScreen(vt);
    }
    vterm_free(vt);
    return dumps;
}
