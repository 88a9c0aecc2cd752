// The host's plain-text report markup, both ways: read into a word-processor document at a cursor,
// and written back from the document with its tables drawn as text grids.
#pragma once

#include "platform/richtext/TWpDocument.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QStringList>
#include <QTextCursor>
#include <functional>
#include <vector>

// Writes `markup` at the cursor of a part of `doc` in the given font (host bytes; empty gives
// "Courier New") and size (decimal; not a number gives 10). When the markup held a placeholder,
// the cursor ends at the first one; returns its position, or -1.
int ImportHostMarkup(orva::richtext::TWpDocument &doc, QTextCursor &cursor, const QByteArray &markup,
                     const QByteArray &fontName, const QByteArray &fontSize);

// Characters of the main text passed so far (a multiple of 20) and their total.
using MarkupProgress = std::function<void(int done, int total)>;

// The main text of `doc` as host markup, wrapped to 80 columns. Dictation entries marked as typed
// are named on a first "KX_AUDIOTYPED;" line. `progress`, when given, is told every 20 characters.
QByteArray ExportHostMarkup(const orva::richtext::TWpDocument &doc, const QByteArrayList &typedEntries = {},
                            const MarkupProgress &progress = {});

// Line breaking of the returned text (and of table cells).
QByteArray WrapText(const QByteArray &text, int width);

// One character of the document as host bytes.
QByteArray MapReturnChar(char32_t code);

// A table drawn as text.
class TConvCell {
public:
    int Width = 3;
    QByteArray Borders;
    QByteArrayList Lines;
};

class TConvTable {
public:
    TConvTable(int rows, int columns, const QByteArray &borders = "+++++++++---+++");
    int Rows, Columns;
    QByteArray Borders;
    std::vector<TConvCell> Cells; // row order
    TConvCell &cell(int row, int column) { return Cells[size_t(row * Columns + column)]; }
    const TConvCell &cell(int row, int column) const { return Cells[size_t(row * Columns + column)]; }
};
