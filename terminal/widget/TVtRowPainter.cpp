// Row painting.
#include "terminal/widget/TVtRowPainter.h"

#include "common/WinColor.h"
#include "terminal/core/TVtCharSetMapping.h"
#include "terminal/core/TVtGlyphCodePage.h"
#include "terminal/widget/TVtSelection.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <exception>
#include <optional>

namespace {
uint8_t cellAttrs(const TVtCell &cell, const TVtSelection *selection, int row, int col) {
    uint8_t attrs = uint8_t(cell.Attrs & ~vtaSelected);
    if (selection && selection->Contains(row, col))
        attrs |= vtaSelected;
    return attrs;
}
} // namespace

std::vector<TVtRun> BuildRuns(const TVtCell *cells, int first, int last, bool useCharSet,
                              const TVtSelection *selection, int row) {
    std::vector<TVtRun> runs;
    for (int col = first; col <= last; ++col) {
        const TVtCell &cell = cells[col - 1];
        const uint8_t attrs = cellAttrs(cell, selection, row, col);
        const uint8_t set = useCharSet ? cell.CharSet : 0;
        if (!runs.empty()) {
            TVtRun &run = runs.back();
            if (run.ForeColor == cell.ForeColor && run.BackColor == cell.BackColor && run.Attrs == attrs &&
                run.CharSet == set) {
                run.Last = col;
                continue;
            }
        }
        runs.push_back({col, col, cell.ForeColor, cell.BackColor, attrs, set});
    }
    return runs;
}

QString TerminalFontFamily() {
    return QStringLiteral("DejaVu Sans Mono");
}

QString DrawnTerminalFamily(const QString &family) {
    // Asked for every font change and every newly drawn cell: the answer per family is kept.
    static QHash<QString, QString> drawn;
    auto it = drawn.constFind(family);
    if (it == drawn.cend()) {
        const bool installed =
            !family.isEmpty() && QFontDatabase::families().contains(family, Qt::CaseInsensitive);
        it = drawn.insert(family, installed ? family : TerminalFontFamily());
    }
    return *it;
}

QFont ResolveTerminalFont(const QFont &font) {
    QFont resolved(font);
    resolved.setFamily(DrawnTerminalFamily(font.family()));
    resolved.setStyleHint(QFont::TypeWriter);
    resolved.setFixedPitch(true);
    resolved.setKerning(false);
    return resolved;
}

const QRawFont &TVtRowPainter::rawFont(const QFont &font) {
    const QString key = font.key();
    auto it = m_fonts.find(key);
    if (it == m_fonts.end())
        it = m_fonts.insert(key, QRawFont::fromFont(font));
    return *it;
}

