// Draws the buffer's rows into an image: runs of cells with equal colours, attributes and character
// set, glyphs placed one cell apart, line attributes, the selection and the blink phase.
#pragma once

#include "terminal/core/TVtTerminalBuffer.h"
#include "terminal/core/TVtVT100Emulator.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QRawFont>
#include <optional>
#include <vector>

class TVtCharSetMapping;
class TVtSelection;

struct TVtRun {
    int First;
    int Last; // columns, 1-based, inclusive
    uint32_t ForeColor;
    uint32_t BackColor;
    uint8_t Attrs; // with vtaSelected when the cells are selected
    uint8_t CharSet;
    bool operator==(const TVtRun &) const = default;
};

// Splits cells first..last (1-based) of a row into maximal runs; the selection supplies bit $40.
std::vector<TVtRun> BuildRuns(const TVtCell *cells, int first, int last, bool useCharSet,
                              const TVtSelection *selection = nullptr, int row = 0);

// The face a terminal font falls back to when its family is not installed (as the graphics fonts of
// the character-set tables never are): it has the box-drawing and PC code page glyphs.
QString TerminalFontFamily();
// The family a terminal font is drawn in: its own when installed, else the fallback face.
QString DrawnTerminalFamily(const QString &family);
QFont ResolveTerminalFont(const QFont &font);

// What one paint needs to know; filled by the terminal control.
struct TVtPaintContext {
    const TVtTerminalBuffer *Buffer = nullptr;
    // The VT100 painter's map (draw scripts, fonts); null selects the TTY painter.
    TVtCharSetMapping *CharSets = nullptr;
    const TVtSelection *Selection = nullptr;
    bool ReverseScreen = false;
    bool IgnoreGraphicsFont = false;
    QFont Font;
    int CellWidth = 8;
    int CellHeight = 16;
    int FirstCol = 1;
    int FirstRow = 1;
    int VisibleCols = 80; // partly visible columns
    int VisibleRows = 24;
};

class TVtRowPainter {
public:
    // Draws the row over columns first..last (screen cells unless inLineCells), with the text or, in
    // the blink-off phase, the backgrounds only.
    void DrawRow(QImage &image, const TVtPaintContext &ctx, int row, int first, int last, bool inLineCells,
                 bool withText);
    // The rows and columns of a cell rectangle in screen numbering.
    void DrawRect(QImage &image, const TVtPaintContext &ctx, const TVtRect &rect);
    // The blinking runs with their text (phase on) or their backgrounds only (phase off).
    void DrawBlinkRuns(QImage &image, const TVtPaintContext &ctx, const std::vector<TVtBlinkRun> &runs,
                       bool phase);

    // The image was filled or made anew: nothing drawn before is on it any more, so the next paint
    // draws every cell.
    void ForgetShown();
    // Cells copied into the image so far (cells that already showed the same thing are skipped).
    qint64 CellsCopied() const { return m_cellsCopied; }

private:
    void drawRow(QPainter &p, int imageWidth, const TVtPaintContext &ctx, int row, int first, int last,
                 bool inLineCells, bool withText);
    void drawRunVT100(QPainter &p, const TVtPaintContext &ctx, const TVtRun &run, int firstLineCell, int top,
                      int cellWidth, int rowHeight, bool doubleHeight, int shift);
    void drawRunTTY(QPainter &p, const TVtPaintContext &ctx, const TVtRun &run, int top);
    void drawGlyphs(QPainter &p, const QFont &font, const QString &text, int x, int top, int cellWidth,
                    int rowHeight, const QColor &color);
    const QRawFont &rawFont(const QFont &font);
    void drawCells(QPainter &p, const QFont &font, const QString &text, int x, int top, int cellWidth,
                   int rowHeight, const QColor &fill, const QColor &color, bool underline);
    void blitCells(QPainter &p, const TVtPaintContext &ctx, const QByteArray &fontName, const QString &text,
                   int x, int top, const QColor &fill, const QColor &color, bool underline);

    struct CellKey {
        quint64 Colours;
        uint32_t Glyph;
        bool operator==(const CellKey &) const = default;
    };
    friend size_t qHash(const CellKey &key, size_t seed = 0) {
        return qHashMulti(seed, key.Colours, key.Glyph);
    }
    static constexpr qsizetype kMaxCachedCells = 4096;
    QHash<CellKey, QImage> m_cells;
    // What each cell of the image shows, so that a cell already showing the same glyph in the same
    // colours is not copied again (a repainted screen mostly repeats itself).
    struct Shown {
        CellKey Key{0, 0};
        bool Valid = false;
    };
    void fitShown(int imageWidth, int imageHeight, int cellWidth, int cellHeight);
    void forgetRows(int topPixel, int heightPixels);
    std::vector<Shown> m_shown;
    // The buffer cells each image row was last drawn from (whole rows of single-width text only), so
    // that only the cells that changed are drawn again.
    struct RowShown {
        bool Valid = false;
        int FirstCol = 0;
        bool ReverseScreen = false;
        bool IgnoreGraphicsFont = false;
        const TVtCharSetMapping *CharSets = nullptr;
        std::vector<TVtCell> Cells;
    };
    std::vector<RowShown> m_rowsShown;
    // The columns of a row that are drawn (in the row's own cells: a double-width row has half as
    // many), and the columns the view shows.
    struct RowSpan {
        int First;
        int Last;
        int FirstVisible;
        int LastVisible;
    };
    // Where a row's runs go: the image row, the row the text is drawn at (a double-height bottom half
    // draws the row above), the size of a cell and the line cell at the left edge.
    struct RowGeometry {
        int Top;
        int SourceTop;
        int CellWidth;
        int RowHeight;
        int Shift;
        bool DoubleHeight;
        int FirstLineCell;
    };
    static std::optional<RowSpan> visibleSpan(const TVtPaintContext &ctx, uint8_t lineAttr, int cols,
                                              int first, int last, bool inLineCells);
    RowShown *shownRecord(int imageWidth, int imageHeight, const TVtPaintContext &ctx, int top);
    static bool recordHolds(const RowShown &shown, const TVtPaintContext &ctx, int cols);
    // Leaves out the cells at either end that still show what they did; false when none changed.
    static bool narrowToChanged(const RowShown &shown, const TVtCell *cells, int &first, int &last);
    // False when a run could not be drawn.
    bool drawRuns(QPainter &p, const TVtPaintContext &ctx, const std::vector<TVtRun> &runs,
                  const TVtCell *cells, const RowGeometry &g, bool withText);
    static void recordShown(RowShown &shown, const TVtPaintContext &ctx, const TVtCell *cells, int cols,
                            const RowSpan &drawn, bool allDrawn, bool recordMatched);
    void syncCache(const TVtPaintContext &ctx);
    int m_shownCols = 0;
    int m_shownRows = 0;
    int m_shownCellHeight = 0;
    qint64 m_cellsCopied = 0;
    struct Copy {
        int Left;
        int From;
        int To;
        const QRgb *Pixels;
    };
    std::vector<Copy> m_copies;
    QFont m_cacheFont;
    int m_cacheCellWidth = 0;
    int m_cacheCellHeight = 0;

    QHash<QString, QRawFont> m_fonts;
    std::vector<quint32> m_glyphs;
    std::vector<QPointF> m_positions;
    QByteArray m_chars;
};
