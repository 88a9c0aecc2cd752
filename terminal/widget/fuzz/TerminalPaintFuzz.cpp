// Arbitrary host bytes through the extended emulator and then painted from varying view positions
// (history, scrolled columns, a selection), and the same bytes read as a colour text: nothing may
// read or write outside the buffer or the image.
#include "terminal/widget/TVtRowPainter.h"
#include "terminal/widget/TVtSelection.h"
#include "terminal/widget/TVtVT100EmulatorEx.h"

#include "common/fuzz/OffscreenGuiApp.h"

#include <cstddef>
#include <cstdint>

namespace {
class FuzzHost : public TVtTerminalHost {
public:
    explicit FuzzHost(TVtTerminalEmulator &emulator) : m_emulator(emulator) {}
    void ColumnModeChanged(int columns) override { m_emulator.Buffer().tbSetColCount(columns); }

private:
    TVtTerminalEmulator &m_emulator;
};
} // namespace

// The font library keeps a cache for the life of the process; that is not a leak of this code.
extern "C" const char *__lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 4)
        return 0;
    ensureOffscreenGuiApp();
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 4, qsizetype(size - 4));

    TVtColorTable table = TVtVT100EmulatorEx::DefaultColors();
    TVtVT100EmulatorEx::ParseColorText(bytes, table);
    (void)DigitRunAt(bytes, data[0]);

    TVtVT100EmulatorEx emulator;
    FuzzHost host(emulator);
    emulator.SetTerminal(&host);
    emulator.Buffer().tbSetSVRowCount(30 + data[0] % 8);
    emulator.DisplayUpperASCII = data[0] & 0x80;
    emulator.IgnoreGraphicsFont = data[0] & 0x40;
    if (data[0] & 0x20)
        emulator.CharSetMapping().LoadFromRes(QStringLiteral("VT100CharSet_LUCON"));
    emulator.ProcessBlock(bytes);

    const TVtTerminalBuffer &b = emulator.Buffer();
    TVtSelection selection;
    selection.Start({b.RowCount() - (data[1] % 40), 1 + data[2] % 140});
    selection.Extend({b.RowCount() - (data[2] % 40), 1 + data[1] % 140});
    (void)selection.Text(b);

    TVtPaintContext ctx;
    ctx.Buffer = &b;
    ctx.CharSets = (data[3] & 1) ? nullptr : &emulator.CharSetMapping();
    ctx.Selection = &selection;
    ctx.ReverseScreen = emulator.ReverseScreen();
    ctx.IgnoreGraphicsFont = emulator.IgnoreGraphicsFont;
    ctx.Font = ResolveTerminalFont(QFont(QStringLiteral("Terminal"), 6));
    ctx.CellWidth = 4;
    ctx.CellHeight = 8;
    ctx.FirstCol = 1 + data[3] % 64;
    ctx.FirstRow = 1 - data[1] % 40;
    ctx.VisibleCols = std::max(1, b.ColCount() - ctx.FirstCol + 1 - data[2] % 8);
    ctx.VisibleRows = b.RowCount();
    QImage image(ctx.VisibleCols * ctx.CellWidth, ctx.VisibleRows * ctx.CellHeight, QImage::Format_RGB32);
    static TVtRowPainter painter; // its cell cache stays warm between inputs
    painter.ForgetShown();        // a new image each input
    painter.DrawRect(image, ctx,
                     {ctx.FirstCol, ctx.FirstRow, b.ColCount() + 3, ctx.FirstRow + ctx.VisibleRows});
    painter.DrawBlinkRuns(image, ctx, emulator.BlinkRuns(), data[3] & 2);
    emulator.SetTerminal(nullptr);
    return 0;
}