void TVtRowPainter::drawGlyphs(QPainter &p, const QFont &font, const QString &text, int x, int top,
                               int cellWidth, int rowHeight, const QColor &color) {
    const QRawFont &raw = rawFont(font);
    if (!raw.isValid() || text.isEmpty())
        return;
    const QList<quint32> glyphs = raw.glyphIndexesForString(text);
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    for (qsizetype i = 0; i < glyphs.size(); ++i)
        positions.append(QPointF(qreal(i * cellWidth), 0));
    QGlyphRun run;
    run.setRawFont(raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    p.setPen(color);
    // Glyphs sit on the baseline of a row as tall as the font's own line.
    const qreal baseline = top + raw.ascent() + std::max(0.0, (rowHeight - raw.ascent() - raw.descent()) / 2);
    p.drawGlyphRun(QPointF(x, baseline), run);
}

void TVtRowPainter::drawCells(QPainter &p, const QFont &font, const QString &text, int x, int top,
                              int cellWidth, int rowHeight, const QColor &fill, const QColor &color,
                              bool underline) {
    const int width = int(text.size()) * cellWidth;
    p.fillRect(QRect(x, top, width, rowHeight), fill);
    if (color != fill)
        drawGlyphs(p, font, text, x, top, cellWidth, rowHeight, color);
    if (underline)
        p.fillRect(QRect(x, top + rowHeight - 2, width, 1), color);
}

void TVtRowPainter::blitCells(QPainter &p, const TVtPaintContext &ctx, const QByteArray &fontName,
                              const QString &text, int x, int top, const QColor &fill, const QColor &color,
                              bool underline) {
    // Cells of ordinary rows come from a cache of drawn cells, copied row by row: drawing each glyph
    // again for every block of host text would cost far more than interpreting it.
    auto *image = static_cast<QImage *>(p.device());
    const int cw = ctx.CellWidth;
    const int ch = ctx.CellHeight;
    syncCache(ctx);
    const bool graphics = !IsDefaultFontName(fontName);
    const quint64 colours = (quint64(fill.rgb() & 0xFFFFFF) << 24) | quint64(color.rgb() & 0xFFFFFF);
    const int width = image->width();
    const int height = image->height();
    // The cells of the segment that fall into the image, then their pixel rows copied across. A
    // segment starting at or beyond the right edge has none (the division below truncates towards 0).
    if (x >= width)
        return;
    const int firstCell = x < 0 ? (-x + cw - 1) / cw : 0;
    const int lastCell = std::min(int(text.size()) - 1, (width - 1 - x) / cw);
    if (lastCell < firstCell)
        return;
    const int left = x + firstCell * cw;                                         // >= 0
    const int keep = std::min(cw, width - (left + (lastCell - firstCell) * cw)); // pixels of the last cell
    fitShown(width, height, cw, ch);
    // Cells on the cell grid are looked up in what the image shows; anything else is simply drawn
    // and the rows it touches forgotten.
    const bool onGrid = left % cw == 0 && top >= 0 && top % ch == 0;
    if (!onGrid)
        forgetRows(top, ch);
    m_copies.clear();
    for (int i = firstCell; i <= lastCell; ++i) {
        const CellKey key{colours, uint32_t(text[i].unicode()) | (graphics ? 0x10000u : 0u) |
                                       (underline ? 0x20000u : 0u)};
        const int cellLeft = left + (i - firstCell) * cw;
        if (onGrid && top / ch < m_shownRows) {
            Shown &shown =
                m_shown[std::size_t(top / ch) * std::size_t(m_shownCols) + std::size_t(cellLeft / cw)];
            if (shown.Valid && shown.Key == key)
                continue;
            shown = {key, true};
        }
        auto it = m_cells.find(key);
        if (it == m_cells.end()) {
            QImage cell(cw, ch, QImage::Format_RGB32);
            QPainter cp(&cell);
            QFont font = ctx.Font;
            if (graphics)
                font.setFamily(QString::fromLatin1(fontName));
            drawCells(cp, ResolveTerminalFont(font), text.mid(i, 1), 0, 0, cw, ch, fill, color, underline);
            cp.end();
            it = m_cells.insert(key, cell);
        }
        m_copies.push_back(
            {cellLeft, 0, i == lastCell ? keep : cw, reinterpret_cast<const QRgb *>(it->constBits())});
    }
    m_cellsCopied += qint64(m_copies.size());
    if (m_copies.empty())
        return;
    auto *bits = reinterpret_cast<QRgb *>(image->bits());
    const qsizetype stride = image->bytesPerLine() / 4;
    for (int y = 0; y < ch; ++y) {
        const int dy = top + y;
        if (dy < 0 || dy >= height)
            continue;
        QRgb *row = bits + dy * stride;
        for (const Copy &c : m_copies)
            std::memcpy(row + c.Left + c.From, c.Pixels + y * cw + c.From,
                        std::size_t(c.To - c.From) * sizeof(QRgb));
    }
}

void TVtRowPainter::syncCache(const TVtPaintContext &ctx) {
    if (ctx.Font != m_cacheFont || ctx.CellWidth != m_cacheCellWidth || ctx.CellHeight != m_cacheCellHeight ||
        m_cells.size() > kMaxCachedCells) {
        m_cells.clear();
        ForgetShown();
        m_cacheFont = ctx.Font;
        m_cacheCellWidth = ctx.CellWidth;
        m_cacheCellHeight = ctx.CellHeight;
    }
}

void TVtRowPainter::ForgetShown() {
    for (Shown &s : m_shown)
        s.Valid = false;
    for (RowShown &r : m_rowsShown)
        r.Valid = false;
}

void TVtRowPainter::fitShown(int imageWidth, int imageHeight, int cellWidth, int cellHeight) {
    const int cols = (imageWidth + cellWidth - 1) / cellWidth;
    const int rows = (imageHeight + cellHeight - 1) / cellHeight;
    if (cols == m_shownCols && rows == m_shownRows && cellHeight == m_shownCellHeight)
        return;
    m_shownCols = cols;
    m_shownRows = rows;
    m_shownCellHeight = cellHeight;
    m_shown.assign(std::size_t(cols) * std::size_t(rows), Shown{});
    m_rowsShown.assign(std::size_t(rows), RowShown{});
}

void TVtRowPainter::forgetRows(int topPixel, int heightPixels) {
    if (m_shownCellHeight <= 0 || heightPixels <= 0)
        return;
    const int first = std::max(0, topPixel / m_shownCellHeight - (topPixel < 0 ? 1 : 0));
    const int last = std::min(m_shownRows - 1, (topPixel + heightPixels - 1) / m_shownCellHeight);
    for (int r = first; r <= last; ++r) {
        m_rowsShown[std::size_t(r)].Valid = false;
        for (int c = 0; c < m_shownCols; ++c)
            m_shown[std::size_t(r) * std::size_t(m_shownCols) + std::size_t(c)].Valid = false;
    }
}

void TVtRowPainter::drawRunVT100(QPainter &p, const TVtPaintContext &ctx, const TVtRun &run,
                                 int firstLineCell, int top, int cellWidth, int rowHeight, bool doubleHeight,
                                 int shift) {
    const bool reverse = bool(run.Attrs & vtaReverse) != ctx.ReverseScreen ? !(run.Attrs & vtaSelected)
                                                                           : bool(run.Attrs & vtaSelected);
    const QColor fore = bgrToQColor(run.ForeColor);
    const QColor back = bgrToQColor(run.BackColor);
    const QColor fill = reverse ? fore : back;
    const QColor text = (run.Attrs & vtaInvisible) ? fill : (reverse ? back : fore);

    QFont terminalFont = ctx.Font;
    if (doubleHeight) {
        if (terminalFont.pixelSize() > 0)
            terminalFont.setPixelSize(terminalFont.pixelSize() * 2);
        else
            terminalFont.setPointSizeF(terminalFont.pointSizeF() * 2);
    }
    ctx.CharSets->GenerateDrawScript(CharSetName(run.CharSet), m_chars);
    QByteArray fontName;
    QByteArray glyphs;
    int lineCell = run.First;
    while (ctx.CharSets->GetNextDrawCommand(fontName, glyphs)) {
        const int x = (lineCell - firstLineCell) * cellWidth + shift;
        const bool graphics = !IsDefaultFontName(fontName) && !ctx.IgnoreGraphicsFont;
        const QString unicode = GlyphsToUnicode(fontName, glyphs);
        if (!doubleHeight && cellWidth == ctx.CellWidth) {
            blitCells(p, ctx, graphics ? fontName : TVtCharSetMapping::DefaultFontName, unicode, x, top, fill,
                      text, run.Attrs & vtaUnderline);
        } else {
            forgetRows(top, rowHeight);
            QFont font = terminalFont;
            if (graphics)
                font.setFamily(QString::fromLatin1(fontName)); // substituted like every named font
            drawCells(p, ResolveTerminalFont(font), unicode, x, top, cellWidth, rowHeight, fill, text,
                      run.Attrs & vtaUnderline);
        }
        lineCell += int(glyphs.size());
    }
}

void TVtRowPainter::drawRunTTY(QPainter &p, const TVtPaintContext &ctx, const TVtRun &run, int top) {
    uint32_t foreColor = run.ForeColor;
    if (run.Attrs & vtaBold) {
        uint32_t bright = 0;
        for (int s = 0; s <= 16; s += 8)
            bright |= std::min<uint32_t>(((foreColor >> s) & 0xFF) + 128, 255) << s;
        foreColor = bright;
    }
    const bool reverse = bool(run.Attrs & vtaReverse) != bool(run.Attrs & vtaSelected);
    const QColor fore = bgrToQColor(foreColor);
    const QColor back = bgrToQColor(run.BackColor);
    const QColor fill = reverse ? fore : back;
    const QColor text = (run.Attrs & vtaInvisible) ? fill : (reverse ? back : fore);
    const int x = (run.First - ctx.FirstCol) * ctx.CellWidth;
    blitCells(p, ctx, TVtCharSetMapping::DefaultFontName,
              GlyphsToUnicode(TVtCharSetMapping::DefaultFontName, m_chars), x, top, fill, text,
              run.Attrs & vtaUnderline);
}

void TVtRowPainter::DrawRow(QImage &image, const TVtPaintContext &ctx, int row, int first, int last,
                            bool inLineCells, bool withText) {
    QPainter p(&image);
    drawRow(p, image.width(), ctx, row, first, last, inLineCells, withText);
}

void TVtRowPainter::drawRow(QPainter &p, int imageWidth, const TVtPaintContext &ctx, int row, int first,
                            int last, bool inLineCells, bool withText) {
    const TVtTerminalBuffer &buffer = *ctx.Buffer;
    if (row < ctx.FirstRow || row >= ctx.FirstRow + ctx.VisibleRows || !buffer.IsValidRow(row))
        return;
    const int top = (row - ctx.FirstRow) * ctx.CellHeight;
    p.setClipRect(QRect(0, top, imageWidth, ctx.CellHeight));
    const bool vt100 = ctx.CharSets != nullptr;
    const uint8_t lineAttr = vt100 ? buffer.GetLineAttr(row) : uint8_t(vtlSingle);
    const int cols = buffer.ColCount();
    const std::optional<RowSpan> span = visibleSpan(ctx, lineAttr, cols, first, last, inLineCells);
    if (!span)
        return;
    first = span->First;
    last = span->Last;

    const bool doubleWidth = lineAttr != vtlSingle;
    const bool doubleHeight = lineAttr == vtlDoubleHeightTop || lineAttr == vtlDoubleHeightBottom;
    RowGeometry g{top,
                  top,
                  doubleWidth ? ctx.CellWidth * 2 : ctx.CellWidth,
                  doubleHeight ? ctx.CellHeight * 2 : ctx.CellHeight,
                  doubleWidth && ctx.FirstCol % 2 == 0 ? -ctx.CellWidth : 0,
                  doubleHeight,
                  doubleWidth ? span->FirstVisible : ctx.FirstCol};
    // A bottom half shows the lower half of the row above drawn at double height; the buffer's first
    // row has none above it, and then shows its own text.
    int sourceRow = row;
    if (lineAttr == vtlDoubleHeightBottom && buffer.IsValidRow(row - 1)) {
        sourceRow = row - 1;
        g.SourceTop = top - ctx.CellHeight;
    }
    const TVtCell *cells = buffer.GetRow(sourceRow);

    // Rows of single-width text without a selection keep a record of the cells they were drawn from:
    // cells that have not changed are not drawn again.
    RowShown *shown = nullptr;
    bool recordMatches = false;
    if (withText && lineAttr == vtlSingle && top % ctx.CellHeight == 0 &&
        !(ctx.Selection && ctx.Selection->Marked())) {
        shown = shownRecord(imageWidth, p.device()->height(), ctx, top);
        recordMatches = shown && recordHolds(*shown, ctx, cols);
        if (recordMatches && !narrowToChanged(*shown, cells, first, last))
            return;
    } else if (top % ctx.CellHeight == 0) {
        forgetRows(top, ctx.CellHeight);
    }

    const bool allDrawn =
        drawRuns(p, ctx, BuildRuns(cells, first, last, vt100, ctx.Selection, sourceRow), cells, g, withText);
    if (shown)
        recordShown(*shown, ctx, cells, cols, {first, last, span->FirstVisible, span->LastVisible}, allDrawn,
                    recordMatches);
}

std::optional<TVtRowPainter::RowSpan> TVtRowPainter::visibleSpan(const TVtPaintContext &ctx, uint8_t lineAttr,
                                                                 int cols, int first, int last,
                                                                 bool inLineCells) {
    int firstVisible = ctx.FirstCol;
    int lastVisible = ctx.FirstCol + ctx.VisibleCols;
    if (lineAttr != vtlSingle) {
        if (!inLineCells) {
            first = (first - 1) / 2 + 1;
            last = (last - 1) / 2 + 1;
        }
        firstVisible = (ctx.FirstCol - 1) / 2 + 1;
        lastVisible = (ctx.FirstCol + ctx.VisibleCols - 1) / 2 + 1;
    }
    if (last < firstVisible || first > lastVisible)
        return std::nullopt;
    first = std::max({first, firstVisible, 1});
    last = std::min({last, lastVisible, cols});
    if (first > last)
        return std::nullopt;
    return RowSpan{first, last, firstVisible, lastVisible};
}

TVtRowPainter::RowShown *TVtRowPainter::shownRecord(int imageWidth, int imageHeight,
                                                    const TVtPaintContext &ctx, int top) {
    syncCache(ctx);
    fitShown(imageWidth, imageHeight, ctx.CellWidth, ctx.CellHeight);
    if (top / ctx.CellHeight >= m_shownRows)
        return nullptr;
    return &m_rowsShown[std::size_t(top / ctx.CellHeight)];
}

bool TVtRowPainter::recordHolds(const RowShown &shown, const TVtPaintContext &ctx, int cols) {
    return shown.Valid && shown.FirstCol == ctx.FirstCol && shown.ReverseScreen == ctx.ReverseScreen &&
           shown.IgnoreGraphicsFont == ctx.IgnoreGraphicsFont && shown.CharSets == ctx.CharSets &&
           shown.Cells.size() == std::size_t(cols);
}

bool TVtRowPainter::narrowToChanged(const RowShown &shown, const TVtCell *cells, int &first, int &last) {
    const auto same = [&](int col) {
        return std::memcmp(&cells[col - 1], &shown.Cells[std::size_t(col - 1)], sizeof(TVtCell)) == 0;
    };
    while (first <= last && same(first))
        ++first;
    while (last >= first && same(last))
        --last;
    return first <= last;
}

bool TVtRowPainter::drawRuns(QPainter &p, const TVtPaintContext &ctx, const std::vector<TVtRun> &runs,
                             const TVtCell *cells, const RowGeometry &g, bool withText) {
    bool allDrawn = true;
    for (const TVtRun &run : runs) {
        try {
            if (!withText) {
                const bool reverse = bool(run.Attrs & vtaReverse) != ctx.ReverseScreen
                                         ? !(run.Attrs & vtaSelected)
                                         : bool(run.Attrs & vtaSelected);
                const int x = (run.First - g.FirstLineCell) * g.CellWidth + g.Shift;
                forgetRows(g.SourceTop, g.RowHeight);
                p.fillRect(QRect(x, g.SourceTop, (run.Last - run.First + 1) * g.CellWidth, g.RowHeight),
                           bgrToQColor(reverse ? run.ForeColor : run.BackColor));
                continue;
            }
            m_chars.resize(run.Last - run.First + 1);
            for (int c = run.First; c <= run.Last; ++c)
                m_chars[c - run.First] = char(cells[c - 1].Char);
            if (ctx.CharSets != nullptr)
                drawRunVT100(p, ctx, run, g.FirstLineCell, g.SourceTop, g.CellWidth, g.RowHeight,
                             g.DoubleHeight, g.Shift);
            else
                drawRunTTY(p, ctx, run, g.Top);
        } catch (const std::exception &) {
            // One run that cannot be drawn leaves a gap; the rest of the screen still paints.
            allDrawn = false;
        }
    }
    return allDrawn;
}

void TVtRowPainter::recordShown(RowShown &shown, const TVtPaintContext &ctx, const TVtCell *cells, int cols,
                                const RowSpan &drawn, bool allDrawn, bool recordMatched) {
    if (!allDrawn) {
        shown.Valid = false;
    } else if (recordMatched) {
        std::copy(cells + drawn.First - 1, cells + drawn.Last, shown.Cells.begin() + (drawn.First - 1));
    } else if (drawn.First <= std::max(drawn.FirstVisible, 1) &&
               drawn.Last >= std::min(drawn.LastVisible, cols)) {
        shown = {true,
                 ctx.FirstCol,
                 ctx.ReverseScreen,
                 ctx.IgnoreGraphicsFont,
                 ctx.CharSets,
                 std::vector<TVtCell>(cells, cells + cols)};
    } else {
        shown.Valid = false;
    }
}

void TVtRowPainter::DrawRect(QImage &image, const TVtPaintContext &ctx, const TVtRect &rect) {
    QPainter p(&image);
    for (int row = rect.Top; row <= rect.Bottom; ++row)
        drawRow(p, image.width(), ctx, row, rect.Left, rect.Right, false, true);
}

void TVtRowPainter::DrawBlinkRuns(QImage &image, const TVtPaintContext &ctx,
                                  const std::vector<TVtBlinkRun> &runs, bool phase) {
    QPainter p(&image);
    for (const TVtBlinkRun &run : runs)
        drawRow(p, image.width(), ctx, run.Row, run.FirstCol, run.LastCol, true, phase);
}
